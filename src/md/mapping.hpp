// Fragments of prose and the mapping from their normalised text back to source bytes.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "md/document.hpp"

namespace tovik::md {

// Builds a fragment of `kind` whose normalised `text` came from `source_range` of `source`, with the
// segments that map its text back to the source:
// - a source slice equal to the text maps as one exact segment;
// - otherwise the slice is read token by token (character references, backslash escapes of ASCII
//   punctuation, line endings, NUL, single characters) and aligned with the text; runs of tokens
//   that decode to themselves form exact segments, every other token an inexact one. Tabs, spaces
//   and `>` at the start of a continuation line, and spaces and tabs before a line ending, are
//   skipped when the text does not have them;
// - for `inline_code` the backtick fences are stripped from the slice first, and escapes and
//   references are literal (code spans decode neither), line endings read as one space, and the
//   one space or line ending of padding on each side may be missing from the text;
// - when the alignment cannot be completed, one inexact segment maps the whole text to the whole
//   range.
// An empty text has no segments (segments are never empty). `span` is `source_range` as given.
Fragment make_fragment(std::string_view source, FragmentKind kind, std::string text, Span source_range);

// The source span of the bytes [start, end) of `fragment.text`: exact segments map by offset,
// inexact ones as a whole; the smallest start and the largest end of the pieces. An empty range
// maps to a point (or to the whole inexact segment it falls in); a fragment without segments maps
// everything to the start of its span.
Span map_text_range(const Fragment& fragment, std::size_t start, std::size_t end);

// The bytes [start, end) of `fragment.text` (character boundaries) as a fragment of their own: the
// same kind, that text, its mapped span and the mapping restricted to it.
Fragment cut_fragment(const Fragment& fragment, std::size_t start, std::size_t end);

}  // namespace tovik::md
