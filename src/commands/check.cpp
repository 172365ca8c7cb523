// The check command and its analysis pass.
#include "commands/check.hpp"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <map>
#include <set>

#include "commands/print_error.hpp"
#include "diagnostics/outputs/text.hpp"
#include "paths/paths.hpp"
#include "rules/catalogue.hpp"
#include "rules/selector.hpp"
#include "support/files.hpp"
#include "support/utf8.hpp"
#include <dirent.h>

namespace tovik::commands {

namespace {

// The first of `dir` and its ancestors that holds an entry named ".git"; `dir` itself when none does.
std::string git_root(const std::string& dir) {
  std::string current = dir;
  while (true) {
    struct stat st;
    if (::lstat(paths::join(current, ".git").c_str(), &st) == 0) return current;
    if (current == "/" || current.empty()) return dir;
    current = paths::parent(current);
  }
}

bool is_markdown_path(std::string_view name) {
  std::size_t dot = name.rfind('.');
  if (dot == std::string_view::npos || dot == 0) return false;
  std::string ext;
  for (char c : name.substr(dot + 1)) ext.push_back(static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c));
  return ext == "md" || ext == "markdown";
}

struct WalkResult {
  std::vector<std::string> files;
  std::vector<std::string> errors;
};

// Collects the Markdown files below `root` in path order, skipping ".git" and ".tovik_cache" and
// never following symbolic links.
WalkResult walk_markdown(const std::string& root) {
  WalkResult result;
  std::vector<std::string> stack{root};
  while (!stack.empty()) {
    std::string dir = std::move(stack.back());
    stack.pop_back();
    DIR* handle = ::opendir(dir.c_str());
    if (!handle) {
      result.errors.push_back(paths::display_path(root, dir) + ": " + files::system_error(errno));
      continue;
    }
    while (dirent* entry = ::readdir(handle)) {
      std::string_view name = entry->d_name;
      if (name == "." || name == ".." || name == ".git" || name == ".tovik_cache") continue;
      std::string path = paths::join(dir, name);
      struct stat st;
      if (::lstat(path.c_str(), &st) != 0) continue;
      if (S_ISDIR(st.st_mode)) {
        stack.push_back(path);
      } else if (S_ISREG(st.st_mode) && is_markdown_path(name)) {
        result.files.push_back(path);
      }
    }
    ::closedir(handle);
  }
  std::sort(result.files.begin(), result.files.end(), paths::path_less);
  return result;
}

// Files that take part in a pass, before parsing.
struct WorkspaceStage {
  std::string root;
  struct File {
    std::string path;
    std::string display_path;
    bool selected = false;
    std::optional<std::string> text;  // the stdin text that replaces the file on disk
  };
  std::vector<File> files;
  std::vector<IncompleteReason> incomplete;
  std::vector<Notice> notices;
};

struct ParsedFile {
  WorkspaceStage::File file;
  std::string source;
};

Result<std::vector<rules::Selector>> parse_command_line_selectors(const CheckRequest& request) {
  std::vector<rules::Selector> out;
  auto add = [&](const std::vector<std::string>& texts) -> std::optional<Error> {
    for (const auto& text : texts) {
      auto selector = rules::parse_selector(text);
      if (!selector) return Error{selector.error()};
      out.push_back(*selector);
    }
    return std::nullopt;
  };
  if (request.select) {
    if (auto error = add(*request.select)) return *error;
  }
  if (auto error = add(request.extend_select)) return *error;
  return out;
}

// Stage 1: the workspace root, the Markdown files of the workspace and which of them are selected.
Result<WorkspaceStage> discover_workspace(const CheckRequest& request) {
  WorkspaceStage stage;
  stage.root = git_root(request.current_dir);

  std::vector<std::string> inputs;
  if (request.stdin_input) {
    inputs.push_back(paths::absolute_from(request.current_dir, request.stdin_input->filename));
  } else {
    for (const auto& path : request.paths) {
      std::string absolute = paths::absolute_from(request.current_dir, path);
      struct stat st;
      if (::stat(absolute.c_str(), &st) == 0) {
        inputs.push_back(absolute);
      } else if (errno == ENOENT || errno == ENOTDIR) {
        stage.incomplete.push_back(
            {paths::display_path(stage.root, absolute), "Path does not exist; provide an existing file or directory."});
      } else {
        stage.incomplete.push_back({paths::display_path(stage.root, absolute),
                                    "Cannot access this path: " + files::system_error(errno)});
      }
    }
  }
  bool everything = request.paths.empty() && !request.stdin_input;

  auto walked = walk_markdown(stage.root);
  for (const auto& error : walked.errors) stage.incomplete.push_back({".", "Cannot finish workspace discovery: " + error});
  if (request.stdin_input) {
    const std::string& path = inputs.front();
    if (std::find(walked.files.begin(), walked.files.end(), path) == walked.files.end()) walked.files.push_back(path);
    std::sort(walked.files.begin(), walked.files.end(), paths::path_less);
  }
  for (const auto& path : walked.files) {
    WorkspaceStage::File file;
    file.path = path;
    file.display_path = paths::display_path(stage.root, path);
    file.selected = everything || std::any_of(inputs.begin(), inputs.end(),
                                              [&](const std::string& in) { return paths::within(path, in); });
    if (request.stdin_input && path == inputs.front()) file.text = request.stdin_input->text;
    if (file.selected) stage.files.push_back(std::move(file));
  }
  return stage;
}

// Stage 2: every file's text, checked to be UTF-8; a file that cannot be read takes no further part.
std::vector<ParsedFile> read_sources(WorkspaceStage& stage) {
  std::vector<ParsedFile> out;
  for (auto& file : stage.files) {
    std::string text;
    if (file.text) {
      text = *file.text;
    } else {
      auto read = files::read_file(file.path);
      if (!read) {
        stage.incomplete.push_back({file.display_path, "Cannot read UTF-8 Markdown: " + read.error()});
        continue;
      }
      text = std::move(*read);
    }
    if (!utf8::is_valid(text)) {
      stage.incomplete.push_back(
          {file.display_path, "Cannot read UTF-8 Markdown: " + utf8::invalid_description(text)});
      continue;
    }
    out.push_back({file, std::move(text)});
  }
  return out;
}

// Stage 3: the rules enabled for a file under the built-in defaults (select everything, preview
// off unless asked) and the command-line selection. Until kinds are resolved every file keeps
// only the rules that apply to files of any kind.
std::vector<std::string_view> enabled_rules(const CheckRequest& request) {
  std::vector<std::string> select = request.select.value_or(std::vector<std::string>{"ALL"});
  select.insert(select.end(), request.extend_select.begin(), request.extend_select.end());
  std::vector<std::string_view> out;
  for (const auto& spec : rules::catalogue()) {
    if (!spec.stable && !request.preview) continue;
    bool selected = std::any_of(select.begin(), select.end(),
                                [&](const std::string& s) { return rules::specificity(s, spec.code).has_value(); });
    if (selected && spec.scope == rules::RuleScope::any_file) out.push_back(spec.code);
  }
  std::sort(out.begin(), out.end());
  return out;
}

}  // namespace

void normalize_incomplete(std::vector<IncompleteReason>& reasons) {
  std::sort(reasons.begin(), reasons.end());
  reasons.erase(std::unique(reasons.begin(), reasons.end()), reasons.end());
}

Result<CheckReport> run_check(const CheckRequest& request) {
  auto selectors = parse_command_line_selectors(request);
  if (!selectors) return Error{selectors.error()};

  auto stage = discover_workspace(request);
  if (!stage) return Error{stage.error()};
  std::vector<ParsedFile> parsed = read_sources(*stage);

  CheckReport report;
  report.workspace_root = stage->root;
  std::vector<std::string_view> enabled = enabled_rules(request);
  for (auto& file : parsed) {
    report.selected_files.push_back(file.file.display_path);
    if (request.preview) report.preview_files.push_back(file.file.display_path);
    report.inputs.push_back({file.file.display_path, file.file.path, std::move(file.source), enabled.size()});
  }
  report.incomplete_reasons = std::move(stage->incomplete);
  report.notices = std::move(stage->notices);
  diagnostics::sort_diagnostics(report.diagnostics);
  normalize_incomplete(report.incomplete_reasons);
  return report;
}

Result<std::string> render(const CheckReport& report, cli::OutputFormat format) {
  switch (format) {
    case cli::OutputFormat::text: {
      diagnostics::SourceMap sources;
      for (const auto& input : report.inputs) sources.emplace(input.display_path, input.source);
      return diagnostics::render_text(report.diagnostics, sources);
    }
    case cli::OutputFormat::concise:
      return diagnostics::render_concise(report.diagnostics);
    case cli::OutputFormat::json:
      return Error{"The json output format is not available in this build."};
    case cli::OutputFormat::sarif:
      return Error{"The sarif output format is not available in this build."};
    case cli::OutputFormat::github:
      return Error{"The github output format is not available in this build."};
  }
  return Error{"unknown output format"};
}

namespace {

std::string statistics_text(const CheckReport& report) {
  std::map<std::string, std::size_t> counts;
  for (const auto& d : report.diagnostics) ++counts[d.code];
  std::string out = "Rule counts:\n";
  for (const auto& [code, count] : counts) out += "  " + code + ": " + std::to_string(count) + "\n";
  out += "Suppressions:\n";
  return out;
}

bool write_stdout(const std::string& text, std::string& error) {
  std::size_t written = 0;
  while (written < text.size()) {
    ssize_t n = ::write(STDOUT_FILENO, text.data() + written, text.size() - written);
    if (n < 0) {
      if (errno == EINTR) continue;
      error = files::system_error(errno);
      return false;
    }
    written += static_cast<std::size_t>(n);
  }
  return true;
}

void print_plain(const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stderr);
}

}  // namespace

CommandResult check_command(const cli::CheckArgs& args) {
  auto cwd = current_directory();
  if (auto* error = std::get_if<CommandError>(&cwd)) return *error;

  CheckRequest request;
  request.current_dir = std::get<std::string>(cwd);
  request.paths = args.paths;
  request.config = args.config;
  request.preview = args.selection.preview;
  request.select = args.selection.select;
  request.extend_select = args.selection.extend_select;
  request.no_cache = args.no_cache;
  if (args.stdin_filename) {
    auto text = files::read_stdin();
    if (!text) return CommandError{"Cannot read UTF-8 stdin: " + text.error()};
    if (!utf8::is_valid(*text)) return CommandError{"Cannot read UTF-8 stdin: stream did not contain valid UTF-8"};
    request.stdin_input = StdinInput{*args.stdin_filename, std::move(*text)};
  }

  auto first = run_check(request);
  if (!first) return CommandError{first.error()};
  CheckReport report = std::move(*first);

  const bool github = args.output_format == cli::OutputFormat::github;
  auto rendered = render(report, args.output_format);
  if (!rendered) return CommandError{rendered.error()};
  std::string output = std::move(*rendered);
  if (args.statistics && !github) output += statistics_text(report);

  std::string write_error;
  if (!write_stdout(output, write_error)) return CommandError{"Cannot write output: " + write_error};

  if (args.statistics && github) print_command_error(statistics_text(report));
  for (const auto& reason : report.incomplete_reasons) {
    std::string line = reason.path + ": " + reason.message;
    if (github) {
      print_command_error(line);
    } else {
      print_plain(line + "\n");
    }
  }
  if (!args.selection.preview && report.preview_files.empty()) {
    std::vector<std::string> given = args.selection.select.value_or(std::vector<std::string>{});
    given.insert(given.end(), args.selection.extend_select.begin(), args.selection.extend_select.end());
    for (const auto& selector : given) {
      if (!rules::selects_only_preview(selector)) continue;
      std::string warning = selector +
                            " selects only preview rules, which are not enabled; add --preview or set "
                            "`preview = true`.";
      if (github) {
        print_command_error(warning);
      } else {
        print_plain("tovik: " + warning + "\n");
      }
    }
  }
  for (const auto& notice : report.notices) {
    std::string line = notice.path == "." ? notice.message : notice.path + ": " + notice.message;
    if (github) {
      print_command_error(line);
    } else {
      print_plain("tovik: " + line + "\n");
    }
  }

  if (!report.incomplete_reasons.empty()) return 2;
  std::size_t enabled_total = 0;
  for (const auto& input : report.inputs) enabled_total += input.enabled_rule_count;
  if (!report.selected_files.empty() && enabled_total == 0 && report.diagnostics.empty()) {
    std::string warning =
        "No rules enabled for the selected files. Inspect `tovik policy` for the effective selection and file kinds.";
    if (github) {
      print_command_error(warning);
    } else {
      print_plain("tovik: " + warning + "\n");
    }
  }
  if (args.exit_zero) return 0;
  return report.diagnostics.empty() ? 0 : 1;
}

}  // namespace tovik::commands
