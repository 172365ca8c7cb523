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

#include "../corpus.hpp"
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
    for (std::string& text : tovik::bench::read_corpus_files()) {
      if (!tovik::utf8::is_valid(text)) continue;  // the check never converts such files
      c.bytes += text.size();
      c.files.push_back(std::move(text));
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
