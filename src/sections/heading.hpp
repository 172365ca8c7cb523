// Section types read from heading text alone.
#pragma once

#include <optional>
#include <string_view>

#include "sections/section_type.hpp"

namespace tovik::sections {

// The type a heading announces, or nothing. `text` is the heading as written; it is normalised
// (see normalize_heading) before the fixed word lists are consulted.
std::optional<SectionType> classify_heading(std::string_view text);

}  // namespace tovik::sections
