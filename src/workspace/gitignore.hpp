// Git's ignore rules for the workspace's own .gitignore files: pattern parsing (comments,
// negation, directory-only patterns, anchoring, escaped and trailing spaces) and Git's wildcard
// matching (`*`, `?`, bracket expressions, `**` components), compared byte by byte.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "support/result.hpp"

namespace tovik::workspace {

// Git's wildcard match of `text` against `pattern`. With `pathname`, `*`, `?` and bracket
// expressions never match '/', and `**` between slashes matches any number of directories.
bool wildmatch(std::string_view pattern, std::string_view text, bool pathname);

struct IgnorePattern {
  std::string pattern;  // without the '!', the trailing '/' and an anchoring leading '/'
  bool negated = false;
  bool dir_only = false;
  bool basename_only = false;  // no '/' in the pattern: matched against the last component
};

// The patterns of one .gitignore file.
class IgnoreFile {
 public:
  enum class Verdict { none, ignored, included };

  // `dir` is the directory of the file relative to the workspace root ("" for the root).
  static IgnoreFile parse(std::string_view text, std::string dir);

  // The last pattern matching `path` (relative to the root, inside `dir()`) decides.
  Verdict match(std::string_view path, bool is_dir) const;
  const std::string& dir() const { return dir_; }
  const std::vector<IgnorePattern>& patterns() const { return patterns_; }

 private:
  std::string dir_;
  std::vector<IgnorePattern> patterns_;
};

// The .gitignore files that apply at one point of a walk, outermost first.
class IgnoreStack {
 public:
  void push(IgnoreFile file) { files_.push_back(std::move(file)); }
  void pop() { files_.pop_back(); }
  // The innermost file with a matching pattern decides; no match means not ignored.
  bool ignored(std::string_view path, bool is_dir) const;

 private:
  std::vector<IgnoreFile> files_;
};

// Reads `dir`/.gitignore when it is a regular file (symbolic links are not read, as Git does);
// `rel_dir` is `dir` relative to the root. Returns false when there is no such file.
Result<bool> read_ignore_file(const std::string& dir, const std::string& rel_dir, IgnoreStack& stack);

// Whether the .gitignore files of the workspace at `root` ignore `path` (absolute, normalised,
// within the root): every directory on the way is tested, and a component named .git is always
// ignored.
Result<bool> is_gitignored(std::string_view root, std::string_view path, bool is_dir);

}  // namespace tovik::workspace
