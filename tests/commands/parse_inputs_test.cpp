#include "commands/parse_inputs.hpp"

#include <unistd.h>

#include <atomic>
#include <fstream>
#include <stdexcept>

#include <gtest/gtest.h>

namespace tovik::commands {
namespace {

TEST(ChunkSizes, SequentialBelowThresholdOrOneWorker) {
  EXPECT_EQ(chunk_sizes(31, 8), (std::vector<std::size_t>{31}));
  EXPECT_EQ(chunk_sizes(32, 8), (std::vector<std::size_t>{8, 8, 8, 8}));
  EXPECT_EQ(chunk_sizes(33, 4), (std::vector<std::size_t>{9, 9, 9, 6}));
  EXPECT_EQ(chunk_sizes(40, 3), (std::vector<std::size_t>{14, 14, 12}));
  EXPECT_EQ(chunk_sizes(1000, 1), (std::vector<std::size_t>{1000}));
  EXPECT_EQ(chunk_sizes(0, 4), (std::vector<std::size_t>{0}));
  EXPECT_GE(usable_processors(), 1u);
}

ParseFunction echo_parse() {
  return [](std::string text) -> std::variant<DocumentPtr, std::string> {
    if (text == "fail") return std::string("boom");
    if (text == "throw") throw std::runtime_error("unexpected");
    auto doc = std::make_shared<md::Document>();
    doc->source = std::move(text);
    return doc;
  };
}

TEST(ParseInputs, ResultsInInputOrderWithPerInputErrors) {
  std::vector<ParseInput> inputs;
  for (int i = 0; i < 70; ++i) inputs.push_back({"/mem/" + std::to_string(i), "text " + std::to_string(i)});
  inputs[5].text = "fail";
  inputs[6].text = std::string("bad \xff utf8");
  inputs[7] = {"/nonexistent/tovik/file.md", std::nullopt};
  auto results = parse_inputs(inputs, echo_parse());
  ASSERT_EQ(results.size(), inputs.size());
  for (std::size_t i = 0; i < results.size(); ++i) {
    if (i == 5) {
      EXPECT_EQ(std::get<std::string>(results[i]), "Cannot parse Markdown: boom");
    } else if (i == 6) {
      EXPECT_EQ(std::get<std::string>(results[i]).rfind("Cannot read UTF-8 Markdown: ", 0), 0u);
    } else if (i == 7) {
      EXPECT_EQ(std::get<std::string>(results[i]), "Cannot read UTF-8 Markdown: No such file or directory");
    } else {
      ASSERT_TRUE(std::holds_alternative<DocumentPtr>(results[i])) << i;
      EXPECT_EQ(std::get<DocumentPtr>(results[i])->source, "text " + std::to_string(i));
    }
  }
}

TEST(ParseInputs, AFailedWorkerSpoilsOnlyItsChunk) {
  if (usable_processors() < 2) GTEST_SKIP() << "needs two processors for workers";
  std::vector<ParseInput> inputs;
  for (int i = 0; i < 64; ++i) inputs.push_back({"/mem", "ok"});
  inputs[0].text = "throw";
  auto results = parse_inputs(inputs, echo_parse());
  auto sizes = chunk_sizes(inputs.size(), usable_processors());
  for (std::size_t i = 0; i < results.size(); ++i) {
    if (i < sizes[0]) {
      EXPECT_EQ(std::get<std::string>(results[i]), "Markdown worker did not finish; rerun the check.");
    } else {
      EXPECT_TRUE(std::holds_alternative<DocumentPtr>(results[i]));
    }
  }
}

}  // namespace
}  // namespace tovik::commands
