// Settings as a JSON value tree, with the configuration file's key names (the policy report).
#pragma once

#include <nlohmann/json.hpp>

#include "config/settings.hpp"

namespace tovik::config {

nlohmann::json settings_json(const Settings& settings);

}  // namespace tovik::config
