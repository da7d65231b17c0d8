#include "platform/system/profile.h"

#include <strings.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/system/files.h"
#include "platform/system/last_error.h"

namespace qm::sys {
namespace {

// Writers in one process take turns; the rename keeps readers safe anyway.
std::mutex& writeMutex()
{
    static std::mutex mutex;
    return mutex;
}

std::string trim(std::string_view text)
{
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && std::isspace(static_cast<unsigned char>(text[begin])))
        ++begin;
    while (end > begin && std::isspace(static_cast<unsigned char>(text[end - 1])))
        --end;
    return std::string(text.substr(begin, end - begin));
}

bool sameName(const std::string& a, const char* b) { return strcasecmp(a.c_str(), b) == 0; }

std::vector<std::string> readLines(const char* file)
{
    std::vector<std::string> lines;
    auto bytes = readWholeFile(file);
    if (!bytes)
        return lines;
    std::string current;
    for (std::uint8_t byte : *bytes) {
        if (byte == '\n') {
            if (!current.empty() && current.back() == '\r')
                current.pop_back();
            lines.push_back(std::move(current));
            current.clear();
        } else {
            current.push_back(char(byte));
        }
    }
    if (!current.empty())
        lines.push_back(std::move(current));
    return lines;
}

// "[name]" -> name, or nothing for another kind of line.
std::optional<std::string> sectionName(const std::string& line)
{
    std::string text = trim(line);
    if (text.empty() || text.front() != '[')
        return std::nullopt;
    auto close = text.find(']');
    return trim(text.substr(1, close == std::string::npos ? std::string::npos : close - 1));
}

struct KeyLine {
    std::string key;
    std::string value;
};

std::optional<KeyLine> keyLine(const std::string& line)
{
    std::string text = trim(line);
    if (text.empty() || text.front() == ';')
        return std::nullopt;
    auto equals = text.find('=');
    if (equals == std::string::npos)
        return std::nullopt;
    return KeyLine{trim(text.substr(0, equals)), trim(text.substr(equals + 1))};
}

std::optional<std::string> lookup(const char* section, const char* key, const char* file)
{
    if (section == nullptr || key == nullptr || file == nullptr)
        return std::nullopt;
    bool inSection = false;
    for (const std::string& line : readLines(file)) {
        if (auto name = sectionName(line)) {
            inSection = sameName(*name, section);
            continue;
        }
        if (!inSection)
            continue;
        if (auto entry = keyLine(line); entry && sameName(entry->key, key)) {
            std::string value = entry->value;
            if (value.size() >= 2 && ((value.front() == '"' && value.back() == '"') ||
                                      (value.front() == '\'' && value.back() == '\'')))
                value = value.substr(1, value.size() - 2);
            return value;
        }
    }
    return std::nullopt;
}

}  // namespace

int GetPrivateProfileInt(const char* section, const char* key, int defaultValue, const char* file)
{
    auto value = lookup(section, key, file);
    if (!value)
        return defaultValue;
    const char* p = value->c_str();
    while (std::isspace(static_cast<unsigned char>(*p)))
        ++p;
    bool negative = false;
    if (*p == '+' || *p == '-')
        negative = *p++ == '-';
    if (!std::isdigit(static_cast<unsigned char>(*p)))
        return defaultValue;
    std::uint32_t result = 0;  // wraps like the platform's 32-bit conversion
    while (std::isdigit(static_cast<unsigned char>(*p)))
        result = result * 10u + std::uint32_t(*p++ - '0');
    return int(negative ? 0u - result : result);
}

unsigned GetPrivateProfileString(const char* section, const char* key, const char* defaultValue,
                                 char* buffer, unsigned size, const char* file)
{
    if (buffer == nullptr || size == 0)
        return 0;
    auto value = lookup(section, key, file);
    std::string text = value ? *value : std::string(defaultValue != nullptr ? defaultValue : "");
    if (!value) {
        // The platform strips trailing blanks from a default, nothing else.
        while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
            text.pop_back();
    }
    std::size_t count = std::min<std::size_t>(text.size(), size - 1);
    std::memcpy(buffer, text.data(), count);
    buffer[count] = '\0';
    return unsigned(count);
}

bool WritePrivateProfileString(const char* section, const char* key, const char* value, const char* file)
{
    if (section == nullptr || file == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    std::lock_guard guard(writeMutex());
    std::vector<std::string> lines = readLines(file);
    std::vector<std::string> out;
    out.reserve(lines.size() + 2);

    bool inSection = false;
    bool sectionSeen = false;
    bool written = false;
    auto finishSection = [&] {
        // A key not found in its section goes at the section's end, before
        // the blank lines that separate it from the next one.
        if (inSection && !written && key != nullptr && value != nullptr) {
            auto at = out.end();
            while (at != out.begin() && trim(*(at - 1)).empty())
                --at;
            out.insert(at, std::string(key) + "=" + value);
            written = true;
        }
    };
    for (const std::string& line : lines) {
        if (auto name = sectionName(line)) {
            finishSection();
            inSection = sameName(*name, section);
            sectionSeen = sectionSeen || inSection;
            if (inSection && key == nullptr)
                continue;  // the section is being removed
            out.push_back(line);
            continue;
        }
        if (inSection) {
            if (key == nullptr)
                continue;
            if (auto entry = keyLine(line); entry && sameName(entry->key, key)) {
                if (value != nullptr && !written)
                    out.push_back(entry->key + "=" + value);
                written = true;
                continue;
            }
        }
        out.push_back(line);
    }
    finishSection();
    if (!sectionSeen && key != nullptr && value != nullptr) {
        if (!out.empty() && !trim(out.back()).empty())
            out.emplace_back();
        out.push_back(std::string("[") + section + "]");
        out.push_back(std::string(key) + "=" + value);
    }

    std::string text;
    for (const std::string& line : out)
        text += line + "\n";
    if (!writeFileAtomically(file, text)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    return true;
}

std::string getProfileString(const std::string& section, const std::string& key,
                             const std::string& defaultValue, const std::string& file)
{
    auto value = lookup(section.c_str(), key.c_str(), file.c_str());
    return value ? *value : defaultValue;
}

}  // namespace qm::sys
