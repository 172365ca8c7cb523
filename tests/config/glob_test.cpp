// The configuration glob language: matching and compile errors.
#include "config/glob.hpp"

#include <gtest/gtest.h>

#include <random>
#include <regex>
#include <string>
#include <vector>

namespace tovik::config {
namespace {

struct MatchCase {
  std::string pattern;
  std::string path;
  bool matches;
};

class GlobMatch : public testing::TestWithParam<MatchCase> {};

TEST_P(GlobMatch, MatchesWholePath) {
  const MatchCase& c = GetParam();
  auto glob = Glob::compile(c.pattern);
  ASSERT_TRUE(glob.ok()) << glob.error();
  EXPECT_EQ(glob->matches(c.path), c.matches) << c.pattern << " vs " << c.path;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, GlobMatch,
    testing::Values(
        // '*' stays inside one component; the match is anchored at both ends.
        MatchCase{"*.md", "a.md", true}, MatchCase{"*.md", "docs/a.md", false},
        MatchCase{"*.md", "a.md.bak", false}, MatchCase{"*.md", ".md", true},
        MatchCase{"docs/*", "docs/a.md", true}, MatchCase{"docs/*", "docs/x/a.md", false},
        MatchCase{"a*b*c", "abc", true}, MatchCase{"a*b*c", "axxbyyc", true},
        MatchCase{"a*b*c", "axxbyy", false},
        // '?' is one character, never '/', and one Unicode scalar value, not one byte.
        MatchCase{"?.md", "a.md", true}, MatchCase{"?.md", "ab.md", false}, MatchCase{"a?b", "a/b", false},
        MatchCase{"?.md", "é.md", true}, MatchCase{"??.md", "é.md", false},
        // Classes, negated classes, ranges; ']' first is literal; never '/'.
        MatchCase{"[abc].md", "b.md", true}, MatchCase{"[abc].md", "d.md", false},
        MatchCase{"[a-c].md", "c.md", true}, MatchCase{"[!a-c].md", "c.md", false},
        MatchCase{"[!a-c].md", "d.md", true}, MatchCase{"[]].md", "].md", true},
        MatchCase{"[!]].md", "].md", false}, MatchCase{"a[!x]b", "a/b", false}, MatchCase{"[a-]", "-", true},
        MatchCase{"[é-ë]", "ê", true},
        // Braces, nested braces, empty alternatives, and braces spanning components.
        MatchCase{"{docs,guides}/*.md", "guides/a.md", true},
        MatchCase{"{docs,guides}/*.md", "other/a.md", false}, MatchCase{"a{,b}.md", "a.md", true},
        MatchCase{"a{,b}.md", "ab.md", true}, MatchCase{"{a,b{c,d}}.md", "bd.md", true},
        MatchCase{"{a,b{c,d}}.md", "b.md", false}, MatchCase{"{docs/**,x.md}", "docs/a/b.md", true},
        MatchCase{"{docs/**,x.md}", "x.md", true}, MatchCase{"[{]a", "{a", true},
        // '**' as a whole component.
        MatchCase{"**", "a/b/c.md", true}, MatchCase{"**/*.md", "a.md", true},
        MatchCase{"**/*.md", "a/b/c.md", true}, MatchCase{"**/*.md", "a/b/c.txt", false},
        MatchCase{"docs/**", "docs/a.md", true}, MatchCase{"docs/**", "docs/a/b.md", true},
        MatchCase{"docs/**", "docs", false}, MatchCase{"docs/**", "docsx/a.md", false},
        MatchCase{"a/**/b.md", "a/b.md", true}, MatchCase{"a/**/b.md", "a/x/y/b.md", true},
        MatchCase{"a/**/b.md", "ab.md", false}, MatchCase{"a/**/b.md", "a/xb.md", false},
        MatchCase{"**/docs/**", "x/docs/y.md", true},
        // Shapes with shortcuts: "**/name", "*" + suffix.
        MatchCase{"**/*.md", "docs/.md", true}, MatchCase{"**/README.md", "README.md", true},
        MatchCase{"**/README.md", "x/y/README.md", true}, MatchCase{"**/README.md", "xREADME.md", false},
        MatchCase{"**/README.md", "README.md/x", false}, MatchCase{"*", "a/b", false},
        MatchCase{"*", "ab", true}, MatchCase{"**/", "a/b", false}, MatchCase{"**/**/b", "b", true},
        MatchCase{"**/x/**/b", "x/b", true}, MatchCase{"**/[ab]", "x/b", true},
        MatchCase{"x/*.md", "x/y/z.md", false},
        // Backslashes are separators, not escapes; matching is case-sensitive.
        MatchCase{"docs\\*.md", "docs/a.md", true}, MatchCase{"docs\\**\\*.md", "docs/a/b.md", true},
        MatchCase{"README.md", "readme.md", false}, MatchCase{"CHANGELOG.md", "CHANGELOG.md", true},
        // White space and other bytes are ordinary characters.
        MatchCase{" ", " ", true}, MatchCase{"a b.md", "a b.md", true}));

struct ErrorCase {
  std::string pattern;
  std::string description;
};

class GlobError : public testing::TestWithParam<ErrorCase> {};

TEST_P(GlobError, DescribesTheProblem) {
  auto glob = Glob::compile(GetParam().pattern);
  ASSERT_FALSE(glob.ok());
  EXPECT_EQ(glob.error(), GetParam().description);
}

INSTANTIATE_TEST_SUITE_P(Cases, GlobError,
                         testing::Values(ErrorCase{"docs/[ab", "unclosed character class; missing ']'"},
                                         ErrorCase{"[]", "unclosed character class; missing ']'"},
                                         ErrorCase{"{a,[b}", "unclosed character class; missing ']'"},
                                         ErrorCase{"[z-a]", "invalid range; 'z' > 'a'"},
                                         ErrorCase{"{a,b", "unclosed alternate group; missing '}'"},
                                         ErrorCase{"a}", "unopened alternate group; missing '{'"},
                                         ErrorCase{"docs/**.md",
                                                   "invalid use of **; must be one path component"},
                                         ErrorCase{"a**/b", "invalid use of **; must be one path component"},
                                         ErrorCase{"***/b", "invalid use of **; must be one path component"},
                                         ErrorCase{"{a,b}{a,b}{a,b}{a,b}{a,b}{a,b}{a,b}{a,b}{a,b}{a,b}{a,b}",
                                                   "braces expand to more than 1024 alternatives"},
                                         ErrorCase{std::string(40, '{') + std::string(40, '}'),
                                                   "alternate groups are nested more than 32 deep"},
                                         ErrorCase{"{a,{b,c}", "unclosed alternate group; missing '}'"},
                                         ErrorCase{"{a,b}}", "unopened alternate group; missing '{'"}));

TEST(CompileGlob, LabelsItsMessages) {
  auto empty = compile_glob("", "kinds.path");
  ASSERT_FALSE(empty.ok());
  EXPECT_EQ(empty.error(), "kinds.path glob must not be empty");

  auto blank = compile_glob("  ", "include");
  EXPECT_TRUE(blank.ok());

  auto bad = compile_glob("docs\\[a\"", "exclude");
  ASSERT_FALSE(bad.ok());
  EXPECT_EQ(bad.error(), "invalid exclude glob \"docs\\\\[a\\\"\": unclosed character class; missing ']'");
}

TEST(CompileGlob, ExpansionStaysBounded) {
  // Many sequential groups of one alternative, and a long literal multiplied by alternatives.
  std::string groups;
  for (int i = 0; i < 20000; ++i) groups += "{a}";
  auto many = Glob::compile(groups);
  ASSERT_TRUE(many.ok()) << many.error();
  EXPECT_TRUE(many->matches(std::string(20000, 'a')));

  auto huge = Glob::compile("{a,b}{a,b}{a,b}{a,b}{a,b}{a,b}{a,b}{a,b}{a,b}{a,b}" + std::string(4096, 'x'));
  ASSERT_FALSE(huge.ok());
  EXPECT_EQ(huge.error(), "braces expand to more than 1048576 bytes of patterns");
}

// Random globs over a small alphabet, matched by the automaton and by a regular expression built
// from the documented meaning of each piece.
TEST(CompileGlob, AgreesWithARegularExpressionReference) {
  struct Piece {
    std::string glob;
    std::string regex;
  };
  const std::vector<Piece> pieces = {
      {"a", "a"},       {"b", "b"},       {"ab", "ab"},      {"*", "[^/]*"},
      {"?", "[^/]"},    {"[ab]", "[ab]"}, {"[!a]", "[^a/]"}, {"{a,bc}", "(?:a|bc)"},
      {"a*", "a[^/]*"}, {"*b", "[^/]*b"}, {"{,c}", "(?:|c)"}};
  std::mt19937 rng(7);
  auto pick = [&](std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(rng); };
  for (int round = 0; round < 400; ++round) {
    std::size_t components = 1 + pick(3);
    std::string glob;
    std::string regex;
    for (std::size_t c = 0; c < components; ++c) {
      bool last = c + 1 == components;
      if (pick(4) == 0) {
        // A whole "**" component.
        if (components == 1) {
          glob += "**";
          regex += ".*";
        } else if (c == 0) {
          glob += "**/";
          regex += "(?:.*/)?";
        } else if (last) {
          glob += "**";
          regex += ".*";
        } else {
          glob += "**/";
          regex += "(?:.*/)?";
        }
        continue;
      }
      std::size_t count = 1 + pick(2);
      for (std::size_t i = 0; i < count; ++i) {
        const Piece& piece = pieces[pick(pieces.size())];
        if (!glob.empty() && glob.back() == '*' && piece.glob[0] == '*') continue;  // "**" inside a name
        glob += piece.glob;
        regex += piece.regex;
      }
      if (!last) {
        glob += "/";
        regex += "/";
      }
    }
    auto compiled = Glob::compile(glob);
    ASSERT_TRUE(compiled.ok()) << glob << ": " << compiled.error();
    std::regex reference(regex);
    for (int p = 0; p < 40; ++p) {
      std::string path;
      std::size_t parts = 1 + pick(4);
      for (std::size_t i = 0; i < parts; ++i) {
        if (i > 0) path += "/";
        std::size_t length = pick(4);
        for (std::size_t j = 0; j < length; ++j) path += "abc"[pick(3)];
      }
      EXPECT_EQ(compiled->matches(path), std::regex_match(path, reference)) << glob << " vs " << path;
    }
  }
}

TEST(CompileGlob, LongPathsMatchInLinearTime) {
  // A backtracking matcher would take exponential time here.
  auto glob = Glob::compile("*a*a*a*a*a*a*a*a*a*a*b");
  ASSERT_TRUE(glob.ok());
  EXPECT_FALSE(glob->matches(std::string(2000, 'a')));
}

}  // namespace
}  // namespace tovik::config
