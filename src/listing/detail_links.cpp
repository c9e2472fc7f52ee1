#include "listing/detail_links.h"

#include "base/text_case.h"

namespace tessarin {

namespace {

bool IsWhiteSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

std::string_view Trimmed(std::string_view value) {
    while (!value.empty() && IsWhiteSpace(value.front()))
        value.remove_prefix(1);
    while (!value.empty() && IsWhiteSpace(value.back()))
        value.remove_suffix(1);
    return value;
}

bool BeginsWith(std::string_view value, std::string_view prefix) {
    return value.size() >= prefix.size() && EqualsNoCase(value.substr(0, prefix.size()), prefix);
}

bool IsMailAddress(std::string_view value) {
    const size_t at = value.find('@');
    if (at == std::string_view::npos || at == 0 || at + 1 >= value.size())
        return false;
    if (IsWhiteSpace(value[at - 1]) || IsWhiteSpace(value[at + 1]))
        return false;
    return value.find('.', at + 2) != std::string_view::npos;
}

}  // namespace

bool IsLink(std::string_view value) {
    const std::string_view text = Trimmed(value);
    if (text.empty())
        return false;
    for (std::string_view prefix : {"http://", "https://", "ftp://", "mailto:", "www."})
        if (BeginsWith(text, prefix))
            return true;
    return IsMailAddress(text);
}

std::string LinkTarget(std::string_view value) {
    const std::string_view text = Trimmed(value);
    std::string target;
    if (BeginsWith(text, "www."))
        target = "http://";
    else if (!BeginsWith(text, "mailto:") && !BeginsWith(text, "http://") &&
             !BeginsWith(text, "https://") && !BeginsWith(text, "ftp://") && IsMailAddress(text))
        target = "mailto:";
    target += text;
    if (!target.empty() && target.back() == '.')
        target.pop_back();
    return target;
}

}  // namespace tessarin
