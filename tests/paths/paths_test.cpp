#include "paths/paths.hpp"

#include <algorithm>
#include <vector>

#include <gtest/gtest.h>

namespace tovik::paths {
namespace {

TEST(Normalize, Cases) {
  struct Case {
    const char* in;
    const char* out;
  };
  const Case cases[] = {
      {"", ""},
      {".", ""},
      {"./.", ""},
      {"./", ""},
      {"/", "/"},
      {"/..", "/"},
      {"a/./b/../c", "a/c"},
      {"../a", "../a"},
      {"a/../../b", "../b"},
      {"../../a/..", "../.."},
      {"/x/../../y", "/y"},
      {"docs//guide.md/", "docs/guide.md"},
      {"a/link/../b", "a/b"},
      {"//a//b", "/a/b"},
      {"a/..", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(normalize(c.in), c.out) << "normalize(\"" << c.in << "\")";
}

TEST(Join, AbsoluteWinsAndNoDoubledSeparator) {
  EXPECT_EQ(join("/w", "/etc/x"), "/etc/x");
  EXPECT_EQ(join("/w/", "a"), "/w/a");
  EXPECT_EQ(join("/w", "a/b"), "/w/a/b");
  EXPECT_EQ(join("", "a"), "a");
}

TEST(Within, ComponentWise) {
  EXPECT_TRUE(within("/w", "/w"));
  EXPECT_TRUE(within("/w/a", "/w/"));
  EXPECT_TRUE(within("/w/a/b.md", "/w"));
  EXPECT_FALSE(within("/wa", "/w"));
  EXPECT_FALSE(within("/w/docs2", "/w/docs"));
  EXPECT_FALSE(within("/w", "/w/a"));
  EXPECT_TRUE(within("/anything", "/"));
  EXPECT_FALSE(within("a", "/"));
}

TEST(RelativeTo, InsideAndOutside) {
  EXPECT_EQ(relative_to("/w/docs/a.md", "/w"), "docs/a.md");
  EXPECT_EQ(relative_to("/w", "/w"), "");
  EXPECT_EQ(relative_to("/other/a.md", "/w"), std::nullopt);
}

TEST(DisplayPath, Cases) {
  EXPECT_EQ(display_path("/w", "/w/docs/a.md"), "docs/a.md");
  EXPECT_EQ(display_path("/w", "/other/a.md"), "/other/a.md");
  EXPECT_EQ(display_path("/w", "/w/back\\slash.md"), "back/slash.md");
  EXPECT_EQ(display_path("/w", "/w/bad\xff.md"), "bad\xEF\xBF\xBD.md");
}

TEST(ConfigPathOf, RelativeToBaseOrNothing) {
  EXPECT_EQ(config_path_of("/w/docs", "/w/docs/api/x.md"), "api/x.md");
  EXPECT_EQ(config_path_of("/w/docs", "api/../x.md"), "x.md");
  EXPECT_EQ(config_path_of("/w/docs", "/w/README.md"), std::nullopt);
  EXPECT_EQ(config_path_of("/w/docs", "../README.md"), std::nullopt);
}

TEST(Absolute, EmptyFailsRelativeJoinsWorkingDirectory) {
  auto empty = absolute("");
  ASSERT_FALSE(empty.ok());
  EXPECT_EQ(empty.error(), "cannot make an empty path absolute");
  auto rel = absolute("x/../y.md");
  ASSERT_TRUE(rel.ok());
  EXPECT_TRUE(is_absolute(*rel));
  EXPECT_TRUE(rel->ends_with("/y.md"));
  EXPECT_EQ(*absolute("/a/./b/"), "/a/b");
}

TEST(PathOrder, ComponentByComponent) {
  std::vector<std::string> files{"a.md", "a/b.md", "B.md", "a-c.md"};
  std::sort(files.begin(), files.end(), path_less);
  EXPECT_EQ(files, (std::vector<std::string>{"B.md", "a/b.md", "a-c.md", "a.md"}));
  EXPECT_LT(path_cmp("docs", "docs/x.md"), 0);
  EXPECT_EQ(path_cmp("docs/", "docs"), 0);
  EXPECT_GT(path_cmp("b", "a/z"), 0);
}

TEST(ParentAndFileName, Cases) {
  EXPECT_EQ(parent("/w/docs/a.md"), "/w/docs");
  EXPECT_EQ(parent("/w"), "/");
  EXPECT_EQ(parent("/"), "/");
  EXPECT_EQ(parent("a"), "");
  EXPECT_EQ(file_name("/w/docs/a.md"), "a.md");
  EXPECT_EQ(file_name("/"), "");
}

}  // namespace
}  // namespace tovik::paths
