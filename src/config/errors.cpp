// Message templates of configuration loading.
#include "config/errors.hpp"

namespace tovik::config {

std::string read_error(std::string_view path, std::string_view system_error) {
  return "cannot read configuration " + std::string(path) + ": " + std::string(system_error);
}

std::string invalid_error(std::string_view path, std::string_view message) {
  return "invalid configuration " + std::string(path) + ": " + std::string(message);
}

std::string cycle_error(std::string_view chain) {
  return "configuration inheritance cycle: " + std::string(chain);
}

std::string outside_workspace_error(std::string_view file, std::string_view root) {
  return "file " + std::string(file) + " is outside workspace " + std::string(root);
}

}  // namespace tovik::config
