// Consistency check of a Document, used for stored documents and by the fuzzer.
#include "md/consistency.hpp"

#include <vector>

#include "support/utf8.hpp"

namespace tovik::md {

namespace {

class Checker {
 public:
  explicit Checker(const Document& doc) : doc_(doc) {}

  std::optional<std::string> run() {
    const auto n_sections = doc_.sections.size();
    const auto n_blocks = doc_.blocks.size();
    const auto n_sentences = doc_.sentences.size();
    if (n_sections == 0) return "no root section";
    const Section& root = doc_.sections[0];
    if (root.parent || root.span.start != 0 || root.span.end != doc_.source.size()) return "bad root section";
    if (doc_.frontmatter) {
      if (!valid(doc_.frontmatter->span)) return "frontmatter span";
      for (const auto& e : doc_.frontmatter->errors) {
        if (!valid(e.span)) return "frontmatter error span";
      }
    }

    std::vector<int> section_named(n_sections, 0), block_in_section(n_blocks, 0), block_named(n_blocks, 0),
        sentence_named(n_sentences, 0);
    for (std::size_t i = 0; i < n_sections; ++i) {
      const Section& s = doc_.sections[i];
      if (!valid(s.span)) return "section " + std::to_string(i) + " span";
      if (s.heading_span && !valid(*s.heading_span)) return "section " + std::to_string(i) + " heading span";
      if (i > 0 && (!s.parent || *s.parent >= i)) return "section " + std::to_string(i) + " parent";
      for (auto c : s.children) {
        if (c >= n_sections || doc_.sections[c].parent != i) return "section " + std::to_string(i) + " children";
        ++section_named[c];
      }
      for (auto b : s.blocks) {
        if (b >= n_blocks || doc_.blocks[b].section != i) return "section " + std::to_string(i) + " blocks";
        ++block_in_section[b];
      }
    }
    for (std::size_t i = 0; i < n_sections; ++i) {
      if (section_named[i] != (i == 0 ? 0 : 1)) return "section " + std::to_string(i) + " named " + std::to_string(section_named[i]) + " times";
    }

    for (std::size_t i = 0; i < n_blocks; ++i) {
      const Block& b = doc_.blocks[i];
      std::string where = "block " + std::to_string(i);
      if (block_in_section[i] != 1) return where + " listed by " + std::to_string(block_in_section[i]) + " sections";
      if (!valid(b.span)) return where + " span";
      if (b.section >= n_sections) return where + " section";
      if (b.parent && *b.parent >= i) return where + " parent";
      for (auto c : b.children) {
        if (c >= n_blocks || doc_.blocks[c].parent != i) return where + " children";
        ++block_named[c];
      }
      for (auto s : b.sentences) {
        if (s >= n_sentences || doc_.sentences[s].block != i) return where + " sentences";
        ++sentence_named[s];
      }
    }
    for (std::size_t i = 0; i < n_blocks; ++i) {
      if (block_named[i] != (doc_.blocks[i].parent ? 1 : 0)) return "block " + std::to_string(i) + " child count";
    }

    for (std::size_t i = 0; i < n_sentences; ++i) {
      const Sentence& s = doc_.sentences[i];
      std::string where = "sentence " + std::to_string(i);
      if (sentence_named[i] != 1) return where + " named " + std::to_string(sentence_named[i]) + " times";
      if (!valid(s.span)) return where + " span";
      if (s.block >= n_blocks) return where + " block";
      for (std::size_t f = 0; f < s.fragments.size(); ++f) {
        if (auto problem = check_fragment(s.fragments[f])) return where + " fragment " + std::to_string(f) + ": " + *problem;
      }
    }
    for (const auto& link : doc_.links) {
      if (!valid(link.span) || !valid(link.destination_span)) return "link span";
    }
    for (const auto& comment : doc_.comments) {
      if (!valid(comment.span)) return "comment span";
    }
    for (const auto& id : doc_.identifiers) {
      if (!valid(id.span) || id.block >= n_blocks || doc_.blocks[id.block].section != id.section)
        return "identifier " + id.text;
    }
    return std::nullopt;
  }

 private:
  bool on_boundary(std::string_view text, std::uint64_t offset) const {
    return offset == text.size() || (offset < text.size() && !utf8::is_continuation(static_cast<unsigned char>(text[offset])));
  }

  bool valid(const Span& span) const {
    return span.start <= span.end && span.end <= doc_.source.size() && on_boundary(doc_.source, span.start) &&
           on_boundary(doc_.source, span.end);
  }

  std::optional<std::string> check_fragment(const Fragment& f) const {
    if (!valid(f.span)) return "span";
    if (f.mapping.empty()) return f.text.empty() ? std::nullopt : std::optional<std::string>("text without mapping");
    std::uint64_t at = 0;
    for (const auto& seg : f.mapping) {
      if (seg.text.start != at || seg.text.end <= seg.text.start) return "mapping gap or empty segment";
      if (!on_boundary(f.text, seg.text.start) || !on_boundary(f.text, seg.text.end)) return "mapping boundary";
      if (!valid(seg.source)) return "segment source span";
      at = seg.text.end;
    }
    if (at != f.text.size()) return "mapping does not cover the text";
    return std::nullopt;
  }

  const Document& doc_;
};

}  // namespace

std::optional<std::string> check_consistency(const Document& doc) { return Checker(doc).run(); }

}  // namespace tovik::md
