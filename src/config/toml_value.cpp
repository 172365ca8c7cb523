// Reading configuration files as TOML values and merging extend chains.
#include "config/toml_value.hpp"

#include <cstdlib>

#include "config/errors.hpp"
#include "config/filesystem.hpp"
#include "paths/paths.hpp"
#include "support/files.hpp"
#include "support/utf8.hpp"

namespace tovik::config {

namespace {

constexpr std::size_t max_chain_files = 128;

bool accumulates(std::string_view key) {
  return key == "extend-select" || key == "extend-ignore" || key == "extend-exclude";
}

}  // namespace

TomlValue clone_value(const toml::node& node) {
  return node.visit(
      [](const auto& n) -> TomlValue { return std::make_unique<std::decay_t<decltype(n)>>(n); });
}

Result<TomlValue> parse_toml(std::string_view text, const std::string& source) {
  try {
    toml::table table = toml::parse(text, source);
    return TomlValue(std::make_unique<toml::table>(std::move(table)));
  } catch (const toml::parse_error& error) {
    const auto& begin = error.source().begin;
    return Error{std::string(error.description()) + " at line " + std::to_string(begin.line) + ", column " +
                 std::to_string(begin.column)};
  }
}

std::optional<TomlValue> settings_value(const std::string& path, const toml::table& document) {
  if (paths::file_name(path) != "pyproject.toml") return clone_value(document);
  const toml::table* tool = document.get_as<toml::table>("tool");
  if (tool == nullptr) return std::nullopt;
  const toml::node* tovik = tool->get("tovik");
  if (tovik == nullptr) return std::nullopt;
  return clone_value(*tovik);
}

TomlValue merge_values(const toml::node& base, const toml::node& overlay) {
  const toml::table* base_table = base.as_table();
  const toml::table* overlay_table = overlay.as_table();
  if (base_table == nullptr || overlay_table == nullptr) return clone_value(overlay);

  auto merged = std::make_unique<toml::table>(*base_table);
  // toml::table keeps its keys sorted, so this visits them in ascending byte order.
  for (const auto& [key, value] : *overlay_table) {
    toml::node* existing = merged->get(key.str());
    if (existing == nullptr) {
      merged->insert(key, value);
      continue;
    }
    if (accumulates(key.str()) && value.is_array()) {
      if (toml::array* list = existing->as_array()) {
        for (const toml::node& element : *value.as_array()) list->push_back(element);
      }
      // A base value that is not an array is kept; validation rejects it later.
      continue;
    }
    TomlValue combined = merge_values(*existing, value);
    const toml::key& name = key;
    combined->visit([&](auto& n) { merged->insert_or_assign(name, std::move(n)); });
  }
  return merged;
}

Result<TomlValue> load_value_chain(const std::string& path, std::vector<std::string>& stack) {
  if (stack.size() >= max_chain_files) {
    return Error{
        invalid_error(path, "configuration inheritance exceeds 128 files; shorten the extend chain")};
  }
  auto canonical = fs::canonical(path);
  if (!canonical.ok()) return Error{read_error(path, canonical.error())};
  for (const std::string& entry : stack) {
    if (entry != *canonical) continue;
    std::string chain;
    for (const std::string& file : stack) chain += file + " -> ";
    chain += *canonical;
    return Error{cycle_error(chain)};
  }

  auto text = files::read_file(path);
  if (!text.ok()) return Error{read_error(path, text.error())};
  if (!utf8::is_valid(*text)) return Error{read_error(path, utf8::invalid_description(*text))};
  auto document = parse_toml(*text, path);
  if (!document.ok()) return Error{invalid_error(path, document.error())};
  auto value = settings_value(path, *(*document)->as_table());
  if (!value) return Error{invalid_error(path, "pyproject.toml has no [tool.tovik] table")};

  TomlValue result = std::move(*value);
  toml::table* table = result->as_table();
  if (table == nullptr || !table->contains("extend")) return result;

  const toml::node* extend = table->get("extend");
  const std::string* target_text = nullptr;
  if (const auto* s = extend->as_string()) target_text = &s->get();
  if (target_text == nullptr || target_text->empty()) {
    return Error{invalid_error(path, "extend must be a non-empty configuration file path")};
  }
  std::string target = paths::absolute_from(paths::parent(path), *target_text);
  table->erase("extend");

  stack.push_back(*canonical);
  auto base = load_value_chain(target, stack);
  stack.pop_back();
  if (!base.ok()) return base;
  return merge_values(**base, *result);
}

}  // namespace tovik::config
