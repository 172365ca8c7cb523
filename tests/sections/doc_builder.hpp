// Builds small Documents for the section tests the way the conversion would: Markdown-like source
// is appended block by block, and prose blocks are cut into sentences by the real splitter.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "md/document.hpp"
#include "md/prose.hpp"

namespace tovik::sections::testing {

// One inline piece of a prose block.
struct Inline {
  md::FragmentKind kind;
  std::string text;
  std::string destination;  // links only
};
inline Inline T(std::string text) {
  return {md::FragmentKind::text, std::move(text), {}};
}
inline Inline C(std::string code) {
  return {md::FragmentKind::inline_code, std::move(code), {}};
}
inline Inline L(std::string label, std::string destination) {
  return {md::FragmentKind::link_text, std::move(label), std::move(destination)};
}

class DocBuilder {
 public:
  DocBuilder() {
    doc_.sections.push_back(md::Section{});
    open_.push_back(0);
  }

  // A heading opens a section (closing those at its level or deeper) and is its first block.
  std::uint32_t heading(int level, std::vector<Inline> pieces) {
    const std::uint64_t start = doc_.source.size();
    while (open_.size() > 1 && doc_.sections[open_.back()].depth >= level) {
      doc_.sections[open_.back()].span.end = start;
      open_.pop_back();
    }
    auto index = static_cast<std::uint32_t>(doc_.sections.size());
    md::Section section;
    section.parent = open_.back();
    section.depth = static_cast<std::uint8_t>(level);
    doc_.sections[open_.back()].children.push_back(index);
    doc_.sections.push_back(section);
    open_.push_back(index);
    doc_.source += std::string(static_cast<std::size_t>(level), '#') + " ";
    std::uint32_t block = prose(md::BlockKind::heading, pieces, std::nullopt, start);
    std::string text;
    for (const auto& f : last_fragments_) {
      if (f.kind != md::FragmentKind::link_destination) text += f.text;
    }
    doc_.sections[index].heading = text;
    doc_.sections[index].heading_span = doc_.blocks[block].span;
    doc_.sections[index].span.start = start;
    doc_.source += "\n";
    return block;
  }

  std::uint32_t paragraph(std::vector<Inline> pieces, std::optional<std::uint32_t> parent = std::nullopt) {
    std::uint32_t block = prose(md::BlockKind::paragraph, pieces, parent, doc_.source.size());
    doc_.source += "\n\n";
    return block;
  }

  std::uint32_t code(std::string language, std::string content,
                     std::optional<std::uint32_t> parent = std::nullopt) {
    std::uint64_t start = doc_.source.size();
    doc_.source += "```" + language + "\n" + content + "\n```";
    std::uint32_t block = add(md::BlockKind::code, start, parent);
    if (!language.empty()) doc_.blocks[block].code_language = language;
    doc_.source += "\n\n";
    return block;
  }

  // Containers: their span grows as children are added.
  std::uint32_t container(md::BlockKind kind, std::optional<std::uint32_t> parent = std::nullopt) {
    return add(kind, doc_.source.size(), parent);
  }
  std::uint32_t list(bool ordered, std::optional<std::uint32_t> parent = std::nullopt) {
    std::uint32_t block = container(md::BlockKind::list, parent);
    doc_.blocks[block].ordered = ordered;
    return block;
  }
  std::uint32_t item(std::uint32_t list) {
    doc_.source += "- ";
    return container(md::BlockKind::list_item, list);
  }
  std::uint32_t table() {
    std::uint64_t start = doc_.source.size();
    doc_.source += "| a |\n| - |\n| 1 |";
    std::uint32_t block = add(md::BlockKind::table, start, std::nullopt);
    doc_.source += "\n\n";
    return block;
  }
  std::uint32_t leaf(md::BlockKind kind, std::string text,
                     std::optional<std::uint32_t> parent = std::nullopt) {
    std::uint64_t start = doc_.source.size();
    doc_.source += text;
    std::uint32_t block = add(kind, start, parent);
    doc_.source += "\n\n";
    return block;
  }

  md::Document finish() {
    for (std::uint32_t s : open_) doc_.sections[s].span.end = doc_.source.size();
    doc_.sections[0].span = {0, doc_.source.size()};
    return doc_;
  }

 private:
  std::uint32_t add(md::BlockKind kind, std::uint64_t start, std::optional<std::uint32_t> parent) {
    auto index = static_cast<std::uint32_t>(doc_.blocks.size());
    md::Block block;
    block.kind = kind;
    block.span = {start, doc_.source.size()};
    block.section = open_.back();
    block.parent = parent;
    doc_.sections[block.section].blocks.push_back(index);
    if (parent) doc_.blocks[*parent].children.push_back(index);
    doc_.blocks.push_back(block);
    for (auto p = parent; p; p = doc_.blocks[*p].parent) doc_.blocks[*p].span.end = doc_.source.size();
    return index;
  }

  std::uint32_t prose(md::BlockKind kind, const std::vector<Inline>& pieces,
                      std::optional<std::uint32_t> parent, std::uint64_t start) {
    last_fragments_.clear();
    for (const Inline& piece : pieces) {
      std::uint64_t at = doc_.source.size();
      if (piece.kind == md::FragmentKind::inline_code) {
        doc_.source += "`" + piece.text + "`";
        last_fragments_.push_back(make(piece.kind, piece.text, at, doc_.source.size()));
      } else if (piece.kind == md::FragmentKind::link_text) {
        doc_.source += "[" + piece.text + "](" + piece.destination + ")";
        std::uint64_t dest = at + piece.text.size() + 3;
        last_fragments_.push_back(make(md::FragmentKind::link_destination, piece.destination, dest,
                                       dest + piece.destination.size()));
        last_fragments_.push_back(make(piece.kind, piece.text, at + 1, at + 1 + piece.text.size()));
      } else {
        doc_.source += piece.text;
        last_fragments_.push_back(make(piece.kind, piece.text, at, doc_.source.size()));
      }
    }
    std::uint32_t block = add(kind, start, parent);
    for (auto& sentence : md::split_sentences(last_fragments_, block, std::nullopt)) {
      doc_.blocks[block].sentences.push_back(static_cast<std::uint32_t>(doc_.sentences.size()));
      doc_.sentences.push_back(std::move(sentence));
    }
    return block;
  }

  md::Fragment make(md::FragmentKind kind, const std::string& text, std::uint64_t start, std::uint64_t end) {
    return md::make_fragment(doc_.source, kind, text, {start, end});
  }

  md::Document doc_;
  std::vector<std::uint32_t> open_;
  std::vector<md::Fragment> last_fragments_;
};

}  // namespace tovik::sections::testing
