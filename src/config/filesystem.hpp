// The few file-system queries configuration loading and discovery make, with system error texts.
#pragma once

#include <string>

#include "support/result.hpp"

namespace tovik::config::fs {

enum class EntryType { missing, regular, directory, symlink, other };

// The type of the entry at `path`, following symbolic links. A missing entry (or a path through
// a non-directory) is `missing`; any other failure is the system's description.
Result<EntryType> stat_type(const std::string& path);
// As `stat_type` without following a final symbolic link (which gives `symlink`).
Result<EntryType> lstat_type(const std::string& path);

// The absolute path with every symbolic link resolved. `missing_error` is set to true when the
// failure means the path (or a component of it) does not exist.
Result<std::string> canonical(const std::string& path, bool* missing_error = nullptr);

}  // namespace tovik::config::fs
