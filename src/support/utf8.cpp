// UTF-8 validation and repair.
#include "support/utf8.hpp"

namespace tovik::utf8 {

namespace {

// Length of the longest prefix at `pos` that could still begin a valid sequence (at least 1):
// the "maximal subpart" that one replacement character stands for.
std::size_t maximal_subpart(std::string_view text, std::size_t pos) {
  const auto b = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  unsigned char c = b(pos);
  std::size_t need;
  unsigned char lo = 0x80, hi = 0xBF;
  if (c >= 0xC2 && c <= 0xDF) {
    need = 1;
  } else if (c >= 0xE0 && c <= 0xEF) {
    need = 2;
    if (c == 0xE0) lo = 0xA0;
    if (c == 0xED) hi = 0x9F;
  } else if (c >= 0xF0 && c <= 0xF4) {
    need = 3;
    if (c == 0xF0) lo = 0x90;
    if (c == 0xF4) hi = 0x8F;
  } else {
    return 1;
  }
  std::size_t i = 1;
  for (; i <= need && pos + i < text.size(); ++i) {
    unsigned char n = b(pos + i);
    if (i == 1 ? (n < lo || n > hi) : !is_continuation(n)) break;
  }
  return i;
}

}  // namespace

std::size_t valid_sequence_length(std::string_view text, std::size_t pos) {
  unsigned char c = static_cast<unsigned char>(text[pos]);
  if (c < 0x80) return 1;
  std::size_t sub = maximal_subpart(text, pos);
  std::size_t need = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : 2;
  return sub == need ? need : 0;
}

std::optional<std::size_t> first_invalid(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size()) {
    if (static_cast<unsigned char>(text[i]) < 0x80) {
      ++i;
      continue;
    }
    std::size_t n = valid_sequence_length(text, i);
    if (n == 0) return i;
    i += n;
  }
  return std::nullopt;
}

std::string invalid_description(std::string_view text) {
  auto at = first_invalid(text);
  if (!at) return "valid utf-8";
  std::size_t sub = maximal_subpart(text, *at);
  if (*at + sub >= text.size() && sub < 4 && static_cast<unsigned char>(text[*at]) >= 0xC2 &&
      static_cast<unsigned char>(text[*at]) <= 0xF4) {
    return "incomplete utf-8 byte sequence from index " + std::to_string(*at);
  }
  return "invalid utf-8 sequence of " + std::to_string(sub) + " bytes from index " + std::to_string(*at);
}

std::string to_valid(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  std::size_t i = 0;
  while (i < bytes.size()) {
    if (static_cast<unsigned char>(bytes[i]) < 0x80) {
      out.push_back(bytes[i++]);
      continue;
    }
    std::size_t n = valid_sequence_length(bytes, i);
    if (n) {
      out.append(bytes.substr(i, n));
      i += n;
    } else {
      out.append("\xEF\xBF\xBD");
      i += maximal_subpart(bytes, i);
    }
  }
  return out;
}

std::size_t floor_boundary(std::string_view text, std::size_t offset) {
  if (offset >= text.size()) return text.size();
  while (offset > 0 && is_continuation(static_cast<unsigned char>(text[offset]))) --offset;
  return offset;
}

std::size_t count_chars(std::string_view text) {
  std::size_t n = 0;
  for (char c : text) n += !is_continuation(static_cast<unsigned char>(c));
  return n;
}

}  // namespace tovik::utf8
