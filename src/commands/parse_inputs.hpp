// Reads and parses the Markdown files of a pass, on a few worker threads for large workspaces.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "md/document.hpp"

namespace tovik::commands {

struct ParseInput {
  std::string path;                 // absolute path of the file
  std::optional<std::string> text;  // the text when already in memory (standard input)
};

using DocumentPtr = std::shared_ptr<const md::Document>;
// A parsed document, or the message that says why the input takes no further part.
using ParseResult = std::variant<DocumentPtr, std::string>;

// Turns a text into a document; the error is the conversion's message.
using ParseFunction = std::function<std::variant<DocumentPtr, std::string>(std::string text)>;

// One result per input, in input order. Never fails as a whole.
std::vector<ParseResult> parse_inputs(const std::vector<ParseInput>& inputs, const ParseFunction& parse);

// The chunk sizes the inputs are cut into for `workers` threads; one chunk means sequential.
std::vector<std::size_t> chunk_sizes(std::size_t inputs, std::size_t workers);

// How many threads can usefully run for this process (affinity mask and CPU quota), or 1.
std::size_t usable_processors();

}  // namespace tovik::commands
