// Every example of the Markdown test data becomes a consistent Document.
#include "md/consistency.hpp"

#include <filesystem>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "md/convert.hpp"

namespace tovik::md {
namespace {

namespace fs = std::filesystem;

const fs::path kData = fs::path(TOVIK_SOURCE_DIR) / "tests/markdown/data";

std::string read(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream buf;
  buf << in.rdbuf();
  return buf.str();
}

void expect_consistent(const std::string& text, const std::string& name) {
  auto doc = parse_document(text);
  ASSERT_TRUE(doc.ok()) << name;
  auto problem = check_consistency(*doc);
  EXPECT_FALSE(problem.has_value()) << name << ": " << problem.value_or("");
}

TEST(Consistency, EveryExampleAndFixture) {
  std::size_t count = 0;
  for (const char* file : {"commonmark.json", "gfm.json"}) {
    auto examples = nlohmann::json::parse(read(kData / file));
    for (const auto& example : examples) {
      const auto& id = example.contains("example") ? example["example"] : example["id"];
      expect_consistent(example["markdown"].get<std::string>(), std::string(file) + " " + id.dump());
      ++count;
    }
  }
  for (const auto& entry : fs::directory_iterator(kData / "fixtures")) {
    expect_consistent(read(entry.path()), entry.path().filename().string());
    ++count;
  }
  EXPECT_GT(count, 600u);
}

TEST(Consistency, DetectsBrokenDocuments) {
  auto doc = parse_document("# A\n\nText here.\n");
  ASSERT_TRUE(doc.ok());
  EXPECT_FALSE(check_consistency(*doc).has_value());

  Document twice = *doc;
  twice.sections[0].blocks.push_back(twice.sections[1].blocks.front());
  EXPECT_TRUE(check_consistency(twice).has_value());

  Document outside = *doc;
  outside.blocks[0].span.end = outside.source.size() + 1;
  EXPECT_TRUE(check_consistency(outside).has_value());

  Document mapping = *doc;
  mapping.sentences[0].fragments[0].mapping.back().text.end += 1;
  EXPECT_TRUE(check_consistency(mapping).has_value());

  Document utf = *parse_document("\xC3\xA9t\xC3\xA9\n");
  utf.blocks[0].span.start = 1;  // inside a character
  EXPECT_TRUE(check_consistency(utf).has_value());
}

}  // namespace
}  // namespace tovik::md
