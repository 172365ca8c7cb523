// Heading normalisation and classification.
#include "sections/heading.hpp"

#include <gtest/gtest.h>

#include "sections/section_text.hpp"

namespace tovik::sections {
namespace {

TEST(NormalizeHeading, StripsAttributesPunctuationAndAsciiCase) {
  struct Case {
    std::string_view text;
    std::string_view expected;
  };
  const Case cases[] = {
      {"Troubleshooting:", "troubleshooting"},
      {"FAQ?", "faq"},
      {"FAQ?:？", "faq"},
      {"常见问题？", "常见问题"},
      {"Installation {#install}", "installation"},
      {"a {#x} b {#y}", "a {#x} b"},
      {"  Options \u3000", "options"},
      {"FAQ ?", "faq "},  // trimming comes before the punctuation is removed
      {"ÉTAPES", "Étapes"},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(normalize_heading(c.text), c.expected) << c.text;
}

TEST(ClassifyHeading, Cases) {
  using enum SectionType;
  struct Case {
    std::string_view text;
    std::optional<SectionType> expected;
  };
  const Case cases[] = {
      {"Troubleshooting:", troubleshooting},
      {"FAQ?", troubleshooting},
      {"Known issues", troubleshooting},
      {"トラブルシューティング", troubleshooting},
      {"例外", troubleshooting},
      {"API Reference", reference},
      {"Options", reference},
      {"戻り値", reference},
      {"Overview", background},
      {"例外処理", background},  // the exact list wins over the troubleshooting word inside it
      {"概述", background},
      {"Installation {#install}", steps},
      {"Quick start", steps},
      {"手順", steps},
      {"Rationale", rationale},
      {"Design decisions:", rationale},
      {"Why we chose Postgres", rationale},
      {"Why we use it", rationale},
      {"为什么选择 Rust", rationale},
      {"Trade-offs", rationale},
      {"Why use a queue?", rationale},
      {"为什么要用缓存", rationale},
      {"Why user accounts", std::nullopt},  // `why use` is matched as a whole word
      {"Why we chose", rationale},
      {"Tradeoffs of caching", std::nullopt},
      {"Build not working", troubleshooting},
      {"When it does not work", troubleshooting},
      {"よくある質問と回答", troubleshooting},
      {"Architecture overview", background},
      {"Overviews", std::nullopt},
      {"Setup", std::nullopt},
      {"Options for parsing", std::nullopt},
      {"", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(classify_heading(c.text), c.expected) << c.text;
}

}  // namespace
}  // namespace tovik::sections
