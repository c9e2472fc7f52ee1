#pragma once

// Which values the details pane shows as links, and what opening one opens: web and mail
// addresses, and what looks like an e-mail address.
#include <string>
#include <string_view>

namespace tessarin {

// Whether the value, without the white space at its ends, begins (in any case) with "http://",
// "https://", "ftp://", "mailto:" or "www.", or looks like an e-mail address: an "@" that is
// neither first nor last, no white space just before or after it, and a "." two or more
// characters after it.
bool IsLink(std::string_view value);

// What the shell is asked to open for a link: the trimmed value, with "http://" before "www." and
// "mailto:" before a bare e-mail address, without a final ".".
std::string LinkTarget(std::string_view value);

}  // namespace tessarin
