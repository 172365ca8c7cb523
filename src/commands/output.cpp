// Unbuffered output with the system's error text on failure.
#include "commands/output.hpp"

#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "support/files.hpp"

namespace tovik::commands {

bool write_stdout(const std::string& text, std::string& error) {
  std::size_t written = 0;
  while (written < text.size()) {
    ssize_t n = ::write(STDOUT_FILENO, text.data() + written, text.size() - written);
    if (n < 0) {
      if (errno == EINTR) continue;
      error = files::system_error(errno);
      return false;
    }
    written += static_cast<std::size_t>(n);
  }
  return true;
}

void print_stderr(const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stderr);
  std::fflush(stderr);
}

}  // namespace tovik::commands
