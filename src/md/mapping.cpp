// Aligning a fragment's normalised text with the source it was decoded from.
#include "md/mapping.hpp"

#include <algorithm>
#include <optional>

#include "markdown/text.hpp"
#include "support/unicode.hpp"

namespace tovik::md {

namespace {

bool is_line_end(char c) {
  return c == '\n' || c == '\r';
}
bool is_space_or_tab(char c) {
  return c == ' ' || c == '\t';
}

// Whether only spaces and tabs stand between `pos` and the next line ending or the end of `slice`.
bool only_blanks_to_line_end(std::string_view slice, std::size_t pos) {
  while (pos < slice.size() && is_space_or_tab(slice[pos])) ++pos;
  return pos == slice.size() || is_line_end(slice[pos]);
}

struct Token {
  std::size_t length = 0;  // source bytes
  std::string_view raw;    // the source bytes
  std::string decoded;     // what the token stands for in the text
  bool line_end = false;
};

Token read_token(std::string_view slice, std::size_t i, bool code) {
  Token token;
  char c = slice[i];
  if (!code && c == '&') {
    std::size_t n = markdown::detail::decode_entity(slice, i, token.decoded);
    if (n > 0) token.length = n;
  } else if (!code && c == '\\' && i + 1 < slice.size() && markdown::detail::is_ascii_punct(slice[i + 1])) {
    token.length = 2;
    token.decoded = slice[i + 1];
  } else if (is_line_end(c)) {
    token.length = (c == '\r' && i + 1 < slice.size() && slice[i + 1] == '\n') ? 2 : 1;
    token.decoded = code ? " " : "\n";
    token.line_end = true;
  } else if (c == '\0') {
    token.length = 1;
    token.decoded = "\xEF\xBF\xBD";
  }
  if (token.length == 0) {
    token.length = unicode::decode(slice, i).length;
    token.decoded = slice.substr(i, token.length);
  }
  token.raw = slice.substr(i, token.length);
  return token;
}

// Collects segments, merging exact ones that continue each other in both text and source.
class SegmentBuilder {
 public:
  void exact(std::size_t text_start, std::size_t text_end, std::size_t source_start, std::size_t source_end) {
    if (!segments_.empty()) {
      SourceSegment& last = segments_.back();
      if (last.exact && last.text.end == text_start && last.source.end == source_start) {
        last.text.end = text_end;
        last.source.end = source_end;
        return;
      }
    }
    segments_.push_back({{text_start, text_end}, {source_start, source_end}, true});
  }
  void inexact(std::size_t text_start, std::size_t text_end, std::size_t source_start,
               std::size_t source_end) {
    segments_.push_back({{text_start, text_end}, {source_start, source_end}, false});
  }
  std::vector<SourceSegment> take() { return std::move(segments_); }

 private:
  std::vector<SourceSegment> segments_;
};

// Aligns `text` with `slice` (which starts at source offset `base`); nothing when they do not align.
std::optional<std::vector<SourceSegment>> align(std::string_view text, std::string_view slice,
                                                std::size_t base, bool code) {
  SegmentBuilder segments;
  std::size_t i = 0;  // in slice
  std::size_t t = 0;  // in text
  bool line_start = false;
  while (i < slice.size()) {
    Token token = read_token(slice, i, code);
    std::string_view rest = text.substr(t);
    if (rest.starts_with(token.decoded)) {
      std::size_t n = token.decoded.size();
      if (token.decoded == token.raw) {
        segments.exact(t, t + n, base + i, base + i + token.length);
      } else {
        segments.inexact(t, t + n, base + i, base + i + token.length);
      }
      t += n;
      i += token.length;
      line_start = token.line_end;
      continue;
    }
    if (token.decoded != token.raw && rest.starts_with(token.raw)) {
      // Written literally in the text (an unknown reference kept as is, say).
      segments.exact(t, t + token.length, base + i, base + i + token.length);
      t += token.length;
      i += token.length;
      line_start = token.line_end;
      continue;
    }
    char c = slice[i];
    bool indentation = line_start && (is_space_or_tab(c) || c == '>');
    bool trailing_blank = is_space_or_tab(c) && only_blanks_to_line_end(slice, i);
    // A code span drops one space (or line ending) of padding on each side.
    bool code_padding = code && (c == ' ' || token.line_end) && (i == 0 || i + token.length == slice.size());
    if (!indentation && !trailing_blank && !code_padding) return std::nullopt;
    i += code_padding ? token.length : 1;
  }
  if (t != text.size()) return std::nullopt;
  return segments.take();
}

Span clamp(Span range, std::size_t size) {
  std::size_t end = std::min<std::size_t>(range.end, size);
  std::size_t start = std::min<std::size_t>(range.start, end);
  return {start, end};
}

}  // namespace

Fragment make_fragment(std::string_view source, FragmentKind kind, std::string text, Span source_range) {
  Fragment fragment;
  fragment.kind = kind;
  fragment.span = source_range;
  Span range = clamp(source_range, source.size());
  std::string_view slice = source.substr(range.start, range.end - range.start);
  std::size_t base = range.start;
  const bool code = kind == FragmentKind::inline_code;
  if (code) {
    std::size_t open = slice.find_first_not_of('`');
    if (open == std::string_view::npos) open = slice.size();
    slice.remove_prefix(open);
    base += open;
    std::size_t close = slice.find_last_not_of('`');
    slice = close == std::string_view::npos ? std::string_view() : slice.substr(0, close + 1);
  }
  if (text.empty()) {
    // Nothing to map: segments are never empty.
  } else if (slice == text) {
    fragment.mapping.push_back({{0, text.size()}, {base, base + slice.size()}, true});
  } else if (auto segments = align(text, slice, base, code)) {
    fragment.mapping = std::move(*segments);
  } else {
    fragment.mapping.push_back({{0, text.size()}, range, false});
  }
  fragment.text = std::move(text);
  return fragment;
}

Span map_text_range(const Fragment& fragment, std::size_t start, std::size_t end) {
  std::optional<Span> found;
  auto include = [&](Span piece) {
    if (!found) {
      found = piece;
    } else {
      found->start = std::min(found->start, piece.start);
      found->end = std::max(found->end, piece.end);
    }
  };
  for (const SourceSegment& seg : fragment.mapping) {
    if (start == end) {
      // A point: the first segment that holds it.
      if (start < seg.text.start || start > seg.text.end) continue;
      if (seg.exact) {
        std::uint64_t at = seg.source.start + (start - seg.text.start);
        return {at, at};
      }
      return seg.source;
    }
    std::uint64_t lo = std::max<std::uint64_t>(start, seg.text.start);
    std::uint64_t hi = std::min<std::uint64_t>(end, seg.text.end);
    if (lo >= hi) continue;
    if (seg.exact) {
      include({seg.source.start + (lo - seg.text.start), seg.source.start + (hi - seg.text.start)});
    } else {
      include(seg.source);
    }
  }
  return found.value_or(Span{fragment.span.start, fragment.span.start});
}

Fragment cut_fragment(const Fragment& fragment, std::size_t start, std::size_t end) {
  Fragment piece;
  piece.kind = fragment.kind;
  piece.text = fragment.text.substr(start, end - start);
  piece.span = map_text_range(fragment, start, end);
  for (const SourceSegment& seg : fragment.mapping) {
    std::uint64_t lo = std::max<std::uint64_t>(start, seg.text.start);
    std::uint64_t hi = std::min<std::uint64_t>(end, seg.text.end);
    if (lo >= hi) continue;
    Span text{lo - start, hi - start};
    if (seg.exact) {
      piece.mapping.push_back(
          {text, {seg.source.start + (lo - seg.text.start), seg.source.start + (hi - seg.text.start)}, true});
    } else {
      piece.mapping.push_back({text, seg.source, false});
    }
  }
  return piece;
}

}  // namespace tovik::md
