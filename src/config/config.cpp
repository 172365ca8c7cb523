// Matching files against a configuration's include and exclude globs, and naming configurations.
#include "config/config.hpp"

#include "paths/paths.hpp"

namespace tovik::config {

std::optional<std::string> config_path_of(const Config& config, std::string_view file) {
  return paths::config_path_of(config.base_dir, file);
}

bool is_included(const Config& config, std::string_view file) {
  auto path = config_path_of(config, file);
  return path && any_matches(config.include, *path);
}

bool is_excluded(const Config& config, std::string_view file) {
  auto path = config_path_of(config, file);
  return path && any_matches(config.exclude, *path);
}

std::string display_name(const Config& config, std::string_view root) {
  if (!config.source) return std::string(defaults_name);
  return paths::display_path(root, *config.source);
}

}  // namespace tovik::config
