// Writes a value the way messages show it: in double quotes, with backslash escapes.
#pragma once

#include <string>
#include <string_view>

namespace tovik {

// `"` and `\` are escaped with a backslash; tab, line feed, carriage return and NUL as \t, \n,
// \r, \0; other control characters as \u{XX}.
std::string quote(std::string_view text);

}  // namespace tovik
