// The text through which sections are classified: sentences read through masked views (URLs and
// quotations blanked, inline code left out), and the blocks that make up a section's main body.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "md/document.hpp"

namespace tovik::sections {

// The masked views of a sentence without inline code, joined with single spaces.
std::string sentence_text(const md::Sentence& sentence);
// The sentence texts of a block joined with single spaces (empty for blocks without sentences).
std::string block_text(const md::Document& doc, std::uint32_t block);

// The sentence and block texts of one document, each computed on first use and then kept: the
// classifier reads the same paragraph several times.
class TextCache {
 public:
  explicit TextCache(const md::Document& doc) : doc_(doc) {}
  TextCache(const md::Document&&) = delete;

  const md::Document& document() const { return doc_; }
  const std::string& sentence(std::uint32_t index);
  const std::string& block(std::uint32_t index);

 private:
  const md::Document& doc_;
  std::unordered_map<std::uint32_t, std::string> sentences_;
  std::unordered_map<std::uint32_t, std::string> blocks_;
};

// Whether a block lies inside a blockquote or a footnote definition (through its parent chain).
bool is_quoted(const md::Document& doc, std::uint32_t block);
// The blocks listed for a section that are not quoted, in order.
std::vector<std::uint32_t> main_blocks(const md::Document& doc, std::uint32_t section);

// A heading reduced for comparison: the text before the last `{#` (a heading attribute), trimmed,
// trailing `:` `?` `：` `？` removed, ASCII letters lower-cased.
std::string normalize_heading(std::string_view text);

// Whether `text` equals one of `words` exactly.
bool is_one_of(std::string_view text, std::span<const std::string_view> words);

}  // namespace tovik::sections
