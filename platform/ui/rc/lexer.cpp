#include "platform/ui/rc/lexer.h"

#include <cctype>
#include <cstdlib>

namespace qm::ui::rc {

bool tokenize(const std::string& s, std::vector<Token>& out, std::string& error)
{
    int line = 1;
    bool lineStart = true;
    std::size_t i = 0;
    auto fail = [&](const std::string& what) {
        error = "line " + std::to_string(line) + ": " + what;
        return false;
    };
    while (i < s.size()) {
        const char c = s[i];
        if (c == '\n') {
            ++line;
            lineStart = true;
            ++i;
            continue;
        }
        if (std::isspace(static_cast<unsigned char>(c))) {
            ++i;
            continue;
        }
        if (c == '/' && i + 1 < s.size() && s[i + 1] == '/') {
            while (i < s.size() && s[i] != '\n')
                ++i;
            continue;
        }
        if (c == '/' && i + 1 < s.size() && s[i + 1] == '*') {
            i += 2;
            while (i + 1 < s.size() && !(s[i] == '*' && s[i + 1] == '/')) {
                line += s[i] == '\n';
                ++i;
            }
            i += 2;
            continue;
        }
        Token t;
        t.line = line;
        if (c == '#' && lineStart) {
            const std::size_t end = s.find('\n', i);
            t.kind = Token::Kind::Directive;
            t.text = s.substr(i, end == std::string::npos ? std::string::npos : end - i);
            i = end == std::string::npos ? s.size() : end;
            out.push_back(t);
            continue;
        }
        lineStart = false;
        if (c == '"') {
            t.kind = Token::Kind::String;
            ++i;
            for (;;) {
                if (i >= s.size() || s[i] == '\n')
                    return fail("unterminated string");
                char ch = s[i++];
                if (ch == '"') {
                    if (i < s.size() && s[i] == '"') {  // "" is a quote
                        t.text += '"';
                        ++i;
                        continue;
                    }
                    break;
                }
                if (ch == '\\' && i < s.size()) {
                    ch = s[i++];
                    switch (ch) {
                    case 'n': ch = '\n'; break;
                    case 't': ch = '\t'; break;
                    case 'r': ch = '\r'; break;
                    case '0': ch = '\0'; break;
                    default: break;
                    }
                }
                t.text += ch;
            }
        } else if (std::isdigit(static_cast<unsigned char>(c))) {
            t.kind = Token::Kind::Number;
            std::size_t start = i;
            while (i < s.size() && std::isalnum(static_cast<unsigned char>(s[i])))
                ++i;
            t.text = s.substr(start, i - start);
            std::string digits = t.text;
            if (!digits.empty() && (digits.back() == 'L' || digits.back() == 'l'))
                digits.pop_back();
            char* end = nullptr;
            t.number = std::strtoll(digits.c_str(), &end, 0);
            if (!end || *end != '\0')
                return fail("bad number '" + t.text + "'");
        } else if (std::isalpha(static_cast<unsigned char>(c)) || c == '_') {
            t.kind = Token::Kind::Name;
            std::size_t start = i;
            while (i < s.size() && (std::isalnum(static_cast<unsigned char>(s[i])) || s[i] == '_'))
                ++i;
            t.text = s.substr(start, i - start);
        } else {
            t.kind = Token::Kind::Punct;
            t.text = std::string(1, c);
            ++i;
        }
        out.push_back(t);
    }
    Token end;
    end.line = line;
    out.push_back(end);
    return true;
}

}  // namespace qm::ui::rc
