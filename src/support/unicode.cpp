// Unicode properties and case mapping through ICU.
#include "support/unicode.hpp"

#include <unicode/uchar.h>
#include <unicode/unistr.h>

#include "support/utf8.hpp"

namespace tovik::unicode {

Decoded decode_multibyte(std::string_view text, std::size_t pos) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  unsigned char lead = byte(pos);
  if (lead < 0x80) return {lead, 1};
  std::size_t length = utf8::valid_sequence_length(text, pos);
  if (length == 0) return {kReplacement, 1};
  char32_t c = lead & (length == 2 ? 0x1F : length == 3 ? 0x0F : 0x07);
  for (std::size_t i = 1; i < length; ++i) c = (c << 6) | (byte(pos + i) & 0x3F);
  return {c, length};
}

Decoded decode_before(std::string_view text, std::size_t pos) {
  std::size_t start = pos - 1;
  // A sequence is at most four bytes long: step back over up to three continuation bytes.
  while (start > 0 && pos - start < 4 && utf8::is_continuation(static_cast<unsigned char>(text[start])))
    --start;
  Decoded d = decode(text, start);
  if (start + d.length != pos) return {kReplacement, 1};
  return d;
}

void append(std::string& out, char32_t c) {
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (c >> 18)));
    out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

bool is_letter(char32_t c) {
  if (c < 0x80) return is_ascii_letter(c);
  return u_isUAlphabetic(static_cast<UChar32>(c));
}

bool is_digit(char32_t c) {
  if (c < 0x80) return is_ascii_digit(c);
  auto type = u_charType(static_cast<UChar32>(c));
  return type == U_DECIMAL_DIGIT_NUMBER || type == U_LETTER_NUMBER || type == U_OTHER_NUMBER;
}

bool is_white_space(char32_t c) {
  if (c < 0x80) return c == ' ' || (c >= 0x09 && c <= 0x0D);
  // Every White_Space character beyond ASCII lies in one of these places; ICU decides within them.
  if (c != 0x85 && c != 0xA0 && c != 0x1680 && (c < 0x2000 || c > 0x3000)) return false;
  return u_hasBinaryProperty(static_cast<UChar32>(c), UCHAR_WHITE_SPACE);
}

std::string ascii_lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = ascii_lower(c);
  return out;
}

std::string to_lower(std::string_view text) {
  std::string valid = utf8::to_valid(text);
  auto lowered = icu::UnicodeString::fromUTF8(valid);
  lowered.toLower();
  std::string out;
  lowered.toUTF8String(out);
  return out;
}

std::string_view trim_start(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size()) {
    auto byte = static_cast<unsigned char>(text[i]);
    if (byte < 0x80) {
      if (!is_white_space(byte)) break;
      ++i;
      continue;
    }
    Decoded d = decode(text, i);
    if (!is_white_space(d.code_point)) break;
    i += d.length;
  }
  return text.substr(i);
}

std::string_view trim_end(std::string_view text) {
  std::size_t end = text.size();
  while (end > 0) {
    auto byte = static_cast<unsigned char>(text[end - 1]);
    if (byte < 0x80) {
      if (!is_white_space(byte)) break;
      --end;
      continue;
    }
    Decoded d = decode_before(text, end);
    if (!is_white_space(d.code_point)) break;
    end -= d.length;
  }
  return text.substr(0, end);
}

std::string_view trim(std::string_view text) {
  return trim_end(trim_start(text));
}

std::size_t count_code_points(std::string_view text) {
  std::size_t count = 0;
  for (std::size_t i = 0; i < text.size(); i += decode(text, i).length) ++count;
  return count;
}

}  // namespace tovik::unicode
