// UTF-8 validation and repair, byte-exact and locale-independent.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tovik::utf8 {

// Length of the valid UTF-8 sequence starting at `pos`, or 0 when it is invalid or truncated.
std::size_t valid_sequence_length(std::string_view text, std::size_t pos);

// Offset of the first invalid byte, or nothing when the whole text is valid UTF-8.
std::optional<std::size_t> first_invalid(std::string_view text);
inline bool is_valid(std::string_view text) { return !first_invalid(text).has_value(); }

// Describes why `text` is not UTF-8, e.g. "invalid utf-8 sequence of 1 bytes from index 3".
std::string invalid_description(std::string_view text);

// Replaces every maximal ill-formed subsequence by U+FFFD.
std::string to_valid(std::string_view bytes);

inline bool is_continuation(unsigned char c) { return (c & 0xC0) == 0x80; }
// Moves `offset` back to the start of the character it falls in (clamped to the text length).
std::size_t floor_boundary(std::string_view text, std::size_t offset);
// Number of characters (lead bytes) in the text.
std::size_t count_chars(std::string_view text);

}  // namespace tovik::utf8
