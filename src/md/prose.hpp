// Prose segmentation: the text of a prose block, its sentences and their languages, and the masked
// text views through which rules read a sentence.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "md/document.hpp"
#include "md/mapping.hpp"

namespace tovik::md {

// The text of a heading, paragraph or table cell: its fragments' texts concatenated, link
// destinations left out. `ranges[i]` is where fragment i lies in `text`; a destination gets the
// empty range at the point where its link's label starts.
struct BlockText {
  std::string text;
  std::vector<Span> ranges;
};
BlockText block_text(std::span<const Fragment> fragments);

// Cuts the fragments of one prose block (in reading order, as the inline walk made them) into
// sentences. A sentence ends after `.`, `!` or `?` followed by white space or the end of the block
// text, and right after `。`, `！` or `？`; terminators inside inline code do not count. Each
// sentence is trimmed of white space and keeps the fragments it overlaps (cut to the overlap, with
// text, span and mapping restricted); empty fragments (link destinations, empty labels) go with the
// stretch between two boundaries that their link starts in. An all-blank block with a link gets one
// sentence of all its fragments, spanning its first label. `declared` is the document's declared
// language; without one each sentence's language is detected from its text.
std::vector<Sentence> split_sentences(std::span<const Fragment> fragments, std::uint32_t block,
                                      std::optional<Language> declared);

// Chinese, Japanese or English by counting Latin words (runs of ASCII letters) against kana and Han
// characters: English unless kana and Han outnumber the words; then Japanese when any kana is
// present, else Chinese. Empty text is English.
Language detect_language(std::string_view text);

// The `text` and `link_text` fragments of a sentence concatenated: what its language is read from.
std::string visible_text(const Sentence& sentence);

// One contributing fragment of a view and the offset of its first byte in the view's text.
struct ViewPiece {
  const Fragment* fragment = nullptr;
  std::size_t offset = 0;
};

// A sentence's text as rules read it, with the way back to source bytes. A view borrows the
// fragments of its sentence and must not outlive the document.
struct TextView {
  std::string text;
  std::vector<ViewPiece> pieces;
};

// The sentence's fragments in order, link destinations skipped, with URLs blanked out (each byte
// replaced by a space, so offsets stay valid). With `include_inline_code` inline code joins the one
// view between single spaces; without it each code span ends a view and starts the next, so nothing
// found in a view can span code. Views without any fragment are left out.
std::vector<TextView> sentence_views(const Sentence& sentence, bool include_inline_code);
// Like `sentence_views`, with quoted passages ("…", “…”, ‘…’, 「…」, 『…』 on one line) blanked too.
std::vector<TextView> masked_sentence_views(const Sentence& sentence, bool include_inline_code);
// Views point into the sentence: a temporary one would leave them dangling.
std::vector<TextView> sentence_views(const Sentence&& sentence, bool include_inline_code) = delete;
std::vector<TextView> masked_sentence_views(const Sentence&& sentence, bool include_inline_code) = delete;

// The source span of the bytes [start, end) of a view: the pieces they overlap, each mapped through
// its fragment's segments; the smallest start and largest end. A range that touches no fragment
// (blank padding around inline code, an empty range) maps to the point of the nearest piece.
Span view_span(const TextView& view, std::size_t start, std::size_t end);

}  // namespace tovik::md
