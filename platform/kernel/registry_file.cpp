// The registry's text file form.
#include <cstdio>

#include "platform/kernel/detail/registry_tree.h"
#include "platform/kernel/registry.h"
#include "platform/kernel/rtl.h"

namespace qm::kernel::detail {

namespace {

inline constexpr std::string_view kHeader = "QM4200 REGISTRY 1";

const char kHexDigits[] = "0123456789abcdef";

void appendHexByte(std::string& out, unsigned byte)
{
    out.push_back(kHexDigits[(byte >> 4) & 0xF]);
    out.push_back(kHexDigits[byte & 0xF]);
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Key names: control characters and '%' become %hh (of their UTF-8 bytes).
std::string escapeKeyName(std::u16string_view name)
{
    std::string out;
    for (unsigned char c : toUtf8(name)) {
        if (c < 0x20 || c == 0x7F || c == '%') {
            out.push_back('%');
            appendHexByte(out, c);
        } else {
            out.push_back(char(c));
        }
    }
    return out;
}

std::u16string unescapeKeyPath(std::string_view text)
{
    std::string bytes;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && hexValue(text[i + 1]) >= 0 && hexValue(text[i + 2]) >= 0) {
            bytes.push_back(char(hexValue(text[i + 1]) * 16 + hexValue(text[i + 2])));
            i += 2;
        } else {
            bytes.push_back(text[i]);
        }
    }
    return toUtf16(bytes);
}

// Quoted text: backslash, quote and control characters are escaped.
std::string quote(std::u16string_view text)
{
    std::string out = "\"";
    for (unsigned char c : toUtf8(text)) {
        if (c == '\\' || c == '"') {
            out.push_back('\\');
            out.push_back(char(c));
        } else if (c < 0x20 || c == 0x7F) {
            out += "\\x";
            appendHexByte(out, c);
        } else {
            out.push_back(char(c));
        }
    }
    out.push_back('"');
    return out;
}

// Reads a quoted string at `text`, advancing past it.
bool unquote(std::string_view& text, std::u16string& result)
{
    if (text.empty() || text.front() != '"')
        return false;
    std::string bytes;
    std::size_t i = 1;
    for (; i < text.size() && text[i] != '"'; ++i) {
        if (text[i] != '\\') {
            bytes.push_back(text[i]);
            continue;
        }
        if (++i >= text.size())
            return false;
        if (text[i] == 'x') {
            if (i + 2 >= text.size() || hexValue(text[i + 1]) < 0 || hexValue(text[i + 2]) < 0)
                return false;
            bytes.push_back(char(hexValue(text[i + 1]) * 16 + hexValue(text[i + 2])));
            i += 2;
        } else {
            bytes.push_back(text[i]);
        }
    }
    if (i >= text.size())
        return false;
    text.remove_prefix(i + 1);
    result = toUtf16(bytes);
    return true;
}

// A REG_SZ written as text must come back byte for byte: even length, one
// terminating NUL, none inside.
bool storableAsText(const RegistryValue& value)
{
    if (value.type != REG_SZ || value.data.size() < 2 || value.data.size() % 2 != 0)
        return false;
    const std::size_t characters = value.data.size() / 2;
    for (std::size_t i = 0; i < characters; ++i) {
        const bool zero = value.data[2 * i] == 0 && value.data[2 * i + 1] == 0;
        if (zero != (i + 1 == characters))
            return false;
    }
    return true;
}

std::u16string textOf(const std::vector<std::uint8_t>& data)
{
    std::u16string text;
    for (std::size_t i = 0; i + 1 < data.size(); i += 2)
        text.push_back(char16_t(data[i] | (data[i + 1] << 8)));
    if (!text.empty() && text.back() == 0)
        text.pop_back();
    return text;
}

std::vector<std::uint8_t> bytesOf(std::u16string_view text)
{
    std::vector<std::uint8_t> data;
    for (char16_t c : text) {
        data.push_back(std::uint8_t(c));
        data.push_back(std::uint8_t(c >> 8));
    }
    data.push_back(0);
    data.push_back(0);
    return data;
}

std::string formatValue(const RegistryValue& value)
{
    std::string line = value.name.empty() ? std::string("@") : quote(value.name);
    line.push_back('=');
    if (value.type == REG_DWORD && value.data.size() == 4) {
        char number[16];
        std::snprintf(number, sizeof number, "dword:%02x%02x%02x%02x", value.data[3], value.data[2], value.data[1],
                      value.data[0]);
        line += number;
    } else if (storableAsText(value)) {
        line += quote(textOf(value.data));
    } else {
        if (value.type == REG_BINARY) {
            line += "hex:";
        } else {
            char prefix[24];
            std::snprintf(prefix, sizeof prefix, "hex(%x):", value.type);
            line += prefix;
        }
        for (std::size_t i = 0; i < value.data.size(); ++i) {
            if (i > 0)
                line.push_back(',');
            appendHexByte(line, value.data[i]);
        }
    }
    return line;
}

void serializeKey(const RegistryKey& key, std::string& out)
{
    if (key.isVolatile)
        return;
    out += "\n[";
    std::vector<const RegistryKey*> chain;
    for (const RegistryKey* k = &key; k != nullptr; k = k->parent)
        chain.push_back(k);
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        out.push_back('\\');
        out += escapeKeyName((*it)->name);
    }
    out += "]\n";
    for (const RegistryValue& value : key.values)
        out += formatValue(value) + "\n";
    for (const auto& subkey : key.subkeys)
        serializeKey(*subkey, out);
}

bool parseHexBytes(std::string_view text, std::vector<std::uint8_t>& data)
{
    data.clear();
    while (!text.empty()) {
        if (text.size() < 2 || hexValue(text[0]) < 0 || hexValue(text[1]) < 0)
            return false;
        data.push_back(std::uint8_t(hexValue(text[0]) * 16 + hexValue(text[1])));
        text.remove_prefix(2);
        if (!text.empty()) {
            if (text.front() != ',')
                return false;
            text.remove_prefix(1);
        }
        if (data.size() > kMaxValueDataSize)
            return false;
    }
    return true;
}

bool parseValue(std::string_view line, RegistryValue& value)
{
    if (line.starts_with('@')) {
        value.name.clear();
        line.remove_prefix(1);
    } else if (!unquote(line, value.name) || value.name.size() > kMaxValueNameLength) {
        return false;
    }
    if (line.empty() || line.front() != '=')
        return false;
    line.remove_prefix(1);
    if (line.starts_with('"')) {
        std::u16string text;
        if (!unquote(line, text) || !line.empty())
            return false;
        value.type = REG_SZ;
        value.data = bytesOf(text);
        return true;
    }
    if (line.starts_with("dword:")) {
        line.remove_prefix(6);
        if (line.size() != 8)
            return false;
        ULONG number = 0;
        for (char c : line) {
            if (hexValue(c) < 0)
                return false;
            number = number * 16 + ULONG(hexValue(c));
        }
        value.type = REG_DWORD;
        value.data = {std::uint8_t(number), std::uint8_t(number >> 8), std::uint8_t(number >> 16),
                      std::uint8_t(number >> 24)};
        return true;
    }
    if (line.starts_with("hex:")) {
        value.type = REG_BINARY;
        return parseHexBytes(line.substr(4), value.data);
    }
    if (line.starts_with("hex(")) {
        const std::size_t close = line.find("):");
        if (close == std::string_view::npos || close < 5 || close > 12)
            return false;
        ULONG type = 0;
        for (char c : line.substr(4, close - 4)) {
            if (hexValue(c) < 0)
                return false;
            type = type * 16 + ULONG(hexValue(c));
        }
        value.type = type;
        return parseHexBytes(line.substr(close + 2), value.data);
    }
    return false;
}

}  // namespace

std::string RegistryTree::serialize() const
{
    std::string out(kHeader);
    out.push_back('\n');
    serializeKey(*root_, out);
    return out;
}

void RegistryTree::parse(std::string_view text)
{
    std::shared_ptr<RegistryKey> current;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == text.size() ? end : end + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.starts_with('[')) {
            const std::size_t close = line.rfind(']');
            current = close == std::string_view::npos ? nullptr
                                                      : createPath(unescapeKeyPath(line.substr(1, close - 1)));
            continue;
        }
        if (!current || !(line.starts_with('"') || line.starts_with('@')))
            continue;
        RegistryValue value;
        if (!parseValue(line, value))
            continue;
        if (RegistryValue* existing = current->findValue(value.name))
            *existing = std::move(value);
        else
            current->values.push_back(std::move(value));
    }
}

}  // namespace qm::kernel::detail
