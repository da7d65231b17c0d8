// Tokens of a resource script: names, numbers, strings and punctuation, with
// comments removed. Lines beginning with '#' come as one directive token.
#pragma once

#include <string>
#include <vector>

namespace qm::ui::rc {

struct Token {
    enum class Kind { Name, Number, String, Punct, Directive, End };
    Kind kind = Kind::End;
    std::string text;
    long long number = 0;
    int line = 0;
};

// False with `error` set on a malformed string or number.
bool tokenize(const std::string& source, std::vector<Token>& out, std::string& error);

}  // namespace qm::ui::rc
