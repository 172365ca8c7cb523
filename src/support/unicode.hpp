// Unicode character classes and case mapping by ICU properties, over UTF-8 text. Locale-independent:
// nothing here consults the C library's character tables.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tovik::unicode {

// One code point read from UTF-8 text and the number of bytes it took.
struct Decoded {
  char32_t code_point = 0;
  std::size_t length = 0;
};

inline constexpr char32_t kReplacement = 0xFFFD;

// Decodes the code point starting at byte `pos` (`pos` < text.size()). An invalid or truncated sequence
// decodes as U+FFFD with length 1, so a scan always advances. ASCII is decoded inline.
Decoded decode_multibyte(std::string_view text, std::size_t pos);
inline Decoded decode(std::string_view text, std::size_t pos) {
  auto lead = static_cast<unsigned char>(text[pos]);
  return lead < 0x80 ? Decoded{lead, 1} : decode_multibyte(text, pos);
}
// The code point that ends just before byte `pos` (`pos` > 0), with its length; U+FFFD (length 1)
// when the bytes before `pos` are not a valid sequence.
Decoded decode_before(std::string_view text, std::size_t pos);
// Appends the UTF-8 encoding of `code_point` to `out`.
void append(std::string& out, char32_t code_point);

// The Alphabetic property (letters of every script, including Han and kana).
bool is_letter(char32_t c);
// A numeric character: general category Nd, Nl or No.
bool is_digit(char32_t c);
inline bool is_alphanumeric(char32_t c) {
  return is_letter(c) || is_digit(c);
}
// The White_Space property (ASCII white space, U+0085, U+00A0, U+1680, U+2000-U+200A, U+3000, ...).
bool is_white_space(char32_t c);

inline bool is_ascii_letter(char32_t c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
inline bool is_ascii_digit(char32_t c) {
  return c >= '0' && c <= '9';
}
inline bool is_ascii_alphanumeric(char32_t c) {
  return is_ascii_letter(c) || is_ascii_digit(c);
}
inline char ascii_lower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + ('a' - 'A')) : c;
}
// A copy with A-Z lower-cased and every other byte unchanged (same length, same offsets).
std::string ascii_lower(std::string_view text);

// Full Unicode lowercase mapping (final sigma, `İ` to `i̇`, ...); invalid bytes become U+FFFD.
std::string to_lower(std::string_view text);

// `text` without leading and trailing white space (by the White_Space property).
std::string_view trim(std::string_view text);
std::string_view trim_start(std::string_view text);
std::string_view trim_end(std::string_view text);

// Number of code points in `text` (an invalid byte counts as one).
std::size_t count_code_points(std::string_view text);

}  // namespace tovik::unicode
