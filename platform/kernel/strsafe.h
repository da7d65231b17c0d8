// Bounded wide-string functions. Results are always terminated; a result
// cut short reports STATUS_BUFFER_OVERFLOW.
//
// Formats take the conversions d, i, u, x, X, c, s (wide string), S (narrow
// string), wZ (UNICODE_STRING*) and %%, with the flags '-' and '0', a width
// (or '*'), a precision for strings, and the sizes h, l (32 bits, as LONG),
// ll and I64 (64 bits).
#pragma once

#include <cstdarg>

#include "platform/kernel/ntstatus.h"

namespace qm::kernel {

inline constexpr std::size_t NTSTRSAFE_MAX_CCH = 2147483647;

NTSTATUS RtlStringCchPrintfW(PWSTR destination, std::size_t cchDest, PCWSTR format, ...);
NTSTATUS RtlStringCbPrintfW(PWSTR destination, std::size_t cbDest, PCWSTR format, ...);
NTSTATUS RtlStringCchVPrintfW(PWSTR destination, std::size_t cchDest, PCWSTR format, std::va_list arguments);
NTSTATUS RtlStringCchCopyW(PWSTR destination, std::size_t cchDest, PCWSTR source);
NTSTATUS RtlStringCchCatW(PWSTR destination, std::size_t cchDest, PCWSTR source);
NTSTATUS RtlStringCchLengthW(PCWSTR text, std::size_t cchMax, std::size_t* length);

}  // namespace qm::kernel
