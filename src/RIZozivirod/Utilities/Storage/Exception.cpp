#include "RIZozivirod/Utilities/Storage/Exception.h"

#include <cctype>
#include <cstdio>
#include <utility>
#include <vector>

namespace QV {

ExceptionBase::~ExceptionBase() = default;

const char* ExceptionBase::what() const noexcept {
    const auto* standard = dynamic_cast<const std::exception*>(this);
    return standard != nullptr ? standard->what() : "";
}

std::string ResultToString(int32_t result) {
    char buffer[65];
    std::snprintf(buffer, sizeof buffer, "%X", static_cast<uint32_t>(result));
    return std::string("QVRESULT = ") + buffer;
}

namespace {

bool IsIdentifierChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_';
}

// Skips an operator name starting at `at` (just after the keyword "operator") and returns
// the position of the parameter list's opening parenthesis.
size_t SkipOperatorName(std::string_view text, size_t at) {
    if (text.substr(at, 2) == "()") {
        at += 2;
    }
    while (at < text.size() && text[at] != '(') {
        ++at;
    }
    return at;
}

// Splits "T = int; U = std::map<int, int>" into name/value pairs (separators at depth 0).
std::vector<std::pair<std::string, std::string>> ParseBindings(std::string_view with) {
    std::vector<std::pair<std::string, std::string>> bindings;
    int depth = 0;
    size_t start = 0;
    auto add = [&](std::string_view item) {
        const size_t eq = item.find(" = ");
        if (eq == std::string_view::npos) {
            return;
        }
        // The parameter's name is the last word: "unsigned int N = 256".
        std::string_view name = item.substr(0, eq);
        const size_t blank = name.rfind(' ');
        if (blank != std::string_view::npos) {
            name.remove_prefix(blank + 1);
        }
        bindings.emplace_back(std::string(name), std::string(item.substr(eq + 3)));
    };
    for (size_t i = 0; i < with.size(); ++i) {
        const char c = with[i];
        if (c == '<' || c == '(' || c == '[') {
            ++depth;
        } else if (c == '>' || c == ')' || c == ']') {
            --depth;
        } else if (c == ';' && depth == 0) {
            add(with.substr(start, i - start));
            start = i + 1;
        }
    }
    add(with.substr(start));
    return bindings;
}

std::string ReplaceIdentifier(const std::string& text, const std::string& name, const std::string& value) {
    std::string out;
    size_t i = 0;
    while (i < text.size()) {
        if (IsIdentifierChar(text[i])) {
            size_t j = i;
            while (j < text.size() && IsIdentifierChar(text[j])) {
                ++j;
            }
            const std::string token = text.substr(i, j - i);
            out += token == name ? value : token;
            i = j;
        } else {
            out += text[i++];
        }
    }
    return out;
}

}  // namespace

std::string QualifiedFunctionName(std::string_view prettyAsGiven) {
    // GCC names an anonymous namespace "{anonymous}", clang "(anonymous namespace)": the names
    // take GCC's form whichever compiler built them (and clang's parenthesis is no parameter list).
    std::string spelled(prettyAsGiven);
    static constexpr std::string_view kClangAnonymous = "(anonymous namespace)";
    for (size_t at = spelled.find(kClangAnonymous); at != std::string::npos;
         at = spelled.find(kClangAnonymous, at)) {
        spelled.replace(at, kClangAnonymous.size(), "{anonymous}");
    }
    std::string_view pretty = spelled;

    std::string_view with;
    const size_t withAt = pretty.rfind(" [with ");
    if (withAt != std::string_view::npos && pretty.back() == ']') {
        with = pretty.substr(withAt + 7, pretty.size() - withAt - 8);
        pretty = pretty.substr(0, withAt);
    }

    // Find the parameter list and the last blank before the name, both outside template
    // argument lists.
    int depth = 0;
    size_t nameStart = 0;
    size_t paren = pretty.size();
    for (size_t i = 0; i < pretty.size(); ++i) {
        const char c = pretty[i];
        if (depth == 0 && pretty.substr(i, 8) == "operator" && (i == 0 || !IsIdentifierChar(pretty[i - 1])) &&
            (i + 8 >= pretty.size() || !IsIdentifierChar(pretty[i + 8]))) {
            paren = SkipOperatorName(pretty, i + 8);
            break;
        }
        if (c == '<') {
            ++depth;
        } else if (c == '>') {
            --depth;
        } else if (c == ' ' && depth == 0) {
            nameStart = i + 1;
        } else if (c == '(' && depth == 0) {
            paren = i;
            break;
        }
    }
    std::string name(pretty.substr(nameStart, paren - nameStart));
    for (const auto& [parameter, argument] : ParseBindings(with)) {
        name = ReplaceIdentifier(name, parameter, argument);
    }
    return name;
}

std::string ComposeExceptionText(const char* kind, std::string_view function, const char* file, int line) {
    std::string text(kind);
    text += " : ";
    text += function;
    text += " : ";
    text += file;
    text += " : Line ";
    text += std::to_string(line);
    return text;
}

std::string ComposeExceptionText(const char* kind, std::string_view function, const char* file, int line,
                                 std::string_view message) {
    std::string text(kind);
    text += " : ";
    text += message;
    text += " : ";
    text += function;
    text += " : ";
    text += file;
    text += " : Line ";
    text += std::to_string(line);
    return text;
}

}  // namespace QV
