#include "platform/kernel/rtl.h"

#include <algorithm>

#include "platform/kernel/pool.h"

namespace qm::kernel {

namespace {

inline constexpr USHORT kLargestLength = 0xFFFE;

std::size_t characters(PCUNICODE_STRING string) { return string->Length / sizeof(WCHAR); }

}  // namespace

std::size_t wideLength(PCWSTR text)
{
    std::size_t length = 0;
    if (text != nullptr)
        while (text[length] != 0)
            ++length;
    return length;
}

std::u16string_view view(PCUNICODE_STRING string)
{
    if (string == nullptr || string->Buffer == nullptr)
        return {};
    return {string->Buffer, characters(string)};
}

void RtlInitUnicodeString(PUNICODE_STRING destination, PCWSTR source)
{
    const std::size_t bytes = std::min<std::size_t>(wideLength(source) * sizeof(WCHAR), kLargestLength - 2);
    destination->Buffer = const_cast<PWSTR>(source);
    destination->Length = source == nullptr ? 0 : USHORT(bytes);
    destination->MaximumLength = source == nullptr ? 0 : USHORT(bytes + sizeof(WCHAR));
}

void RtlCopyUnicodeString(PUNICODE_STRING destination, PCUNICODE_STRING source)
{
    if (source == nullptr || source->Buffer == nullptr) {
        destination->Length = 0;
        return;
    }
    const USHORT bytes = std::min(source->Length, destination->MaximumLength);
    std::copy_n(source->Buffer, bytes / sizeof(WCHAR), destination->Buffer);
    destination->Length = USHORT(bytes & ~1u);
    if (destination->Length + sizeof(WCHAR) <= destination->MaximumLength)
        destination->Buffer[destination->Length / sizeof(WCHAR)] = 0;
}

NTSTATUS RtlAppendUnicodeStringToString(PUNICODE_STRING destination, PCUNICODE_STRING source)
{
    const std::u16string_view text = view(source);
    const std::size_t total = destination->Length + text.size() * sizeof(WCHAR);
    if (total > destination->MaximumLength)
        return STATUS_BUFFER_TOO_SMALL;
    std::copy(text.begin(), text.end(), destination->Buffer + characters(destination));
    destination->Length = USHORT(total);
    if (total + sizeof(WCHAR) <= destination->MaximumLength)
        destination->Buffer[total / sizeof(WCHAR)] = 0;
    return STATUS_SUCCESS;
}

NTSTATUS RtlAppendUnicodeToString(PUNICODE_STRING destination, PCWSTR source)
{
    UNICODE_STRING text;
    RtlInitUnicodeString(&text, source);
    return RtlAppendUnicodeStringToString(destination, &text);
}

WCHAR RtlUpcaseUnicodeChar(WCHAR character)
{
    if (character >= u'a' && character <= u'z')
        return WCHAR(character - 32);
    // Latin-1 letters with an upper-case partner in the same block.
    if (character >= 0xE0 && character <= 0xFE && character != 0xF7)
        return WCHAR(character - 32);
    return character;
}

bool equalsIgnoringCase(std::u16string_view a, std::u16string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (RtlUpcaseUnicodeChar(a[i]) != RtlUpcaseUnicodeChar(b[i]))
            return false;
    return true;
}

LONG RtlCompareUnicodeString(PCUNICODE_STRING string1, PCUNICODE_STRING string2, BOOLEAN caseInsensitive)
{
    const std::u16string_view a = view(string1);
    const std::u16string_view b = view(string2);
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        const WCHAR x = caseInsensitive ? RtlUpcaseUnicodeChar(a[i]) : a[i];
        const WCHAR y = caseInsensitive ? RtlUpcaseUnicodeChar(b[i]) : b[i];
        if (x != y)
            return LONG(x) - LONG(y);
    }
    return LONG(a.size()) - LONG(b.size());
}

BOOLEAN RtlEqualUnicodeString(PCUNICODE_STRING string1, PCUNICODE_STRING string2, BOOLEAN caseInsensitive)
{
    return RtlCompareUnicodeString(string1, string2, caseInsensitive) == 0 ? TRUE : FALSE;
}

NTSTATUS RtlIntegerToUnicodeString(ULONG value, ULONG base, PUNICODE_STRING string)
{
    if (base == 0)
        base = 10;
    if (base != 2 && base != 8 && base != 10 && base != 16)
        return STATUS_INVALID_PARAMETER;
    char16_t digits[33];
    std::size_t count = 0;
    do {
        const ULONG digit = value % base;
        digits[count++] = char16_t(digit < 10 ? u'0' + digit : u'A' + digit - 10);
        value /= base;
    } while (value != 0);
    if (count * sizeof(WCHAR) > string->MaximumLength)
        return STATUS_BUFFER_OVERFLOW;
    for (std::size_t i = 0; i < count; ++i)
        string->Buffer[i] = digits[count - 1 - i];
    string->Length = USHORT(count * sizeof(WCHAR));
    if (string->Length + sizeof(WCHAR) <= string->MaximumLength)
        string->Buffer[count] = 0;
    return STATUS_SUCCESS;
}

NTSTATUS RtlUnicodeStringToInteger(PCUNICODE_STRING string, ULONG base, PULONG value)
{
    std::u16string_view text = view(string);
    while (!text.empty() && (text.front() == u' ' || text.front() == u'\t'))
        text.remove_prefix(1);
    bool negative = false;
    if (!text.empty() && (text.front() == u'-' || text.front() == u'+')) {
        negative = text.front() == u'-';
        text.remove_prefix(1);
    }
    if (base == 0) {
        base = 10;
        if (text.size() >= 2 && text[0] == u'0') {
            const char16_t prefix = RtlUpcaseUnicodeChar(text[1]);
            if (prefix == u'X' || prefix == u'O' || prefix == u'B') {
                base = prefix == u'X' ? 16 : prefix == u'O' ? 8 : 2;
                text.remove_prefix(2);
            }
        }
    } else if (base != 2 && base != 8 && base != 10 && base != 16) {
        return STATUS_INVALID_PARAMETER;
    }
    ULONG result = 0;
    for (char16_t c : text) {
        c = RtlUpcaseUnicodeChar(c);
        ULONG digit;
        if (c >= u'0' && c <= u'9')
            digit = c - u'0';
        else if (c >= u'A' && c <= u'F')
            digit = c - u'A' + 10;
        else
            break;
        if (digit >= base)
            break;
        result = result * base + digit;
    }
    *value = negative ? ULONG(0u - result) : result;
    return STATUS_SUCCESS;
}

void RtlFreeUnicodeString(PUNICODE_STRING string)
{
    if (string->Buffer != nullptr)
        ExFreePool(string->Buffer);
    string->Buffer = nullptr;
    string->Length = string->MaximumLength = 0;
}

std::u16string toUtf16(std::string_view utf8)
{
    std::u16string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        const unsigned char lead = static_cast<unsigned char>(utf8[i]);
        char32_t code = 0xFFFD;
        std::size_t extra = 0;
        if (lead < 0x80) {
            code = lead;
        } else if ((lead & 0xE0) == 0xC0) {
            code = lead & 0x1F;
            extra = 1;
        } else if ((lead & 0xF0) == 0xE0) {
            code = lead & 0x0F;
            extra = 2;
        } else if ((lead & 0xF8) == 0xF0) {
            code = lead & 0x07;
            extra = 3;
        }
        ++i;
        for (std::size_t k = 0; k < extra; ++k, ++i) {
            if (i >= utf8.size() || (static_cast<unsigned char>(utf8[i]) & 0xC0) != 0x80) {
                code = 0xFFFD;
                break;
            }
            code = (code << 6) | (static_cast<unsigned char>(utf8[i]) & 0x3F);
        }
        if (code >= 0x10000 && code <= 0x10FFFF) {
            code -= 0x10000;
            out.push_back(char16_t(0xD800 + (code >> 10)));
            out.push_back(char16_t(0xDC00 + (code & 0x3FF)));
        } else {
            out.push_back(code > 0xFFFF ? u'\xFFFD' : char16_t(code));
        }
    }
    return out;
}

std::string toUtf8(std::u16string_view utf16)
{
    std::string out;
    out.reserve(utf16.size());
    for (std::size_t i = 0; i < utf16.size(); ++i) {
        char32_t code = utf16[i];
        if (code >= 0xD800 && code <= 0xDBFF && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 &&
            utf16[i + 1] <= 0xDFFF) {
            code = 0x10000 + ((code - 0xD800) << 10) + (utf16[i + 1] - 0xDC00);
            ++i;
        }
        if (code < 0x80) {
            out.push_back(char(code));
        } else if (code < 0x800) {
            out.push_back(char(0xC0 | (code >> 6)));
            out.push_back(char(0x80 | (code & 0x3F)));
        } else if (code < 0x10000) {
            out.push_back(char(0xE0 | (code >> 12)));
            out.push_back(char(0x80 | ((code >> 6) & 0x3F)));
            out.push_back(char(0x80 | (code & 0x3F)));
        } else {
            out.push_back(char(0xF0 | (code >> 18)));
            out.push_back(char(0x80 | ((code >> 12) & 0x3F)));
            out.push_back(char(0x80 | ((code >> 6) & 0x3F)));
            out.push_back(char(0x80 | (code & 0x3F)));
        }
    }
    return out;
}

}  // namespace qm::kernel
