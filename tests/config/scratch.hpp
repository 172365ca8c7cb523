// A scratch directory for tests that need files, removed at the end of the test.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

namespace tovik::testing_support {

class ScratchDir {
 public:
  ScratchDir() {
    std::string pattern = ::testing::TempDir() + "tovik-XXXXXX";
    char* made = ::mkdtemp(pattern.data());
    EXPECT_NE(made, nullptr);
    // The canonical form, so paths compare equal to resolved ones (TMPDIR may be a link).
    path_ = std::filesystem::canonical(pattern).string();
  }
  ~ScratchDir() {
    std::error_code ignored;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all, ignored);
    std::filesystem::remove_all(path_, ignored);
  }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  const std::string& path() const { return path_; }
  std::string operator/(std::string_view rel) const { return path_ + "/" + std::string(rel); }

  // Writes `text` to `rel`, creating parent directories.
  void write(std::string_view rel, std::string_view text) const {
    std::filesystem::path file = *this / rel;
    std::filesystem::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary);
    out << text;
  }
  void mkdir(std::string_view rel) const { std::filesystem::create_directories(*this / rel); }
  void symlink(std::string_view target, std::string_view rel) const {
    std::filesystem::path link = *this / rel;
    std::filesystem::create_directories(link.parent_path());
    std::filesystem::create_symlink(std::string(target), link);
  }

 private:
  std::string path_;
};

}  // namespace tovik::testing_support
