// Prints the parser's tree of each file as one JSON line {"file", "tree"}, in the oracle's shape.
// Usage: markdown_dump FILE...   or   markdown_dump --json-cases CASES.json
#include <fstream>
#include <iostream>
#include <sstream>

#include "tree_json.hpp"

namespace {

std::string read(const char* path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace

int main(int argc, char** argv) {
  using tovik::markdown::parse;
  using tovik::markdown::testing::tree_to_json;
  if (argc == 3 && std::string(argv[1]) == "--json-cases") {
    nlohmann::json cases = nlohmann::json::parse(read(argv[2]));
    for (const auto& c : cases) {
      nlohmann::ordered_json line;
      line["example"] = c["example"];
      line["tree"] = tree_to_json(parse(std::string(c["markdown"])));
      std::cout << line.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) << "\n";
    }
    return 0;
  }
  for (int i = 1; i < argc; ++i) {
    nlohmann::ordered_json line;
    line["file"] = argv[i];
    line["tree"] = tree_to_json(parse(read(argv[i])));
    std::cout << line.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) << "\n";
  }
  return 0;
}
