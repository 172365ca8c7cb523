// Rendering of the `text` and `concise` formats.
#include "diagnostics/outputs/text.hpp"

#include <optional>
#include <string>

namespace tovik::diagnostics {

std::string escape_field(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    if (c == '\r') {
      out += "\\r";
    } else if (c == '\n') {
      out += "\\n";
    } else {
      out.push_back(c);
    }
  }
  return out;
}

namespace {

void append_header(std::string& out, const Diagnostic& d) {
  out += escape_field(d.filename);
  out += ':';
  out += std::to_string(d.location.row);
  out += ':';
  out += std::to_string(d.location.column);
  out += ": ";
  out += escape_field(d.code);
  out += ' ';
  out += escape_field(d.message);
}

void append_related(std::string& out, const RelatedLocation& r) {
  out += escape_field(r.filename);
  out += ':';
  out += std::to_string(r.location.row);
  out += ':';
  out += std::to_string(r.location.column);
  out += ": ";
  out += escape_field(r.message);
}

void append_excerpt(std::string& out, const Diagnostic& d, std::string_view text, const LineTable& table) {
  ByteRange range = normalize_range(text, d.byte_range);
  std::size_t first = table.line_of(range.start);
  std::size_t last = table.line_of(range.end);
  if (last > first && table.lines()[last].start == range.end) --last;

  std::size_t width = std::to_string(last + 1).size();
  std::string empty_gutter = " " + std::string(width, ' ') + " |\n";
  out += empty_gutter;
  for (std::size_t i = first; i <= last && i < table.lines().size(); ++i) {
    std::string number = std::to_string(i + 1);
    out += ' ';
    out.append(width - number.size(), ' ');
    out += number;
    out += " | ";
    const auto& line = table.lines()[i];
    out.append(text.substr(line.start, line.end - line.start));
    out += '\n';
  }
  out += empty_gutter;
}

}  // namespace

std::string render_text(const std::vector<Diagnostic>& diagnostics, const SourceMap& sources) {
  std::string out;
  // Diagnostics come sorted by file, so one line table serves every finding of a file.
  std::string_view table_file;
  std::optional<LineTable> table;
  for (const auto& d : diagnostics) {
    append_header(out, d);
    out += '\n';
    if (auto it = sources.find(d.filename); it != sources.end()) {
      if (!table || table_file != d.filename) {
        table.emplace(it->second);
        table_file = it->first;
      }
      append_excerpt(out, d, it->second, *table);
    }
    out += "   = suggestion: ";
    out += escape_field(d.suggestion);
    out += '\n';
    for (const auto& r : d.related) {
      out += "   = related: ";
      append_related(out, r);
      out += '\n';
    }
    out += '\n';
  }
  if (diagnostics.empty()) {
    out += "No diagnostics.\n";
  } else if (diagnostics.size() == 1) {
    out += "Found 1 diagnostic.\n";
  } else {
    out += "Found " + std::to_string(diagnostics.size()) + " diagnostics.\n";
  }
  return out;
}

std::string render_concise(const std::vector<Diagnostic>& diagnostics) {
  std::string out;
  for (const auto& d : diagnostics) {
    append_header(out, d);
    out += " Suggestion: ";
    out += escape_field(d.suggestion);
    for (const auto& r : d.related) {
      out += " Related: ";
      append_related(out, r);
    }
    out += '\n';
  }
  return out;
}

}  // namespace tovik::diagnostics
