// Recursive directory walk over POSIX directory streams.
#include "workspace/walk.hpp"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>

#include "paths/paths.hpp"
#include "support/files.hpp"
#include "workspace/gitignore.hpp"

namespace tovik::workspace {

namespace {

enum class Kind : unsigned char { file, directory, skip };

struct Entry {
  std::string name;
  Kind kind;
};

bool equals_ignoring_ascii_case(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i];
    char y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

class Walker {
 public:
  explicit Walker(const WalkOptions& options) : options_(options) {}

  // `rel` is `dir` relative to the root ("" for the root itself).
  void walk(const std::string& dir, const std::string& rel) {
    if (done_) return;
    std::vector<Entry> entries;
    Listing listing;
    if (!list(dir, entries, listing)) return;
    if (!listing.config_name) result_.config_free_dirs.insert(dir);

    bool pushed = false;
    if (options_.apply_gitignore && listing.gitignore) {
      auto read = read_ignore_file(dir, rel, ignores_);
      if (!read.ok()) {
        result_.problems.push_back({paths::join(dir, ".gitignore"), read.error(), true});
      } else {
        pushed = *read;
      }
    }

    // Visiting each directory's entries in byte order of their names gives path order overall.
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.name < b.name; });
    for (const Entry& entry : entries) {
      if (done_) break;
      std::string entry_rel = rel.empty() ? entry.name : rel + "/" + entry.name;
      bool is_dir = entry.kind == Kind::directory;
      if (!is_dir && !is_markdown_path(entry.name)) continue;
      if (options_.apply_gitignore && ignores_.ignored(entry_rel, is_dir)) continue;
      std::string path = paths::join(dir, entry.name);
      if (is_dir) {
        walk(path, entry_rel);
      } else {
        result_.files.push_back(std::move(path));
        if (options_.stop_at_first) done_ = true;
      }
    }
    if (pushed) ignores_.pop();
  }

  WalkResult take() { return std::move(result_); }

 private:
  // Reads the directory's entries, keeping only regular files and directories (not through
  // symbolic links) and skipping .git and .tovik_cache.
  struct Listing {
    bool gitignore = false;    // an entry named .gitignore
    bool config_name = false;  // an entry named like a configuration file
  };

  bool list(const std::string& dir, std::vector<Entry>& entries, Listing& listing) {
    DIR* stream = ::opendir(dir.c_str());
    if (stream == nullptr) {
      result_.problems.push_back({dir, files::system_error(errno), false});
      return false;
    }
    while (true) {
      errno = 0;
      const dirent* d = ::readdir(stream);
      if (d == nullptr) {
        if (errno != 0) result_.problems.push_back({dir, files::system_error(errno), false});
        break;
      }
      std::string_view name = d->d_name;
      if (name == "." || name == ".." || name == ".git" || name == ".tovik_cache") continue;
      if (name == ".gitignore") listing.gitignore = true;
      if (name == ".tovik.toml" || name == "tovik.toml" || name == "pyproject.toml")
        listing.config_name = true;
      Kind kind = Kind::skip;
      unsigned char type = d->d_type;
      if (type == DT_UNKNOWN) {
        struct stat st {};
        std::string path = paths::join(dir, name);
        if (::lstat(path.c_str(), &st) == 0) {
          type = S_ISREG(st.st_mode) ? DT_REG : S_ISDIR(st.st_mode) ? DT_DIR : DT_LNK;
        }
      }
      if (type == DT_REG) kind = Kind::file;
      if (type == DT_DIR) kind = Kind::directory;
      if (kind != Kind::skip) entries.push_back({std::string(name), kind});
    }
    ::closedir(stream);
    return true;
  }

  const WalkOptions& options_;
  IgnoreStack ignores_;
  WalkResult result_;
  bool done_ = false;
};

}  // namespace

bool is_markdown_path(std::string_view path) {
  std::size_t slash = path.rfind('/');
  std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
  std::size_t dot = name.rfind('.');
  if (dot == std::string_view::npos || dot == 0) return false;
  std::string_view extension = name.substr(dot + 1);
  return equals_ignoring_ascii_case(extension, "md") || equals_ignoring_ascii_case(extension, "markdown");
}

WalkResult walk_markdown(const std::string& root, const std::string& dir, const WalkOptions& options) {
  Walker walker(options);
  walker.walk(dir, paths::relative_to(dir, root).value_or(""));
  return walker.take();
}

}  // namespace tovik::workspace
