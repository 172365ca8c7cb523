// The human-readable outputs: `text` with source excerpts and `concise` with one line per finding.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "diagnostics/diagnostic.hpp"

namespace tovik::diagnostics {

// Display path -> the file's text as the check read it.
using SourceMap = std::map<std::string, std::string_view, std::less<>>;

std::string render_text(const std::vector<Diagnostic>& diagnostics, const SourceMap& sources);
std::string render_concise(const std::vector<Diagnostic>& diagnostics);

// A field printed on one line: carriage returns as "\r", then line feeds as "\n".
std::string escape_field(std::string_view text);

}  // namespace tovik::diagnostics
