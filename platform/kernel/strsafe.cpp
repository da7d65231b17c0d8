#include "platform/kernel/strsafe.h"

#include <string>

#include "platform/kernel/rtl.h"

namespace qm::kernel {

namespace {

// Appends to a bounded buffer, remembering whether anything was cut.
class Output {
public:
    Output(PWSTR destination, std::size_t capacity) : destination_(destination), capacity_(capacity) {}

    void put(char16_t character)
    {
        if (length_ + 1 < capacity_)
            destination_[length_++] = character;
        else
            truncated_ = true;
    }
    void put(std::u16string_view text)
    {
        for (char16_t character : text)
            put(character);
    }
    NTSTATUS finish()
    {
        destination_[length_] = 0;
        return truncated_ ? STATUS_BUFFER_OVERFLOW : STATUS_SUCCESS;
    }

private:
    PWSTR destination_;
    std::size_t capacity_;
    std::size_t length_ = 0;
    bool truncated_ = false;
};

struct FieldFormat {
    bool left = false;
    bool zero = false;
    int width = 0;
    int precision = -1;
    int size = 0;  // 0 int, 1 short, 2 64-bit
};

void padded(Output& out, const FieldFormat& field, std::u16string_view body, std::u16string_view sign = {})
{
    const std::size_t length = body.size() + sign.size();
    const std::size_t fill = field.width > 0 && std::size_t(field.width) > length ? field.width - length : 0;
    if (field.left) {
        out.put(sign);
        out.put(body);
        out.put(std::u16string(fill, u' '));
    } else if (field.zero) {
        out.put(sign);
        out.put(std::u16string(fill, u'0'));
        out.put(body);
    } else {
        out.put(std::u16string(fill, u' '));
        out.put(sign);
        out.put(body);
    }
}

std::u16string digits(ULONGLONG value, unsigned base, bool upper)
{
    const char* symbols = upper ? "0123456789ABCDEF" : "0123456789abcdef";
    std::u16string text;
    do {
        text.insert(text.begin(), char16_t(symbols[value % base]));
        value /= base;
    } while (value != 0);
    return text;
}

}  // namespace

NTSTATUS RtlStringCchVPrintfW(PWSTR destination, std::size_t cchDest, PCWSTR format, std::va_list arguments)
{
    if (destination == nullptr || cchDest == 0 || cchDest > NTSTRSAFE_MAX_CCH)
        return STATUS_INVALID_PARAMETER;
    if (format == nullptr) {
        destination[0] = 0;
        return STATUS_INVALID_PARAMETER;
    }
    Output out(destination, cchDest);
    for (PCWSTR p = format; *p != 0; ++p) {
        if (*p != u'%') {
            out.put(*p);
            continue;
        }
        FieldFormat field;
        ++p;
        for (;; ++p) {
            if (*p == u'-')
                field.left = true;
            else if (*p == u'0')
                field.zero = true;
            else
                break;
        }
        if (*p == u'*') {
            field.width = va_arg(arguments, int);
            ++p;
        } else {
            while (*p >= u'0' && *p <= u'9')
                field.width = field.width * 10 + (*p++ - u'0');
        }
        if (*p == u'.') {
            ++p;
            field.precision = 0;
            while (*p >= u'0' && *p <= u'9')
                field.precision = field.precision * 10 + (*p++ - u'0');
        }
        if (*p == u'h') {
            field.size = 1;
            ++p;
        } else if (*p == u'l' && p[1] == u'l') {
            field.size = 2;
            p += 2;
        } else if (*p == u'l') {
            ++p;  // LONG is 32 bits
        } else if (*p == u'I' && p[1] == u'6' && p[2] == u'4') {
            field.size = 2;
            p += 3;
        }
        switch (*p) {
        case u'd':
        case u'i': {
            const LONGLONG value = field.size == 2 ? va_arg(arguments, long long) : LONGLONG(va_arg(arguments, int));
            const ULONGLONG magnitude = value < 0 ? 0ULL - ULONGLONG(value) : ULONGLONG(value);
            padded(out, field, digits(magnitude, 10, false), value < 0 ? u"-" : u"");
            break;
        }
        case u'u':
        case u'x':
        case u'X': {
            ULONGLONG value = field.size == 2 ? va_arg(arguments, unsigned long long) : va_arg(arguments, unsigned);
            if (field.size == 1)
                value &= 0xFFFF;
            padded(out, field, digits(value, *p == u'u' ? 10 : 16, *p == u'X'));
            break;
        }
        case u'c':
            padded(out, field, std::u16string(1, char16_t(va_arg(arguments, int))));
            break;
        case u's':
        case u'S':
        case u'w': {
            std::u16string text;
            if (*p == u'w' && p[1] == u'Z') {
                ++p;
                text = std::u16string(view(va_arg(arguments, PCUNICODE_STRING)));
            } else if (*p == u'S') {
                const char* narrow = va_arg(arguments, const char*);
                text = narrow != nullptr ? toUtf16(narrow) : u"(null)";
            } else {
                PCWSTR wide = va_arg(arguments, PCWSTR);
                text = wide != nullptr ? std::u16string(wide, wideLength(wide)) : u"(null)";
            }
            if (field.precision >= 0 && text.size() > std::size_t(field.precision))
                text.resize(std::size_t(field.precision));
            field.zero = false;
            padded(out, field, text);
            break;
        }
        case u'%':
            out.put(u'%');
            break;
        case 0:
            --p;  // a lone '%' at the end
            break;
        default:
            out.put(u'%');
            out.put(*p);
            break;
        }
    }
    return out.finish();
}

NTSTATUS RtlStringCchPrintfW(PWSTR destination, std::size_t cchDest, PCWSTR format, ...)
{
    std::va_list arguments;
    va_start(arguments, format);
    const NTSTATUS status = RtlStringCchVPrintfW(destination, cchDest, format, arguments);
    va_end(arguments);
    return status;
}

NTSTATUS RtlStringCbPrintfW(PWSTR destination, std::size_t cbDest, PCWSTR format, ...)
{
    std::va_list arguments;
    va_start(arguments, format);
    const NTSTATUS status = RtlStringCchVPrintfW(destination, cbDest / sizeof(WCHAR), format, arguments);
    va_end(arguments);
    return status;
}

NTSTATUS RtlStringCchCopyW(PWSTR destination, std::size_t cchDest, PCWSTR source)
{
    if (destination == nullptr || cchDest == 0 || cchDest > NTSTRSAFE_MAX_CCH)
        return STATUS_INVALID_PARAMETER;
    Output out(destination, cchDest);
    if (source != nullptr)
        out.put(std::u16string_view(source, wideLength(source)));
    return out.finish();
}

NTSTATUS RtlStringCchCatW(PWSTR destination, std::size_t cchDest, PCWSTR source)
{
    std::size_t length = 0;
    const NTSTATUS status = RtlStringCchLengthW(destination, cchDest, &length);
    if (!NT_SUCCESS(status))
        return status;
    return RtlStringCchCopyW(destination + length, cchDest - length, source);
}

NTSTATUS RtlStringCchLengthW(PCWSTR text, std::size_t cchMax, std::size_t* length)
{
    if (text == nullptr || cchMax > NTSTRSAFE_MAX_CCH) {
        if (length != nullptr)
            *length = 0;
        return STATUS_INVALID_PARAMETER;
    }
    std::size_t count = 0;
    while (count < cchMax && text[count] != 0)
        ++count;
    if (length != nullptr)
        *length = count < cchMax ? count : 0;
    return count < cchMax ? STATUS_SUCCESS : STATUS_INVALID_PARAMETER;
}

}  // namespace qm::kernel
