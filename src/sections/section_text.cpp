// Section text helpers.
#include "sections/section_text.hpp"

#include <algorithm>

#include "md/prose.hpp"
#include "support/unicode.hpp"

namespace tovik::sections {

std::string sentence_text(const md::Sentence& sentence) {
  std::string text;
  bool first = true;
  for (const md::TextView& view : md::masked_sentence_views(sentence, false)) {
    if (!first) text += ' ';
    text += view.text;
    first = false;
  }
  return text;
}

std::string block_text(const md::Document& doc, std::uint32_t block) {
  return TextCache(doc).block(block);
}

const std::string& TextCache::sentence(std::uint32_t index) {
  auto it = sentences_.find(index);
  if (it == sentences_.end()) it = sentences_.emplace(index, sentence_text(doc_.sentences[index])).first;
  return it->second;
}

const std::string& TextCache::block(std::uint32_t index) {
  auto it = blocks_.find(index);
  if (it != blocks_.end()) return it->second;
  std::string text;
  bool first = true;
  for (std::uint32_t s : doc_.blocks[index].sentences) {
    if (!first) text += ' ';
    text += sentence(s);
    first = false;
  }
  return blocks_.emplace(index, std::move(text)).first->second;
}

bool is_quoted(const md::Document& doc, std::uint32_t block) {
  for (auto parent = doc.blocks[block].parent; parent; parent = doc.blocks[*parent].parent) {
    md::BlockKind kind = doc.blocks[*parent].kind;
    if (kind == md::BlockKind::blockquote || kind == md::BlockKind::footnote_definition) return true;
  }
  return false;
}

std::vector<std::uint32_t> main_blocks(const md::Document& doc, std::uint32_t section) {
  std::vector<std::uint32_t> out;
  for (std::uint32_t b : doc.sections[section].blocks) {
    if (!is_quoted(doc, b)) out.push_back(b);
  }
  return out;
}

std::string normalize_heading(std::string_view text) {
  std::size_t attribute = text.rfind("{#");
  if (attribute != std::string_view::npos) text = text.substr(0, attribute);
  text = unicode::trim(text);
  bool stripped = true;
  while (stripped) {
    stripped = false;
    for (std::string_view mark : {":", "?", "：", "？"}) {
      if (text.ends_with(mark)) {
        text.remove_suffix(mark.size());
        stripped = true;
      }
    }
  }
  return unicode::ascii_lower(text);
}

bool is_one_of(std::string_view text, std::span<const std::string_view> words) {
  return std::find(words.begin(), words.end(), text) != words.end();
}

}  // namespace tovik::sections
