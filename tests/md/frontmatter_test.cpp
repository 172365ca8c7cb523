#include "md/frontmatter.hpp"

#include <gtest/gtest.h>

#include "support/utf8.hpp"

namespace tovik::md {
namespace {

Frontmatter read(std::string_view raw) {
  std::string source = "---\n" + std::string(raw) + "---\n";
  return read_frontmatter(source, {0, source.size()}, raw);
}

TEST(Frontmatter, FenceDetection) {
  EXPECT_TRUE(opens_with_fence("---\nkind: howto\n---\n"));
  EXPECT_TRUE(opens_with_fence("\xEF\xBB\xBF---\r\nx: 1\n"));
  EXPECT_TRUE(opens_with_fence("---"));
  EXPECT_FALSE(opens_with_fence("--- \n"));
  EXPECT_FALSE(opens_with_fence("----\n"));
  EXPECT_FALSE(opens_with_fence("\n---\n"));
  EXPECT_FALSE(opens_with_fence("---\r"));  // a lone CR is kept as part of the first line
}

TEST(Frontmatter, CoreSchemaTyping) {
  struct Case {
    const char* raw;
    std::optional<std::string> kind;
    std::optional<bool> canonical;
    std::vector<std::string> errors;
  };
  const Case cases[] = {
      {"kind: howto\n", "howto", std::nullopt, {}},
      {"kind: 3\n", std::nullopt, std::nullopt, {"frontmatter `kind` must be a string"}},
      {"kind: \"3\"\n", "3", std::nullopt, {}},
      {"kind: !!str 3\n", "3", std::nullopt, {}},
      {"kind: yes\n", "yes", std::nullopt, {}},
      {"kind: true\n", std::nullopt, std::nullopt, {"frontmatter `kind` must be a string"}},
      {"kind: 1.5e3\n", std::nullopt, std::nullopt, {"frontmatter `kind` must be a string"}},
      {"kind: 0x1F\n", std::nullopt, std::nullopt, {"frontmatter `kind` must be a string"}},
      {"kind: .inf\n", std::nullopt, std::nullopt, {"frontmatter `kind` must be a string"}},
      {"kind: 1.2.3\n", "1.2.3", std::nullopt, {}},
      {"kind:\n", std::nullopt, std::nullopt, {"frontmatter `kind` must be a string"}},
      {"kind: ~\n", std::nullopt, std::nullopt, {"frontmatter `kind` must be a string"}},
      {"kind: [a]\n", std::nullopt, std::nullopt, {"frontmatter `kind` must be a string"}},
      {"canonical: true\n", std::nullopt, true, {}},
      {"canonical: False\n", std::nullopt, false, {}},
      {"canonical: \"yes\"\n", std::nullopt, std::nullopt, {"frontmatter `canonical` must be a boolean"}},
      {"canonical: yes\n", std::nullopt, std::nullopt, {"frontmatter `canonical` must be a boolean"}},
      {"canonical: 1\nlang: 2\nkind: 3\n", std::nullopt, std::nullopt,
       {"frontmatter `kind` must be a string", "frontmatter `lang` must be a string",
        "frontmatter `canonical` must be a boolean"}},
      {"title: x\nkind: !custom howto\n", "howto", std::nullopt, {}},
  };
  for (const auto& c : cases) {
    Frontmatter fm = read(c.raw);
    EXPECT_EQ(fm.kind, c.kind) << c.raw;
    EXPECT_EQ(fm.canonical, c.canonical) << c.raw;
    std::vector<std::string> errors;
    for (const auto& e : fm.errors) errors.push_back(e.message);
    EXPECT_EQ(errors, c.errors) << c.raw;
  }
}

TEST(Frontmatter, ShapesAndSpans) {
  EXPECT_TRUE(read("").errors.empty());
  EXPECT_TRUE(read("# only a comment\n").errors.empty());
  Frontmatter scalar = read("just text\n");
  ASSERT_EQ(scalar.errors.size(), 1u);
  EXPECT_EQ(scalar.errors[0].message, "YAML frontmatter must be a mapping");
  EXPECT_EQ(scalar.errors[0].span, scalar.span);
  EXPECT_EQ(read("- a\n").errors.at(0).message, "YAML frontmatter must be a mapping");
  Frontmatter lang = read("lang: zh\n");
  EXPECT_EQ(lang.lang, "zh");
  EXPECT_EQ(lang.raw, "lang: zh\n");
}

TEST(Frontmatter, SyntaxErrorLinesCountFromTheFile) {
  // The reader places this error at its line 3 (after the last line); the YAML starts on the
  // file's line 2, so the message names line 4.
  Frontmatter fm = read("a: 1\nb: [1\n");
  ASSERT_EQ(fm.errors.size(), 1u);
  EXPECT_EQ(fm.errors[0].message, "yaml-cpp: error at line 4, column 1: end of sequence flow not found");
  EXPECT_FALSE(fm.kind.has_value());
}

TEST(Frontmatter, ReaderMessagesStayValidUtf8) {
  // The reader names the escaped character by its first byte only.
  Frontmatter fm = read("key: \"\\\xC3\xA9\"\n");
  ASSERT_EQ(fm.errors.size(), 1u);
  EXPECT_TRUE(utf8::is_valid(fm.errors[0].message)) << fm.errors[0].message;
  EXPECT_NE(fm.errors[0].message.find("unknown escape character"), std::string::npos);
}

TEST(Frontmatter, Unterminated) {
  auto fm = unterminated_frontmatter("---\n\ntitle: x\r\nmore\n");
  ASSERT_TRUE(fm.has_value());
  EXPECT_EQ(fm->span, (Span{0, 20}));
  EXPECT_EQ(fm->raw, "\ntitle: x\nmore");
  ASSERT_EQ(fm->errors.size(), 1u);
  EXPECT_EQ(fm->errors[0].message, "YAML frontmatter has no closing fence");
  EXPECT_FALSE(unterminated_frontmatter("---\nJust prose here.\n").has_value());
  EXPECT_FALSE(unterminated_frontmatter("---\n: no key\n").has_value());
  EXPECT_FALSE(unterminated_frontmatter("---\n").has_value());
  EXPECT_TRUE(unterminated_frontmatter("---\nmy-key_2:\n").has_value());
}

}  // namespace
}  // namespace tovik::md
