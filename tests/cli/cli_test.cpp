// End-to-end scenarios: each directory under scenarios/ is one run of the real binary.
//
//   args       the command-line arguments after "tovik", one per line
//   stdin      optional: what the command reads on standard input
//   workspace/ optional: files copied into a fresh temporary directory, the run's working
//              directory; a ".git" directory is created there unless the file "no-git" exists.
//              Files named "dot-gitignore" become ".gitignore", and "NAME.fixture" becomes "NAME",
//              so that neither this repository's Git nor a check of this repository reads the
//              fixture's ignore and configuration files as its own
//   cwd        optional: a directory inside the workspace to run in instead
//   stdout, stderr, exit
//              the expected outputs and exit code; "{ROOT}" stands for the workspace path and
//              "{TMP}" for the temporary directory that holds it
//
// TOVIK_UPDATE_SCENARIOS=1 rewrites the expected files from the actual run.
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

std::string g_binary;

std::string read_text(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream buf;
  buf << in.rdbuf();
  return buf.str();
}

void write_text(const fs::path& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
}

std::string replace_all(std::string text, const std::string& from, const std::string& to) {
  if (from.empty()) return text;
  std::size_t pos = 0;
  while ((pos = text.find(from, pos)) != std::string::npos) {
    text.replace(pos, from.size(), to);
    pos += to.size();
  }
  return text;
}

struct RunResult {
  std::string out;
  std::string err;
  int exit_code = -1;
};

RunResult run(const std::vector<std::string>& args, const fs::path& cwd, const std::string& input,
              const fs::path& scratch) {
  fs::path in_path = scratch / "in", out_path = scratch / "out", err_path = scratch / "err";
  write_text(in_path, input);
  pid_t pid = fork();
  if (pid == 0) {
    int in = open(in_path.c_str(), O_RDONLY);
    int out = open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    int err = open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    dup2(in, 0);
    dup2(out, 1);
    dup2(err, 2);
    if (chdir(cwd.c_str()) != 0) _exit(127);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(g_binary.c_str()));
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(g_binary.c_str(), argv.data());
    _exit(127);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  RunResult r;
  r.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  r.out = read_text(out_path);
  r.err = read_text(err_path);
  return r;
}

class Scenario : public testing::Test {
 public:
  explicit Scenario(fs::path dir) : dir_(std::move(dir)) {}

  void TestBody() override {
    std::vector<std::string> args;
    std::istringstream lines(read_text(dir_ / "args"));
    for (std::string line; std::getline(lines, line);) args.push_back(line);

    char tmpl[] = "/tmp/tovik-cli-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    fs::path scratch = tmpl;
    fs::path root = scratch / "ws";
    fs::create_directories(root);
    if (fs::exists(dir_ / "workspace")) fs::copy(dir_ / "workspace", root, fs::copy_options::recursive);
    std::vector<std::pair<fs::path, fs::path>> renames;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
      const fs::path& path = entry.path();
      if (path.filename() == "dot-gitignore") renames.emplace_back(path, path.parent_path() / ".gitignore");
      if (path.extension() == ".fixture") renames.emplace_back(path, path.parent_path() / path.stem());
    }
    for (const auto& [from, to] : renames) fs::rename(from, to);
    if (!fs::exists(dir_ / "no-git")) fs::create_directories(root / ".git");
    fs::path cwd = root;
    if (fs::exists(dir_ / "cwd")) {
      std::string rel = read_text(dir_ / "cwd");
      while (!rel.empty() && rel.back() == '\n') rel.pop_back();
      cwd = root / rel;
      fs::create_directories(cwd);
    }
    std::string input = fs::exists(dir_ / "stdin") ? read_text(dir_ / "stdin") : "";
    for (auto& a : args) a = replace_all(a, "{ROOT}", root.string());

    RunResult r = run(args, cwd, input, scratch);
    std::string out = replace_all(replace_all(r.out, root.string(), "{ROOT}"), scratch.string(), "{TMP}");
    std::string err = replace_all(replace_all(r.err, root.string(), "{ROOT}"), scratch.string(), "{TMP}");

    if (std::getenv("TOVIK_UPDATE_SCENARIOS")) {
      write_text(dir_ / "stdout", out);
      write_text(dir_ / "stderr", err);
      write_text(dir_ / "exit", std::to_string(r.exit_code) + "\n");
    } else {
      EXPECT_EQ(out, read_text(dir_ / "stdout")) << "stdout of " << dir_.filename();
      EXPECT_EQ(err, read_text(dir_ / "stderr")) << "stderr of " << dir_.filename();
      EXPECT_EQ(std::to_string(r.exit_code) + "\n", read_text(dir_ / "exit")) << "exit code of " << dir_.filename();
    }
    fs::remove_all(scratch);
  }

 private:
  fs::path dir_;
};

}  // namespace

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  if (argc < 3) {
    std::fprintf(stderr, "usage: cli_tests TOVIK_BINARY SCENARIOS_DIR\n");
    return 2;
  }
  g_binary = fs::absolute(argv[1]).string();
  std::vector<fs::path> dirs;
  for (const auto& entry : fs::directory_iterator(argv[2])) {
    if (entry.is_directory() && fs::exists(entry.path() / "args")) dirs.push_back(entry.path());
  }
  std::sort(dirs.begin(), dirs.end());
  for (const auto& dir : dirs) {
    testing::RegisterTest("cli", dir.filename().c_str(), nullptr, nullptr, __FILE__, __LINE__,
                          [dir]() -> testing::Test* { return new Scenario(dir); });
  }
  return RUN_ALL_TESTS();
}
