// The messages of configuration loading (the variants of ConfigError). Paths are shown absolute.
#pragma once

#include <string>
#include <string_view>

namespace tovik::config {

// `Read`: a configuration file (or directory) could not be inspected or read.
std::string read_error(std::string_view path, std::string_view system_error);
// `Invalid`: a configuration file is malformed or fails validation.
std::string invalid_error(std::string_view path, std::string_view message);
// `Cycle`: `chain` lists the files of an extend chain joined by " -> ".
std::string cycle_error(std::string_view chain);
// `OutsideWorkspace`.
std::string outside_workspace_error(std::string_view file, std::string_view root);

}  // namespace tovik::config
