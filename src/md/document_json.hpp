// The JSON form of the document model: records as objects with their fields in declared order.
#pragma once

#include <nlohmann/json.hpp>

#include "md/document.hpp"

namespace tovik::md {

nlohmann::ordered_json to_json(const Span& span);
nlohmann::ordered_json to_json(const Document& doc);

}  // namespace tovik::md
