// Finding and loading configuration files: lookup upward from a start directory, `--config`,
// nested configurations per directory, and `extend` chains.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "config/config.hpp"
#include "support/result.hpp"

namespace tovik::config {

using ConfigPtr = std::shared_ptr<const Config>;

struct WorkspaceConfig {
  std::string root;  // absolute, normalised
  ConfigPtr root_config;
  bool config_override = false;  // --config given: root_config governs every file
};

// Finds the workspace root and its configuration from `start_dir`, or loads `config_path`
// (--config) with the Git root of `start_dir` as root and base directory.
Result<WorkspaceConfig> load_workspace_config(std::string_view start_dir,
                                              const std::optional<std::string>& config_path);

// The configuration governing `file` (absolute, or relative to the root).
Result<ConfigPtr> config_for_file(const WorkspaceConfig& workspace, std::string_view file);

// The configuration file of directory `dir`: .tovik.toml, tovik.toml, or a pyproject.toml with a
// [tool.tovik] table; nothing when there is none.
Result<std::optional<std::string>> find_config_file(std::string_view dir);

// Loads a configuration file and its extend chain; the base directory is the file's directory.
Result<Config> load_config(std::string_view path);
// As load_config, with an explicit base directory (--config).
Result<Config> load_with_base(std::string_view path, std::string_view base_dir);
// A configuration from TOML text with no file; load_text("", root) is the default configuration.
Result<Config> load_text(std::string_view text, std::string_view base_dir);

// The first of `dir` and its ancestors that holds an entry named .git, else `dir` itself.
std::string git_root(std::string_view dir);

// Fails when a `[[sites]]` root or public directory lies outside the workspace `root`.
std::optional<Error> check_sites(const Config& config, std::string_view root);

// Resolves the governing configuration per directory, loading each directory's configuration
// file at most once per pass (errors are remembered too).
class ConfigResolver {
 public:
  explicit ConfigResolver(const WorkspaceConfig& workspace) : workspace_(workspace) {}

  // The configuration for files directly inside `dir` (absolute, normalised, within the root).
  const Result<ConfigPtr>& for_directory(const std::string& dir);

  // Lets the caller say which directories are known to hold no configuration file (for example
  // from a directory listing it already has), so they are not inspected again.
  void set_known_without_config(std::function<bool(const std::string& dir)> known) {
    known_ = std::move(known);
  }

 private:
  const WorkspaceConfig& workspace_;
  std::function<bool(const std::string&)> known_;
  Result<ConfigPtr> root_result_{ConfigPtr{}};
  std::map<std::string, Result<ConfigPtr>> by_directory_;
};

}  // namespace tovik::config
