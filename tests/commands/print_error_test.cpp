#include "commands/print_error.hpp"

#include <gtest/gtest.h>

namespace tovik::commands {
namespace {

TEST(PrintCommandError, LinesAndEscapes) {
  struct Case {
    std::string message;
    std::string printed;
  };
  const Case cases[] = {
      {"", ""},
      {"one", "tovik: one\n"},
      {"a\r\nb##[x", "tovik: a\ntovik: b## [x\n"},
      {"mid\rline", "tovik: mid\\rline\n"},
      {"trailing\n", "tovik: trailing\n"},
      {"\n", "tovik: \n"},
      {"a\n\nb", "tovik: a\ntovik: \ntovik: b\n"},
      {"end\r", "tovik: end\\r\n"},
      {"##[error]x ##[y", "tovik: ## [error]x ## [y\n"},
  };
  for (const auto& c : cases) EXPECT_EQ(format_command_error(c.message), c.printed);
}

}  // namespace
}  // namespace tovik::commands
