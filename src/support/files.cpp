// Reading files and standard input with POSIX calls, so errors carry the system's text.
#include "support/files.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace tovik::files {

std::string system_error(int err) { return std::strerror(err); }

namespace {

Result<std::string> read_all(int fd) {
  std::string out;
  char buf[65536];
  while (true) {
    ssize_t n = ::read(fd, buf, sizeof buf);
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      return Error{system_error(errno)};
    }
    out.append(buf, static_cast<std::size_t>(n));
  }
  return out;
}

}  // namespace

Result<std::string> read_file(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return Error{system_error(errno)};
  auto result = read_all(fd);
  ::close(fd);
  return result;
}

Result<std::string> read_stdin() { return read_all(STDIN_FILENO); }

}  // namespace tovik::files
