#include "rules/kind_rules.hpp"

#include <gtest/gtest.h>

namespace tovik::rules {
namespace {

using config::DocumentKind;
using State = config::KindResolution::State;

md::Frontmatter frontmatter(std::optional<std::string> kind, std::vector<std::string> errors = {}) {
  md::Frontmatter fm;
  fm.span = {0, 20};
  fm.kind = std::move(kind);
  for (auto& e : errors) fm.errors.push_back({e, fm.span});
  return fm;
}

TEST(ResolveKind, FrontmatterFirstThenConfiguration) {
  struct Case {
    std::optional<md::Frontmatter> fm;
    std::optional<DocumentKind> configured;
    State state;
    std::optional<DocumentKind> kind;
  };
  const Case cases[] = {
      {frontmatter("howto"), DocumentKind::reference, State::from_frontmatter, DocumentKind::howto},
      {frontmatter("howto", {"bad yaml"}), DocumentKind::reference, State::invalid_frontmatter, std::nullopt},
      {frontmatter("generated"), DocumentKind::generated, State::generated_in_frontmatter, std::nullopt},
      {frontmatter("guide"), std::nullopt, State::unknown_kind, std::nullopt},
      {frontmatter("Howto"), DocumentKind::howto, State::unknown_kind, std::nullopt},
      {frontmatter(" howto"), std::nullopt, State::unknown_kind, std::nullopt},
      {frontmatter(std::nullopt), DocumentKind::reference, State::from_configuration, DocumentKind::reference},
      {std::nullopt, DocumentKind::generated, State::from_configuration, DocumentKind::generated},
      {frontmatter(std::nullopt), std::nullopt, State::missing, std::nullopt},
      {std::nullopt, std::nullopt, State::missing, std::nullopt},
  };
  for (const auto& c : cases) {
    auto r = config::resolve_kind(c.fm, c.configured);
    EXPECT_EQ(r.state, c.state);
    EXPECT_EQ(r.effective(), c.kind);
  }
  EXPECT_EQ(config::resolve_kind(std::nullopt, std::nullopt).span, (md::Span{0, 0}));
  EXPECT_EQ(config::resolve_kind(frontmatter(std::nullopt), std::nullopt).span, (md::Span{0, 20}));
}

TEST(KindDiagnostic, MessagesAndSuggestions) {
  std::string source = "---\nkind: guide\n---\n# T\n";
  auto unknown = kind_diagnostic(config::resolve_kind(frontmatter("guide"), std::nullopt), "a.md", source);
  ASSERT_TRUE(unknown.has_value());
  EXPECT_EQ(unknown->code, "KND002");
  EXPECT_EQ(unknown->message, "Unknown document kind \"guide\".");
  EXPECT_EQ(unknown->suggestion,
            "Use one of the lowercase kinds readme, howto, reference, runbook, agents, adr, plan, or changelog in "
            "frontmatter.");
  EXPECT_EQ(unknown->byte_range, (diagnostics::ByteRange{0, 20}));

  auto invalid = kind_diagnostic(
      config::resolve_kind(frontmatter("x", {"yaml-cpp: error at line 2, column 7: bad..."}), std::nullopt), "a.md",
      source);
  ASSERT_TRUE(invalid.has_value());
  EXPECT_EQ(invalid->code, "KND001");
  EXPECT_EQ(invalid->message,
            "Document kind cannot be resolved because the frontmatter is invalid: yaml-cpp: error at line 2, column "
            "7: bad.");

  auto missing = kind_diagnostic(config::resolve_kind(std::nullopt, std::nullopt), "a.md", "# T\n");
  ASSERT_TRUE(missing.has_value());
  EXPECT_EQ(missing->message, "Document kind is not declared and no kind mapping matches this file.");
  EXPECT_EQ(missing->location, (diagnostics::Position{1, 1}));
  EXPECT_EQ(missing->byte_range, (diagnostics::ByteRange{0, 0}));

  auto generated = kind_diagnostic(config::resolve_kind(frontmatter("generated"), std::nullopt), "a.md", source);
  ASSERT_TRUE(generated.has_value());
  EXPECT_EQ(generated->code, "KND002");

  EXPECT_FALSE(kind_diagnostic(config::resolve_kind(frontmatter("adr"), std::nullopt), "a.md", source).has_value());
}

TEST(DescribeKind, ReportShape) {
  EXPECT_EQ(config::describe_kind(config::resolve_kind(frontmatter("plan"), std::nullopt)).dump(),
            R"({"value":"plan","source":"frontmatter","problem":null})");
  EXPECT_EQ(config::describe_kind(config::resolve_kind(std::nullopt, DocumentKind::generated)).dump(),
            R"({"value":"generated","source":"configuration","problem":null})");
  EXPECT_EQ(config::describe_kind(config::resolve_kind(std::nullopt, std::nullopt)).dump(),
            R"({"value":null,"source":"unknown","problem":"Declare kind in frontmatter or add a matching [[kinds]] configuration entry."})");
  EXPECT_EQ(config::describe_kind(config::resolve_kind(frontmatter("a\"b"), std::nullopt))["problem"],
            "Unknown kind \"a\\\"b\"; use one of the lowercase kinds readme, howto, reference, runbook, agents, adr, "
            "plan, or changelog.");
}

}  // namespace
}  // namespace tovik::rules
