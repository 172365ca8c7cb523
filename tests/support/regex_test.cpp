// The PCRE2 wrapper: Unicode classes, offsets, empty matches, groups and compile errors.
#include "support/regex.hpp"

#include <gtest/gtest.h>

#include <thread>

namespace tovik::regex {
namespace {

std::vector<std::pair<std::size_t, std::size_t>> ranges(const Regex& re, std::string_view text) {
  std::vector<std::pair<std::size_t, std::size_t>> out;
  for (const auto& m : re.find_all(text)) out.emplace_back(m.start, m.end);
  return out;
}

using Ranges = std::vector<std::pair<std::size_t, std::size_t>>;

TEST(Regex, FindsAllMatchesWithByteOffsets) {
  Regex re(R"(\w+)");
  // Unicode letters count as word characters; offsets are bytes.
  EXPECT_EQ(ranges(re, "héllo 中文 x"), (Ranges{{0, 6}, {7, 13}, {14, 15}}));
}

TEST(Regex, UnicodeSpaceAndCaseInsensitiveMode) {
  Regex re(R"((?i)www\.[^\s<>]+)");
  EXPECT_EQ(ranges(re, "see WWW.example.com\u3000now"), (Ranges{{4, 19}}));
}

TEST(Regex, EmptyMatchesAdvanceByCharacter) {
  Regex re("x*");
  // Empty matches at every character boundary, never inside a multi-byte character.
  EXPECT_EQ(ranges(re, "中x"), (Ranges{{0, 0}, {3, 4}, {4, 4}}));
  EXPECT_EQ(ranges(re, ""), (Ranges{{0, 0}}));
}

TEST(Regex, NegativeLookaheadStandsInForClassSubtraction) {
  Regex re(R"((?:(?![0-9])\w)+)");
  EXPECT_EQ(ranges(re, "ab12cd"), (Ranges{{0, 2}, {4, 6}}));
}

TEST(Regex, GroupsByNumberAndName) {
  Regex re(R"((?P<key>[a-z]+)=(\d+)?)");
  auto m = re.find("x=1 y=");
  ASSERT_TRUE(m);
  ASSERT_EQ(m->groups.size(), 3u);
  EXPECT_EQ(m->groups[1], (Range{0, 1}));
  EXPECT_EQ(m->groups[2], (Range{2, 3}));
  EXPECT_EQ(re.group_index("key"), 1u);
  EXPECT_FALSE(re.group_index("nope"));
  auto second = re.find("x=1 y=", m->end);
  ASSERT_TRUE(second);
  EXPECT_FALSE(second->groups[2].has_value());
}

TEST(Regex, CompileErrorIsAValue) {
  auto bad = Regex::compile("(unclosed");
  ASSERT_FALSE(bad.ok());
  EXPECT_NE(bad.error().find("offset"), std::string::npos);
  EXPECT_TRUE(Regex::compile("ok").ok());
}

TEST(Regex, InvalidUtf8SubjectHasNoMatches) {
  Regex re("a");
  EXPECT_TRUE(re.find_all("a\xFF").empty());
  EXPECT_FALSE(re.is_match("a\xFF"));
}

TEST(Regex, SharedInstanceIsUsableFromSeveralThreads) {
  static const Regex re(R"(\p{Han}+)");
  std::vector<std::thread> threads;
  std::vector<std::size_t> counts(4);
  for (std::size_t t = 0; t < counts.size(); ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < 200; ++i) counts[t] += re.find_all("中文 and 日本語 text").size();
    });
  }
  for (auto& th : threads) th.join();
  for (std::size_t c : counts) EXPECT_EQ(c, 400u);
}

}  // namespace
}  // namespace tovik::regex
