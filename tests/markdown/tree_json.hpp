// The tree as JSON in the shape the mdast oracle prints, for comparing trees.
#pragma once

#include <nlohmann/json.hpp>

#include "markdown/parser.hpp"

namespace tovik::markdown::testing {

nlohmann::ordered_json tree_to_json(const Tree& tree, NodeId id = kRoot);

}  // namespace tovik::markdown::testing
