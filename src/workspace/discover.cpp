// Discovery: inputs, the walk, configuration per directory, include/exclude, context pruning and
// the notes for explicit inputs.
#include "workspace/discover.hpp"

#include <algorithm>

#include "config/filesystem.hpp"
#include "paths/paths.hpp"
#include "rules/catalogue.hpp"
#include "support/utf8.hpp"
#include "workspace/gitignore.hpp"
#include "workspace/walk.hpp"

namespace tovik::workspace {

namespace fs = config::fs;

namespace {

// The part of `path` below `dir` when both are normalised absolute paths and `path` lies strictly
// inside `dir` and needs no display repair (valid UTF-8, no backslash); nothing otherwise. A
// cheap route for the files of a walk, which are all of this form.
std::optional<std::string_view> plain_below(std::string_view path, std::string_view dir) {
  std::size_t skip = dir == "/" ? 1 : dir.size() + 1;
  if (path.size() <= skip || !path.starts_with(dir) || path[skip - 1] != '/') return std::nullopt;
  std::string_view rel = path.substr(skip);
  if (rel.find('\\') != std::string_view::npos || !utf8::is_valid(rel)) return std::nullopt;
  return rel;
}

// The directory of a file found by the walk (a normalised absolute path).
std::string directory_of(const std::string& file) {
  std::size_t slash = file.rfind('/');
  return slash == 0 ? std::string("/") : file.substr(0, slash);
}

// An incomplete reason with the absolute path it concerns ("" for the whole workspace), so notes
// can tell which inputs already have an explanation.
struct Problem {
  std::string path;
  PathMessage reason;
};

class Discovery {
 public:
  Discovery(const DiscoveryRequest& request, config::WorkspaceConfig workspace)
      : request_(request), ws_(std::move(workspace)), resolver_(ws_) {
    out_.root = ws_.root;
  }

  Result<Workspace> run() {
    if (auto error = collect_inputs()) return *error;
    register_config(*ws_.root_config);
    walk();
    if (auto error = classify()) return *error;
    prune_context();
    write_notes();
    finish();
    return std::move(out_);
  }

 private:
  std::string display(std::string_view path) const {
    if (auto rel = plain_below(path, ws_.root)) return std::string(*rel);
    return paths::display_path(ws_.root, path);
  }

  void incomplete(const std::string& path, std::string message) {
    problems_.push_back({path, {path.empty() ? "." : display(path), std::move(message)}});
  }

  std::optional<Error> collect_inputs() {
    if (request_.stdin_file) {
      std::string given = paths::absolute_from(request_.current_dir, request_.stdin_file->filename);
      auto path = resolve_input(ws_.root, given);
      if (!path.ok()) return Error{path.error()};
      if (!is_markdown_path(*path))
        return Error{"The stdin filename must have a .md or .markdown extension."};
      auto ignored = is_gitignored(ws_.root, *path, false);
      if (!ignored.ok()) return Error{ignored.error()};
      if (*ignored) {
        return Error{display(*path) + " is excluded by .gitignore; choose an included Markdown path."};
      }
      stdin_path_ = *path;
      inputs_.push_back(*path);
      return std::nullopt;
    }
    for (const std::string& given : request_.paths) {
      auto path = resolve_input(ws_.root, paths::absolute_from(request_.current_dir, given));
      if (!path.ok()) return Error{path.error()};
      auto type = fs::stat_type(*path);
      if (!type.ok()) {
        incomplete(*path, "Cannot access this path: " + type.error());
      } else if (*type == fs::EntryType::missing) {
        incomplete(*path, "Path does not exist; provide an existing file or directory.");
      } else {
        inputs_.push_back(*path);
      }
    }
    std::sort(inputs_.begin(), inputs_.end(), paths::path_less);
    inputs_.erase(std::unique(inputs_.begin(), inputs_.end()), inputs_.end());
    return std::nullopt;
  }

  bool explicit_inputs() const { return request_.stdin_file || !request_.paths.empty(); }

  void register_config(const config::Config& config) {
    std::string name = config::display_name(config, ws_.root);
    if (out_.configurations.count(name) == 0) {
      out_.configurations.emplace(name, config::effective_settings(config, request_.selection));
    }
  }

  void walk() {
    WalkResult walked = walk_markdown(ws_.root, ws_.root, WalkOptions{});
    for (const WalkProblem& problem : walked.problems) {
      if (problem.ignore_rules) {
        incomplete(problem.path, "Cannot fully apply ignore rules: " + problem.message);
      } else {
        std::string where = problem.path == ws_.root ? problem.path : display(problem.path);
        incomplete("", "Cannot finish workspace discovery: " + where + ": " + problem.message);
      }
    }
    files_ = std::move(walked.files);
    config_free_dirs_ = std::move(walked.config_free_dirs);
    resolver_.set_known_without_config(
        [this](const std::string& dir) { return config_free_dirs_.count(dir) > 0; });
    if (stdin_path_) {
      auto at = std::lower_bound(files_.begin(), files_.end(), *stdin_path_, paths::path_less);
      if (at == files_.end() || *at != *stdin_path_) files_.insert(at, *stdin_path_);
    }
  }

  bool is_selected(const std::string& file) const {
    if (!explicit_inputs()) return true;
    for (const std::string& input : inputs_) {
      if (paths::within(file, input)) return true;
    }
    return false;
  }

  std::optional<Error> classify() {
    bool check_mode = request_.mode == DiscoveryMode::check;
    bool report_mode = request_.mode == DiscoveryMode::report;
    std::string last_dir;
    const Result<config::ConfigPtr>* dir_config = nullptr;
    const config::Config* last_config = nullptr;
    std::string config_name;
    for (const std::string& file : files_) {
      bool selected = is_selected(file);
      if (request_.mode == DiscoveryMode::parse && !selected) continue;

      std::string dir = directory_of(file);
      if (dir_config == nullptr || dir != last_dir) {
        dir_config = &resolver_.for_directory(dir);
        last_dir = dir;
      }
      if (!dir_config->ok()) {
        if (selected || report_mode) {
          incomplete(file, dir_config->error());
        } else {
          context_problems_.push_back({file, {display(file), dir_config->error()}});
        }
        continue;
      }
      const config::ConfigPtr& config = **dir_config;
      if (config.get() != last_config) {
        last_config = config.get();
        config_name = config::display_name(*config, ws_.root);
        register_config(*config);
      }

      bool is_stdin = stdin_path_ && file == *stdin_path_;
      auto plain = plain_below(file, config->base_dir);
      auto config_path = plain ? std::optional<std::string>(*plain) : config::config_path_of(*config, file);
      const char* setting = nullptr;
      if (!config_path || !config::any_matches(config->include, *config_path)) {
        setting = "include";
      } else if (config::any_matches(config->exclude, *config_path)) {
        setting = "exclude";
      }
      if (setting != nullptr) {
        if (selected || report_mode)
          out_.exclusions.push_back({file, display(file), setting, config_name, config});
        if (is_stdin) {
          incomplete(file,
                     "The stdin filename is excluded by configuration; choose an included Markdown path.");
        }
        continue;
      }

      WorkspaceDocument document{file, display(file), selected, config, config_name, std::nullopt};
      if (is_stdin) document.stdin_text = request_.stdin_file->text;
      if (check_mode && !needs_context_) needs_context_ = has_cross_file_rule(*config, file);
      out_.documents.push_back(std::move(document));
    }
    return std::nullopt;
  }

  // Whether a cross-file rule is selected for the file before its kind is known. Without
  // per-file ignores the answer is the same for every file of a configuration.
  bool has_cross_file_rule(const config::Config& config, const std::string& file) {
    auto cached = selections_.find(&config);
    if (cached == selections_.end()) {
      auto selection = config::effective_selection(config, request_.selection);
      bool any = selects_cross_file(config, file, selection);
      cached = selections_.emplace(&config, std::make_pair(std::move(selection), any)).first;
    } else if (!config.per_file_ignores.empty()) {
      return selects_cross_file(config, file, cached->second.first);
    }
    return cached->second.second;
  }

  static bool selects_cross_file(const config::Config& config, const std::string& file,
                                 const config::Selection& selection) {
    for (std::string_view code : config::selected_rules(config, file, selection)) {
      const rules::RuleSpec* spec = rules::rule_spec(code);
      if (spec != nullptr && spec->cross_file) return true;
    }
    return false;
  }

  void prune_context() {
    bool keep = request_.mode == DiscoveryMode::report || !explicit_inputs() ||
                (request_.mode == DiscoveryMode::check && needs_context_);
    if (!keep) {
      std::erase_if(out_.documents, [](const WorkspaceDocument& d) { return !d.selected; });
      return;
    }
    for (Problem& problem : context_problems_) problems_.push_back(std::move(problem));
  }

  bool has_problem_within(const std::string& input) const {
    for (const Problem& problem : problems_) {
      if (problem.path.empty() ? input == ws_.root : paths::within(problem.path, input)) return true;
    }
    return false;
  }

  std::string reason_for(const std::string& input) const {
    std::size_t excluded = 0;
    const Exclusion* own = nullptr;
    for (const Exclusion& exclusion : out_.exclusions) {
      if (!paths::within(exclusion.path, input)) continue;
      ++excluded;
      if (exclusion.path == input) own = &exclusion;
    }
    auto type = fs::stat_type(input);
    if (type.ok() && *type == fs::EntryType::regular) {
      if (!is_markdown_path(input)) return "it is not a .md or .markdown file";
      if (own != nullptr) return exclusion_reason(*own);
      auto ignored = is_gitignored(ws_.root, input, false);
      if (ignored.ok() && *ignored) return ".gitignore ignores it";
      return "workspace discovery skipped it; symbolic links are not followed";
    }
    if (excluded > 0) {
      return "configuration excludes its " + std::to_string(excluded) + " Markdown " +
             (excluded == 1 ? "file" : "files") + "; inspect `tovik policy`";
    }
    if (input != ws_.root) {
      auto ignored = is_gitignored(ws_.root, input, true);
      if (ignored.ok() && *ignored) return ".gitignore ignores it";
    }
    WalkResult found = walk_markdown(ws_.root, input, WalkOptions{false, true});
    if (!found.files.empty()) return ".gitignore ignores its Markdown files";
    return "it contains no Markdown files";
  }

  void write_notes() {
    std::vector<std::string> inputs = explicit_inputs() ? inputs_ : std::vector<std::string>{ws_.root};
    for (const std::string& input : inputs) {
      bool has_document =
          std::any_of(out_.documents.begin(), out_.documents.end(),
                      [&](const WorkspaceDocument& d) { return paths::within(d.path, input); });
      if (has_document || has_problem_within(input)) continue;
      std::string reason = reason_for(input);
      if (input == ws_.root) {
        out_.notes.push_back(
            {".", "No documents were checked in workspace " + ws_.root + " because " + reason + "."});
      } else {
        out_.notes.push_back({display(input), "Not checked because " + reason + "."});
      }
    }
  }

  void finish() {
    for (Problem& problem : problems_) out_.incomplete_reasons.push_back(std::move(problem.reason));
    std::sort(out_.incomplete_reasons.begin(), out_.incomplete_reasons.end());
    out_.incomplete_reasons.erase(std::unique(out_.incomplete_reasons.begin(), out_.incomplete_reasons.end()),
                                  out_.incomplete_reasons.end());
  }

  const DiscoveryRequest& request_;
  config::WorkspaceConfig ws_;
  config::ConfigResolver resolver_;
  Workspace out_;
  std::vector<std::string> inputs_;  // resolved explicit inputs, path order
  std::optional<std::string> stdin_path_;
  std::vector<std::string> files_;
  std::unordered_set<std::string> config_free_dirs_;
  std::vector<Problem> problems_;
  std::vector<Problem> context_problems_;
  // Per configuration: its effective selection and whether it selects a cross-file rule.
  std::map<const config::Config*, std::pair<config::Selection, bool>> selections_;
  bool needs_context_ = false;
};

}  // namespace

std::string exclusion_reason(const Exclusion& exclusion) {
  std::string name =
      exclusion.config_name == config::defaults_name ? "the default configuration" : exclusion.config_name;
  if (exclusion.setting == "exclude") return "`exclude` in " + name + " matches it";
  return "`include` in " + name + " does not match it";
}

Result<std::string> resolve_input(std::string_view root, std::string_view path) {
  std::string root_text(root);
  auto canonical_root = fs::canonical(root_text);
  if (!canonical_root.ok()) {
    return Error{"Cannot resolve workspace " + root_text + ": " + canonical_root.error()};
  }

  std::string existing(path);
  std::vector<std::string> missing;  // components below `existing`, innermost first
  // A final symbolic link that does not lead to a directory is kept as named: discovery does not
  // follow it, and the notes explain that.
  auto link = fs::lstat_type(existing);
  auto target = fs::stat_type(existing);
  if (link.ok() && *link == fs::EntryType::symlink && target.ok() && *target != fs::EntryType::directory) {
    missing.push_back(paths::file_name(existing));
    existing = paths::parent(existing);
  }
  std::string canonical;
  while (true) {
    bool not_found = false;
    auto resolved = fs::canonical(existing, &not_found);
    if (resolved.ok()) {
      canonical = *resolved;
      break;
    }
    if (!not_found) return Error{"Cannot resolve " + std::string(path) + ": " + resolved.error()};
    std::string up = paths::parent(existing);
    if (up == existing || up.empty() || paths::file_name(existing).empty()) {
      return Error{"Cannot resolve " + std::string(path) + " to an existing workspace directory."};
    }
    missing.push_back(paths::file_name(existing));
    existing = up;
  }
  if (!missing.empty() && existing != path) {
    auto type = fs::stat_type(existing);
    if (!type.ok() || *type != fs::EntryType::directory) {
      return Error{existing + " is not a directory; choose a valid workspace path."};
    }
  }
  for (auto it = missing.rbegin(); it != missing.rend(); ++it) canonical = paths::join(canonical, *it);
  auto below = paths::relative_to(canonical, *canonical_root);
  if (!below) {
    return Error{std::string(path) + " is outside workspace " + root_text +
                 "; run from its workspace directory."};
  }
  return below->empty() ? root_text : paths::join(root_text, *below);
}

Result<Workspace> discover(const DiscoveryRequest& request) {
  if (auto error = config::validate_selection_args(request.selection)) return *error;
  auto workspace = config::load_workspace_config(request.current_dir, request.config);
  if (!workspace.ok()) return Error{workspace.error()};
  workspace->root = paths::normalize(workspace->root);
  Discovery discovery(request, std::move(*workspace));
  return discovery.run();
}

}  // namespace tovik::workspace
