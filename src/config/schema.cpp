// Turns a merged TOML value into a validated Config: schema reading, extend lists, kind names,
// blank strings, selectors, languages, thresholds and globs, reporting the first problem.
#include <array>
#include <cmath>
#include <functional>
#include <initializer_list>
#include <locale>
#include <sstream>

#include "config/errors.hpp"
#include "config/toml_value.hpp"
#include "paths/paths.hpp"
#include "rules/selector.hpp"
#include "support/quote.hpp"
#include "support/unicode.hpp"

namespace tovik::config {

namespace {

// True when `text` is empty or only Unicode white space.
bool is_blank(std::string_view text) {
  return unicode::trim(text).empty();
}

// Every reader returns the first problem it finds, or nothing.
using Problem = std::optional<std::string>;

std::string describe(const toml::node& node) {
  switch (node.type()) {
    case toml::node_type::string:
      return "string " + quote(node.as_string()->get());
    case toml::node_type::integer:
      return "integer `" + std::to_string(node.as_integer()->get()) + "`";
    case toml::node_type::floating_point: {
      std::ostringstream out;
      out.imbue(std::locale::classic());
      out << *node.as_floating_point();
      return "floating point `" + out.str() + "`";
    }
    case toml::node_type::boolean:
      return std::string("boolean `") + (node.as_boolean()->get() ? "true" : "false") + "`";
    case toml::node_type::array:
      return "array";
    case toml::node_type::table:
      return "table";
    case toml::node_type::date:
      return "date";
    case toml::node_type::time:
      return "time";
    case toml::node_type::date_time:
      return "date-time";
    default:
      return "value";
  }
}

std::string type_problem(const toml::node& node, std::string_view expected, std::string_view key) {
  std::string out = "invalid type: " + describe(node) + ", expected " + std::string(expected);
  if (!key.empty()) out += " for key `" + std::string(key) + "`";
  return out;
}

std::string child_key(std::string_view parent, std::string_view key) {
  return parent.empty() ? std::string(key) : std::string(parent) + "." + std::string(key);
}

std::string element_key(std::string_view parent, std::size_t index) {
  return std::string(parent) + "[" + std::to_string(index) + "]";
}

std::string expected_keys(std::initializer_list<std::string_view> keys) {
  std::string out;
  std::size_t i = 0;
  for (std::string_view key : keys) {
    if (i > 0) out += keys.size() == 2 ? " or " : ", ";
    out += "`" + std::string(key) + "`";
    ++i;
  }
  return keys.size() > 2 ? "one of " + out : out;
}

Problem read_string(const toml::node& node, std::string_view key, std::string& out) {
  const auto* s = node.as_string();
  if (s == nullptr) return type_problem(node, "a string", key);
  out = s->get();
  return std::nullopt;
}

Problem read_bool(const toml::node& node, std::string_view key, bool& out) {
  const auto* b = node.as_boolean();
  if (b == nullptr) return type_problem(node, "a boolean", key);
  out = b->get();
  return std::nullopt;
}

Problem read_count(const toml::node& node, std::string_view key, std::uint64_t& out) {
  const auto* i = node.as_integer();
  if (i == nullptr) return type_problem(node, "a non-negative integer", key);
  if (i->get() < 0) {
    return "invalid value: integer `" + std::to_string(i->get()) +
           "`, expected a non-negative integer for key `" + std::string(key) + "`";
  }
  out = static_cast<std::uint64_t>(i->get());
  return std::nullopt;
}

// A float, or an integer taken as a number.
Problem read_number(const toml::node& node, std::string_view key, double& out) {
  if (const auto* f = node.as_floating_point()) {
    out = f->get();
    return std::nullopt;
  }
  if (const auto* i = node.as_integer()) {
    out = static_cast<double>(i->get());
    return std::nullopt;
  }
  return type_problem(node, "a number", key);
}

Problem read_strings(const toml::node& node, std::string_view key, std::vector<std::string>& out) {
  const auto* array = node.as_array();
  if (array == nullptr) return type_problem(node, "an array of strings", key);
  out.clear();
  for (std::size_t i = 0; i < array->size(); ++i) {
    std::string value;
    if (auto problem = read_string(*array->get(i), element_key(key, i), value)) return problem;
    out.push_back(std::move(value));
  }
  return std::nullopt;
}

using FieldReader =
    std::function<Problem(std::string_view name, const toml::node& value, const std::string& key)>;

// Reads a record table: every key must be one of `allowed` (handled by `field`), and every key of
// `required` must be present.
Problem read_record(const toml::node& node, std::string_view key,
                    std::initializer_list<std::string_view> allowed,
                    std::initializer_list<std::string_view> required, const FieldReader& field) {
  const auto* table = node.as_table();
  if (table == nullptr) return type_problem(node, "a table", key);
  for (const auto& [name, value] : *table) {
    bool known = false;
    for (std::string_view a : allowed) known = known || a == name.str();
    if (!known) return "unknown field `" + std::string(name.str()) + "`, expected " + expected_keys(allowed);
    if (auto problem = field(name.str(), value, child_key(key, name.str()))) return problem;
  }
  for (std::string_view r : required) {
    if (!table->contains(r)) {
      std::string out = "missing field `" + std::string(r) + "`";
      if (!key.empty()) out += " in `" + std::string(key) + "`";
      return out;
    }
  }
  return std::nullopt;
}

// Reads an array of record tables (`[[kinds]]` and the like).
template <typename T>
Problem read_records(const toml::node& node, std::string_view key, std::vector<T>& out,
                     const std::function<Problem(const toml::node&, const std::string&, T&)>& read_one) {
  const auto* array = node.as_array();
  if (array == nullptr) return type_problem(node, "an array of tables", key);
  out.clear();
  for (std::size_t i = 0; i < array->size(); ++i) {
    T record;
    if (auto problem = read_one(*array->get(i), element_key(key, i), record)) return problem;
    out.push_back(std::move(record));
  }
  return std::nullopt;
}

Problem read_kind(const toml::node& node, const std::string& key, KindMapping& out) {
  return read_record(node, key, {"path", "kind"}, {"path", "kind"},
                     [&](std::string_view name, const toml::node& value, const std::string& k) {
                       return read_string(value, k, name == "path" ? out.path : out.kind);
                     });
}

Problem read_domain(const toml::node& node, const std::string& key, DomainMapping& out) {
  return read_record(node, key, {"path", "name"}, {"path", "name"},
                     [&](std::string_view name, const toml::node& value, const std::string& k) {
                       return read_string(value, k, name == "path" ? out.path : out.name);
                     });
}

Problem read_site(const toml::node& node, const std::string& key, SiteMapping& out) {
  return read_record(node, key, {"path", "root", "public", "base"}, {"path", "root"},
                     [&](std::string_view name, const toml::node& value, const std::string& k) -> Problem {
                       if (name == "path") return read_string(value, k, out.path);
                       if (name == "root") return read_string(value, k, out.root);
                       if (name == "base") return read_string(value, k, out.base);
                       out.public_dir.emplace();
                       return read_string(value, k, *out.public_dir);
                     });
}

Problem read_dup(const toml::node& node, const std::string& key, DupSettings& out) {
  return read_record(
      node, key,
      {"min-identifiers", "min-jaccard", "min-paragraph-similarity", "min-paragraph-chars", "shingle-size"},
      {}, [&](std::string_view name, const toml::node& value, const std::string& k) -> Problem {
        if (name == "min-identifiers") return read_count(value, k, out.min_identifiers);
        if (name == "min-jaccard") return read_number(value, k, out.min_jaccard);
        if (name == "min-paragraph-similarity") {
          return read_number(value, k, out.min_paragraph_similarity);
        }
        if (name == "min-paragraph-chars") return read_count(value, k, out.min_paragraph_chars);
        return read_count(value, k, out.shingle_size);
      });
}

// The seven phrase lists of a lexicon table, in their fixed order.
std::array<std::pair<std::string_view, std::vector<std::string> Lexicon::*>, 7> lexicon_lists() {
  return {{
      {"extend-stale-markers", &Lexicon::extend_stale_markers},
      {"extend-constraint-markers", &Lexicon::extend_constraint_markers},
      {"extend-commit-contexts", &Lexicon::extend_commit_contexts},
      {"extend-pointer-markers", &Lexicon::extend_pointer_markers},
      {"extend-source-pointers", &Lexicon::extend_source_pointers},
      {"extend-rationale-headings", &Lexicon::extend_rationale_headings},
      {"extend-conversation-markers", &Lexicon::extend_conversation_markers},
  }};
}

Problem read_lexicon(const toml::node& node, const std::string& key, Lexicon& out) {
  return read_record(node, key,
                     {"extend-stale-markers", "extend-constraint-markers", "extend-commit-contexts",
                      "extend-pointer-markers", "extend-source-pointers", "extend-rationale-headings",
                      "extend-conversation-markers"},
                     {},
                     [&](std::string_view name, const toml::node& value, const std::string& k) -> Problem {
                       for (const auto& [list_name, member] : lexicon_lists()) {
                         if (list_name == name) return read_strings(value, k, out.*member);
                       }
                       return std::nullopt;
                     });
}

// Reads a table of free keys, each value read by `read_one`.
template <typename T>
Problem read_map(const toml::node& node, const std::string& key, std::map<std::string, T>& out,
                 const std::function<Problem(const toml::node&, const std::string&, T&)>& read_one) {
  const auto* table = node.as_table();
  if (table == nullptr) return type_problem(node, "a table", key);
  out.clear();
  for (const auto& [name, value] : *table) {
    T entry{};
    if (auto problem = read_one(value, child_key(key, name.str()), entry)) return problem;
    out.emplace(std::string(name.str()), std::move(entry));
  }
  return std::nullopt;
}

Problem read_lint(const toml::node& node, LintSettings& out) {
  return read_record(
      node, "lint",
      {"select", "extend-select", "ignore", "extend-ignore", "languages", "per-file-ignores", "dup", "ptr",
       "lexicon"},
      {}, [&](std::string_view name, const toml::node& value, const std::string& k) -> Problem {
        if (name == "select") return read_strings(value, k, out.select);
        if (name == "ignore") return read_strings(value, k, out.ignore);
        if (name == "languages") return read_strings(value, k, out.languages);
        if (name == "per-file-ignores") {
          return read_map<std::vector<std::string>>(value, k, out.per_file_ignores, read_strings);
        }
        if (name == "dup") return read_dup(value, k, out.dup);
        if (name == "ptr") {
          return read_record(value, k, {"catalog-dirs"}, {},
                             [&](std::string_view, const toml::node& v, const std::string& kk) {
                               return read_strings(v, kk, out.ptr.catalog_dirs);
                             });
        }
        if (name == "lexicon") return read_map<Lexicon>(value, k, out.lexicon, read_lexicon);
        return std::nullopt;  // the extend lists were taken out before
      });
}

Problem read_settings(const toml::node& node, Settings& out) {
  return read_record(
      node, "",
      {"include", "exclude", "extend-exclude", "preview", "kinds", "domains", "sites", "lint", "extend"}, {},
      [&](std::string_view name, const toml::node& value, const std::string& k) -> Problem {
        if (name == "include") return read_strings(value, k, out.include);
        if (name == "exclude") return read_strings(value, k, out.exclude);
        if (name == "preview") return read_bool(value, k, out.preview);
        if (name == "kinds") return read_records<KindMapping>(value, k, out.kinds, read_kind);
        if (name == "domains") {
          return read_records<DomainMapping>(value, k, out.domains, read_domain);
        }
        if (name == "sites") return read_records<SiteMapping>(value, k, out.sites, read_site);
        if (name == "lint") return read_lint(value, out.lint);
        return std::nullopt;  // `extend` is resolved before a value gets here
      });
}

// Removes the extend list `key` from `table` into `out`.
Problem take_extend_list(toml::table& table, std::string_view key, std::vector<std::string>& out) {
  toml::node* node = table.get(key);
  if (node == nullptr) return std::nullopt;
  const auto* array = node->as_array();
  if (array == nullptr) return std::string(key) + " must be an array of strings";
  for (const toml::node& element : *array) {
    const auto* s = element.as_string();
    if (s == nullptr) return std::string(key) + " must contain only strings";
    out.push_back(s->get());
  }
  table.erase(key);
  return std::nullopt;
}

Problem check_site_directory(std::string_view key, const std::string& value) {
  if (is_blank(value) || value[0] == '/' || value[0] == '\\') {
    return std::string(key) + " " + quote(value) +
           " must be a directory relative to this configuration, such as \"docs\"";
  }
  return std::nullopt;
}

bool is_language(std::string_view text) {
  return text == "en" || text == "zh" || text == "ja";
}

Problem unsupported_language(std::string_view text) {
  if (is_language(text)) return std::nullopt;
  return "unsupported language " + quote(text) + "; expected en, zh, or ja";
}

Problem validate(const Settings& s) {
  for (const KindMapping& k : s.kinds) {
    if (!parse_kind(k.kind)) return "unknown kind " + quote(k.kind) + "; expected " + all_kind_names();
  }
  for (const DomainMapping& d : s.domains) {
    if (is_blank(d.name)) return "domains.name must not be empty";
  }
  for (const SiteMapping& site : s.sites) {
    if (auto problem = check_site_directory("sites.root", site.root)) return problem;
    if (site.public_dir) {
      if (auto problem = check_site_directory("sites.public", *site.public_dir)) return problem;
    }
    if (site.base.empty() || site.base[0] != '/' || site.base.find_first_of("?#") != std::string::npos) {
      return "sites.base " + quote(site.base) + " must be a URL path that starts with /, such as \"/guide/\"";
    }
  }
  auto check_selectors = [](const std::vector<std::string>& list) -> Problem {
    for (const std::string& text : list) {
      auto selector = rules::parse_selector(text);
      if (!selector.ok()) return selector.error();
    }
    return std::nullopt;
  };
  if (auto problem = check_selectors(s.lint.select)) return problem;
  if (auto problem = check_selectors(s.lint.ignore)) return problem;
  for (const auto& [glob, list] : s.lint.per_file_ignores) {
    if (auto problem = check_selectors(list)) return problem;
  }
  for (const std::string& language : s.lint.languages) {
    if (auto problem = unsupported_language(language)) return problem;
  }
  for (const auto& [language, lexicon] : s.lint.lexicon) {
    if (auto problem = unsupported_language(language)) return problem;
  }
  const DupSettings& dup = s.lint.dup;
  if (dup.min_identifiers == 0) return "lint.dup.min-identifiers must be at least 1";
  if (!std::isfinite(dup.min_jaccard) || dup.min_jaccard < 0 || dup.min_jaccard > 1) {
    return "lint.dup.min-jaccard must be a finite number from 0 to 1";
  }
  if (!std::isfinite(dup.min_paragraph_similarity) || !(dup.min_paragraph_similarity > 0) ||
      dup.min_paragraph_similarity > 1) {
    return "lint.dup.min-paragraph-similarity must be greater than 0 and at most 1";
  }
  if (dup.min_paragraph_chars == 0 || dup.shingle_size == 0) {
    return "lint.dup.min-paragraph-chars and shingle-size must be positive";
  }
  for (const std::string& dir : s.lint.ptr.catalog_dirs) {
    if (is_blank(dir)) return "lint.ptr.catalog-dirs entries must not be empty";
  }
  for (const auto& [language, lexicon] : s.lint.lexicon) {
    for (const auto& [name, member] : lexicon_lists()) {
      for (const std::string& phrase : lexicon.*member) {
        if (is_blank(phrase)) return "lint.lexicon " + std::string(name) + " entries must not be empty";
      }
    }
  }
  return std::nullopt;
}

Problem compile_all(const std::vector<std::string>& patterns, std::string_view label,
                    std::vector<Glob>& out) {
  for (const std::string& pattern : patterns) {
    auto glob = compile_glob(pattern, label);
    if (!glob.ok()) return glob.error();
    out.push_back(std::move(*glob));
  }
  return std::nullopt;
}

template <typename Mapping, typename Compiled, typename Make>
Problem compile_mappings(const std::vector<Mapping>& mappings, std::string_view label,
                         std::vector<Compiled>& out, Make make) {
  for (const Mapping& mapping : mappings) {
    auto glob = compile_glob(mapping.path, label);
    if (!glob.ok()) return glob.error();
    out.push_back(make(std::move(*glob), mapping));
  }
  return std::nullopt;
}

Problem compile_globs(Config& config) {
  const Settings& s = config.settings;
  if (auto problem = compile_all(s.include, "include", config.include)) return problem;
  if (auto problem = compile_all(s.exclude, "exclude", config.exclude)) return problem;
  if (auto problem = compile_mappings(s.kinds, "kinds.path", config.kinds, [](Glob g, const KindMapping& m) {
        return CompiledKindMapping{std::move(g), *parse_kind(m.kind)};
      })) {
    return problem;
  }
  if (auto problem =
          compile_mappings(s.domains, "domains.path", config.domains, [](Glob g, const DomainMapping& m) {
            return CompiledDomainMapping{std::move(g), m.name};
          })) {
    return problem;
  }
  if (auto problem = compile_mappings(s.sites, "sites.path", config.sites, [](Glob g, const SiteMapping& m) {
        return CompiledSiteMapping{std::move(g), m};
      })) {
    return problem;
  }
  for (const auto& [pattern, selectors] : s.lint.per_file_ignores) {
    auto glob = compile_glob(pattern, "lint.per-file-ignores");
    if (!glob.ok()) return glob.error();
    config.per_file_ignores.push_back({std::move(*glob), selectors});
  }
  return std::nullopt;
}

}  // namespace

Result<Config> build_config(const toml::node& value, const std::string& base_dir,
                            const std::optional<std::string>& source) {
  std::string named = source ? *source : paths::join(base_dir, "tovik.toml");
  auto fail = [&](const std::string& message) { return Error{invalid_error(named, message)}; };

  TomlValue working = clone_value(value);
  std::vector<std::string> extend_exclude, extend_select, extend_ignore;
  if (toml::table* top = working->as_table()) {
    if (auto problem = take_extend_list(*top, "extend-exclude", extend_exclude)) return fail(*problem);
    if (toml::table* lint = top->get_as<toml::table>("lint")) {
      if (auto problem = take_extend_list(*lint, "extend-select", extend_select)) return fail(*problem);
      if (auto problem = take_extend_list(*lint, "extend-ignore", extend_ignore)) return fail(*problem);
    }
  }

  Config config;
  config.base_dir = base_dir;
  config.source = source;
  Settings& s = config.settings;
  if (auto problem = read_settings(*working, s)) return fail(*problem);
  s.exclude.insert(s.exclude.end(), extend_exclude.begin(), extend_exclude.end());
  s.lint.select.insert(s.lint.select.end(), extend_select.begin(), extend_select.end());
  s.lint.ignore.insert(s.lint.ignore.end(), extend_ignore.begin(), extend_ignore.end());

  if (auto problem = validate(s)) return fail(*problem);
  if (auto problem = compile_globs(config)) return fail(*problem);
  return config;
}

}  // namespace tovik::config
