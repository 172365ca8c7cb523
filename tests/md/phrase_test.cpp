// Phrase matching: ASCII-only case folding, per-edge word boundaries, non-overlapping search.
#include "md/phrase.hpp"

#include <gtest/gtest.h>

namespace tovik::md {
namespace {

using Spans = std::vector<Span>;

TEST(FindPhrase, Cases) {
  struct Case {
    std::string_view text;
    std::string_view phrase;
    Spans expected;
  };
  const Case cases[] = {
      // Whole words, ASCII case folded.
      {"Currently we ship.", "currently", {{0, 9}}},
      {"docker buildx", "build", {}},
      {"see", "see", {{0, 3}}},
      {"seen it, foresee it", "see", {}},
      {"(see below) or see: that", "see", {{1, 4}, {15, 18}}},
      {"The User Confirmed it", "the user confirmed", {{0, 18}}},
      {"the user confirmed_it", "the user confirmed", {}},
      {"a see2 b", "see", {}},
      {"x_see", "see", {}},
      // Letters and digits of every script are word characters at a boundary.
      {"éseeé", "see", {}},
      {"中see", "see", {}},
      {"see٣", "see", {}},
      {"。see！", "see", {{3, 6}}},
      // The phrase is trimmed; an empty phrase never matches.
      {"we see it", "  see\t", {{3, 6}}},
      {"text", "   ", {}},
      {"", "see", {}},
      // Only A-Z fold: non-ASCII letters compare exactly.
      {"ÉTÉ été", "été", {{6, 11}}},
      // Chinese and Japanese phrases match inside runs of characters.
      {"这是最新版", "最新", {{6, 12}}},
      {"現在の最新版", "最新", {{9, 15}}},
      // An edge that is not a letter or digit needs no boundary.
      {"v1.0-rc is out", "-rc", {{4, 7}}},
      {"v1.0-rc1", "-rc", {}},
      {"to start, run it", "to start,", {{0, 9}}},
      {"to start,x", "to start,", {{0, 9}}},
      // Non-overlapping, left to right.
      {"aaaa", "aa", {}},
      {".a.a.", ".a.", {{0, 3}}},
      {"see see", "see", {{0, 3}, {4, 7}}},
      // hope this helps inside i hope this helps
      {"I hope this helps.", "hope this helps", {{2, 17}}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(find_phrase(c.text, c.phrase), c.expected) << c.text << " / " << c.phrase;
  }
}

TEST(FindPhrase, RejectedOccurrenceStillConsumesItsBytes) {
  // "abab" is found at 0 but rejected (a letter follows); the search resumes at 4, so the
  // occurrence at 2 is never tried, and the one at 5 is accepted.
  EXPECT_EQ(find_phrase("ababab abab", "abab"), (Spans{{7, 11}}));
}

TEST(PhraseHelpers, ContainsAndBeginsWith) {
  const std::string_view phrases[] = {"read the", "see the"};
  EXPECT_TRUE(contains_phrase("Please see the guide", phrases));
  EXPECT_FALSE(contains_phrase("Please seethe quietly", phrases));
  EXPECT_TRUE(contains_phrase("x see the", std::vector<std::string>{"nothing", "see the"}));

  EXPECT_TRUE(begins_with_phrase("See the guide.", phrases));
  EXPECT_FALSE(begins_with_phrase("Now see the guide.", phrases));
  EXPECT_FALSE(begins_with_phrase("Seethe.", "see"));
  EXPECT_TRUE(begins_with_phrase("Run", "run"));
  EXPECT_TRUE(begins_with_phrase("to begin,x", " to begin, "));
  EXPECT_FALSE(begins_with_phrase("Ru", "run"));
  EXPECT_FALSE(begins_with_phrase("run", ""));
  EXPECT_TRUE(begins_with_phrase("首先安装", "首先"));
  EXPECT_TRUE(begins_with_phrase("see it", "\u3000see\u00A0"));  // trimmed by White_Space
  EXPECT_FALSE(begins_with_phrase("安装", "首先"));

  // Phrases with and without letters to fold, in either order.
  const std::string_view mixed[] = {"最新", "See Also"};
  EXPECT_TRUE(contains_phrase("SEE ALSO 中", mixed));
  EXPECT_TRUE(contains_phrase("这是最新版", mixed));
  EXPECT_FALSE(contains_phrase("seealso", mixed));
}

}  // namespace
}  // namespace tovik::md
