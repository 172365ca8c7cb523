// Phrase search with per-edge word boundaries.
#include "md/phrase.hpp"

#include "support/unicode.hpp"

namespace tovik::md {

namespace {

bool is_word_char(char32_t c) {
  return c == '_' || unicode::is_alphanumeric(c);
}

bool is_ascii_alphanumeric_byte(char c) {
  return unicode::is_ascii_alphanumeric(static_cast<unsigned char>(c));
}

}  // namespace

std::vector<Span> find_phrase(std::string_view text, std::string_view phrase) {
  std::vector<Span> found;
  phrase = unicode::trim(phrase);
  if (phrase.empty() || phrase.size() > text.size()) return found;
  const std::string needle = unicode::ascii_lower(phrase);
  const std::string haystack = unicode::ascii_lower(text);
  // Only a letter or digit at the phrase's edge asks for a boundary; UTF-8 lead and trail bytes of
  // other characters are never ASCII, so testing the edge bytes is enough.
  const bool check_start = is_ascii_alphanumeric_byte(needle.front());
  const bool check_end = is_ascii_alphanumeric_byte(needle.back());
  std::size_t from = 0;
  while (true) {
    std::size_t at = haystack.find(needle, from);
    if (at == std::string::npos) break;
    std::size_t end = at + needle.size();
    from = end;
    if (check_start && at > 0 && is_word_char(unicode::decode_before(text, at).code_point)) continue;
    if (check_end && end < text.size() && is_word_char(unicode::decode(text, end).code_point)) continue;
    found.push_back(Span{at, end});
  }
  return found;
}

bool contains_phrase(std::string_view text, std::span<const std::string_view> phrases) {
  for (std::string_view phrase : phrases) {
    if (!find_phrase(text, phrase).empty()) return true;
  }
  return false;
}

bool contains_phrase(std::string_view text, const std::vector<std::string>& phrases) {
  for (const std::string& phrase : phrases) {
    if (!find_phrase(text, phrase).empty()) return true;
  }
  return false;
}

bool begins_with_phrase(std::string_view text, std::string_view phrase) {
  // The occurrence at offset 0, if any, is the first one the search meets; only its end edge can
  // fail the boundary test.
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
