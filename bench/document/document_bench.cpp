// Parse plus conversion to the Document model on real documentation, next to the parser alone on
// the same text: the conversion (sections, blocks, fragments with source mappings, sentences,
// languages) should cost no more than the parse itself.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "markdown/parser.hpp"
#include "md/convert.hpp"
#include "support/utf8.hpp"

namespace {

namespace fs = std::filesystem;

struct Corpus {
  std::vector<std::string> files;
  std::size_t bytes = 0;
};

const Corpus& corpus() {
  static const Corpus kCorpus = [] {
    Corpus c;
    const char* env = std::getenv("TOVIK_CORPORA");
    fs::path root = env != nullptr ? fs::path(env) : fs::path(TOVIK_DEFAULT_CORPORA);
    std::vector<fs::path> paths;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(root, ec); it != fs::recursive_directory_iterator(); ++it) {
      if (it->is_regular_file() && it->path().extension() == ".md") paths.push_back(it->path());
    }
    std::sort(paths.begin(), paths.end());
    for (const fs::path& p : paths) {
      std::ifstream in(p, std::ios::binary);
      std::stringstream text;
      text << in.rdbuf();
      if (!tovik::utf8::is_valid(text.str())) continue;  // the check never converts such files
      c.files.push_back(text.str());
      c.bytes += c.files.back().size();
    }
    return c;
  }();
  return kCorpus;
}

void BM_ParserOnly(benchmark::State& state) {
  const Corpus& c = corpus();
  for (auto _ : state) {
    for (const std::string& file : c.files) {
      auto tree = tovik::markdown::parse(file);
      benchmark::DoNotOptimize(tree.nodes.data());
    }
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * c.bytes));
}

void BM_ParseAndConvert(benchmark::State& state) {
  const Corpus& c = corpus();
  for (auto _ : state) {
    for (const std::string& file : c.files) {
      auto doc = tovik::md::parse_document(file);
      benchmark::DoNotOptimize(doc.ok());
    }
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * c.bytes));
}

BENCHMARK(BM_ParserOnly)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ParseAndConvert)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
