// TOML values of configuration files: parsing, extend chains and merging. Internal to the
// configuration module (the only place that includes toml++).
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <toml++/toml.h>

#include "config/config.hpp"
#include "support/result.hpp"

namespace tovik::config {

using TomlValue = std::unique_ptr<toml::node>;

TomlValue clone_value(const toml::node& node);

// Parses TOML text; the error is the parser's description with its line and column.
Result<TomlValue> parse_toml(std::string_view text, const std::string& source);

// The settings value of a parsed file: the whole document, or `tool.tovik` of a pyproject.toml
// (nothing when that file has no such table).
std::optional<TomlValue> settings_value(const std::string& path, const toml::table& document);

// Merges an extending file's value (overlay) into the value it extends (base): tables merge key
// by key, `extend-select`, `extend-ignore` and `extend-exclude` arrays accumulate, anything else
// of the overlay replaces the base.
TomlValue merge_values(const toml::node& base, const toml::node& overlay);

// Reads the file at `path` (absolute, normalised), follows its `extend` key and returns the merged
// value. `stack` holds the canonical paths of the files being loaded, outermost first.
Result<TomlValue> load_value_chain(const std::string& path, std::vector<std::string>& stack);

// Validates a merged value and builds the configuration (first problem reported).
Result<Config> build_config(const toml::node& value, const std::string& base_dir,
                            const std::optional<std::string>& source);

}  // namespace tovik::config
