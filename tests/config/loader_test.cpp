// Configuration files on disk: lookup, --config, nested configurations, extend chains and merging.
#include "config/loader.hpp"

#include <gtest/gtest.h>

#include <string>

#include "config/toml_value.hpp"
#include "scratch.hpp"

namespace tovik::config {
namespace {

using testing_support::ScratchDir;

TEST(FindConfigFile, PrefersTheFirstNameAndNeverReadsTheOthers) {
  ScratchDir dir;
  dir.write(".tovik.toml", "");
  dir.write("tovik.toml", "this is not toml");
  auto found = find_config_file(dir.path());
  ASSERT_TRUE(found.ok()) << found.error();
  EXPECT_EQ(*found, std::optional<std::string>(dir / ".tovik.toml"));
}

TEST(FindConfigFile, PyprojectCountsOnlyWithAToolTovikTable) {
  ScratchDir dir;
  dir.write("a/pyproject.toml", "[tool.black]\nline-length = 80\n");
  dir.write("b/pyproject.toml", "[tool.tovik]\npreview = true\n");
  dir.write("c/pyproject.toml", "[tool.black\n");
  auto a = find_config_file(dir / "a");
  ASSERT_TRUE(a.ok());
  EXPECT_FALSE(a->has_value());
  auto b = find_config_file(dir / "b");
  ASSERT_TRUE(b.ok());
  EXPECT_EQ(*b, std::optional<std::string>(dir / "b/pyproject.toml"));
  // A malformed pyproject.toml on the search path is an error even without [tool.tovik].
  auto c = find_config_file(dir / "c");
  ASSERT_FALSE(c.ok());
  EXPECT_TRUE(c.error().starts_with("invalid configuration " + (dir / "c/pyproject.toml") + ": "))
      << c.error();
}

TEST(FindConfigFile, ADirectoryNamedLikeAConfigurationIsAnError) {
  ScratchDir dir;
  dir.mkdir("tovik.toml");
  auto found = find_config_file(dir.path());
  ASSERT_FALSE(found.ok());
  EXPECT_EQ(found.error(), "invalid configuration " + (dir / "tovik.toml") +
                               ": expected a configuration file, found a directory");
}

TEST(LoadWorkspaceConfig, NearestConfigurationAboveTheStartIsTheRoot) {
  ScratchDir dir;
  dir.write("tovik.toml", "preview = true\n");
  dir.mkdir("docs/deep");
  dir.mkdir(".git");
  auto ws = load_workspace_config(dir / "docs/deep", std::nullopt);
  ASSERT_TRUE(ws.ok()) << ws.error();
  EXPECT_EQ(ws->root, dir.path());
  EXPECT_FALSE(ws->config_override);
  EXPECT_TRUE(ws->root_config->settings.preview);
  EXPECT_EQ(ws->root_config->base_dir, dir.path());
  EXPECT_EQ(ws->root_config->source, std::optional<std::string>(dir / "tovik.toml"));
  EXPECT_EQ(display_name(*ws->root_config, ws->root), "tovik.toml");
}

TEST(LoadWorkspaceConfig, WithoutConfigurationTheGitRootGetsTheDefaults) {
  ScratchDir dir;
  dir.write(".git", "gitdir: elsewhere\n");  // a .git file counts as well as a directory
  dir.mkdir("sub/dir");
  auto ws = load_workspace_config(dir / "sub/dir", std::nullopt);
  ASSERT_TRUE(ws.ok()) << ws.error();
  EXPECT_EQ(ws->root, dir.path());
  EXPECT_FALSE(ws->root_config->source.has_value());
  EXPECT_EQ(display_name(*ws->root_config, ws->root), "<defaults>");
  EXPECT_EQ(ws->root_config->base_dir, dir.path());
}

TEST(LoadWorkspaceConfig, EmptyStartDirectory) {
  auto ws = load_workspace_config("", std::nullopt);
  ASSERT_FALSE(ws.ok());
  EXPECT_EQ(ws.error(), "cannot read configuration : cannot make an empty path absolute");
}

TEST(LoadWorkspaceConfig, ConfigOptionResolvesGlobsAgainstTheGitRoot) {
  ScratchDir dir;
  dir.mkdir("repo/.git");
  dir.mkdir("repo/docs");
  dir.write("shared/lint.toml", "[[kinds]]\npath = \"docs/**\"\nkind = \"howto\"\n");
  auto ws = load_workspace_config(dir / "repo/docs", std::string("../../shared/lint.toml"));
  ASSERT_TRUE(ws.ok()) << ws.error();
  EXPECT_EQ(ws->root, dir / "repo");
  EXPECT_TRUE(ws->config_override);
  EXPECT_EQ(ws->root_config->base_dir, dir / "repo");
  EXPECT_EQ(display_name(*ws->root_config, ws->root), dir / "shared/lint.toml");
  EXPECT_TRUE(
      ws->root_config->kinds[0].glob.matches(*config_path_of(*ws->root_config, dir / "repo/docs/a.md")));
}

TEST(LoadWorkspaceConfig, ConfigOptionWithPyprojectNeedsTheTable) {
  ScratchDir dir;
  dir.write("pyproject.toml", "[project]\nname = \"x\"\n");
  auto ws = load_workspace_config(dir.path(), std::string("pyproject.toml"));
  ASSERT_FALSE(ws.ok());
  EXPECT_EQ(ws.error(), "invalid configuration " + (dir / "pyproject.toml") +
                            ": pyproject.toml has no [tool.tovik] table");
}

TEST(LoadWorkspaceConfig, MissingConfigOption) {
  ScratchDir dir;
  auto ws = load_workspace_config(dir.path(), std::string("nope.toml"));
  ASSERT_FALSE(ws.ok());
  EXPECT_EQ(ws.error(), "cannot read configuration " + (dir / "nope.toml") + ": No such file or directory");
}

TEST(LoadWorkspaceConfig, ConfigurationMustBeUtf8) {
  ScratchDir dir;
  dir.write("tovik.toml", "include = [\"\xff\"]\n");
  auto ws = load_workspace_config(dir.path(), std::nullopt);
  ASSERT_FALSE(ws.ok());
  EXPECT_EQ(ws.error(), "cannot read configuration " + (dir / "tovik.toml") +
                            ": invalid utf-8 sequence of 1 bytes from index 12");
}

TEST(LoadWorkspaceConfig, SitesMustStayInsideTheWorkspace) {
  ScratchDir dir;
  dir.write("tovik.toml", "[[sites]]\npath = \"**\"\nroot = \"../outside\"\n");
  auto ws = load_workspace_config(dir.path(), std::nullopt);
  ASSERT_FALSE(ws.ok());
  EXPECT_EQ(ws.error(), "invalid configuration " + (dir / "tovik.toml") +
                            ": sites.root \"../outside\" is outside workspace " + dir.path() +
                            "; choose a directory inside the workspace");
}

TEST(ConfigForFile, NestedConfigurationsReplaceTheRootOne) {
  ScratchDir dir;
  dir.write("tovik.toml", "preview = true\n");
  dir.write("docs/.tovik.toml", "[lint]\nselect = [\"KND\"]\n");
  dir.write("bad/tovik.toml", "preview = 3\n");
  dir.write("up/pyproject.toml", "[project]\n");
  dir.write("nested/tovik.toml", "[[sites]]\npath = \"**\"\nroot = \"../..\"\n");
  auto ws = load_workspace_config(dir.path(), std::nullopt);
  ASSERT_TRUE(ws.ok()) << ws.error();

  auto docs = config_for_file(*ws, dir / "docs/a/b.md");
  ASSERT_TRUE(docs.ok()) << docs.error();
  EXPECT_EQ((*docs)->base_dir, dir / "docs");
  EXPECT_FALSE((*docs)->settings.preview);  // nothing of the root configuration carries over
  EXPECT_EQ(display_name(**docs, ws->root), "docs/.tovik.toml");

  auto top = config_for_file(*ws, "up/readme.md");  // relative to the root
  ASSERT_TRUE(top.ok());
  EXPECT_EQ(top->get(), ws->root_config.get());

  auto bad = config_for_file(*ws, dir / "bad/x.md");
  ASSERT_FALSE(bad.ok());
  EXPECT_EQ(bad.error(), "invalid configuration " + (dir / "bad/tovik.toml") +
                             ": invalid type: integer `3`, expected a boolean for key `preview`");

  auto nested = config_for_file(*ws, dir / "nested/x.md");
  ASSERT_FALSE(nested.ok());
  EXPECT_TRUE(nested.error().find("sites.root \"../..\" is outside workspace") != std::string::npos);

  auto outside = config_for_file(*ws, "/elsewhere/a.md");
  ASSERT_FALSE(outside.ok());
  EXPECT_EQ(outside.error(), "file /elsewhere/a.md is outside workspace " + dir.path());
}

TEST(ConfigForFile, ConfigOptionGovernsEveryFile) {
  ScratchDir dir;
  dir.mkdir(".git");
  dir.write("docs/tovik.toml", "preview = 3\n");
  dir.write("my.toml", "preview = true\n");
  auto ws = load_workspace_config(dir.path(), std::string("my.toml"));
  ASSERT_TRUE(ws.ok()) << ws.error();
  auto docs = config_for_file(*ws, dir / "docs/a.md");
  ASSERT_TRUE(docs.ok()) << docs.error();
  EXPECT_TRUE((*docs)->settings.preview);
}

TEST(ExtendChain, ListsAccumulateAndOtherKeysAreReplaced) {
  ScratchDir dir;
  dir.write("base.toml", R"(
exclude = ["a/**"]
extend-exclude = ["b/**"]
include = ["x/**"]
[lint]
select = ["KND"]
extend-select = ["LNK001"]
[lint.dup]
min-identifiers = 9
shingle-size = 3
)");
  dir.write("sub/tovik.toml", R"(
extend = "../base.toml"
extend-exclude = ["c/**"]
exclude = ["d/**"]
[lint]
extend-select = ["SUP"]
[lint.dup]
shingle-size = 4
)");
  auto config = load_config(dir / "sub/tovik.toml");
  ASSERT_TRUE(config.ok()) << config.error();
  const Settings& s = config->settings;
  EXPECT_EQ(s.exclude, (std::vector<std::string>{"d/**", "b/**", "c/**"}));
  EXPECT_EQ(s.include, std::vector<std::string>{"x/**"});
  EXPECT_EQ(s.lint.select, (std::vector<std::string>{"KND", "LNK001", "SUP"}));
  EXPECT_EQ(s.lint.dup.min_identifiers, 9u);
  EXPECT_EQ(s.lint.dup.shingle_size, 4u);
  EXPECT_EQ(config->base_dir, dir / "sub");
}

TEST(ExtendChain, ErrorsInsideTheTargetNameTheTarget) {
  ScratchDir dir;
  dir.write("base.toml", "preview = 1\n");
  dir.write("tovik.toml", "extend = \"base.toml\"\n");
  auto config = load_config(dir / "tovik.toml");
  ASSERT_FALSE(config.ok());
  // Validation runs on the merged value, so the problem is reported against the extending file;
  // reading and parsing problems of the target name the target.
  EXPECT_EQ(config.error(), "invalid configuration " + (dir / "tovik.toml") +
                                ": invalid type: integer `1`, expected a boolean for key `preview`");
  dir.write("base.toml", "preview = \n");
  config = load_config(dir / "tovik.toml");
  ASSERT_FALSE(config.ok());
  EXPECT_TRUE(config.error().starts_with("invalid configuration " + (dir / "base.toml") + ": "))
      << config.error();
  dir.write("tovik.toml", "extend = \"missing.toml\"\n");
  config = load_config(dir / "tovik.toml");
  ASSERT_FALSE(config.ok());
  EXPECT_EQ(config.error(),
            "cannot read configuration " + (dir / "missing.toml") + ": No such file or directory");
}

TEST(ExtendChain, BadExtendValues) {
  ScratchDir dir;
  for (std::string value : {"\"\"", "3", "[\"a.toml\"]"}) {
    dir.write("tovik.toml", "extend = " + value + "\n");
    auto config = load_config(dir / "tovik.toml");
    ASSERT_FALSE(config.ok()) << value;
    EXPECT_EQ(config.error(), "invalid configuration " + (dir / "tovik.toml") +
                                  ": extend must be a non-empty configuration file path");
  }
}

TEST(ExtendChain, CyclesNameTheChain) {
  ScratchDir dir;
  dir.write("self.toml", "extend = \"self.toml\"\n");
  auto self = load_config(dir / "self.toml");
  ASSERT_FALSE(self.ok());
  EXPECT_EQ(self.error(),
            "configuration inheritance cycle: " + (dir / "self.toml") + " -> " + (dir / "self.toml"));

  dir.write("a.toml", "extend = \"b.toml\"\n");
  dir.write("b.toml", "extend = \"c.toml\"\n");
  dir.write("c.toml", "extend = \"./link/b.toml\"\n");
  dir.symlink(dir.path(), "link");  // the cycle is found through canonical paths
  auto chain = load_config(dir / "a.toml");
  ASSERT_FALSE(chain.ok());
  EXPECT_EQ(chain.error(), "configuration inheritance cycle: " + (dir / "a.toml") + " -> " +
                               (dir / "b.toml") + " -> " + (dir / "c.toml") + " -> " + (dir / "b.toml"));
}

TEST(ExtendChain, HoldsAtMost128Files) {
  ScratchDir dir;
  auto write_chain = [&](int files) {
    for (int i = 1; i <= files; ++i) {
      std::string text = i < files ? "extend = \"" + std::to_string(i + 1) + ".toml\"\n" : "preview = true\n";
      dir.write(std::to_string(i) + ".toml", text);
    }
  };
  write_chain(128);
  auto ok = load_config(dir / "1.toml");
  ASSERT_TRUE(ok.ok()) << ok.error();
  EXPECT_TRUE(ok->settings.preview);

  write_chain(129);
  auto refused = load_config(dir / "1.toml");
  ASSERT_FALSE(refused.ok());
  EXPECT_EQ(refused.error(), "invalid configuration " + (dir / "129.toml") +
                                 ": configuration inheritance exceeds 128 files; shorten the extend chain");
}

TEST(ExtendChain, PyprojectTargetsUseTheirToolTable) {
  ScratchDir dir;
  dir.write("pyproject.toml", "[tool.tovik]\npreview = true\n[tool.other]\nx = 1\n");
  dir.write("docs/tovik.toml", "extend = \"../pyproject.toml\"\n");
  auto config = load_config(dir / "docs/tovik.toml");
  ASSERT_TRUE(config.ok()) << config.error();
  EXPECT_TRUE(config->settings.preview);

  dir.write("pyproject.toml", "[tool]\ntovik = 3\n");
  config = load_config(dir / "pyproject.toml");
  ASSERT_FALSE(config.ok());
  EXPECT_EQ(config.error(), "invalid configuration " + (dir / "pyproject.toml") +
                                ": invalid type: integer `3`, expected a table");
}

TEST(MergeValues, AccumulatesOnlyTheThreeExtendKeys) {
  auto base = parse_toml(R"(
include = ["a"]
extend-exclude = ["b"]
[lint]
extend-ignore = ["KND"]
select = ["ALL"]
[lint.per-file-ignores]
"x.md" = ["KND"]
[[kinds]]
path = "a"
kind = "howto"
)",
                         "base");
  auto overlay = parse_toml(R"(
include = ["z"]
extend-exclude = ["c"]
[lint]
extend-ignore = ["LNK"]
extend-select = "odd"
[lint.per-file-ignores]
"y.md" = ["ALL"]
[[kinds]]
path = "b"
kind = "adr"
)",
                            "overlay");
  ASSERT_TRUE(base.ok() && overlay.ok());
  TomlValue merged = merge_values(**base, **overlay);
  auto expected = parse_toml(R"(
include = ["z"]
extend-exclude = ["b", "c"]
[lint]
extend-ignore = ["KND", "LNK"]
extend-select = "odd"
select = ["ALL"]
[lint.per-file-ignores]
"x.md" = ["KND"]
"y.md" = ["ALL"]
[[kinds]]
path = "b"
kind = "adr"
)",
                             "expected");
  EXPECT_EQ(*merged->as_table(), *(*expected)->as_table());

  // An accumulating key whose base is not an array keeps the base value.
  auto odd_base = parse_toml("extend-exclude = 1", "b");
  auto list_overlay = parse_toml("extend-exclude = [\"x\"]", "o");
  TomlValue kept = merge_values(**odd_base, **list_overlay);
  EXPECT_EQ(*kept->as_table(), *(*odd_base)->as_table());
}

}  // namespace
}  // namespace tovik::config
