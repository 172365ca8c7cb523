// Rule selection per file: select/ignore specificity, per-file ignores, preview, kind scope, and
// the last-match-wins path mappings.
#include "config/policy.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/loader.hpp"
#include "config/settings_json.hpp"

namespace tovik::config {
namespace {

using Codes = std::vector<std::string_view>;

Config build(std::string_view text) {
  auto config = load_text(text, "/w");
  EXPECT_TRUE(config.ok()) << config.error();
  return config.ok() ? std::move(*config) : Config{};
}

Codes rules_for(std::string_view toml, std::string_view file, std::optional<DocumentKind> kind,
                SelectionArgs args = {}) {
  Config config = build(toml);
  auto codes = enabled_rules(config, file, args, kind);
  EXPECT_TRUE(codes.ok()) << codes.error();
  return codes.ok() ? *codes : Codes{};
}

const Codes stable = {"KND001", "KND002", "LNK001", "SUP001", "SUP002"};

struct SelectionCase {
  std::string name;
  std::string toml;
  SelectionArgs args;
  Codes expected;  // for /w/docs/a.md of kind howto
};

class Selection : public testing::TestWithParam<SelectionCase> {};

TEST_P(Selection, EnablesTheExpectedRules) {
  const SelectionCase& c = GetParam();
  EXPECT_EQ(rules_for(c.toml, "/w/docs/a.md", DocumentKind::howto, c.args), c.expected);
}

SelectionArgs select(std::vector<std::string> s, std::vector<std::string> extend = {}, bool preview = false) {
  return SelectionArgs{preview, std::move(s), std::move(extend)};
}
SelectionArgs extend_only(std::vector<std::string> extend) {
  return SelectionArgs{false, std::nullopt, std::move(extend)};
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Selection,
    testing::Values(
        SelectionCase{"defaults_stable_only", "", {}, stable},
        SelectionCase{"ignore_family", "[lint]\nignore = [\"KND\"]", {}, {"LNK001", "SUP001", "SUP002"}},
        SelectionCase{"code_beats_family",
                      "[lint]\nselect = [\"ALL\", \"KND001\"]\nignore = [\"KND\"]",
                      {},
                      {"KND001", "LNK001", "SUP001", "SUP002"}},
        SelectionCase{
            "family_beats_all", "[lint]\nselect = [\"KND\"]\nignore = [\"ALL\"]", {}, {"KND001", "KND002"}},
        SelectionCase{"tie_goes_to_ignore", "[lint]\nselect = [\"KND001\"]\nignore = [\"KND001\"]", {}, {}},
        SelectionCase{"all_and_all", "[lint]\nignore = [\"ALL\"]", {}, {}},
        SelectionCase{"empty_select", "[lint]\nselect = []", {}, {}},
        SelectionCase{
            "preview_rule_needs_preview", "[lint]\nselect = [\"STL001\", \"KND001\"]", {}, {"KND001"}},
        SelectionCase{"preview_from_config",
                      "preview = true\n[lint]\nselect = [\"STL001\", \"KND001\"]",
                      {},
                      {"KND001", "STL001"}},
        SelectionCase{"preview_from_command_line",
                      "[lint]\nselect = [\"STL\"]",
                      SelectionArgs{true, std::nullopt, {}},
                      {"STL001", "STL002", "STL003", "STL004"}},
        // --select replaces the configured selection, including its extend-select.
        SelectionCase{"select_replaces",
                      "[lint]\nextend-select = [\"KND\"]\nselect = [\"SUP\"]",
                      select({"LNK001"}),
                      {"LNK001"}},
        SelectionCase{"extend_select_adds",
                      "[lint]\nselect = [\"SUP\"]",
                      extend_only({"KND002"}),
                      {"KND002", "SUP001", "SUP002"}},
        SelectionCase{
            "command_line_cannot_beat_ignore", "[lint]\nignore = [\"KND001\"]", select({"KND"}), {"KND002"}},
        // Per-file ignores have no specificity and match the config path exactly.
        SelectionCase{"per_file_ignore_all",
                      "[lint.per-file-ignores]\n\"docs/a.md\" = [\"ALL\"]",
                      select({"KND001"}),
                      {}},
        SelectionCase{"per_file_ignore_family",
                      "[lint.per-file-ignores]\n\"docs/*.md\" = [\"SUP\", \"LNK001\"]",
                      {},
                      {"KND001", "KND002"}},
        SelectionCase{
            "per_file_ignore_other_file", "[lint.per-file-ignores]\n\"a.md\" = [\"ALL\"]", {}, stable}),
    [](const auto& info) { return info.param.name; });

TEST(EnabledRules, KindScopeNarrowsTheSelection) {
  const std::string all_preview = "preview = true\n";
  Codes unresolved = rules_for(all_preview, "/w/a.md", std::nullopt);
  EXPECT_EQ(unresolved, (Codes{"KND001", "KND002", "LNK001", "LNK002", "SUP001", "SUP002"}));

  EXPECT_TRUE(rules_for(all_preview, "/w/a.md", DocumentKind::generated).empty());
  EXPECT_TRUE(rules_for("[lint]\nselect = [\"KND001\"]", "/w/a.md", DocumentKind::generated).empty());

  Codes changelog = rules_for(all_preview, "/w/a.md", DocumentKind::changelog);
  EXPECT_EQ(std::count(changelog.begin(), changelog.end(), "PTR001"), 0);  // not_changelog
  EXPECT_EQ(std::count(changelog.begin(), changelog.end(), "STL001"), 0);  // long_lived
  EXPECT_EQ(std::count(changelog.begin(), changelog.end(), "EVD001"), 1);  // any_kind

  Codes runbook = rules_for(all_preview, "/w/a.md", DocumentKind::runbook);
  EXPECT_EQ(std::count(runbook.begin(), runbook.end(), "ORD001"), 1);  // howto_runbook
  EXPECT_EQ(std::count(runbook.begin(), runbook.end(), "RAT001"), 0);  // howto_reference
  EXPECT_EQ(std::count(runbook.begin(), runbook.end(), "MIX001"), 1);  // howto_reference_runbook
  EXPECT_TRUE(std::is_sorted(runbook.begin(), runbook.end()));
  EXPECT_EQ(rules_for(all_preview, "/w/a.md", DocumentKind::howto).size(), 27u);
}

TEST(EnabledRules, InvalidCommandLineSelector) {
  Config config = build("");
  auto codes = enabled_rules(config, "/w/a.md", select({"KND"}, {"knd"}), std::nullopt);
  ASSERT_FALSE(codes.ok());
  EXPECT_EQ(codes.error(),
            "invalid rule selector \"knd\" for tovik 0.4.0; use ALL, a rule family such as KND, or a code "
            "listed by "
            "`tovik rule --all`; rules added in a newer release need an upgrade");
  auto first = validate_selection_args(select({"K", "knd"}));
  ASSERT_TRUE(first.has_value());
  EXPECT_NE(first->message.find("\"K\""), std::string::npos);
}

TEST(PathPolicy, LastMatchingMappingWins) {
  Config forward = build(R"(
[[kinds]]
path = "docs/**"
kind = "howto"
[[kinds]]
path = "docs/api/**"
kind = "reference"
[[domains]]
path = "**"
name = "general"
[[domains]]
path = "billing/**"
name = "billing"
[[sites]]
path = "site/**"
root = "site"
)");
  PathPolicy api = path_policy(forward, "/w/docs/api/x.md");
  EXPECT_EQ(api.configured_kind, DocumentKind::reference);
  EXPECT_EQ(api.config_path, std::optional<std::string>("docs/api/x.md"));
  EXPECT_EQ(path_policy(forward, "/w/docs/x.md").configured_kind, DocumentKind::howto);
  EXPECT_EQ(path_policy(forward, "/w/billing/x.md").domain, std::optional<std::string>("billing"));
  EXPECT_EQ(path_policy(forward, "/w/docs/x.md").domain, std::optional<std::string>("general"));
  EXPECT_EQ(path_policy(forward, "/w/site/a.md").site->root, "site");
  EXPECT_FALSE(path_policy(forward, "/w/docs/x.md").site.has_value());

  PathPolicy outside = path_policy(forward, "/other/docs/x.md");
  EXPECT_FALSE(outside.config_path.has_value());
  EXPECT_FALSE(outside.configured_kind.has_value());
  EXPECT_FALSE(outside.domain.has_value());

  Config reversed = build(R"(
[[kinds]]
path = "docs/api/**"
kind = "reference"
[[kinds]]
path = "docs/**"
kind = "howto"
)");
  EXPECT_EQ(path_policy(reversed, "/w/docs/api/x.md").configured_kind, DocumentKind::howto);
}

TEST(EffectiveSettings, AppliesTheCommandLineAndSerialises) {
  Config config = build(R"(
exclude = ["x/**"]
[lint]
select = ["KND"]
extend-select = ["SUP"]
[[sites]]
path = "s/**"
root = "s"
)");
  Settings replaced = effective_settings(config, select({"LNK001"}, {"DUP001"}, true));
  EXPECT_EQ(replaced.lint.select, (std::vector<std::string>{"LNK001", "DUP001"}));
  EXPECT_TRUE(replaced.preview);
  Settings kept = effective_settings(config, extend_only({"DUP"}));
  EXPECT_EQ(kept.lint.select, (std::vector<std::string>{"KND", "SUP", "DUP"}));
  EXPECT_FALSE(kept.preview);

  nlohmann::json json = settings_json(kept);
  EXPECT_EQ(json["exclude"], nlohmann::json::array({"x/**"}));
  EXPECT_EQ(json["lint"]["select"], nlohmann::json::array({"KND", "SUP", "DUP"}));
  EXPECT_EQ(json["lint"]["dup"]["min-jaccard"], 0.8);
  EXPECT_EQ(json["sites"][0], (nlohmann::json{{"path", "s/**"}, {"root", "s"}, {"base", "/"}}));
  EXPECT_FALSE(json["sites"][0].contains("public"));
  EXPECT_EQ(json["lint"]["per-file-ignores"], nlohmann::json::object());
  EXPECT_EQ(json.dump().substr(0, 12), "{\"domains\":[");  // keys in byte order
}

}  // namespace
}  // namespace tovik::config
