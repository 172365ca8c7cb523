// Configuration schema: defaults, extend lists, and every validation message in build order.
#include <gtest/gtest.h>

#include <string>

#include "config/loader.hpp"
#include "config/policy.hpp"

namespace tovik::config {
namespace {

Result<Config> build(std::string_view text) {
  return load_text(text, "/w");
}

TEST(Schema, EmptyConfigurationHasTheDefaults) {
  auto config = build("");
  ASSERT_TRUE(config.ok()) << config.error();
  const Settings& s = config->settings;
  EXPECT_EQ(s.include, (std::vector<std::string>{"**/*.md", "**/*.markdown"}));
  EXPECT_TRUE(s.exclude.empty());
  EXPECT_FALSE(s.preview);
  EXPECT_EQ(s.lint.select, std::vector<std::string>{"ALL"});
  EXPECT_EQ(s.lint.languages, (std::vector<std::string>{"en", "zh", "ja"}));
  EXPECT_EQ(s.lint.dup, DupSettings{});
  EXPECT_EQ(s.lint.dup.min_identifiers, 5u);
  EXPECT_EQ(s.lint.dup.min_jaccard, 0.8);
  EXPECT_EQ(s.lint.dup.min_paragraph_similarity, 0.9);
  EXPECT_EQ(s.lint.dup.min_paragraph_chars, 80u);
  EXPECT_EQ(s.lint.dup.shingle_size, 5u);
  EXPECT_EQ(config->base_dir, "/w");
  EXPECT_FALSE(config->source.has_value());
  EXPECT_TRUE(is_included(*config, "/w/docs/a/b.markdown"));
  EXPECT_FALSE(is_included(*config, "/w/a.txt"));
  EXPECT_FALSE(is_included(*config, "/elsewhere/a.md"));
}

TEST(Schema, ExtendListsAppendToTheirBaseLists) {
  auto config = build(R"(
exclude = ["a/**"]
extend-exclude = ["b/**"]
[lint]
extend-select = ["DUP001"]
ignore = ["LNK"]
extend-ignore = ["SUP001"]
)");
  ASSERT_TRUE(config.ok()) << config.error();
  EXPECT_EQ(config->settings.exclude, (std::vector<std::string>{"a/**", "b/**"}));
  EXPECT_EQ(config->settings.lint.select, (std::vector<std::string>{"ALL", "DUP001"}));
  EXPECT_EQ(config->settings.lint.ignore, (std::vector<std::string>{"LNK", "SUP001"}));
  EXPECT_TRUE(is_excluded(*config, "/w/b/x.md"));
}

TEST(Schema, PartialTablesKeepOtherDefaults) {
  auto config = build(R"(
[lint.dup]
min-jaccard = 1
shingle-size = 7
[[sites]]
path = "site/**"
root = "site"
)");
  ASSERT_TRUE(config.ok()) << config.error();
  EXPECT_EQ(config->settings.lint.dup.min_jaccard, 1.0);
  EXPECT_EQ(config->settings.lint.dup.shingle_size, 7u);
  EXPECT_EQ(config->settings.lint.dup.min_identifiers, 5u);
  ASSERT_EQ(config->settings.sites.size(), 1u);
  EXPECT_EQ(config->settings.sites[0].base, "/");
  EXPECT_FALSE(config->settings.sites[0].public_dir.has_value());
}

TEST(Schema, AcceptsEveryKeyAndTheBoundaryValues) {
  auto config = build(R"(
include = ["docs/**/*.md"]
exclude = ["docs/tmp/**"]
preview = true
[[kinds]]
path = "docs/**"
kind = "generated"
[[domains]]
path = "docs/**"
name = "billing"
[[sites]]
path = "site/**"
root = "site"
public = "site/public"
base = "/guide"
[lint]
select = ["KND", "LNK001"]
ignore = ["ALL"]
languages = ["en"]
[lint.per-file-ignores]
"CHANGELOG.md" = ["ALL"]
[lint.dup]
min-identifiers = 1
min-jaccard = 0
min-paragraph-similarity = 1.0
min-paragraph-chars = 1
shingle-size = 1
[lint.ptr]
catalog-dirs = ["docs/catalog"]
[lint.lexicon.zh]
extend-stale-markers = ["目前"]
)");
  ASSERT_TRUE(config.ok()) << config.error();
  ASSERT_EQ(config->kinds.size(), 1u);
  EXPECT_EQ(config->kinds[0].kind, DocumentKind::generated);
  EXPECT_EQ(config->per_file_ignores.size(), 1u);
  EXPECT_EQ(config->settings.lint.lexicon.at("zh").extend_stale_markers, std::vector<std::string>{"目前"});
  EXPECT_EQ(config->settings.sites[0].public_dir, std::optional<std::string>("site/public"));
}

struct InvalidCase {
  std::string name;
  std::string toml;
  std::string message;  // after "invalid configuration /w/tovik.toml: "
  friend void PrintTo(const InvalidCase& c, std::ostream* os) { *os << c.toml; }
};

class SchemaInvalid : public testing::TestWithParam<InvalidCase> {};

TEST_P(SchemaInvalid, ReportsTheFirstProblem) {
  auto config = build(GetParam().toml);
  ASSERT_FALSE(config.ok());
  EXPECT_EQ(config.error(), "invalid configuration /w/tovik.toml: " + GetParam().message);
}

const std::string invalid_selector_knd =
    "invalid rule selector \"knd\" for tovik 0.4.0; use ALL, a rule family such as KND, or a code listed by "
    "`tovik rule --all`; rules added in a newer release need an upgrade";

INSTANTIATE_TEST_SUITE_P(
    Cases, SchemaInvalid,
    testing::Values(
        // Extend lists are taken out first, with their own messages naming the bare key.
        InvalidCase{"extend_select_string", "[lint]\nextend-select = \"DUP001\"",
                    "extend-select must be an array of strings"},
        InvalidCase{"extend_exclude_number", "extend-exclude = [\"a\", 1]",
                    "extend-exclude must contain only strings"},
        InvalidCase{"extend_before_schema", "selct = 1\nextend-exclude = 3",
                    "extend-exclude must be an array of strings"},
        // Schema reading.
        InvalidCase{
            "unknown_lint_key", "[lint]\nselct = []",
            "unknown field `selct`, expected one of `select`, `extend-select`, `ignore`, `extend-ignore`, "
            "`languages`, `per-file-ignores`, `dup`, `ptr`, `lexicon`"},
        InvalidCase{"unknown_kinds_key", "[[kinds]]\npath = \"a\"\nkind = \"howto\"\nname = \"x\"",
                    "unknown field `name`, expected `path` or `kind`"},
        InvalidCase{"missing_site_root", "[[sites]]\npath = \"a/**\"", "missing field `root` in `sites[0]`"},
        InvalidCase{"wrong_type", "preview = \"yes\"",
                    "invalid type: string \"yes\", expected a boolean for key `preview`"},
        InvalidCase{"wrong_element", "include = [\"a\", 2]",
                    "invalid type: integer `2`, expected a string for key `include[1]`"},
        InvalidCase{"negative_count", "[lint.dup]\nmin-identifiers = -1",
                    "invalid value: integer `-1`, expected a non-negative integer for key "
                    "`lint.dup.min-identifiers`"},
        InvalidCase{"lint_not_table", "lint = 3",
                    "invalid type: integer `3`, expected a table for key `lint`"},
        InvalidCase{"unknown_lexicon_list", "[lint.lexicon.en]\nextend-markers = []",
                    "unknown field `extend-markers`, expected one of `extend-stale-markers`, "
                    "`extend-constraint-markers`, `extend-commit-contexts`, `extend-pointer-markers`, "
                    "`extend-source-pointers`, `extend-rationale-headings`, `extend-conversation-markers`"},
        // Kinds, domains, sites.
        InvalidCase{"kind_case", "[[kinds]]\npath = \"a\"\nkind = \"Howto\"",
                    "unknown kind \"Howto\"; expected readme, howto, reference, runbook, agents, adr, plan, "
                    "changelog, generated"},
        InvalidCase{"blank_domain", "[[domains]]\npath = \"a\"\nname = \" \\u3000\"",
                    "domains.name must not be empty"},
        InvalidCase{
            "absolute_site_root", "[[sites]]\npath = \"a\"\nroot = \"/srv/docs\"",
            "sites.root \"/srv/docs\" must be a directory relative to this configuration, such as \"docs\""},
        InvalidCase{"blank_site_root", "[[sites]]\npath = \"a\"\nroot = \"  \"",
                    "sites.root \"  \" must be a directory relative to this configuration, such as \"docs\""},
        InvalidCase{
            "backslash_public", "[[sites]]\npath = \"a\"\nroot = \"d\"\npublic = \"\\\\p\"",
            "sites.public \"\\\\p\" must be a directory relative to this configuration, such as \"docs\""},
        InvalidCase{"relative_base", "[[sites]]\npath = \"a\"\nroot = \"d\"\nbase = \"guide/\"",
                    "sites.base \"guide/\" must be a URL path that starts with /, such as \"/guide/\""},
        InvalidCase{"base_fragment", "[[sites]]\npath = \"a\"\nroot = \"d\"\nbase = \"/guide/#top\"",
                    "sites.base \"/guide/#top\" must be a URL path that starts with /, such as \"/guide/\""},
        // Selectors: select, ignore, then per-file ignores even when no file matches.
        InvalidCase{"bad_select", "[lint]\nselect = [\"knd\"]", invalid_selector_knd},
        InvalidCase{"bad_extended_ignore", "[lint]\nextend-ignore = [\"knd\"]", invalid_selector_knd},
        InvalidCase{"bad_per_file", "[lint.per-file-ignores]\n\"nothing/**\" = [\"knd\"]",
                    invalid_selector_knd},
        // Languages.
        InvalidCase{"upper_language", "[lint]\nlanguages = [\"EN\"]",
                    "unsupported language \"EN\"; expected en, zh, or ja"},
        InvalidCase{"lexicon_language", "[lint.lexicon.fr]",
                    "unsupported language \"fr\"; expected en, zh, or ja"},
        // Thresholds in their order.
        InvalidCase{"min_identifiers", "[lint.dup]\nmin-identifiers = 0\nmin-jaccard = 2",
                    "lint.dup.min-identifiers must be at least 1"},
        InvalidCase{"jaccard_high", "[lint.dup]\nmin-jaccard = 1.5",
                    "lint.dup.min-jaccard must be a finite number from 0 to 1"},
        InvalidCase{"jaccard_nan", "[lint.dup]\nmin-jaccard = nan",
                    "lint.dup.min-jaccard must be a finite number from 0 to 1"},
        InvalidCase{"similarity_zero", "[lint.dup]\nmin-paragraph-similarity = 0",
                    "lint.dup.min-paragraph-similarity must be greater than 0 and at most 1"},
        InvalidCase{"shingle_zero", "[lint.dup]\nshingle-size = 0",
                    "lint.dup.min-paragraph-chars and shingle-size must be positive"},
        InvalidCase{"catalog_blank", "[lint.ptr]\ncatalog-dirs = [\"\"]",
                    "lint.ptr.catalog-dirs entries must not be empty"},
        InvalidCase{"lexicon_blank", "[lint.lexicon.en]\nextend-pointer-markers = [\"ok\", \" \"]",
                    "lint.lexicon extend-pointer-markers entries must not be empty"},
        // Globs, in label order.
        InvalidCase{"empty_include", "include = [\"\"]", "include glob must not be empty"},
        InvalidCase{"unclosed_exclude", "exclude = [\"docs/[a\"]",
                    "invalid exclude glob \"docs/[a\": unclosed character class; missing ']'"},
        InvalidCase{"glob_order", "exclude = [\"[\"]\ninclude = [\"{\"]",
                    "invalid include glob \"{\": unclosed alternate group; missing '}'"},
        InvalidCase{"kinds_glob", "[[kinds]]\npath = \"\"\nkind = \"adr\"",
                    "kinds.path glob must not be empty"},
        InvalidCase{
            "per_file_glob", "[lint.per-file-ignores]\n\"a**\" = [\"ALL\"]",
            "invalid lint.per-file-ignores glob \"a**\": invalid use of **; must be one path component"},
        // Text configurations cannot extend, and parse errors carry a position.
        InvalidCase{"text_extend", "extend = \"base.toml\"",
                    "extend requires Config::load so its source file can be resolved"},
        InvalidCase{"parse_error", "preview = ",
                    "Error while parsing key-value pair: encountered end-of-file at line 1, column 11"}),
    [](const auto& info) { return info.param.name; });

TEST(Schema, BackslashGlobsBehaveAsSlashGlobs) {
  auto config = build(R"(exclude = ['docs\tmp\**'])");
  ASSERT_TRUE(config.ok()) << config.error();
  EXPECT_TRUE(is_excluded(*config, "/w/docs/tmp/a/b.md"));
  EXPECT_FALSE(is_excluded(*config, "/w/docs/a.md"));
  EXPECT_EQ(config->settings.exclude[0], "docs\\tmp\\**");
}

}  // namespace
}  // namespace tovik::config
