// The kinds of inline fragment that prose is made of.
#pragma once

#include <cstdint>

namespace tovik::md {

enum class FragmentKind : std::uint8_t { text, inline_code, link_text, link_destination };

}  // namespace tovik::md
