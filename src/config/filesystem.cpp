// File-system queries over POSIX calls.
#include "config/filesystem.hpp"

#include <sys/stat.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <memory>

#include "support/files.hpp"

namespace tovik::config::fs {

namespace {

EntryType type_of(const struct stat& st) {
  if (S_ISREG(st.st_mode)) return EntryType::regular;
  if (S_ISDIR(st.st_mode)) return EntryType::directory;
  if (S_ISLNK(st.st_mode)) return EntryType::symlink;
  return EntryType::other;
}

Result<EntryType> from_call(int rc, const struct stat& st) {
  if (rc == 0) return type_of(st);
  if (errno == ENOENT || errno == ENOTDIR) return EntryType::missing;
  return Error{files::system_error(errno)};
}

}  // namespace

Result<EntryType> stat_type(const std::string& path) {
  struct stat st {};
  int rc = ::stat(path.c_str(), &st);
  return from_call(rc, st);
}

Result<EntryType> lstat_type(const std::string& path) {
  struct stat st {};
  int rc = ::lstat(path.c_str(), &st);
  return from_call(rc, st);
}

Result<std::string> canonical(const std::string& path, bool* missing_error) {
  if (missing_error) *missing_error = false;
  std::unique_ptr<char, decltype(&std::free)> resolved(::realpath(path.c_str(), nullptr), &std::free);
  if (!resolved) {
    if (missing_error) *missing_error = errno == ENOENT || errno == ENOTDIR;
    return Error{files::system_error(errno)};
  }
  return std::string(resolved.get());
}

}  // namespace tovik::config::fs
