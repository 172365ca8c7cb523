// Sentences, languages and masked text views of prose blocks.
#include "md/prose.hpp"

#include <algorithm>

#include "support/regex.hpp"
#include "support/unicode.hpp"

namespace tovik::md {

namespace {

bool is_prose(FragmentKind kind) {
  return kind == FragmentKind::text || kind == FragmentKind::link_text;
}

// Offsets just after each sentence terminator of the block text, ascending.
std::vector<std::size_t> sentence_boundaries(std::span<const Fragment> fragments, const BlockText& block) {
  std::vector<std::size_t> boundaries;
  const std::string_view text = block.text;
  for (std::size_t f = 0; f < fragments.size(); ++f) {
    if (!is_prose(fragments[f].kind)) continue;
    std::size_t pos = block.ranges[f].start;
    const std::size_t end = block.ranges[f].end;
    while (pos < end) {
      unicode::Decoded d = unicode::decode(text, pos);
      std::size_t next = pos + d.length;
      bool boundary = false;
      if (d.code_point == '.' || d.code_point == '!' || d.code_point == '?') {
        boundary = next == text.size() || unicode::is_white_space(unicode::decode(text, next).code_point);
      } else if (d.code_point == U'。' || d.code_point == U'！' || d.code_point == U'？') {
        boundary = true;
      }
      if (boundary) boundaries.push_back(next);
      pos = next;
    }
  }
  return boundaries;
}

Sentence make_sentence(std::vector<Fragment> fragments, std::uint32_t block,
                       std::optional<Language> declared) {
  Sentence sentence;
  sentence.block = block;
  std::optional<Span> span;
  for (const Fragment& f : fragments) {
    if (f.kind == FragmentKind::link_destination) continue;
    if (!span) {
      span = f.span;
    } else {
      span->start = std::min(span->start, f.span.start);
      span->end = std::max(span->end, f.span.end);
    }
  }
  sentence.span = span.value_or(Span{});
  sentence.fragments = std::move(fragments);
  sentence.language = declared ? *declared : detect_language(visible_text(sentence));
  return sentence;
}

bool is_kana(char32_t c) {
  return (c >= 0x3040 && c <= 0x30FF) || (c >= 0xFF66 && c <= 0xFF9F);
}
bool is_han(char32_t c) {
  return (c >= 0x3400 && c <= 0x4DBF) || (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0x20000 && c <= 0x323AF);
}

const regex::Regex& url_pattern() {
  static const regex::Regex pattern(R"((?i)(?:[a-z][a-z0-9+.-]*://|www\.)[^\s<>]+)");
  return pattern;
}

const regex::Regex& quotation_pattern() {
  static const regex::Regex pattern("\"[^\"\\n]*\"|“[^”\\n]*”|‘[^’\\n]*’|「[^」\\n]*」|『[^』\\n]*』");
  return pattern;
}

void blank_matches(std::string& text, const regex::Regex& pattern) {
  for (const regex::Match& m : pattern.find_all(text)) {
    std::fill(text.begin() + m.start, text.begin() + m.end, ' ');
  }
}

// Cheap tests that rule a pattern out, so most views never reach the regex engine.
bool may_hold_url(std::string_view text) {
  if (text.find("://") != std::string_view::npos) return true;
  for (std::size_t at = text.find('.'); at != std::string_view::npos; at = text.find('.', at + 1)) {
    if (at >= 3 && unicode::ascii_lower(text[at - 3]) == 'w' && unicode::ascii_lower(text[at - 2]) == 'w' &&
        unicode::ascii_lower(text[at - 1]) == 'w') {
      return true;
    }
  }
  return false;
}

bool may_hold_quotation(std::string_view text) {
  for (std::string_view mark : {"\"", "“", "‘", "「", "『"}) {
    if (text.find(mark) != std::string_view::npos) return true;
  }
  return false;
}

std::vector<TextView> build_views(const Sentence& sentence, bool include_inline_code, bool mask_quotations) {
  std::vector<TextView> views(1);
  for (const Fragment& f : sentence.fragments) {
    if (f.kind == FragmentKind::link_destination) continue;
    if (f.kind == FragmentKind::inline_code && !include_inline_code) {
      if (!views.back().pieces.empty()) views.emplace_back();
      continue;
    }
    TextView& view = views.back();
    bool code = f.kind == FragmentKind::inline_code;
    if (code) view.text += ' ';
    view.pieces.push_back({&f, view.text.size()});
    view.text += f.text;
    if (code) view.text += ' ';
  }
  if (views.back().pieces.empty()) views.pop_back();
  for (TextView& view : views) {
    if (may_hold_url(view.text)) blank_matches(view.text, url_pattern());
    if (mask_quotations && may_hold_quotation(view.text)) blank_matches(view.text, quotation_pattern());
  }
  return views;
}

}  // namespace

BlockText block_text(std::span<const Fragment> fragments) {
  BlockText block;
  block.ranges.reserve(fragments.size());
  for (const Fragment& f : fragments) {
    std::size_t start = block.text.size();
    if (f.kind != FragmentKind::link_destination) block.text += f.text;
    block.ranges.push_back({start, block.text.size()});
  }
  return block;
}

std::vector<Sentence> split_sentences(std::span<const Fragment> fragments, std::uint32_t block,
                                      std::optional<Language> declared) {
  std::vector<Sentence> sentences;
  const BlockText text = block_text(fragments);
  const std::string_view all = text.text;

  if (unicode::trim(all).empty()) {
    // A block that is only a link (an empty label, an image without alt text) still has a sentence.
    auto first_label = std::find_if(fragments.begin(), fragments.end(),
                                    [](const Fragment& f) { return f.kind == FragmentKind::link_text; });
    bool has_link = first_label != fragments.end() ||
                    std::any_of(fragments.begin(), fragments.end(),
                                [](const Fragment& f) { return f.kind == FragmentKind::link_destination; });
    if (!has_link) return sentences;
    Sentence sentence =
        make_sentence(std::vector<Fragment>(fragments.begin(), fragments.end()), block, declared);
    sentence.span = first_label != fragments.end() ? first_label->span : fragments.front().span;
    sentences.push_back(std::move(sentence));
    return sentences;
  }

  std::vector<std::size_t> boundaries = sentence_boundaries(fragments, text);
  if (boundaries.empty() || boundaries.back() != all.size()) boundaries.push_back(all.size());
  std::size_t range_start = 0;
  for (std::size_t range_end : boundaries) {
    const bool last = range_end == all.size();
    std::string_view piece = all.substr(range_start, range_end - range_start);
    std::string_view trimmed = unicode::trim(piece);
    if (!trimmed.empty()) {
      const std::size_t start = range_start + static_cast<std::size_t>(trimmed.data() - piece.data());
      const std::size_t end = start + trimmed.size();
      std::vector<Fragment> own;
      for (std::size_t f = 0; f < fragments.size(); ++f) {
        const Span r = text.ranges[f];
        if (r.start == r.end) {
          // Destinations and empty labels belong to the range their link starts in.
          if (r.start >= range_start && (r.start < range_end || (last && r.start == range_end))) {
            own.push_back(fragments[f]);
          }
          continue;
        }
        std::size_t lo = std::max<std::size_t>(r.start, start);
        std::size_t hi = std::min<std::size_t>(r.end, end);
        if (lo >= hi) continue;
        if (lo == r.start && hi == r.end) {
          own.push_back(fragments[f]);
        } else {
          own.push_back(cut_fragment(fragments[f], lo - r.start, hi - r.start));
        }
      }
      sentences.push_back(make_sentence(std::move(own), block, declared));
    }
    range_start = range_end;
  }
  return sentences;
}

Language detect_language(std::string_view text) {
  std::size_t words = 0, kana = 0, han = 0;
  bool in_word = false;
  for (std::size_t i = 0; i < text.size();) {
    auto byte = static_cast<unsigned char>(text[i]);
    if (byte < 0x80) {
      bool letter = unicode::is_ascii_letter(byte);
      if (letter && !in_word) ++words;
      in_word = letter;
      ++i;
      continue;
    }
    in_word = false;
    unicode::Decoded d = unicode::decode(text, i);
    i += d.length;
    if (is_kana(d.code_point)) ++kana;
    if (is_han(d.code_point)) ++han;
  }
  if (words >= kana + han) return Language::en;
  return kana > 0 ? Language::ja : Language::zh;
}

std::string visible_text(const Sentence& sentence) {
  std::string text;
  for (const Fragment& f : sentence.fragments) {
    if (is_prose(f.kind)) text += f.text;
  }
  return text;
}

std::vector<TextView> sentence_views(const Sentence& sentence, bool include_inline_code) {
  return build_views(sentence, include_inline_code, false);
}

std::vector<TextView> masked_sentence_views(const Sentence& sentence, bool include_inline_code) {
  return build_views(sentence, include_inline_code, true);
}

Span view_span(const TextView& view, std::size_t start, std::size_t end) {
  std::optional<Span> found;
  for (const ViewPiece& piece : view.pieces) {
    const std::size_t piece_end = piece.offset + piece.fragment->text.size();
    std::size_t lo = std::max(start, piece.offset);
    std::size_t hi = std::min(end, piece_end);
    if (lo >= hi) continue;
    Span mapped = map_text_range(*piece.fragment, lo - piece.offset, hi - piece.offset);
    if (!found) {
      found = mapped;
    } else {
      found->start = std::min(found->start, mapped.start);
      found->end = std::max(found->end, mapped.end);
    }
  }
  if (found) return *found;
  // Nothing overlaps: the point in (or just before) the first piece that reaches `start`.
  for (const ViewPiece& piece : view.pieces) {
    const std::size_t piece_end = piece.offset + piece.fragment->text.size();
    if (piece_end < start) continue;
    std::size_t at = start < piece.offset ? 0 : start - piece.offset;
    return map_text_range(*piece.fragment, at, at);
  }
  if (view.pieces.empty()) return Span{};
  const ViewPiece& tail = view.pieces.back();
  std::size_t size = tail.fragment->text.size();
  return map_text_range(*tail.fragment, size, size);
}

}  // namespace tovik::md
