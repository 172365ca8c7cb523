// Pathological inputs for the Markdown parser, each at sizes n and 2n: parse time must grow linearly
// (time(2n) / time(n) about 2). scripts/markdown/bench_ratios.py prints the ratios.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "markdown/parser.hpp"

namespace {

std::string repeat(const std::string& piece, std::size_t size) {
  std::string out;
  out.reserve(size + piece.size());
  while (out.size() < size) out += piece;
  return out;
}

// Opening pieces, then a middle, then closing pieces, about `size` characters in all.
std::string nest(const std::string& open, const std::string& middle, const std::string& close,
                 std::size_t size) {
  std::size_t count = size / (open.size() + close.size());
  std::string out;
  out.reserve(size + middle.size());
  for (std::size_t i = 0; i < count; ++i) out += open;
  out += middle;
  for (std::size_t i = 0; i < count; ++i) out += close;
  return out;
}

std::string emphasized(std::string text) {
  text.insert(text.begin(), '*');
  text.push_back('*');
  return text;
}

std::string link_definitions(std::size_t size) {
  std::string out;
  for (std::size_t i = 0; out.size() < size / 2; ++i)
    out += "[ref" + std::to_string(i) + "]: /url" + std::to_string(i) + "\n";
  out += "\n";
  for (std::size_t i = 0; out.size() < size; ++i)
    out += "[ref" + std::to_string(i) + "] [x][ref" + std::to_string(i) + "] ";
  return out;
}

std::string backtick_runs(std::size_t size) {
  // Runs of growing length with no closer of the same length, then many short unmatched runs.
  std::string out;
  for (std::size_t i = 1; out.size() < size / 2; ++i) out += std::string(i % 200 + 1, '`') + "a";
  return out + repeat("a`", size - out.size());
}

std::string deep_lists(std::size_t size) {
  std::string out;
  for (std::size_t depth = 0; out.size() < size; depth = (depth + 1) % 500) {
    out += std::string(depth * 2, ' ') + "- item\n";
  }
  return out;
}

struct Case {
  const char* name;
  std::function<std::string(std::size_t)> make;
};

const std::vector<Case>& cases() {
  static const std::vector<Case> kCases = {
      {"nested_emphasis", [](std::size_t n) { return nest("*a ", "b", " a*", n); }},
      {"nested_strong", [](std::size_t n) { return nest("**a ", "b", " a**", n); }},
      {"nested_strong_emphasis", [](std::size_t n) { return nest("*a **a ", "b", " a** a*", n); }},
      {"closers_without_openers", [](std::size_t n) { return repeat("a* ", n); }},
      {"openers_without_closers", [](std::size_t n) { return repeat("*a _a ", n); }},
      {"mismatched_delimiters", [](std::size_t n) { return repeat("*a_ ", n); }},
      {"delimiter_runs_of_3", [](std::size_t n) { return repeat("***b**", n) + "a"; }},
      {"delimiter_runs_mod_3", [](std::size_t n) { return repeat("**a*", n) + repeat("*a**", n / 4); }},
      {"strikethrough_runs", [](std::size_t n) { return repeat("~a ~~b ", n); }},
      {"nested_brackets", [](std::size_t n) { return nest("[", "a", "]", n); }},
      {"nested_links", [](std::size_t n) { return nest("[a](", "b", ")", n); }},
      {"unclosed_brackets", [](std::size_t n) { return repeat("[a ", n); }},
      {"unclosed_links", [](std::size_t n) { return repeat("[a](b ", n); }},
      {"unclosed_images", [](std::size_t n) { return repeat("![a](<b ", n); }},
      {"brackets_then_closers", [](std::size_t n) { return repeat("[", n / 2) + repeat("a]", n / 2); }},
      {"many_link_definitions", link_definitions},
      {"backtick_runs", backtick_runs},
      {"unclosed_html", [](std::size_t n) { return repeat("<!-- <? <![CDATA[ <!A <a b=\"", n); }},
      {"entities",
       [](std::size_t n) { return repeat("&aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa &#99999999 ", n); }},
      {"autolink_literals",
       [](std::size_t n) { return repeat("www.a_b.c_d.e_ http://x.y/(((( a@b.c_ ", n); }},
      // Text inside emphasis goes through the second literal pass.
      {"literals_in_emphasis", [](std::size_t n) { return emphasized(repeat("http://_www.a_.", n)); }},
      {"email_candidates",
       [](std::size_t n) { return emphasized(repeat("a.", n / 2) + "@" + repeat("b.", n / 2) + "1"); }},
      {"deep_blockquotes", [](std::size_t n) { return repeat("> ", n / 2) + "a\n"; }},
      {"deep_lists", [](std::size_t n) { return repeat("- ", n / 2) + "a\n"; }},
      {"indented_lists", deep_lists},
      {"quote_lines", [](std::size_t n) { return repeat(std::string(50, '>') + " a\n", n); }},
      {"table_columns",
       [](std::size_t n) {
         std::string row = repeat("| a ", n / 3);
         return row + "|\n" + repeat("| - ", n / 3) + "|\n" + row + "|\n";
       }},
  };
  return kCases;
}

void parse_case(benchmark::State& state, const Case& c) {
  std::string input = c.make(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) {
    tovik::markdown::Tree tree = tovik::markdown::parse(input);
    benchmark::DoNotOptimize(tree.nodes.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * input.size()));
}

const bool kRegistered = [] {
  for (const Case& c : cases()) {
    benchmark::RegisterBenchmark((std::string("pathological/") + c.name).c_str(), parse_case, c)
        ->Arg(100000)
        ->Arg(200000)
        ->Unit(benchmark::kMillisecond);
  }
  return true;
}();

}  // namespace

// With TOVIK_BENCH_KEEP_MEMORY set, the allocator keeps freed memory instead of handing it back to the
// system after each parse, so the figures show the parser's own growth rather than the cost of fresh
// pages (which is high on some virtual machines and jumps once buffers pass the allocator's thresholds).
int main(int argc, char** argv) {
  if (std::getenv("TOVIK_BENCH_KEEP_MEMORY") != nullptr) {
    mallopt(M_MMAP_THRESHOLD, 256 << 20);
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
