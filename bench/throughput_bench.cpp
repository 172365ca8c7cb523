// Parse throughput on real documentation: every .md file of the corpora (default ../shared/corpora, or
// the directory in TOVIK_CORPORA), parsed from memory, next to the cmark-gfm command on the same text
// (which also renders HTML, and pays one process start per run).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "corpus.hpp"
#include "markdown/parser.hpp"

namespace {

namespace fs = std::filesystem;

struct Corpus {
  std::vector<std::string> files;
  std::size_t bytes = 0;
  std::string joined_path;  // all files concatenated, for cmark-gfm
};

const Corpus& corpus() {
  static const Corpus kCorpus = [] {
    Corpus c;
    c.joined_path = (fs::temp_directory_path() / "tovik-markdown-corpus.md").string();
    std::ofstream joined(c.joined_path, std::ios::binary);
    for (std::string& text : tovik::bench::read_corpus_files()) {
      c.bytes += text.size();
      joined << text << "\n\n";
      c.files.push_back(std::move(text));
    }
    return c;
  }();
  return kCorpus;
}

void BM_ParseCorpus(benchmark::State& state) {
  const Corpus& c = corpus();
  if (c.files.empty()) {
    state.SkipWithError("no corpus files (set TOVIK_CORPORA)");
    return;
  }
  for (auto _ : state) {
    for (const std::string& file : c.files) {
      tovik::markdown::Tree tree = tovik::markdown::parse(file);
      benchmark::DoNotOptimize(tree.nodes.data());
    }
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * c.bytes));
  state.counters["files"] = static_cast<double>(c.files.size());
}
BENCHMARK(BM_ParseCorpus)->Unit(benchmark::kMillisecond)->MinTime(3.0)->UseRealTime();

// All files as one text, the form cmark-gfm gets.
void BM_ParseCorpusJoined(benchmark::State& state) {
  const Corpus& c = corpus();
  std::ifstream in(c.joined_path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  std::string joined = text.str();
  for (auto _ : state) {
    tovik::markdown::Tree tree = tovik::markdown::parse(joined);
    benchmark::DoNotOptimize(tree.nodes.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * joined.size()));
}
BENCHMARK(BM_ParseCorpusJoined)->Unit(benchmark::kMillisecond)->MinTime(3.0)->UseRealTime();

void BM_CmarkGfmCommand(benchmark::State& state) {
  const Corpus& c = corpus();
  if (c.files.empty() || std::system("command -v cmark-gfm >/dev/null 2>&1") != 0) {
    state.SkipWithError("cmark-gfm not installed or no corpus");
    return;
  }
  std::string command = "cmark-gfm -e table -e strikethrough -e autolink -e tasklist -e footnotes '" +
                        c.joined_path + "' > /dev/null";
  for (auto _ : state) {
    if (std::system(command.c_str()) != 0) {
      state.SkipWithError("cmark-gfm failed");
      return;
    }
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * c.bytes));
}
BENCHMARK(BM_CmarkGfmCommand)->Unit(benchmark::kMillisecond)->MinTime(3.0)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
