// The Markdown texts the corpus benchmarks read: every .md file under $TOVIK_CORPORA, or under the
// default directory compiled in as TOVIK_DEFAULT_CORPORA, in path order.
#pragma once

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace tovik::bench {

inline std::vector<std::string> read_corpus_files() {
  namespace fs = std::filesystem;
  const char* env = std::getenv("TOVIK_CORPORA");
  fs::path root = env != nullptr ? fs::path(env) : fs::path(TOVIK_DEFAULT_CORPORA);
  std::vector<fs::path> paths;
  std::error_code ec;
  for (auto it = fs::recursive_directory_iterator(root, ec); it != fs::recursive_directory_iterator(); ++it) {
    if (it->is_regular_file() && it->path().extension() == ".md") paths.push_back(it->path());
  }
  std::sort(paths.begin(), paths.end());
  std::vector<std::string> texts;
  for (const fs::path& p : paths) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    texts.push_back(text.str());
  }
  return texts;
}

}  // namespace tovik::bench
