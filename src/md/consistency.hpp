// The structural invariants of a Document: every span inside the source and on character
// boundaries, every index in range, every parent/child and owner list in agreement.
#pragma once

#include <optional>
#include <string>

#include "md/document.hpp"

namespace tovik::md {

// Nothing when the document is consistent, otherwise a description of the first violation.
std::optional<std::string> check_consistency(const Document& doc);

}  // namespace tovik::md
