// Generated lookup tables (tables.cpp) and the queries over them: named character references, the case
// folding of labels, Unicode punctuation.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace tovik::markdown::detail {

struct NamedEntity {
  const char* name;
  const char* text;  // UTF-8
};
struct CaseFold {
  std::uint32_t code;
  const char* folded;  // UTF-8
};
struct CodeRange {
  std::uint32_t first;
  std::uint32_t last;
};

extern const NamedEntity kNamedEntities[];
extern const std::size_t kNamedEntityCount;
extern const CaseFold kCaseFolds[];
extern const std::size_t kCaseFoldCount;
extern const CodeRange kPunctuation[];
extern const std::size_t kPunctuationCount;

// The text of the named reference `name` (without `&` and `;`), or an empty view when unknown.
std::string_view find_entity(std::string_view name);
// The folded form of a code point, or nullptr when it folds to itself.
const char* fold_case(std::uint32_t code);
bool is_unicode_punctuation(std::uint32_t code);

}  // namespace tovik::markdown::detail
