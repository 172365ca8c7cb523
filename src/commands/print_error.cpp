// Error printing shared by every command.
#include "commands/print_error.hpp"

#include <cstdio>

namespace tovik::commands {

namespace {

std::string replace_all(std::string text, std::string_view from, std::string_view to) {
  std::size_t pos = 0;
  while ((pos = text.find(from, pos)) != std::string::npos) {
    text.replace(pos, from.size(), to);
    pos += to.size();
  }
  return text;
}

}  // namespace

std::string format_command_error(std::string_view message) {
  std::string out;
  std::size_t pos = 0;
  while (pos < message.size()) {
    std::size_t nl = message.find('\n', pos);
    std::size_t end = nl == std::string_view::npos ? message.size() : nl;
    std::string_view piece = message.substr(pos, end - pos);
    if (nl != std::string_view::npos && !piece.empty() && piece.back() == '\r') piece.remove_suffix(1);
    std::string line = replace_all(std::string(piece), "\r", "\\r");
    line = replace_all(std::move(line), "##[", "## [");
    out += "tovik: ";
    out += line;
    out += '\n';
    if (nl == std::string_view::npos) break;
    pos = nl + 1;
  }
  return out;
}

void print_command_error(std::string_view message) {
  std::string text = format_command_error(message);
  std::fwrite(text.data(), 1, text.size(), stderr);
  std::fflush(stderr);
}

}  // namespace tovik::commands
