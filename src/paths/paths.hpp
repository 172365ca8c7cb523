// Lexical path operations shared by configuration, discovery, the index and the outputs.
// Paths are byte strings split at '/'; nothing here touches the file system except `absolute`.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "support/result.hpp"

namespace tovik::paths {

// The absolute form of `path`: joined to the working directory when relative, then normalised.
Result<std::string> absolute(std::string_view path);
// As `absolute`, against an explicit base directory instead of the working directory.
std::string absolute_from(std::string_view base, std::string_view path);

// Removes `.` and `..` components and repeated or trailing separators.
std::string normalize(std::string_view path);
std::string join(std::string_view base, std::string_view path);
bool is_absolute(std::string_view path);

// True when the components of `dir` are a prefix of those of `path` (equal paths included).
bool within(std::string_view path, std::string_view dir);
// The components of `path` after those of `dir`; nothing when `path` is not within `dir`.
std::optional<std::string> relative_to(std::string_view path, std::string_view dir);

// The text users see: workspace-relative when inside the root, in full otherwise, with invalid
// UTF-8 replaced by U+FFFD and backslashes shown as '/'.
std::string display_path(std::string_view root, std::string_view path);
// The path a configuration's globs see, or nothing when the file lies outside `base_dir`.
std::optional<std::string> config_path_of(std::string_view base_dir, std::string_view path);

// Component-wise byte order: a path sorts before the paths below it ("a/b.md" < "a.md").
int path_cmp(std::string_view a, std::string_view b);
inline bool path_less(std::string_view a, std::string_view b) { return path_cmp(a, b) < 0; }

std::string parent(std::string_view path);
std::string file_name(std::string_view path);


}  // namespace tovik::paths
