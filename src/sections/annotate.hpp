// Section annotations: every section of a document gets a type (steps, reference, rationale,
// background, troubleshooting, other) and the one piece of evidence that decided it.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "md/document.hpp"
#include "sections/section_type.hpp"

namespace tovik::sections {

// What decided a section's type.
enum class Signal : std::uint8_t {
  heading,
  reference_heading,
  reference_content,
  instruction,
  runnable_example,
  decision_prose,
  explanatory_prose,
};

// The lowercase name ("heading", "runnable_example", ...).
std::string_view signal_name(Signal signal);

struct Evidence {
  Signal signal = Signal::heading;
  md::Span span;  // the source range that carries the signal
  bool operator==(const Evidence&) const = default;
};

struct SectionAnnotation {
  std::uint32_t section = 0;
  SectionType section_type = SectionType::other;
  // From the end of the heading (the section start for the root) to the first sub-section or the
  // section end.
  md::Span content_span;
  // Empty exactly when the type is `other`; otherwise the one signal that decided it.
  std::vector<Evidence> evidence;
  bool operator==(const SectionAnnotation&) const = default;
};

// One annotation per section, in section order. Pure and deterministic; uses no configuration.
std::vector<SectionAnnotation> annotate_sections(const md::Document& doc);

// The record form: {"section", "section_type", "content_span", "evidence": [{"signal", "span"}]}.
nlohmann::ordered_json to_json(const SectionAnnotation& annotation);
nlohmann::ordered_json to_json(const std::vector<SectionAnnotation>& annotations);

}  // namespace tovik::sections
