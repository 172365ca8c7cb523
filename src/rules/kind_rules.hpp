// KND001 and KND002: a document kind that cannot be resolved or is not allowed.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "config/kind_resolution.hpp"
#include "diagnostics/diagnostic.hpp"

namespace tovik::rules {

// At most one diagnostic for the file, built from its kind resolution.
std::optional<diagnostics::Diagnostic> kind_diagnostic(const config::KindResolution& resolution,
                                                       const std::string& filename, std::string_view source);

}  // namespace tovik::rules
