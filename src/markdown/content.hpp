// Inline content: the text of a leaf block with container prefixes removed, and the map from its
// offsets back to source offsets.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tovik::markdown::detail {

// A run of content text that comes from one run of source bytes of the same length, or, when
// `is_atomic`, a run that stands for `source_length` source bytes as a whole: the spaces left of a tab
// that was partly consumed as indentation (all mapping to the tab), or the pipe of a `\|` in a table cell.
struct Segment {
  std::uint32_t content_start;
  std::uint32_t source_start;
  std::uint32_t length;
  bool is_atomic;
  std::uint32_t source_length = 0;
};

struct Content {
  std::string_view text;
  std::vector<Segment> segments;

  // Source offset of the content character at `pos` (or of the end when `pos` is the text's size).
  std::uint32_t to_source(std::size_t pos) const;
  // Source offset just past the content character before `pos`.
  std::uint32_t to_source_end(std::size_t pos) const;
};

// A line of a leaf block: source bytes [start, end) without the line ending, [end, eol_end) the ending,
// preceded by `virtual_spaces` spaces of a partly consumed tab.
struct LineSeg {
  std::uint32_t start;
  std::uint32_t end;
  std::uint32_t eol_end;
  std::uint32_t virtual_spaces;
};

// Builds the content of `lines` (line endings kept between lines, none after the last). The text is a
// view into `source` when the lines are contiguous there, otherwise into `buffer`.
void build_content(std::string_view source, const LineSeg* lines, std::size_t count, std::string& buffer,
                   Content& out);

// Builds the content of a table cell, where `\|` stands for `|` (in code spans too).
void build_cell_content(std::string_view source, const LineSeg& cell, std::string& buffer, Content& out);

}  // namespace tovik::markdown::detail
