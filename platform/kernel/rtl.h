// Run-time library string helpers for counted 16-bit strings, and the
// conversions our own code uses at the edges (UTF-8 files, test literals).
#pragma once

#include <string>
#include <string_view>

#include "platform/kernel/ntstatus.h"

namespace qm::kernel {

void RtlInitUnicodeString(PUNICODE_STRING destination, PCWSTR source);
// Copies as much as fits; adds a terminator when there is room.
void RtlCopyUnicodeString(PUNICODE_STRING destination, PCUNICODE_STRING source);
NTSTATUS RtlAppendUnicodeToString(PUNICODE_STRING destination, PCWSTR source);
NTSTATUS RtlAppendUnicodeStringToString(PUNICODE_STRING destination, PCUNICODE_STRING source);
LONG RtlCompareUnicodeString(PCUNICODE_STRING string1, PCUNICODE_STRING string2, BOOLEAN caseInsensitive);
BOOLEAN RtlEqualUnicodeString(PCUNICODE_STRING string1, PCUNICODE_STRING string2, BOOLEAN caseInsensitive);
WCHAR RtlUpcaseUnicodeChar(WCHAR character);
// Base 0 means 10; digits above 9 are upper case.
NTSTATUS RtlIntegerToUnicodeString(ULONG value, ULONG base, PUNICODE_STRING string);
NTSTATUS RtlUnicodeStringToInteger(PCUNICODE_STRING string, ULONG base, PULONG value);
// Frees a buffer the run-time library allocated from pool.
void RtlFreeUnicodeString(PUNICODE_STRING string);

// Characters before the terminator.
std::size_t wideLength(PCWSTR text);
std::u16string_view view(PCUNICODE_STRING string);
std::u16string toUtf16(std::string_view utf8);
std::string toUtf8(std::u16string_view utf16);
// Case-insensitive equality as the object manager compares names.
bool equalsIgnoringCase(std::u16string_view a, std::u16string_view b);

}  // namespace qm::kernel
