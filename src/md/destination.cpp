// Scanning of destinations in link, image and definition source text.
#include "md/destination.hpp"

#include "support/utf8.hpp"

namespace tovik::md {

namespace {

bool is_ascii_punctuation(char c) {
  return (c >= '!' && c <= '/') || (c >= ':' && c <= '@') || (c >= '[' && c <= '`') || (c >= '{' && c <= '~');
}

// Index of the ']' that closes the '[' at `open`, honouring escapes, code spans and nesting.
std::optional<std::size_t> closing_bracket(std::string_view text, std::size_t open) {
  int depth = 0;
  std::size_t i = open;
  while (i < text.size()) {
    char c = text[i];
    if (c == '\\' && i + 1 < text.size() && is_ascii_punctuation(text[i + 1])) {
      i += 2;
      continue;
    }
    if (c == '`') {
      std::size_t run = 0;
      while (i + run < text.size() && text[i + run] == '`') ++run;
      // The span closes at the next run of exactly the same length; an unclosed run is literal.
      std::size_t j = i + run;
      std::optional<std::size_t> close;
      while (j < text.size()) {
        if (text[j] != '`') {
          ++j;
          continue;
        }
        std::size_t k = 0;
        while (j + k < text.size() && text[j + k] == '`') ++k;
        if (k == run) {
          close = j + k;
          break;
        }
        j += k;
      }
      i = close ? *close : i + run;
      continue;
    }
    if (c == '[') ++depth;
    if (c == ']' && --depth == 0) return i;
    ++i;
  }
  return std::nullopt;
}

// Decodes the code point at `i` when it is a Unicode space separator (Zs) outside ASCII.
bool is_unicode_space_separator(std::string_view text, std::size_t i) {
  unsigned char c = static_cast<unsigned char>(text[i]);
  if (c < 0x80) return false;
  std::size_t n = utf8::valid_sequence_length(text, i);
  if (n == 0) return false;
  std::string_view s = text.substr(i, n);
  // U+00A0, U+1680, U+2000..U+200A, U+202F, U+205F, U+3000
  if (s == "\xC2\xA0" || s == "\xE1\x9A\x80" || s == "\xE2\x80\xAF" || s == "\xE2\x81\x9F" || s == "\xE3\x80\x80")
    return true;
  return n == 3 && s[0] == '\xE2' && s[1] == '\x80' && static_cast<unsigned char>(s[2]) >= 0x80 &&
         static_cast<unsigned char>(s[2]) <= 0x8A;
}

}  // namespace

DestinationScan locate_destination(std::string_view text, std::uint64_t offset, bool definition) {
  DestinationScan whole{{offset, offset + text.size()}, std::nullopt};
  if (text.size() >= 2 && text.front() == '<' && text.back() == '>') {
    return {{offset + 1, offset + text.size() - 1}, std::nullopt};
  }
  std::size_t i = 0;
  if (!definition && i < text.size() && text[i] == '!') ++i;
  if (i >= text.size() || text[i] != '[') return whole;
  auto close = closing_bracket(text, i);
  if (!close) return whole;
  DestinationScan result{whole.destination, Span{offset + i + 1, offset + *close}};
  std::string_view after = definition ? "]:" : "](";
  if (text.substr(*close, 2) != after) return result;
  std::size_t j = *close + 2;
  while (j < text.size() && (text[j] == ' ' || text[j] == '\t' || text[j] == '\n' || text[j] == '\r')) ++j;
  if (j < text.size() && text[j] == '<') {
    std::size_t k = j + 1;
    while (k < text.size() && text[k] != '>') {
      if (text[k] == '\\' && k + 1 < text.size()) ++k;
      ++k;
    }
    if (k >= text.size()) return result;
    result.destination = {offset + j + 1, offset + k};
    return result;
  }
  std::size_t k = j;
  int parens = 0;
  while (k < text.size()) {
    unsigned char c = static_cast<unsigned char>(text[k]);
    if (c <= 0x20 || c == 0x7F) break;
    if (is_unicode_space_separator(text, k)) break;
    if (c == '\\' && k + 1 < text.size() && is_ascii_punctuation(text[k + 1])) {
      k += 2;
      continue;
    }
    if (c == '(') ++parens;
    if (c == ')') {
      if (parens == 0) break;
      --parens;
    }
    ++k;
  }
  result.destination = {offset + j, offset + k};
  return result;
}

}  // namespace tovik::md
