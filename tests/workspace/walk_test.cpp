// The walk: which entries are collected, in which order, and which are skipped.
#include "workspace/walk.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../config/scratch.hpp"
#include "paths/paths.hpp"

namespace tovik::workspace {
namespace {

using testing_support::ScratchDir;

TEST(IsMarkdownPath, ExtensionsIgnoringAsciiCase) {
  struct Case {
    std::string path;
    bool markdown;
  };
  for (const Case& c : std::vector<Case>{{"a.md", true},
                                         {"docs/Guide.MD", true},
                                         {"x.markdown", true},
                                         {"x.MarkDown", true},
                                         {".md", false},
                                         {"docs/.markdown", false},
                                         {"..md", true},
                                         {".hidden.md", true},
                                         {"a.md.txt", false},
                                         {"a.", false},
                                         {"md", false},
                                         {"a.mdx", false},
                                         {"dir.md/file", false}}) {
    EXPECT_EQ(is_markdown_path(c.path), c.markdown) << c.path;
  }
}

std::vector<std::string> relative(const ScratchDir& dir, const WalkResult& result) {
  std::vector<std::string> out;
  for (const std::string& file : result.files) out.push_back(*paths::relative_to(file, dir.path()));
  return out;
}

TEST(Walk, CollectsMarkdownFilesInPathOrder) {
  ScratchDir dir;
  for (const char* file :
       {"a.md", "a/b.md", "B.md", "a-c.md", ".github/x.md", "docs/z.markdown", "docs/y.txt", ".git/x.md",
        "sub/.git/y.md", ".tovik_cache/c.md", "sub/.tovik_cache/d.md", "sub/e.md"}) {
    dir.write(file, "# x\n");
  }
  dir.write("other/.git", "gitdir: x\n");  // a .git file is skipped as well as a directory
  dir.symlink("a.md", "link.md");
  dir.symlink(dir / "docs", "docs-link");
  auto result = walk_markdown(dir.path(), dir.path(), {});
  EXPECT_TRUE(result.problems.empty());
  EXPECT_EQ(relative(dir, result), (std::vector<std::string>{".github/x.md", "B.md", "a/b.md", "a-c.md",
                                                             "a.md", "docs/z.markdown", "sub/e.md"}));
}

TEST(Walk, AppliesGitignoreFilesFromTheRootDown) {
  ScratchDir dir;
  dir.write(".gitignore", "build/\n/top.md\n");
  dir.write("docs/.gitignore", "*.md\n!keep.md\n");
  for (const char* file : {"top.md", "sub/top.md", "build/a.md", "docs/a.md", "docs/keep.md",
                           "docs/deep/keep.md", "docs/deep/other.md"}) {
    dir.write(file, "");
  }
  auto result = walk_markdown(dir.path(), dir.path(), {});
  EXPECT_EQ(relative(dir, result),
            (std::vector<std::string>{"docs/deep/keep.md", "docs/keep.md", "sub/top.md"}));

  auto unfiltered = walk_markdown(dir.path(), dir / "docs", WalkOptions{false, false});
  EXPECT_EQ(relative(dir, unfiltered), (std::vector<std::string>{"docs/a.md", "docs/deep/keep.md",
                                                                 "docs/deep/other.md", "docs/keep.md"}));
  auto first = walk_markdown(dir.path(), dir / "docs", WalkOptions{false, true});
  EXPECT_EQ(first.files.size(), 1u);
}

TEST(Walk, UnreadableDirectoryIsAProblemAndTheWalkGoesOn) {
  ScratchDir dir;
  dir.write("a.md", "");
  auto missing = walk_markdown(dir.path(), dir / "gone", {});
  ASSERT_EQ(missing.problems.size(), 1u);
  EXPECT_EQ(missing.problems[0].path, dir / "gone");
  EXPECT_EQ(missing.problems[0].message, "No such file or directory");
  EXPECT_FALSE(missing.problems[0].ignore_rules);
}

}  // namespace
}  // namespace tovik::workspace
