// Lexical path operations.
#include "paths/paths.hpp"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "support/utf8.hpp"

namespace tovik::paths {

namespace {

std::vector<std::string_view> components(std::string_view path) {
  std::vector<std::string_view> out;
  std::size_t i = 0;
  while (i < path.size()) {
    while (i < path.size() && path[i] == '/') ++i;
    std::size_t start = i;
    while (i < path.size() && path[i] != '/') ++i;
    if (i > start) out.push_back(path.substr(start, i - start));
  }
  return out;
}

// Components of a normalised path, with the root (if any) as a leading "/" entry.
std::vector<std::string_view> parts(std::string_view path) {
  std::vector<std::string_view> out;
  if (!path.empty() && path[0] == '/') out.push_back("/");
  for (auto c : components(path)) out.push_back(c);
  return out;
}

std::string from_parts(const std::vector<std::string_view>& ps, std::size_t first) {
  std::string out;
  for (std::size_t i = first; i < ps.size(); ++i) {
    if (ps[i] == "/") {
      out = "/";
      continue;
    }
    if (!out.empty() && out.back() != '/') out.push_back('/');
    out.append(ps[i]);
  }
  return out;
}

std::string current_dir_or_error(std::string& error) {
  std::vector<char> buf(4096);
  while (true) {
    if (getcwd(buf.data(), buf.size())) return std::string(buf.data());
    if (errno != ERANGE) {
      error = std::strerror(errno);
      return {};
    }
    buf.resize(buf.size() * 2);
  }
}

}  // namespace

bool is_absolute(std::string_view path) { return !path.empty() && path[0] == '/'; }

std::string normalize(std::string_view path) {
  std::string out;
  if (is_absolute(path)) out = "/";
  for (auto c : components(path)) {
    if (c == ".") continue;
    if (c == "..") {
      if (out == "/") continue;
      std::size_t slash = out.rfind('/');
      std::string_view last = slash == std::string::npos ? std::string_view(out)
                                                         : std::string_view(out).substr(slash + 1);
      if (out.empty() || last == "..") {
        if (!out.empty()) out.push_back('/');
        out.append("..");
      } else if (slash == std::string::npos) {
        out.clear();
      } else {
        out.resize(slash == 0 ? 1 : slash);
      }
      continue;
    }
    if (!out.empty() && out.back() != '/') out.push_back('/');
    out.append(c);
  }
  return out;
}

std::string join(std::string_view base, std::string_view path) {
  if (is_absolute(path)) return std::string(path);
  std::string out(base);
  if (path.empty()) return out;
  if (!out.empty() && out.back() != '/') out.push_back('/');
  out.append(path);
  return out;
}

Result<std::string> absolute(std::string_view path) {
  if (path.empty()) return Error{"cannot make an empty path absolute"};
  if (is_absolute(path)) return normalize(path);
  std::string error;
  std::string cwd = current_dir_or_error(error);
  if (!error.empty()) return Error{error};
  return normalize(join(cwd, path));
}

std::string absolute_from(std::string_view base, std::string_view path) {
  return normalize(join(base, path));
}

bool within(std::string_view path, std::string_view dir) {
  auto p = parts(path);
  auto d = parts(dir);
  if (d.size() > p.size()) return false;
  for (std::size_t i = 0; i < d.size(); ++i) {
    if (p[i] != d[i]) return false;
  }
  return true;
}

std::optional<std::string> relative_to(std::string_view path, std::string_view dir) {
  if (!within(path, dir)) return std::nullopt;
  auto p = parts(path);
  auto d = parts(dir);
  std::string out;
  for (std::size_t i = d.size(); i < p.size(); ++i) {
    if (!out.empty()) out.push_back('/');
    out.append(p[i]);
  }
  return out;
}

static std::string as_display_text(std::string_view path) {
  std::string out = utf8::to_valid(path);
  for (char& c : out) {
    if (c == '\\') c = '/';
  }
  return out;
}

std::string display_path(std::string_view root, std::string_view path) {
  auto rel = relative_to(path, root);
  return as_display_text(rel ? std::string_view(*rel) : path);
}

std::optional<std::string> config_path_of(std::string_view base_dir, std::string_view path) {
  std::string full = normalize(join(base_dir, path));
  auto rel = relative_to(full, base_dir);
  if (!rel) return std::nullopt;
  return as_display_text(*rel);
}

int path_cmp(std::string_view a, std::string_view b) {
  auto pa = parts(a);
  auto pb = parts(b);
  std::size_t n = std::min(pa.size(), pb.size());
  for (std::size_t i = 0; i < n; ++i) {
    int c = pa[i].compare(pb[i]);
    if (c != 0) return c < 0 ? -1 : 1;
  }
  if (pa.size() == pb.size()) return 0;
  return pa.size() < pb.size() ? -1 : 1;
}

std::string parent(std::string_view path) {
  auto ps = parts(path);
  if (ps.empty() || (ps.size() == 1 && ps[0] == "/")) return std::string(ps.empty() ? "" : "/");
  ps.pop_back();
  return from_parts(ps, 0);
}

std::string file_name(std::string_view path) {
  auto ps = parts(path);
  if (ps.empty() || ps.back() == "/") return {};
  return std::string(ps.back());
}

}  // namespace tovik::paths
