// Reading files and standard input.
#pragma once

#include <string>
#include <string_view>

#include "support/result.hpp"

namespace tovik::files {

// The whole file as bytes; the error is the system's description.
Result<std::string> read_file(const std::string& path);
// All of standard input as bytes.
Result<std::string> read_stdin();
// The system's description of errno value `err`.
std::string system_error(int err);

}  // namespace tovik::files
