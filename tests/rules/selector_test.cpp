#include "rules/selector.hpp"

#include <set>

#include <gtest/gtest.h>

#include "rules/catalogue.hpp"

namespace tovik::rules {
namespace {

TEST(Catalogue, TwentySevenRowsFiveStable) {
  auto rows = catalogue();
  ASSERT_EQ(rows.size(), 27u);
  std::set<std::string_view> codes, stable;
  for (const auto& row : rows) {
    EXPECT_EQ(row.code.size(), 6u);
    codes.insert(row.code);
    if (row.stable) stable.insert(row.code);
    EXPECT_EQ(row.cross_file, row.runner == RuleRunner::cross_file) << row.code;
  }
  EXPECT_EQ(codes.size(), 27u);
  EXPECT_EQ(stable, (std::set<std::string_view>{"KND001", "KND002", "LNK001", "SUP001", "SUP002"}));
  EXPECT_EQ(rows.front().code, "STL002");
  EXPECT_EQ(rows.back().code, "OWN002");
  std::set<std::string_view> fams(families().begin(), families().end());
  for (const auto& row : rows) EXPECT_TRUE(fams.count(row.code.substr(0, 3))) << row.code;
  EXPECT_EQ(fams.size(), 12u);
}

TEST(Catalogue, LookupIsExact) {
  ASSERT_NE(rule_spec("LNK001"), nullptr);
  EXPECT_EQ(rule_spec("LNK001")->name, "missing-local-link-target");
  EXPECT_TRUE(rule_spec("LNK001")->uses_filesystem);
  EXPECT_EQ(rule_spec("lnk001"), nullptr);
  EXPECT_EQ(rule_spec("STL009"), nullptr);
  EXPECT_EQ(rule_spec("EVD001")->reads.size(), 4u);
  EXPECT_TRUE(rule_spec("KND001")->reads.empty());
}

TEST(Selector, Validation) {
  for (const char* ok : {"ALL", "KND", "DUP", "KND001", "OWN002"}) EXPECT_TRUE(parse_selector(ok).ok()) << ok;
  for (const char* bad : {"", "all", "K", "KN", "KND0", "knd", "KND00", "KND003", "STL009", "XYZ", " KND"}) {
    auto result = parse_selector(bad);
    ASSERT_FALSE(result.ok()) << bad;
  }
  EXPECT_EQ(parse_selector("knd").error(),
            "invalid rule selector \"knd\" for tovik 0.4.0; use ALL, a rule family such as KND, or a code "
            "listed by `tovik rule --all`; rules added in a newer release need an upgrade");
}

TEST(Selector, Specificity) {
  EXPECT_EQ(specificity("ALL", "KND001"), 0);
  EXPECT_EQ(specificity("KND", "KND001"), 1);
  EXPECT_EQ(specificity("KND001", "KND001"), 2);
  EXPECT_EQ(specificity("KND002", "KND001"), std::nullopt);
  EXPECT_EQ(specificity("LNK", "KND001"), std::nullopt);
}

TEST(Selector, PreviewOnly) {
  EXPECT_TRUE(selects_only_preview("VOX003"));
  EXPECT_TRUE(selects_only_preview("STL"));
  EXPECT_TRUE(selects_only_preview("DUP"));
  EXPECT_FALSE(selects_only_preview("SUP"));
  EXPECT_FALSE(selects_only_preview("LNK"));  // LNK001 is stable, LNK002 is not
  EXPECT_FALSE(selects_only_preview("LNK001"));
  EXPECT_FALSE(selects_only_preview("ALL"));
  EXPECT_FALSE(selects_only_preview("XYZ"));
}

}  // namespace
}  // namespace tovik::rules
