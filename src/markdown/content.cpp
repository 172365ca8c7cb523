// Inline content and its map back to the source.
#include "markdown/content.hpp"

#include <algorithm>

namespace tovik::markdown::detail {

std::uint32_t Content::to_source(std::size_t pos) const {
  if (segments.empty()) return 0;
  auto it = std::upper_bound(segments.begin(), segments.end(), pos,
                             [](std::size_t p, const Segment& s) { return p < s.content_start; });
  if (it == segments.begin()) return segments.front().source_start;
  --it;
  // A position at the very end of a segment belongs to the next one, if any.
  if (pos >= it->content_start + it->length && it + 1 != segments.end()) ++it;
  if (it->is_atomic) return it->source_start;
  std::size_t within = std::min<std::size_t>(pos - std::min<std::size_t>(pos, it->content_start), it->length);
  return it->source_start + static_cast<std::uint32_t>(within);
}

std::uint32_t Content::to_source_end(std::size_t pos) const {
  if (segments.empty()) return 0;
  auto it = std::lower_bound(segments.begin(), segments.end(), pos,
                             [](const Segment& s, std::size_t p) { return s.content_start < p; });
  if (it == segments.begin()) return segments.front().source_start;
  --it;
  if (it->is_atomic) return it->source_start + it->source_length;
  std::size_t within = std::min<std::size_t>(pos - it->content_start, it->length);
  return it->source_start + static_cast<std::uint32_t>(within);
}

void build_content(std::string_view source, const LineSeg* lines, std::size_t count, std::string& buffer,
                   Content& out) {
  out.segments.clear();
  if (count == 0) {
    out.text = {};
    return;
  }
  bool contiguous = true;
  for (std::size_t i = 0; i < count; ++i) {
    if (lines[i].virtual_spaces != 0 || (i > 0 && lines[i].start != lines[i - 1].eol_end)) contiguous = false;
  }
  std::uint32_t last_end = lines[count - 1].end;
  if (contiguous) {
    out.text = source.substr(lines[0].start, last_end - lines[0].start);
    out.segments.push_back({0, lines[0].start, last_end - lines[0].start, false});
    return;
  }
  buffer.clear();
  for (std::size_t i = 0; i < count; ++i) {
    const LineSeg& line = lines[i];
    if (line.virtual_spaces > 0) {
      out.segments.push_back({static_cast<std::uint32_t>(buffer.size()), line.start > 0 ? line.start - 1 : 0,
                              line.virtual_spaces, true, 0});
      buffer.append(line.virtual_spaces, ' ');
    }
    std::uint32_t stop = i + 1 < count ? line.eol_end : line.end;
    out.segments.push_back({static_cast<std::uint32_t>(buffer.size()), line.start, stop - line.start, false});
    buffer.append(source.substr(line.start, stop - line.start));
  }
  out.text = buffer;
}

void build_cell_content(std::string_view source, const LineSeg& cell, std::string& buffer, Content& out) {
  out.segments.clear();
  std::string_view text = source.substr(cell.start, cell.end - cell.start);
  if (text.find("\\|") == std::string_view::npos) {
    out.text = text;
    out.segments.push_back({0, cell.start, static_cast<std::uint32_t>(text.size()), false});
    return;
  }
  buffer.clear();
  std::size_t run = 0;
  for (std::size_t i = 0; i <= text.size(); ++i) {
    bool escaped_pipe = i + 1 < text.size() && text[i] == '\\' && text[i + 1] == '|';
    if (i == text.size() || escaped_pipe) {
      if (i > run) {
        out.segments.push_back({static_cast<std::uint32_t>(buffer.size()),
                                cell.start + static_cast<std::uint32_t>(run),
                                static_cast<std::uint32_t>(i - run), false});
        buffer.append(text.substr(run, i - run));
      }
      run = i + 1;  // drop the backslash, keep the pipe
      if (escaped_pipe) ++i;
      if (escaped_pipe) {
        out.segments.push_back({static_cast<std::uint32_t>(buffer.size()),
                                cell.start + static_cast<std::uint32_t>(i - 1), 1, true, 2});
        buffer.push_back('|');
        run = i + 1;
      }
    } else if (text[i] == '\\' && i + 1 < text.size()) {
      ++i;  // other escapes stay as they are
    }
  }
  out.text = buffer;
}

}  // namespace tovik::markdown::detail
