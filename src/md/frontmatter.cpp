// Frontmatter reading with yaml-cpp. Scalars carry no type there, so plain scalars are typed here
// with the YAML 1.2 core schema: `3` is a number, `true` a boolean, `yes` a string.
#include "md/frontmatter.hpp"

#include <yaml-cpp/yaml.h>

#include "support/utf8.hpp"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <string>
#include <vector>

namespace tovik::md {

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";

enum class ScalarType { null, boolean, number, string };

bool all_of(std::string_view s, std::string_view allowed) {
  return !s.empty() && std::all_of(s.begin(), s.end(), [&](char c) { return allowed.find(c) != std::string_view::npos; });
}

bool is_core_int(std::string_view s) {
  if (s.starts_with("0o")) return all_of(s.substr(2), "01234567");
  if (s.starts_with("0x")) return all_of(s.substr(2), "0123456789abcdefABCDEF");
  if (!s.empty() && (s[0] == '-' || s[0] == '+')) s.remove_prefix(1);
  return all_of(s, "0123456789");
}

bool is_core_float(std::string_view s) {
  if (!s.empty() && (s[0] == '-' || s[0] == '+')) s.remove_prefix(1);
  if (s == ".inf" || s == ".Inf" || s == ".INF" || s == ".nan" || s == ".NaN" || s == ".NAN") return true;
  // [0-9]* ( \. [0-9]* )? ( [eE] [-+]? [0-9]+ )? with at least one digit before the exponent
  std::size_t i = 0, digits = 0;
  while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i, ++digits;
  if (i < s.size() && s[i] == '.') {
    ++i;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i, ++digits;
  }
  if (digits == 0) return false;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    ++i;
    if (i < s.size() && (s[i] == '-' || s[i] == '+')) ++i;
    if (!all_of(s.substr(i), "0123456789")) return false;
    return true;
  }
  return i == s.size();
}

ScalarType resolve_plain(std::string_view s) {
  if (s.empty() || s == "~" || s == "null" || s == "Null" || s == "NULL") return ScalarType::null;
  if (s == "true" || s == "True" || s == "TRUE" || s == "false" || s == "False" || s == "FALSE")
    return ScalarType::boolean;
  if (is_core_int(s) || is_core_float(s)) return ScalarType::number;
  return ScalarType::string;
}

// The type of a scalar node after unwrapping its tag.
ScalarType scalar_type(const YAML::Node& node) {
  if (node.IsNull()) return ScalarType::null;
  const std::string& tag = node.Tag();
  if (tag == "!" || tag == "tag:yaml.org,2002:str") return ScalarType::string;
  if (tag == "tag:yaml.org,2002:null") return ScalarType::null;
  if (tag == "tag:yaml.org,2002:bool") return ScalarType::boolean;
  if (tag == "tag:yaml.org,2002:int" || tag == "tag:yaml.org,2002:float") return ScalarType::number;
  return resolve_plain(node.Scalar());
}

std::optional<bool> as_bool(std::string_view s) {
  if (s == "true" || s == "True" || s == "TRUE") return true;
  if (s == "false" || s == "False" || s == "FALSE") return false;
  return std::nullopt;
}

// Rewrites every "at line N" of a reader message to the file's line numbering.
std::string rewrite_lines(const std::string& message, std::uint64_t line_offset) {
  std::string out;
  std::size_t pos = 0;
  const std::string_view needle = "at line ";
  while (true) {
    std::size_t at = message.find(needle, pos);
    if (at == std::string::npos) break;
    char prev = at == 0 ? ' ' : message[at - 1];
    bool boundary = !((prev >= 'a' && prev <= 'z') || (prev >= 'A' && prev <= 'Z') || (prev >= '0' && prev <= '9') || prev == '_');
    std::size_t digits = at + needle.size();
    std::size_t end = digits;
    while (end < message.size() && message[end] >= '0' && message[end] <= '9') ++end;
    out.append(message, pos, digits - pos);
    if (boundary && end > digits) {
      std::uint64_t n = 0;
      auto [ptr, ec] = std::from_chars(message.data() + digits, message.data() + end, n);
      if (ec == std::errc() && ptr == message.data() + end && n <= UINT64_MAX - line_offset) {
        out += std::to_string(n + line_offset);
      } else {
        out.append(message, digits, end - digits);
      }
    }
    pos = end;
  }
  out.append(message, pos, std::string::npos);
  return out;
}

}  // namespace

bool opens_with_fence(std::string_view source) {
  if (source.starts_with(kBom)) source.remove_prefix(kBom.size());
  std::string_view line = source.substr(0, source.find('\n'));
  if (line.size() < source.size() && line.ends_with('\r')) line.remove_suffix(1);
  return line == "---";
}

Frontmatter read_frontmatter(std::string_view source, Span span, std::string_view raw) {
  Frontmatter fm;
  fm.span = span;
  fm.raw = std::string(raw);
  auto error = [&](std::string message) { fm.errors.push_back({std::move(message), span}); };

  YAML::Node root;
  try {
    root = YAML::Load(fm.raw);
  } catch (const std::exception& e) {
    std::uint64_t lines_before = std::count(source.begin(), source.begin() + static_cast<std::ptrdiff_t>(span.start), '\n');
    // The reader may quote a single byte of a multi-byte character; keep the message valid UTF-8.
    error(rewrite_lines(utf8::to_valid(e.what()), lines_before + 1));
    return fm;
  }
  if (root.IsNull()) return fm;
  if (!root.IsMap()) {
    error("YAML frontmatter must be a mapping");
    return fm;
  }

  auto lookup = [&](std::string_view key) -> std::optional<YAML::Node> {
    for (const auto& entry : root) {
      if (entry.first.IsScalar() && entry.first.Scalar() == key && scalar_type(entry.first) == ScalarType::string)
        return entry.second;
    }
    return std::nullopt;
  };
  for (std::string_view key : {"kind", "lang"}) {
    auto value = lookup(key);
    if (!value) continue;
    if (value->IsScalar() && scalar_type(*value) == ScalarType::string) {
      (key == "kind" ? fm.kind : fm.lang) = value->Scalar();
    } else {
      error("frontmatter `" + std::string(key) + "` must be a string");
    }
  }
  if (auto value = lookup("canonical")) {
    std::optional<bool> flag;
    if (value->IsScalar() && scalar_type(*value) == ScalarType::boolean) flag = as_bool(value->Scalar());
    if (flag) {
      fm.canonical = flag;
    } else {
      error("frontmatter `canonical` must be a boolean");
    }
  }
  return fm;
}

std::optional<Frontmatter> unterminated_frontmatter(std::string_view source) {
  // Lines as text editors see them: split at "\n", a "\r" before it dropped, no empty last line.
  std::vector<std::string_view> lines;
  std::size_t pos = 0;
  while (pos < source.size()) {
    std::size_t nl = source.find('\n', pos);
    std::size_t end = nl == std::string_view::npos ? source.size() : nl;
    std::string_view line = source.substr(pos, end - pos);
    if (nl != std::string_view::npos && line.ends_with('\r')) line.remove_suffix(1);
    lines.push_back(line);
    pos = nl == std::string_view::npos ? source.size() : nl + 1;
  }
  auto blank = [](std::string_view l) {
    return l.find_first_not_of(" \t\r\f\v") == std::string_view::npos;
  };
  std::optional<std::string_view> first;
  for (std::size_t i = 1; i < lines.size(); ++i) {
    if (!blank(lines[i])) {
      first = lines[i];
      break;
    }
  }
  if (!first) return std::nullopt;
  std::size_t key = 0;
  while (key < first->size()) {
    char c = (*first)[key];
    bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_';
    if (!ok) break;
    ++key;
  }
  if (key == 0 || key >= first->size() || (*first)[key] != ':') return std::nullopt;

  Frontmatter fm;
  fm.span = {0, source.size()};
  for (std::size_t i = 1; i < lines.size(); ++i) {
    if (i > 1) fm.raw.push_back('\n');
    fm.raw.append(lines[i]);
  }
  fm.errors.push_back({"YAML frontmatter has no closing fence", fm.span});
  return fm;
}

}  // namespace tovik::md
