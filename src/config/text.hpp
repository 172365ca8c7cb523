// Text checks of configuration values.
#pragma once

#include <string_view>

namespace tovik::config {

// True when `text` is empty or holds only Unicode white space (the White_Space property).
bool is_blank(std::string_view text);

}  // namespace tovik::config
