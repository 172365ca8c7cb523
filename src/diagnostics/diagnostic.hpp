// The record of one finding, its positions and the order in which findings are reported.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tovik::diagnostics {

struct Position {
  std::uint64_t row = 1;
  std::uint64_t column = 1;
  auto operator<=>(const Position&) const = default;
};

struct ByteRange {
  std::uint64_t start = 0;
  std::uint64_t end = 0;
  auto operator<=>(const ByteRange&) const = default;
};

struct RelatedLocation {
  std::string filename;
  Position location;
  Position end_location;
  ByteRange byte_range;
  std::string message;
  bool operator==(const RelatedLocation&) const = default;
};

enum class Applicability : std::uint8_t { safe, unsafe };

struct Edit {
  ByteRange byte_range;
  std::string content;
  bool operator==(const Edit&) const = default;
};

struct Fix {
  std::string message;
  Applicability applicability = Applicability::safe;
  std::vector<Edit> edits;
  bool operator==(const Fix&) const = default;
};

struct Diagnostic {
  std::string code;
  std::string message;
  std::string filename;
  Position location;
  Position end_location;
  ByteRange byte_range;
  std::optional<Fix> fix;
  std::optional<std::string> url;
  std::vector<RelatedLocation> related;
  std::string suggestion;
  // On an unused-suppression finding: the code reported as unused. Never printed.
  std::optional<std::string> unused_code;
  bool operator==(const Diagnostic&) const = default;
};

// Line starts and ends of a text; lines end at "\n", "\r" or "\r\n".
class LineTable {
 public:
  explicit LineTable(std::string_view text);
  struct Line {
    std::size_t start;
    std::size_t end;  // the terminator excluded
  };
  const std::vector<Line>& lines() const { return lines_; }
  // Zero-based index of the line holding `offset`.
  std::size_t line_of(std::size_t offset) const;
  Position position_of(std::string_view text, std::size_t offset) const;

 private:
  std::vector<Line> lines_;
};

Position position_of(std::string_view text, std::size_t offset);

// Clamps a range into the text and onto character boundaries, with end >= start.
ByteRange normalize_range(std::string_view text, ByteRange range);

// The rule's documentation page link, or nothing for a code outside the catalogue.
std::optional<std::string> documentation_url(std::string_view code);

Diagnostic make_diagnostic(std::string code, std::string message, std::string filename, std::string_view text,
                           ByteRange range, std::string suggestion);
RelatedLocation make_related(std::string filename, std::string_view text, ByteRange range, std::string message);

// Three-way comparisons of the reporting order.
int compare(const Diagnostic& a, const Diagnostic& b);
int compare(const RelatedLocation& a, const RelatedLocation& b);
// Sorts each diagnostic's related locations, then the diagnostics; stable, removes nothing.
void sort_diagnostics(std::vector<Diagnostic>& diagnostics);

}  // namespace tovik::diagnostics
