// The configuration schema: every key of a configuration file as a plain record, with defaults.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace tovik::config {

// `[[kinds]]`: files matching `path` get `kind` (one of the nine kind names).
struct KindMapping {
  std::string path;
  std::string kind;
  bool operator==(const KindMapping&) const = default;
};

// `[[domains]]`: files matching `path` belong to the vocabulary domain `name`.
struct DomainMapping {
  std::string path;
  std::string name;
  bool operator==(const DomainMapping&) const = default;
};

// `[[sites]]`: documents a documentation-site generator renders. `root` and `public` are
// directories relative to the configuration's base directory.
struct SiteMapping {
  std::string path;
  std::string root;
  std::optional<std::string> public_dir;  // the `public` key
  std::string base = "/";
  bool operator==(const SiteMapping&) const = default;
};

// `[lint.dup]`.
struct DupSettings {
  std::uint64_t min_identifiers = 5;
  double min_jaccard = 0.8;
  double min_paragraph_similarity = 0.9;
  std::uint64_t min_paragraph_chars = 80;
  std::uint64_t shingle_size = 5;
  bool operator==(const DupSettings&) const = default;
};

// `[lint.ptr]`.
struct PtrSettings {
  std::vector<std::string> catalog_dirs;
  bool operator==(const PtrSettings&) const = default;
};

// `[lint.lexicon.<language>]`: phrases added to the built-in lists.
struct Lexicon {
  std::vector<std::string> extend_stale_markers;
  std::vector<std::string> extend_constraint_markers;
  std::vector<std::string> extend_commit_contexts;
  std::vector<std::string> extend_pointer_markers;
  std::vector<std::string> extend_source_pointers;
  std::vector<std::string> extend_rationale_headings;
  std::vector<std::string> extend_conversation_markers;
  bool operator==(const Lexicon&) const = default;
};

// `[lint]`. In a built configuration `select` and `ignore` already end with the entries of
// `extend-select` and `extend-ignore`.
struct LintSettings {
  std::vector<std::string> select{"ALL"};
  std::vector<std::string> ignore;
  std::vector<std::string> languages{"en", "zh", "ja"};
  // Glob to selectors; std::map keeps the globs in ascending byte order.
  std::map<std::string, std::vector<std::string>> per_file_ignores;
  DupSettings dup;
  PtrSettings ptr;
  std::map<std::string, Lexicon> lexicon;
  bool operator==(const LintSettings&) const = default;
};

// The top level. In a built configuration `exclude` already ends with `extend-exclude`.
struct Settings {
  std::vector<std::string> include{"**/*.md", "**/*.markdown"};
  std::vector<std::string> exclude;
  bool preview = false;
  std::vector<KindMapping> kinds;
  std::vector<DomainMapping> domains;
  std::vector<SiteMapping> sites;
  LintSettings lint;
  bool operator==(const Settings&) const = default;
};

}  // namespace tovik::config
