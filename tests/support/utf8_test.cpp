#include "support/utf8.hpp"

#include <gtest/gtest.h>

#include "support/quote.hpp"

namespace tovik {
namespace {

TEST(Utf8, ValidationFindsFirstInvalidByte) {
  struct Case {
    std::string text;
    std::optional<std::size_t> invalid;
  };
  const Case cases[] = {
      {"", std::nullopt},
      {"plain ascii", std::nullopt},
      {"caf\xC3\xA9 \xE4\xB8\xAD \xF0\x9F\x98\x80", std::nullopt},
      {"a\xC3", 1},                  // truncated two-byte sequence
      {"ab\xC3\x28", 2},             // bad continuation
      {"\xC0\x80", 0},               // overlong NUL
      {"\xED\xA0\x80", 0},           // surrogate
      {"\xF4\x90\x80\x80", 0},       // above U+10FFFF
      {"x\x80", 1},                  // stray continuation
      {std::string("nul\0ok", 6), std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(utf8::first_invalid(c.text), c.invalid) << quote(c.text);
}

TEST(Utf8, RepairReplacesMaximalSubparts) {
  EXPECT_EQ(utf8::to_valid("a\xFF" "b"), "a\xEF\xBF\xBD" "b");
  // A truncated three-byte sequence is one replacement, the following byte kept.
  EXPECT_EQ(utf8::to_valid("\xE4\xB8" "x"), "\xEF\xBF\xBD" "x");
  EXPECT_EQ(utf8::to_valid("\xC0\x80"), "\xEF\xBF\xBD\xEF\xBF\xBD");
}

TEST(Utf8, BoundariesAndCounts) {
  std::string text = "a\xC3\xA9" "b";  // a é b
  EXPECT_EQ(utf8::floor_boundary(text, 2), 1u);
  EXPECT_EQ(utf8::floor_boundary(text, 3), 3u);
  EXPECT_EQ(utf8::floor_boundary(text, 99), text.size());
  EXPECT_EQ(utf8::count_chars(text), 3u);
}

TEST(Quote, EscapesQuotesBackslashesAndControls) {
  EXPECT_EQ(quote("knd"), "\"knd\"");
  EXPECT_EQ(quote("a\"b\\c"), "\"a\\\"b\\\\c\"");
  EXPECT_EQ(quote("t\tn\nr\r"), "\"t\\tn\\nr\\r\"");
  EXPECT_EQ(quote(std::string("\x01", 1)), "\"\\u{1}\"");
  EXPECT_EQ(quote("\xC3\xA9"), "\"\xC3\xA9\"");
}

}  // namespace
}  // namespace tovik
