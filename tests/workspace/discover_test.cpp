// Discovery end to end on scratch workspaces: selection, configurations, exclusions, the stdin
// file, context pruning, incomplete reasons and the notes for explicit inputs.
#include "workspace/discover.hpp"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "../config/scratch.hpp"

namespace tovik::workspace {
namespace {

using testing_support::ScratchDir;

class Discover : public testing::Test {
 protected:
  void SetUp() override { dir.mkdir(".git"); }

  Result<Workspace> run(std::vector<std::string> paths = {}, DiscoveryMode mode = DiscoveryMode::check,
                        config::SelectionArgs selection = {}) {
    DiscoveryRequest request;
    request.current_dir = dir.path();
    request.paths = std::move(paths);
    request.mode = mode;
    request.selection = std::move(selection);
    return discover(request);
  }

  Workspace ok(std::vector<std::string> paths = {}, DiscoveryMode mode = DiscoveryMode::check,
               config::SelectionArgs selection = {}) {
    auto ws = run(std::move(paths), mode, std::move(selection));
    EXPECT_TRUE(ws.ok()) << ws.error();
    return ws.ok() ? std::move(*ws) : Workspace{};
  }

  Result<Workspace> with_stdin(std::string filename, std::string text = "# stdin\n") {
    DiscoveryRequest request;
    request.current_dir = dir.path();
    request.stdin_file = StdinFile{std::move(filename), std::move(text)};
    return discover(request);
  }

  static std::vector<std::string> documents(const Workspace& ws) {
    std::vector<std::string> out;
    for (const auto& d : ws.documents) out.push_back(d.display_path + (d.selected ? "" : " (context)"));
    return out;
  }

  ScratchDir dir;
};

TEST_F(Discover, WholeWorkspaceSkipsGitAndCacheAndFollowsNoLinks) {
  for (const char* file : {"docs/a.md", ".github/b.md", ".git/x.md", ".tovik_cache/y.md", "notes.txt"}) {
    dir.write(file, "");
  }
  dir.symlink("docs/a.md", "docs/link.md");
  Workspace ws = ok();
  EXPECT_EQ(ws.root, dir.path());
  EXPECT_EQ(documents(ws), (std::vector<std::string>{".github/b.md", "docs/a.md"}));
  EXPECT_TRUE(ws.incomplete_reasons.empty());
  EXPECT_TRUE(ws.notes.empty());
  ASSERT_EQ(ws.configurations.size(), 1u);
  EXPECT_EQ(ws.configurations.begin()->first, "<defaults>");
  EXPECT_EQ(ws.documents[0].config_name, "<defaults>");
  EXPECT_EQ(ws.documents[0].path, dir / ".github/b.md");
}

TEST_F(Discover, DisplayPathsRepairNamesForUsers) {
  dir.write("docs/back\\slash.md", "");
  dir.write("docs/bad\xff.md", "");
  Workspace ws = ok();
  EXPECT_EQ(documents(ws), (std::vector<std::string>{"docs/back/slash.md", "docs/bad\uFFFD.md"}));
  EXPECT_EQ(ws.documents[0].path, dir / "docs/back\\slash.md");
}

TEST_F(Discover, NotesExplainExplicitPathsWithoutDocuments) {
  dir.write("tovik.toml", "exclude = [\"gen/**\", \"one.md\"]\n");
  dir.write(".gitignore", "build/\n");
  dir.write("docs/a.md", "");
  dir.write("notes.txt", "");
  dir.write("build/x.md", "");
  dir.write("vendor/.gitignore", "*.md\n");
  dir.write("vendor/v.md", "");
  dir.mkdir("empty");
  for (const char* file : {"gen/1.md", "gen/2.md", "gen/sub/3.md", "one.md"}) dir.write(file, "");
  dir.symlink("docs/a.md", "link.md");

  Workspace ws =
      ok({"link.md", "notes.txt", "build", "vendor", "empty", "gen", "one.md", "docs", "missing.md"});
  EXPECT_EQ(documents(ws), std::vector<std::string>{"docs/a.md"});
  EXPECT_EQ(ws.incomplete_reasons,
            (std::vector<PathMessage>{
                {"missing.md", "Path does not exist; provide an existing file or directory."}}));
  EXPECT_EQ(
      ws.notes,
      (std::vector<PathMessage>{
          {"build", "Not checked because .gitignore ignores it."},
          {"empty", "Not checked because it contains no Markdown files."},
          {"gen", "Not checked because configuration excludes its 3 Markdown files; inspect `tovik policy`."},
          {"link.md", "Not checked because workspace discovery skipped it; symbolic links are not followed."},
          {"notes.txt", "Not checked because it is not a .md or .markdown file."},
          {"one.md", "Not checked because `exclude` in tovik.toml matches it."},
          {"vendor", "Not checked because .gitignore ignores its Markdown files."},
      }));
  ASSERT_EQ(ws.exclusions.size(), 4u);
  EXPECT_EQ(ws.exclusions[0].display_path, "gen/1.md");
  EXPECT_EQ(ws.exclusions[0].setting, "exclude");
  EXPECT_EQ(ws.exclusions[0].config_name, "tovik.toml");
}

TEST_F(Discover, IncludeNotesAndTheSingularCount) {
  dir.write("tovik.toml", "include = [\"docs/**/*.md\"]\n");
  dir.write("top.md", "");
  dir.write("other/x.md", "");
  Workspace ws = ok({"top.md", "other"});
  EXPECT_EQ(ws.notes,
            (std::vector<PathMessage>{
                {"other",
                 "Not checked because configuration excludes its 1 Markdown file; inspect `tovik policy`."},
                {"top.md", "Not checked because `include` in tovik.toml does not match it."},
            }));
  EXPECT_EQ(ws.exclusions[0].setting, "include");
}

TEST_F(Discover, DefaultIncludeGlobsAreCaseSensitive) {
  // Guide.MD is a Markdown path for the walk, but the default include globs do not match it.
  dir.write("Guide.MD", "");
  dir.write("docs/a.markdown", "");
  Workspace ws = ok({"Guide.MD", "docs"});
  EXPECT_EQ(documents(ws), std::vector<std::string>{"docs/a.markdown"});
  EXPECT_EQ(
      ws.notes,
      (std::vector<PathMessage>{
          {"Guide.MD", "Not checked because `include` in the default configuration does not match it."}}));
}

TEST_F(Discover, EmptyWorkspaceGetsOneWorkspaceNote) {
  Workspace ws = ok();
  EXPECT_TRUE(ws.documents.empty());
  EXPECT_EQ(ws.notes, (std::vector<PathMessage>{{".", "No documents were checked in workspace " + dir.path() +
                                                          " because it contains no Markdown files."}}));
}

TEST_F(Discover, InputsOutsideTheWorkspaceEndThePass) {
  ScratchDir sibling;
  sibling.write("a.md", "");
  auto ws = run({sibling / "a.md"});
  ASSERT_FALSE(ws.ok());
  EXPECT_EQ(ws.error(),
            sibling / "a.md" + " is outside workspace " + dir.path() + "; run from its workspace directory.");

  // A symbolic link inside the workspace that leads out of it is outside too.
  dir.symlink(sibling.path(), "out");
  auto through_link = run({"out/a.md"});
  ASSERT_FALSE(through_link.ok());
  EXPECT_EQ(through_link.error(),
            dir / "out/a.md" + " is outside workspace " + dir.path() + "; run from its workspace directory.");
}

TEST_F(Discover, InvalidCommandLineSelectorEndsThePass) {
  auto ws = run({}, DiscoveryMode::check, config::SelectionArgs{false, std::vector<std::string>{"knd"}, {}});
  ASSERT_FALSE(ws.ok());
  EXPECT_TRUE(ws.error().starts_with("invalid rule selector \"knd\" for tovik 0.4.0;")) << ws.error();
}

TEST_F(Discover, RootConfigurationErrorEndsThePass) {
  dir.write("tovik.toml", "preview = 1\n");
  auto ws = run();
  ASSERT_FALSE(ws.ok());
  EXPECT_EQ(ws.error(), "invalid configuration " + (dir / "tovik.toml") +
                            ": invalid type: integer `1`, expected a boolean for key `preview`");
}

TEST_F(Discover, BrokenNestedConfigurationAffectsOnlyItsFiles) {
  dir.write("tovik.toml", "");
  dir.write("good/a.md", "");
  dir.write("bad/tovik.toml", "[lint]\nselect = [\"knd\"]\n");
  dir.write("bad/b.md", "");
  dir.write("bad/sub/c.md", "");
  dir.write("nested/.tovik.toml", "preview = true\n");
  dir.write("nested/n.md", "");
  Workspace ws = ok();
  EXPECT_EQ(documents(ws), (std::vector<std::string>{"good/a.md", "nested/n.md"}));
  ASSERT_EQ(ws.incomplete_reasons.size(), 2u);
  EXPECT_EQ(ws.incomplete_reasons[0].path, "bad/b.md");
  EXPECT_TRUE(
      ws.incomplete_reasons[0].message.starts_with("invalid configuration " + (dir / "bad/tovik.toml")));
  EXPECT_EQ(ws.incomplete_reasons[1].path, "bad/sub/c.md");
  EXPECT_EQ(ws.documents[1].config_name, "nested/.tovik.toml");
  EXPECT_EQ(ws.documents[1].config->base_dir, dir / "nested");
  std::vector<std::string> names;
  for (const auto& [name, settings] : ws.configurations) names.push_back(name);
  EXPECT_EQ(names, (std::vector<std::string>{"nested/.tovik.toml", "tovik.toml"}));
  EXPECT_TRUE(ws.configurations.at("nested/.tovik.toml").preview);
}

TEST_F(Discover, ConfigOptionGovernsEveryFile) {
  dir.write("docs/tovik.toml", "exclude = [\"**\"]\n");
  dir.write("docs/a.md", "");
  dir.write("ci/lint.toml", "exclude = [\"skip/**\"]\n");
  dir.write("skip/b.md", "");
  DiscoveryRequest request;
  request.current_dir = dir / "docs";
  request.config = "../ci/lint.toml";
  auto ws = discover(request);
  ASSERT_TRUE(ws.ok()) << ws.error();
  EXPECT_EQ(documents(*ws), std::vector<std::string>{"docs/a.md"});
  std::vector<std::string> names;
  for (const auto& [name, settings] : ws->configurations) names.push_back(name);
  EXPECT_EQ(names, std::vector<std::string>{"ci/lint.toml"});
  ASSERT_EQ(ws->exclusions.size(), 1u);  // globs resolve against the root, not the file's directory
  EXPECT_EQ(ws->exclusions[0].display_path, "skip/b.md");
  EXPECT_EQ(ws->exclusions[0].config_name, "ci/lint.toml");
}

TEST_F(Discover, ContextIsKeptOnlyForCrossFileRules) {
  dir.write("docs/a.md", "");
  dir.write("docs/b.md", "");
  dir.write("other/c.md", "");
  dir.write("broken/tovik.toml", "preview = 1\n");
  dir.write("broken/d.md", "");

  // Only per-file rules: the unselected documents and their problems are dropped.
  Workspace plain = ok({"docs/a.md"});
  EXPECT_EQ(documents(plain), std::vector<std::string>{"docs/a.md"});
  EXPECT_TRUE(plain.incomplete_reasons.empty());

  // LNK002 is a cross-file rule: every included document becomes context.
  Workspace linked = ok({"docs/a.md"}, DiscoveryMode::check, config::SelectionArgs{true, std::nullopt, {}});
  EXPECT_EQ(documents(linked),
            (std::vector<std::string>{"docs/a.md", "docs/b.md (context)", "other/c.md (context)"}));
  ASSERT_EQ(linked.incomplete_reasons.size(), 1u);
  EXPECT_EQ(linked.incomplete_reasons[0].path, "broken/d.md");

  // Parse mode keeps only the selected documents; report mode keeps everything.
  EXPECT_EQ(documents(ok({"docs"}, DiscoveryMode::parse)),
            (std::vector<std::string>{"docs/a.md", "docs/b.md"}));
  Workspace report = ok({}, DiscoveryMode::report);
  EXPECT_EQ(report.documents.size(), 3u);
  EXPECT_EQ(report.incomplete_reasons.size(), 1u);
}

TEST_F(Discover, ReportModeListsEveryExcludedFile) {
  dir.write("tovik.toml", "exclude = [\"gen/**\"]\n[[domains]]\npath = \"**\"\nname = \"core\"\n");
  dir.write("gen/a.md", "");
  dir.write("b.md", "");
  Workspace ws = ok({}, DiscoveryMode::report);
  ASSERT_EQ(ws.exclusions.size(), 1u);
  const Exclusion& excluded = ws.exclusions[0];
  EXPECT_EQ(excluded.display_path, "gen/a.md");
  EXPECT_EQ(config::path_policy(*excluded.config, excluded.path).domain, std::optional<std::string>("core"));
  EXPECT_TRUE(ws.notes.empty());
}

TEST_F(Discover, StdinFileNamesAWorkspacePath) {
  dir.write("docs/a.md", "");
  auto ws = with_stdin("new/dir/page.md", "# hello\n");
  ASSERT_TRUE(ws.ok()) << ws.error();
  ASSERT_EQ(ws->documents.size(), 1u);  // no cross-file rule: the rest is not needed
  EXPECT_EQ(ws->documents[0].display_path, "new/dir/page.md");
  EXPECT_EQ(ws->documents[0].stdin_text, std::optional<std::string>("# hello\n"));
  EXPECT_TRUE(ws->notes.empty());

  // A file on disk with the same path is replaced by the stdin entry.
  auto replaced = with_stdin("docs/a.md", "text");
  ASSERT_TRUE(replaced.ok());
  ASSERT_EQ(replaced->documents.size(), 1u);
  EXPECT_EQ(replaced->documents[0].stdin_text, std::optional<std::string>("text"));
}

TEST_F(Discover, StdinFileErrors) {
  dir.write(".gitignore", "private/\n");
  dir.write("a.md", "");
  dir.write("tovik.toml", "exclude = [\"drafts/**\"]\n");

  auto txt = with_stdin("notes.txt");
  ASSERT_FALSE(txt.ok());
  EXPECT_EQ(txt.error(), "The stdin filename must have a .md or .markdown extension.");

  auto under_file = with_stdin("a.md/b.md");
  ASSERT_FALSE(under_file.ok());
  EXPECT_EQ(under_file.error(), dir / "a.md" + " is not a directory; choose a valid workspace path.");

  auto ignored = with_stdin("private/x.md");
  ASSERT_FALSE(ignored.ok());
  EXPECT_EQ(ignored.error(), "private/x.md is excluded by .gitignore; choose an included Markdown path.");

  auto excluded = with_stdin("drafts/x.md");
  ASSERT_TRUE(excluded.ok()) << excluded.error();
  EXPECT_TRUE(excluded->documents.empty());
  EXPECT_EQ(excluded->incomplete_reasons,
            (std::vector<PathMessage>{
                {"drafts/x.md",
                 "The stdin filename is excluded by configuration; choose an included Markdown path."}}));
  EXPECT_TRUE(excluded->notes.empty());
}

TEST_F(Discover, InputsThroughSymbolicLinksAreExpressedUnderTheRoot) {
  dir.write("docs/guide.md", "");
  dir.symlink(dir / "docs", "alias");
  Workspace ws = ok({"alias/guide.md"});
  EXPECT_EQ(documents(ws), std::vector<std::string>{"docs/guide.md"});

  // A link to a directory named on its own is followed to the directory.
  Workspace whole = ok({"alias"});
  EXPECT_EQ(documents(whole), std::vector<std::string>{"docs/guide.md"});
}

// Builds `depth` nested directories with long names below `base`, deeper than a path may be, and
// removes them again; only descriptor-relative calls can reach the bottom.
class TooDeep {
 public:
  TooDeep(const std::string& base, int depth) : name_(250, 'x'), depth_(depth) {
    int fd = ::open(base.c_str(), O_RDONLY | O_DIRECTORY);
    for (int i = 0; i < depth_ && fd >= 0; ++i) {
      ::mkdirat(fd, name_.c_str(), 0755);
      int next = ::openat(fd, name_.c_str(), O_RDONLY | O_DIRECTORY);
      ::close(fd);
      fd = next;
    }
    if (fd >= 0) ::close(fd);
    base_ = base;
  }
  ~TooDeep() { remove(::open(base_.c_str(), O_RDONLY | O_DIRECTORY), 0); }

 private:
  void remove(int fd, int level) {
    if (fd < 0) return;
    if (level < depth_) remove(::openat(fd, name_.c_str(), O_RDONLY | O_DIRECTORY), level + 1);
    if (level < depth_) ::unlinkat(fd, name_.c_str(), AT_REMOVEDIR);
    ::close(fd);
  }
  std::string base_;
  std::string name_;
  int depth_;
};

TEST_F(Discover, WalkErrorsMakeTheResultIncompleteAndTheWalkGoesOn) {
  dir.write("docs/a.md", "");
  dir.mkdir("deep");
  TooDeep deep(dir / "deep", 18);
  Workspace ws = ok();
  EXPECT_EQ(documents(ws), std::vector<std::string>{"docs/a.md"});
  ASSERT_EQ(ws.incomplete_reasons.size(), 1u);
  EXPECT_EQ(ws.incomplete_reasons[0].path, ".");
  EXPECT_TRUE(ws.incomplete_reasons[0].message.starts_with("Cannot finish workspace discovery: deep/xxx"));
  EXPECT_TRUE(ws.incomplete_reasons[0].message.ends_with(": File name too long"));
}

TEST(ResolveInput, MapsPathsIntoTheWorkspace) {
  ScratchDir dir;
  dir.write("a.md", "");
  dir.mkdir("real");
  dir.symlink(dir / "real", "link");
  auto root = dir.path();
  EXPECT_EQ(*resolve_input(root, root), root);
  EXPECT_EQ(*resolve_input(root, dir / "link/x/y.md"), dir / "real/x/y.md");
  EXPECT_EQ(*resolve_input(root, dir / "new/file.md"), dir / "new/file.md");

  auto broken = resolve_input(dir / "gone", dir / "a.md");
  ASSERT_FALSE(broken.ok());
  EXPECT_EQ(broken.error(), "Cannot resolve workspace " + (dir / "gone") + ": No such file or directory");
}

}  // namespace
}  // namespace tovik::workspace
