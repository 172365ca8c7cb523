// Parsing of a pass's inputs, sequential or in contiguous chunks on scoped worker threads.
#include "commands/parse_inputs.hpp"

#include <sched.h>

#include <algorithm>
#include <exception>
#include <fstream>
#include <thread>

#include "support/files.hpp"
#include "support/utf8.hpp"

namespace tovik::commands {

namespace {

constexpr std::size_t kMaxWorkers = 4;
constexpr std::size_t kMinInputsForWorkers = 32;

ParseResult parse_one(const ParseInput& input, const ParseFunction& parse) {
  std::string text;
  if (input.text) {
    text = *input.text;
  } else {
    auto read = files::read_file(input.path);
    if (!read) return "Cannot read UTF-8 Markdown: " + read.error();
    text = std::move(*read);
  }
  if (!utf8::is_valid(text)) return "Cannot read UTF-8 Markdown: " + utf8::invalid_description(text);
  auto parsed = parse(std::move(text));
  if (auto* error = std::get_if<std::string>(&parsed)) return "Cannot parse Markdown: " + *error;
  return std::get<DocumentPtr>(parsed);
}

// The CPU quota of the process's cgroup (v2 "cpu.max"), in whole processors rounded up.
std::optional<std::size_t> cgroup_quota() {
  std::ifstream in("/sys/fs/cgroup/cpu.max");
  std::string quota;
  long long period = 0;
  if (!(in >> quota >> period) || quota == "max" || period <= 0) return std::nullopt;
  long long q = 0;
  try {
    q = std::stoll(quota);
  } catch (const std::exception&) {
    return std::nullopt;
  }
  if (q <= 0) return std::nullopt;
  return static_cast<std::size_t>((q + period - 1) / period);
}

}  // namespace

std::size_t usable_processors() {
  cpu_set_t set;
  CPU_ZERO(&set);
  std::size_t count = 0;
  if (sched_getaffinity(0, sizeof set, &set) == 0) {
    count = static_cast<std::size_t>(CPU_COUNT(&set));
  } else {
    count = std::thread::hardware_concurrency();
  }
  if (auto quota = cgroup_quota()) count = std::min(count, std::max<std::size_t>(*quota, 1));
  return count == 0 ? 1 : count;
}

std::vector<std::size_t> chunk_sizes(std::size_t inputs, std::size_t workers) {
  workers = std::min(workers, kMaxWorkers);
  if (workers <= 1 || inputs < kMinInputsForWorkers) return {inputs};
  std::size_t chunk = (inputs + workers - 1) / workers;
  std::vector<std::size_t> sizes;
  for (std::size_t done = 0; done < inputs; done += chunk) sizes.push_back(std::min(chunk, inputs - done));
  return sizes;
}

std::vector<ParseResult> parse_inputs(const std::vector<ParseInput>& inputs, const ParseFunction& parse) {
  std::vector<std::size_t> sizes = chunk_sizes(inputs.size(), usable_processors());
  std::vector<ParseResult> results(inputs.size(), std::string());
  if (sizes.size() <= 1) {
    for (std::size_t i = 0; i < inputs.size(); ++i) results[i] = parse_one(inputs[i], parse);
    return results;
  }

  // Each worker writes only its own slice of `results`; all are joined before the slice is read.
  std::vector<std::thread> workers;
  std::vector<char> failed(sizes.size(), 0);
  std::size_t begin = 0;
  for (std::size_t w = 0; w < sizes.size(); ++w) {
    std::size_t end = begin + sizes[w];
    auto work = [&, w, begin, end] {
      try {
        for (std::size_t i = begin; i < end; ++i) results[i] = parse_one(inputs[i], parse);
      } catch (...) {
        failed[w] = 1;
      }
    };
    try {
      workers.emplace_back(work);
    } catch (const std::system_error&) {
      work();  // no thread could be started: do this chunk here
      workers.emplace_back();
    }
    begin = end;
  }
  for (auto& worker : workers) {
    if (worker.joinable()) worker.join();
  }
  begin = 0;
  for (std::size_t w = 0; w < sizes.size(); ++w) {
    if (failed[w]) {
      for (std::size_t i = begin; i < begin + sizes[w]; ++i) results[i] = "Markdown worker did not finish; rerun the check.";
    }
    begin += sizes[w];
  }
  return results;
}

}  // namespace tovik::commands
