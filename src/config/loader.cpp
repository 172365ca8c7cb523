// Configuration lookup and loading.
#include "config/loader.hpp"

#include <array>

#include "config/errors.hpp"
#include "config/filesystem.hpp"
#include "config/toml_value.hpp"
#include "paths/paths.hpp"
#include "support/files.hpp"
#include "support/quote.hpp"
#include "support/utf8.hpp"

namespace tovik::config {

namespace {

constexpr std::array<std::string_view, 3> config_file_names = {".tovik.toml", "tovik.toml", "pyproject.toml"};

Result<Config> load_from(std::string_view path, std::optional<std::string_view> base_dir) {
  auto absolute = paths::absolute(path);
  if (!absolute.ok()) return Error{read_error(path, absolute.error())};
  std::vector<std::string> stack;
  auto value = load_value_chain(*absolute, stack);
  if (!value.ok()) return Error{value.error()};
  std::string base = base_dir ? paths::normalize(*base_dir) : paths::parent(*absolute);
  return build_config(**value, base, *absolute);
}

Result<ConfigPtr> load_checked(const std::string& file, std::string_view root) {
  auto config = load_config(file);
  if (!config.ok()) return Error{config.error()};
  if (auto error = check_sites(*config, root)) return *error;
  return ConfigPtr(std::make_shared<const Config>(std::move(*config)));
}

}  // namespace

Result<std::optional<std::string>> find_config_file(std::string_view dir) {
  for (std::string_view name : config_file_names) {
    std::string path = paths::join(dir, name);
    auto type = fs::stat_type(path);
    if (!type.ok()) return Error{read_error(path, type.error())};
    if (*type == fs::EntryType::missing) continue;
    if (*type != fs::EntryType::regular) {
      return Error{invalid_error(path, "expected a configuration file, found a directory")};
    }
    if (name != "pyproject.toml") return std::optional<std::string>(path);

    auto text = files::read_file(path);
    if (!text.ok()) return Error{read_error(path, text.error())};
    if (!utf8::is_valid(*text)) return Error{read_error(path, utf8::invalid_description(*text))};
    auto document = parse_toml(*text, path);
    if (!document.ok()) return Error{invalid_error(path, document.error())};
    if (settings_value(path, *(*document)->as_table())) return std::optional<std::string>(path);
  }
  return std::optional<std::string>();
}

Result<Config> load_config(std::string_view path) {
  return load_from(path, std::nullopt);
}

Result<Config> load_with_base(std::string_view path, std::string_view base_dir) {
  return load_from(path, base_dir);
}

Result<Config> load_text(std::string_view text, std::string_view base_dir) {
  std::string base = paths::normalize(base_dir);
  std::string source = paths::join(base, "tovik.toml");
  auto document = parse_toml(text, source);
  if (!document.ok()) return Error{invalid_error(source, document.error())};
  if ((*document)->as_table()->contains("extend")) {
    return Error{invalid_error(source, "extend requires Config::load so its source file can be resolved")};
  }
  return build_config(**document, base, std::nullopt);
}

std::string git_root(std::string_view dir) {
  std::string current = paths::normalize(dir);
  while (true) {
    auto type = fs::lstat_type(paths::join(current, ".git"));
    if (type.ok() && *type != fs::EntryType::missing) return current;
    std::string up = paths::parent(current);
    if (up == current || up.empty()) return paths::normalize(dir);
    current = up;
  }
}

std::optional<Error> check_sites(const Config& config, std::string_view root) {
  std::string named = config.source ? *config.source : paths::join(config.base_dir, "tovik.toml");
  auto check = [&](std::string_view key, const std::string& value) -> std::optional<Error> {
    std::string dir = paths::absolute_from(config.base_dir, value);
    if (paths::within(dir, root)) return std::nullopt;
    return Error{invalid_error(named, std::string(key) + " " + quote(value) + " is outside workspace " +
                                          std::string(root) + "; choose a directory inside the workspace")};
  };
  for (const CompiledSiteMapping& mapping : config.sites) {
    if (auto error = check("sites.root", mapping.site.root)) return error;
    if (mapping.site.public_dir) {
      if (auto error = check("sites.public", *mapping.site.public_dir)) return error;
    }
  }
  return std::nullopt;
}

Result<WorkspaceConfig> load_workspace_config(std::string_view start_dir,
                                              const std::optional<std::string>& config_path) {
  auto absolute = paths::absolute(start_dir);
  if (!absolute.ok()) return Error{read_error(start_dir, absolute.error())};
  const std::string& start = *absolute;

  WorkspaceConfig workspace;
  if (config_path) {
    std::string file = paths::absolute_from(start, *config_path);
    workspace.root = git_root(start);
    auto config = load_with_base(file, workspace.root);
    if (!config.ok()) return Error{config.error()};
    if (auto error = check_sites(*config, workspace.root)) return *error;
    workspace.root_config = std::make_shared<const Config>(std::move(*config));
    workspace.config_override = true;
    return workspace;
  }

  std::string dir = start;
  while (true) {
    auto found = find_config_file(dir);
    if (!found.ok()) return Error{found.error()};
    if (*found) {
      workspace.root = dir;
      auto config = load_checked(**found, dir);
      if (!config.ok()) return Error{config.error()};
      workspace.root_config = std::move(*config);
      return workspace;
    }
    std::string up = paths::parent(dir);
    if (up == dir || up.empty()) break;
    dir = up;
  }

  workspace.root = git_root(start);
  auto defaults = load_text("", workspace.root);
  if (!defaults.ok()) return Error{defaults.error()};
  workspace.root_config = std::make_shared<const Config>(std::move(*defaults));
  return workspace;
}

const Result<ConfigPtr>& ConfigResolver::for_directory(const std::string& dir) {
  if (workspace_.config_override || dir == workspace_.root || !paths::within(dir, workspace_.root)) {
    root_result_ = workspace_.root_config;
    return root_result_;
  }
  auto cached = by_directory_.find(dir);
  if (cached != by_directory_.end()) return cached->second;

  Result<ConfigPtr> result = ConfigPtr{};
  if (known_ && known_(dir)) {
    result = for_directory(paths::parent(dir));
    return by_directory_.emplace(dir, std::move(result)).first->second;
  }
  auto found = find_config_file(dir);
  if (!found.ok()) {
    result = Error{found.error()};
  } else if (*found) {
    result = load_checked(**found, workspace_.root);
  } else {
    result = for_directory(paths::parent(dir));
  }
  return by_directory_.emplace(dir, std::move(result)).first->second;
}

Result<ConfigPtr> config_for_file(const WorkspaceConfig& workspace, std::string_view file) {
  std::string path = paths::absolute_from(workspace.root, file);
  if (!paths::within(path, workspace.root)) return Error{outside_workspace_error(path, workspace.root)};
  if (workspace.config_override) return workspace.root_config;
  ConfigResolver resolver(workspace);
  return resolver.for_directory(paths::parent(path));
}

}  // namespace tovik::config
