// The text form of fault scripts (see faults.h).
#include <algorithm>
#include <array>
#include <charconv>
#include <string>

#include "simulators/stillcam/faults.h"
#include "simulators/stillcam/protocol/commands.h"

namespace qm::stillcam {
namespace {

struct KindName {
    FaultKind kind;
    std::string_view name;
};

constexpr std::array<KindName, 8> kKinds = {{
    {FaultKind::BadChecksum, "bad-checksum"},
    {FaultKind::WrongLength, "wrong-length"},
    {FaultKind::ShortReply, "short-reply"},
    {FaultKind::NoReply, "no-reply"},
    {FaultKind::Stall, "stall"},
    {FaultKind::GoSilent, "silent"},
    {FaultKind::Unplug, "unplug"},
    {FaultKind::EndpointStall, "pipe-stall"},
}};

std::string_view trim(std::string_view text)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}

template <typename T>
bool parseNumber(std::string_view text, T& out)
{
    int base = 10;
    if (text.starts_with("+"))
        text.remove_prefix(1);
    if (text.starts_with("0x") || text.starts_with("0X")) {
        text.remove_prefix(2);
        base = 16;
    }
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out, base);
    return ec == std::errc() && end == text.data() + text.size() && !text.empty();
}

bool parseOption(std::string_view option, FaultRule& rule)
{
    const auto eq = option.find('=');
    if (eq == std::string_view::npos)
        return false;
    const std::string_view key = option.substr(0, eq), value = option.substr(eq + 1);
    if (key == "cmd") {
        auto code = commandCodeByName(value);
        if (!code)
            return false;
        rule.command = *code;
        return true;
    }
    if (key == "times" && value == "always") {
        rule.times = 0;
        return true;
    }
    if (key == "block")
        return parseNumber(value, rule.block);
    if (key == "skip")
        return parseNumber(value, rule.skip);
    if (key == "times")
        return parseNumber(value, rule.times);
    if (key == "ms")
        return parseNumber(value, rule.durationMs);
    if (key == "by")
        return parseNumber(value, rule.lengthDelta);
    if (key == "keep")
        return parseNumber(value, rule.keepBytes);
    return false;
}

std::optional<FaultRule> parseEntry(std::string_view entry)
{
    FaultRule rule;
    bool haveKind = false;
    while (!entry.empty()) {
        const auto space = entry.find_first_of(" \t");
        const std::string_view word = entry.substr(0, space);
        entry = space == std::string_view::npos ? std::string_view() : trim(entry.substr(space));
        if (!haveKind) {
            auto it = std::find_if(kKinds.begin(), kKinds.end(), [&](const KindName& k) { return k.name == word; });
            if (it == kKinds.end())
                return std::nullopt;
            rule.kind = it->kind;
            haveKind = true;
        } else if (!parseOption(word, rule)) {
            return std::nullopt;
        }
    }
    if (!haveKind)
        return std::nullopt;
    return rule;
}

}  // namespace

std::string_view faultKindName(FaultKind kind)
{
    for (const KindName& k : kKinds)
        if (k.kind == kind)
            return k.name;
    return "fault";
}

std::optional<std::uint8_t> commandCodeByName(std::string_view name)
{
    std::uint8_t code = 0;
    if (parseNumber(name, code) && findCommand(code) != nullptr)
        return code;
    if (const CommandShape* shape = findCommand(name))
        return shape->code;
    return std::nullopt;
}

std::optional<std::vector<FaultRule>> parseFaultScript(std::string_view script, std::string* error)
{
    std::vector<FaultRule> rules;
    while (!script.empty()) {
        const auto end = script.find_first_of(";\n");
        std::string_view entry = script.substr(0, end);
        script = end == std::string_view::npos ? std::string_view() : script.substr(end + 1);
        if (const auto hash = entry.find('#'); hash != std::string_view::npos)
            entry = entry.substr(0, hash);
        entry = trim(entry);
        if (entry.empty())
            continue;
        auto rule = parseEntry(entry);
        if (!rule) {
            if (error != nullptr)
                *error = "bad fault entry: \"" + std::string(entry) + "\"";
            return std::nullopt;
        }
        rules.push_back(*rule);
    }
    return rules;
}

}  // namespace qm::stillcam
