// The role of a section in a page.
#pragma once

#include <cstdint>
#include <string_view>

namespace tovik::sections {

enum class SectionType : std::uint8_t { steps, reference, rationale, background, troubleshooting, other };

// The lowercase name ("steps", "troubleshooting", ...).
std::string_view section_type_name(SectionType type);

}  // namespace tovik::sections
