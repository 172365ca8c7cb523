// Phrase matching for prose: whole-word, ASCII-case-insensitive for Latin phrases, plain substring
// search for Chinese and Japanese ones.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "md/document.hpp"

namespace tovik::md {

// Byte ranges of `text` where `phrase` occurs, left to right and non-overlapping. The phrase is
// trimmed first (an empty phrase never matches); A-Z fold to a-z on both sides and every other
// character compares exactly. An edge of the phrase that is an ASCII letter or digit only matches
// at a word boundary: the neighbouring character of the text must not be a letter, digit or `_`
// of any script. An occurrence rejected at a boundary still consumes its bytes.
std::vector<Span> find_phrase(std::string_view text, std::string_view phrase);

// Whether any of `phrases` occurs in `text`.
bool contains_phrase(std::string_view text, std::span<const std::string_view> phrases);
bool contains_phrase(std::string_view text, const std::vector<std::string>& phrases);
// Whether an occurrence of `phrase` starts at offset 0 of `text`.
bool begins_with_phrase(std::string_view text, std::string_view phrase);
bool begins_with_phrase(std::string_view text, std::span<const std::string_view> phrases);

}  // namespace tovik::md
