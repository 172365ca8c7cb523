// Phrase search with per-edge word boundaries.
#include "md/phrase.hpp"

#include <optional>

#include "support/unicode.hpp"

namespace tovik::md {

namespace {

bool is_word_char(char32_t c) {
  return c == '_' || unicode::is_alphanumeric(c);
}

// Whether a byte may begin a white space character: ASCII white space, or the lead byte of U+0085,
// U+00A0, U+1680, U+2000-U+205F or U+3000.
bool may_start_white_space(char c) {
  auto byte = static_cast<unsigned char>(c);
  return byte == ' ' || (byte >= 0x09 && byte <= 0x0D) || byte == 0xC2 || byte == 0xE1 || byte == 0xE2 ||
         byte == 0xE3;
}

bool is_ascii_alphanumeric_byte(char c) {
  return unicode::is_ascii_alphanumeric(static_cast<unsigned char>(c));
}

// Searches `lowered` (the ASCII-lower-cased copy of `text`) for `phrase`; stops after the first
// accepted occurrence when `first_only`.
std::vector<Span> search(std::string_view text, std::string_view lowered, std::string_view phrase,
                         bool first_only) {
  std::vector<Span> found;
  phrase = unicode::trim(phrase);
  if (phrase.empty() || phrase.size() > text.size()) return found;
  const std::string needle = unicode::ascii_lower(phrase);
  // Only a letter or digit at the phrase's edge asks for a boundary; UTF-8 lead and trail bytes of
  // other characters are never ASCII, so testing the edge bytes is enough.
  const bool check_start = is_ascii_alphanumeric_byte(needle.front());
  const bool check_end = is_ascii_alphanumeric_byte(needle.back());
  std::size_t from = 0;
  while (true) {
    std::size_t at = lowered.find(needle, from);
    if (at == std::string_view::npos) break;
    std::size_t end = at + needle.size();
    from = end;
    if (check_start && at > 0 && is_word_char(unicode::decode_before(text, at).code_point)) continue;
    if (check_end && end < text.size() && is_word_char(unicode::decode(text, end).code_point)) continue;
    found.push_back(Span{at, end});
    if (first_only) break;
  }
  return found;
}

bool has_ascii_letter(std::string_view text) {
  for (char c : text) {
    if (unicode::is_ascii_letter(static_cast<unsigned char>(c))) return true;
  }
  return false;
}

template <typename Phrases>
bool contains_any(std::string_view text, const Phrases& phrases) {
  // The folded copy is made once, and only when a phrase has letters to fold.
  std::optional<std::string> lowered;
  for (std::string_view phrase : phrases) {
    std::string_view haystack = text;
    if (has_ascii_letter(phrase)) {
      if (!lowered) lowered = unicode::ascii_lower(text);
      haystack = *lowered;
    }
    if (!search(text, haystack, phrase, true).empty()) return true;
  }
  return false;
}

}  // namespace

std::vector<Span> find_phrase(std::string_view text, std::string_view phrase) {
  return search(text, unicode::ascii_lower(text), phrase, false);
}

bool contains_phrase(std::string_view text, std::span<const std::string_view> phrases) {
  return contains_any(text, phrases);
}

bool contains_phrase(std::string_view text, const std::vector<std::string>& phrases) {
  return contains_any(text, phrases);
}

bool begins_with_phrase(std::string_view text, std::string_view phrase) {
  // The occurrence at offset 0, if any, is the first one the search meets; only its end edge can
  // fail the boundary test.
  if (!phrase.empty() && !text.empty() && !may_start_white_space(phrase[0]) &&
      unicode::ascii_lower(phrase[0]) != unicode::ascii_lower(text[0])) {
    return false;  // the common case, decided without trimming the phrase
  }
  phrase = unicode::trim(phrase);
  if (phrase.empty() || phrase.size() > text.size()) return false;
  for (std::size_t i = 0; i < phrase.size(); ++i) {
    if (unicode::ascii_lower(text[i]) != unicode::ascii_lower(phrase[i])) return false;
  }
  std::size_t end = phrase.size();
  return !is_ascii_alphanumeric_byte(phrase.back()) || end == text.size() ||
         !is_word_char(unicode::decode(text, end).code_point);
}

bool begins_with_phrase(std::string_view text, std::span<const std::string_view> phrases) {
  for (std::string_view phrase : phrases) {
    if (begins_with_phrase(text, phrase)) return true;
  }
  return false;
}

}  // namespace tovik::md
