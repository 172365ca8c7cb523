// Our trees against the reference parser's (the mdast oracle): node types, nesting, spans and fields, on
// every CommonMark and GFM example and on the fixture files. The oracle's output is committed test data;
// scripts/markdown/regen_oracle.sh regenerates it.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>

#include "markdown/parser.hpp"
#include "tree_json.hpp"

namespace tovik::markdown::testing {
namespace {

using Json = nlohmann::json;

std::string read(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string data_path(const std::string& name) {
  return std::string(TOVIK_MARKDOWN_TEST_DATA) + "/" + name;
}

std::vector<Json> read_lines(const std::string& name) {
  std::vector<Json> out;
  std::istringstream lines(read(data_path(name)));
  std::string line;
  while (std::getline(lines, line)) {
    if (!line.empty()) out.push_back(Json::parse(line));
  }
  return out;
}

// The first difference between the oracle's node and ours, or "" when they agree. The oracle leaves
// nodes without a span when its autolink-literal pass made them; their spans are not compared.
std::string difference(const Json& oracle, const Json& ours, const std::string& path) {
  std::string here = path + ">" + oracle.value("type", std::string("?"));
  if (oracle["type"] != ours["type"]) return here + ": type " + ours["type"].dump();
  if (oracle.contains("span") && oracle["span"] != ours["span"]) {
    return here + ": span " + oracle["span"].dump() + " != " + ours["span"].dump();
  }
  for (const auto& [key, value] : oracle.items()) {
    if (key == "type" || key == "span" || key == "children") continue;
    if (!ours.contains(key) || ours[key] != value) {
      return here + ": " + key + " " + value.dump() +
             " != " + (ours.contains(key) ? ours[key].dump() : "missing");
    }
  }
  const Json empty = Json::array();
  const Json& a = oracle.contains("children") ? oracle["children"] : empty;
  const Json& b = ours.contains("children") ? ours["children"] : empty;
  for (std::size_t i = 0; i < a.size() && i < b.size(); ++i) {
    std::string d = difference(a[i], b[i], here + "[" + std::to_string(i) + "]");
    if (!d.empty()) return d;
  }
  if (a.size() != b.size())
    return here + ": " + std::to_string(a.size()) + " != " + std::to_string(b.size()) + " children";
  return "";
}

// Examples where our tree knowingly differs from the oracle's.
const std::map<std::string, std::string> kKnownDifferences = {
    {"215",
     "a setext heading right after a definition: the oracle starts the heading at the definition "
     "(the paragraph's first line); ours starts at the heading's own text"},
};

TEST(OracleTrees, Examples) {
  std::map<std::string, std::string> markdown;
  for (const auto& e : Json::parse(read(data_path("commonmark.json")))) {
    markdown[std::to_string(int(e["example"]))] = e["markdown"];
  }
  for (const auto& e : Json::parse(read(data_path("gfm.json"))))
    markdown["gfm:" + std::string(e["id"])] = e["markdown"];
  std::vector<Json> oracle = read_lines("oracle_examples.jsonl");
  ASSERT_EQ(oracle.size(), markdown.size());
  int identical = 0;
  for (const Json& entry : oracle) {
    std::string id = entry["example"];
    ASSERT_EQ(markdown.count(id), 1u) << id;
    Json ours = Json::parse(tree_to_json(parse(markdown[id])).dump());
    std::string diff = difference(entry["tree"], ours, "");
    if (diff.empty()) {
      ++identical;
      EXPECT_EQ(kKnownDifferences.count(id), 0u)
          << "example " << id << " now agrees; drop its known difference";
    } else if (kKnownDifferences.count(id) == 0) {
      ADD_FAILURE() << "example " << id << ": " << diff << "\n" << markdown[id];
    }
  }
  std::printf("oracle trees: %d / %zu examples identical\n", identical, oracle.size());
}

TEST(OracleTrees, Fixtures) {
  for (const Json& entry : read_lines("oracle_fixtures.jsonl")) {
    std::string file = entry["file"];
    Json ours = Json::parse(tree_to_json(parse(read(data_path("fixtures/" + file)))).dump());
    EXPECT_EQ(difference(entry["tree"], ours, ""), "") << file;
  }
}

}  // namespace
}  // namespace tovik::markdown::testing
