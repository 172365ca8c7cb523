// The walk of a workspace tree: one pass from a directory down, never following symbolic links,
// skipping .git and .tovik_cache at every depth, optionally applying .gitignore files.
#pragma once

#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace tovik::workspace {

// True when the last component has the extension md or markdown, ignoring ASCII case; a name
// whose only dot is its first character has no extension.
bool is_markdown_path(std::string_view path);

struct WalkProblem {
  std::string path;  // absolute path of the entry concerned
  std::string message;
  bool ignore_rules;  // a .gitignore could not be applied (the rest of the walk went on)
};

struct WalkOptions {
  bool apply_gitignore = true;
  bool stop_at_first = false;  // end the walk at the first Markdown file found
};

struct WalkResult {
  // Absolute paths of the regular Markdown files, in path order (component by component, bytes).
  std::vector<std::string> files;
  std::vector<WalkProblem> problems;
  // Walked directories whose listing holds no entry named like a configuration file, so looking
  // for their configuration file can be skipped.
  std::unordered_set<std::string> config_free_dirs;
};

// Walks `dir` (absolute, normalised, within `root`). .gitignore files are read from `dir` down,
// so a walk that applies them starts at the root; patterns see paths relative to `root`.
WalkResult walk_markdown(const std::string& root, const std::string& dir, const WalkOptions& options);

}  // namespace tovik::workspace
