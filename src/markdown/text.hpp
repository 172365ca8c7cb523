// Character classes and decoding shared by the block and inline parsers: UTF-8, backslash escapes,
// character references.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tovik::markdown::detail {

inline bool is_line_end(char c) {
  return c == '\n' || c == '\r';
}
inline bool is_space_or_tab(char c) {
  return c == ' ' || c == '\t';
}
// Markdown whitespace: space, tab, line feed, line tabulation, form feed, carriage return.
inline bool is_whitespace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}
inline bool is_ascii_alpha(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
inline bool is_ascii_digit(char c) {
  return c >= '0' && c <= '9';
}
inline bool is_ascii_alnum(char c) {
  return is_ascii_alpha(c) || is_ascii_digit(c);
}
inline bool is_ascii_punct(char c) {
  return (c >= '!' && c <= '/') || (c >= ':' && c <= '@') || (c >= '[' && c <= '`') || (c >= '{' && c <= '~');
}
inline bool is_ascii_control(unsigned char c) {
  return c < 0x20 || c == 0x7f;
}
inline char ascii_lower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}

// Decodes the code point at `pos`; sets `length` to its byte count (1 for an invalid byte, which
// decodes as U+FFFD).
std::uint32_t decode_utf8(std::string_view text, std::size_t pos, std::size_t& length);
// The code point that ends just before `pos` (U+FFFD for invalid bytes; '\n' at the start).
std::uint32_t decode_utf8_before(std::string_view text, std::size_t pos);
void append_utf8(std::string& out, std::uint32_t code);

// If a character reference (`&name;`, `&#123;`, `&#x1F;`) starts at `pos`, appends its text to `out`
// and returns its length in bytes; otherwise returns 0.
std::size_t decode_entity(std::string_view text, std::size_t pos, std::string& out);
// Appends `text` with backslash escapes and character references resolved and NUL replaced by U+FFFD.
void append_unescaped(std::string& out, std::string_view text);
// Appends `text` with NUL replaced by U+FFFD.
void append_without_nul(std::string& out, std::string_view text);
// Whether `text` holds anything append_unescaped would change.
bool needs_unescape(std::string_view text);

// Unicode-aware classes of the characters around an emphasis delimiter run.
bool is_unicode_whitespace_code(std::uint32_t code);
bool is_punctuation_code(std::uint32_t code);

}  // namespace tovik::markdown::detail
