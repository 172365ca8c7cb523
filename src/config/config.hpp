// A loaded and validated configuration, and the accessors other modules match files with.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "config/glob.hpp"
#include "config/kind.hpp"
#include "config/settings.hpp"

namespace tovik::config {

struct CompiledKindMapping {
  Glob glob;
  DocumentKind kind;
};

struct CompiledDomainMapping {
  Glob glob;
  std::string name;
};

struct CompiledSiteMapping {
  Glob glob;
  SiteMapping site;
};

struct CompiledPerFileIgnore {
  Glob glob;
  std::vector<std::string> selectors;
};

struct Config {
  // Absolute normalised directory every relative glob and directory resolves against.
  std::string base_dir;
  Settings settings;
  std::vector<Glob> include;
  std::vector<Glob> exclude;
  std::vector<CompiledKindMapping> kinds;               // file order
  std::vector<CompiledDomainMapping> domains;           // file order
  std::vector<CompiledSiteMapping> sites;               // file order
  std::vector<CompiledPerFileIgnore> per_file_ignores;  // ascending byte order of the globs
  // The configuration file; absent for a configuration built from text (the defaults).
  std::optional<std::string> source;
};

// The path `file` has for this configuration's globs, or nothing outside its base directory.
std::optional<std::string> config_path_of(const Config& config, std::string_view file);
// Whether any include glob, or any exclude glob, matches `file` (false outside the base dir).
bool is_included(const Config& config, std::string_view file);
bool is_excluded(const Config& config, std::string_view file);

// How reports and notes name a configuration: its source relative to the workspace root (or
// absolute when outside it), or "<defaults>".
std::string display_name(const Config& config, std::string_view root);
inline constexpr std::string_view defaults_name = "<defaults>";

}  // namespace tovik::config
