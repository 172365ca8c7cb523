// Unicode decoding, character classes, trimming and case mapping.
#include "support/unicode.hpp"

#include <gtest/gtest.h>

namespace tovik::unicode {
namespace {

TEST(UnicodeDecode, ReadsEachEncodingLengthAndRepairsInvalidBytes) {
  struct Case {
    std::string_view text;
    char32_t code_point;
    std::size_t length;
  };
  const Case cases[] = {
      {"a", U'a', 1},
      {"é", U'é', 2},
      {"中", U'中', 3},
      {"😀", U'😀', 4},
      {"\xFF", kReplacement, 1},      // never a lead byte
      {"\xE4\xB8", kReplacement, 1},  // truncated
      {"\xC0\xAF", kReplacement, 1},  // overlong
  };
  for (const auto& c : cases) {
    Decoded d = decode(c.text, 0);
    EXPECT_EQ(d.code_point, c.code_point) << c.text;
    EXPECT_EQ(d.length, c.length) << c.text;
  }
}

TEST(UnicodeDecode, DecodesBackwards) {
  std::string_view text = "a中😀";
  EXPECT_EQ(decode_before(text, text.size()).code_point, U'😀');
  EXPECT_EQ(decode_before(text, 4).code_point, U'中');
  EXPECT_EQ(decode_before(text, 1).code_point, U'a');
  // A cut through the middle of a character is not a character.
  EXPECT_EQ(decode_before(text, 3).code_point, kReplacement);
}

TEST(UnicodeDecode, AppendRoundTrips) {
  for (char32_t c : {U'a', U'é', U'中', U'😀', char32_t{0x10FFFF}}) {
    std::string out;
    append(out, c);
    EXPECT_EQ(decode(out, 0).code_point, c);
    EXPECT_EQ(decode(out, 0).length, out.size());
  }
}

TEST(UnicodeClasses, FollowIcuProperties) {
  struct Case {
    char32_t c;
    bool letter, digit, space;
  };
  const Case cases[] = {
      {U'a', true, false, false},    {U'Z', true, false, false},
      {U'7', false, true, false},    {U'_', false, false, false},
      {U'é', true, false, false},    {U'中', true, false, false},
      {U'か', true, false, false},   {U'٣', false, true, false},
      {U'Ⅻ', true, true, false},  // Nl, also Alphabetic
      {U'½', false, true, false},    {U' ', false, false, true},
      {U'\t', false, false, true},   {0x00A0, false, false, true},
      {0x1680, false, false, true},  {0x3000, false, false, true},
      {0x200B, false, false, false},  // zero width space is not White_Space
      {U'。', false, false, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(is_letter(c.c), c.letter) << static_cast<std::uint32_t>(c.c);
    EXPECT_EQ(is_digit(c.c), c.digit) << static_cast<std::uint32_t>(c.c);
    EXPECT_EQ(is_alphanumeric(c.c), c.letter || c.digit) << static_cast<std::uint32_t>(c.c);
    EXPECT_EQ(is_white_space(c.c), c.space) << static_cast<std::uint32_t>(c.c);
  }
}

TEST(UnicodeCase, AsciiLowerLeavesOtherLettersAlone) {
  EXPECT_EQ(ascii_lower("README Ünïcode ÀB"), "readme Ünïcode Àb");
}

TEST(UnicodeCase, FullLowercaseMapping) {
  EXPECT_EQ(to_lower("ÀB"), "àb");
  EXPECT_EQ(to_lower("İ"), "i\xCC\x87");  // dotted capital I becomes i + combining dot
  EXPECT_EQ(to_lower("ΟΔΟΣ"), "οδος");    // final sigma
  EXPECT_EQ(to_lower("a\xFF"), "a\xEF\xBF\xBD");
}

TEST(UnicodeTrim, UsesWhiteSpaceProperty) {
  EXPECT_EQ(trim("\u3000 text\u00A0\n"), "text");
  EXPECT_EQ(trim_start("  a b  "), "a b  ");
  EXPECT_EQ(trim_end("  a b  "), "  a b");
  EXPECT_EQ(trim(" \t "), "");
  EXPECT_EQ(trim("\u200Bx"), "\u200Bx");
}

TEST(UnicodeCount, CountsCodePoints) {
  EXPECT_EQ(count_code_points(""), 0u);
  EXPECT_EQ(count_code_points("a中😀"), 3u);
  EXPECT_EQ(count_code_points("\xFF\xFF"), 2u);
}

}  // namespace
}  // namespace tovik::unicode
