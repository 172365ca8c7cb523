// Text checks of configuration values.
#include "config/text.hpp"

#include <cstdint>

#include "support/utf8.hpp"

namespace tovik::config {

namespace {

bool is_white_space(std::uint32_t c) {
  return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x85 || c == 0xA0 || c == 0x1680 ||
         (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F ||
         c == 0x3000;
}

}  // namespace

bool is_blank(std::string_view text) {
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t len = utf8::valid_sequence_length(text, pos);
    if (len == 0) return false;
    auto byte = [&](std::size_t i) {
      return static_cast<std::uint32_t>(static_cast<unsigned char>(text[pos + i]));
    };
    std::uint32_t c = byte(0);
    if (len == 2) c = ((c & 0x1F) << 6) | (byte(1) & 0x3F);
    if (len == 3) c = ((c & 0x0F) << 12) | ((byte(1) & 0x3F) << 6) | (byte(2) & 0x3F);
    if (len == 4) return false;  // no white space outside the Basic Multilingual Plane
    if (!is_white_space(c)) return false;
    pos += len;
  }
  return true;
}

}  // namespace tovik::config
