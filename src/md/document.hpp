// The document model: one Markdown file as immutable, index-linked records of its frontmatter,
// sections, blocks, sentences, fragments, links, comments and identifiers.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "md/fragment_kind.hpp"

namespace tovik::md {

struct Span {
  std::uint64_t start = 0;
  std::uint64_t end = 0;
  bool operator==(const Span&) const = default;
};

enum class Language : std::uint8_t { en, zh, ja };

enum class BlockKind : std::uint8_t {
  heading,
  paragraph,
  list,
  list_item,
  table,
  table_row,
  table_cell,
  code,
  blockquote,
  html,
  html_comment,
  thematic_break,
  definition,
  footnote_definition,
};

struct FrontmatterError {
  std::string message;
  Span span;
  bool operator==(const FrontmatterError&) const = default;
};

struct Frontmatter {
  Span span;
  std::string raw;
  std::optional<std::string> kind;
  std::optional<std::string> lang;
  std::optional<bool> canonical;
  std::vector<FrontmatterError> errors;
  bool operator==(const Frontmatter&) const = default;
};

struct Section {
  std::optional<std::uint32_t> parent;
  std::vector<std::uint32_t> children;
  std::uint8_t depth = 0;
  std::optional<std::string> heading;
  std::optional<Span> heading_span;
  Span span;
  std::vector<std::uint32_t> blocks;
  bool operator==(const Section&) const = default;
};

struct Block {
  BlockKind kind = BlockKind::paragraph;
  Span span;
  std::uint32_t section = 0;
  std::optional<std::uint32_t> parent;
  std::vector<std::uint32_t> children;
  std::vector<std::uint32_t> sentences;
  std::optional<bool> ordered;
  std::optional<bool> checked;
  std::optional<std::string> code_language;
  bool operator==(const Block&) const = default;
};

struct SourceSegment {
  Span text;    // bytes of the fragment's text
  Span source;  // bytes of the source
  bool exact = true;
  bool operator==(const SourceSegment&) const = default;
};

struct Fragment {
  FragmentKind kind = FragmentKind::text;
  std::string text;
  Span span;
  std::vector<SourceSegment> mapping;
  bool operator==(const Fragment&) const = default;
};

struct Sentence {
  Span span;
  std::uint32_t block = 0;
  Language language = Language::en;
  std::vector<Fragment> fragments;
  bool operator==(const Sentence&) const = default;
};

struct RawLink {
  Span span;
  std::string destination;
  Span destination_span;
  std::optional<std::string> title;
  std::optional<std::string> reference;
  bool image = false;
  bool operator==(const RawLink&) const = default;
};

struct HtmlComment {
  Span span;
  std::string content;
  bool operator==(const HtmlComment&) const = default;
};

struct Identifier {
  std::string text;
  Span span;
  std::uint32_t block = 0;
  std::uint32_t section = 0;
  bool operator==(const Identifier&) const = default;
};

struct Document {
  std::string source;
  std::optional<Frontmatter> frontmatter;
  std::vector<Section> sections;
  std::vector<Block> blocks;
  std::vector<Sentence> sentences;
  std::vector<RawLink> links;
  std::vector<HtmlComment> comments;
  std::vector<Identifier> identifiers;
  Language language = Language::en;
  bool operator==(const Document&) const = default;
};

std::string_view language_name(Language language);
std::string_view block_kind_name(BlockKind kind);
std::string_view fragment_kind_name(FragmentKind kind);

}  // namespace tovik::md
