// Character classes, UTF-8 and the decoding of escapes and character references.
#include "markdown/text.hpp"

#include <algorithm>
#include <cstring>

#include "markdown/tables.hpp"

namespace tovik::markdown::detail {

std::string_view find_entity(std::string_view name) {
  const NamedEntity* begin = kNamedEntities;
  const NamedEntity* end = kNamedEntities + kNamedEntityCount;
  const NamedEntity* it = std::lower_bound(begin, end, name, [](const NamedEntity& e, std::string_view n) {
    return std::string_view(e.name) < n;
  });
  if (it == end || std::string_view(it->name) != name) return {};
  return it->text;
}

const char* fold_case(std::uint32_t code) {
  const CaseFold* begin = kCaseFolds;
  const CaseFold* end = kCaseFolds + kCaseFoldCount;
  const CaseFold* it =
      std::lower_bound(begin, end, code, [](const CaseFold& f, std::uint32_t c) { return f.code < c; });
  if (it == end || it->code != code) return nullptr;
  return it->folded;
}

static bool in_ranges(const CodeRange* ranges, std::size_t count, std::uint32_t code) {
  const CodeRange* end = ranges + count;
  const CodeRange* it =
      std::upper_bound(ranges, end, code, [](std::uint32_t c, const CodeRange& r) { return c < r.first; });
  if (it == ranges) return false;
  --it;
  return code >= it->first && code <= it->last;
}

bool is_unicode_punctuation(std::uint32_t code) {
  return in_ranges(kPunctuation, kPunctuationCount, code);
}

bool is_unicode_whitespace_code(std::uint32_t code) {
  // Space separators, the ASCII whitespace, and the line and paragraph separators and the byte-order mark
  // (which the parsers test data comes from also count).
  switch (code) {
    case '\t':
    case '\n':
    case '\v':
    case '\f':
    case '\r':
    case ' ':
    case 0xa0:
    case 0x1680:
    case 0x2028:
    case 0x2029:
    case 0x202f:
    case 0x205f:
    case 0x3000:
    case 0xfeff:
      return true;
    default:
      return code >= 0x2000 && code <= 0x200a;
  }
}

bool is_punctuation_code(std::uint32_t code) {
  if (code < 0x80) return is_ascii_punct(static_cast<char>(code));
  // Characters beyond the Basic Multilingual Plane (emoji among them) count as letters, as in the
  // widely used parsers that test data here comes from, which classify UTF-16 units.
  if (code > 0xffff) return false;
  return is_unicode_punctuation(code);
}

std::uint32_t decode_utf8(std::string_view text, std::size_t pos, std::size_t& length) {
  auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  unsigned char b0 = byte(pos);
  length = 1;
  if (b0 < 0x80) return b0;
  int extra;
  std::uint32_t code;
  if (b0 >= 0xc2 && b0 <= 0xdf) {
    extra = 1;
    code = b0 & 0x1f;
  } else if (b0 >= 0xe0 && b0 <= 0xef) {
    extra = 2;
    code = b0 & 0x0f;
  } else if (b0 >= 0xf0 && b0 <= 0xf4) {
    extra = 3;
    code = b0 & 0x07;
  } else {
    return 0xfffd;
  }
  if (pos + extra >= text.size()) return 0xfffd;
  for (int i = 1; i <= extra; ++i) {
    unsigned char b = byte(pos + i);
    if ((b & 0xc0) != 0x80) return 0xfffd;
    code = (code << 6) | (b & 0x3f);
  }
  length = extra + 1;
  return code;
}

std::uint32_t decode_utf8_before(std::string_view text, std::size_t pos) {
  if (pos == 0) return '\n';
  std::size_t start = pos - 1;
  int steps = 0;
  while (start > 0 && steps < 3 && (static_cast<unsigned char>(text[start]) & 0xc0) == 0x80) {
    --start;
    ++steps;
  }
  std::size_t length;
  std::uint32_t code = decode_utf8(text, start, length);
  if (start + length != pos) return 0xfffd;
  return code;
}

void append_utf8(std::string& out, std::uint32_t code) {
  if (code < 0x80) {
    out.push_back(static_cast<char>(code));
  } else if (code < 0x800) {
    out.push_back(static_cast<char>(0xc0 | (code >> 6)));
    out.push_back(static_cast<char>(0x80 | (code & 0x3f)));
  } else if (code < 0x10000) {
    out.push_back(static_cast<char>(0xe0 | (code >> 12)));
    out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3f)));
    out.push_back(static_cast<char>(0x80 | (code & 0x3f)));
  } else {
    out.push_back(static_cast<char>(0xf0 | (code >> 18)));
    out.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3f)));
    out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3f)));
    out.push_back(static_cast<char>(0x80 | (code & 0x3f)));
  }
}

std::size_t decode_entity(std::string_view text, std::size_t pos, std::string& out) {
  std::size_t i = pos + 1;
  if (i >= text.size()) return 0;
  if (text[i] == '#') {
    ++i;
    bool hex = i < text.size() && (text[i] == 'x' || text[i] == 'X');
    if (hex) ++i;
    std::size_t digits_start = i;
    std::uint32_t code = 0;
    while (i < text.size() && i - digits_start < (hex ? 6u : 7u)) {
      char c = text[i];
      int digit;
      if (is_ascii_digit(c)) {
        digit = c - '0';
      } else if (hex && c >= 'a' && c <= 'f') {
        digit = c - 'a' + 10;
      } else if (hex && c >= 'A' && c <= 'F') {
        digit = c - 'A' + 10;
      } else {
        break;
      }
      code = code * (hex ? 16 : 10) + digit;
      ++i;
    }
    if (i == digits_start || i >= text.size() || text[i] != ';') return 0;
    // Controls, surrogates and noncharacters become U+FFFD, as browsers do.
    if (code < 9 || code == 11 || (code > 13 && code < 32) || (code > 126 && code < 160) ||
        (code >= 0xd800 && code <= 0xdfff) || (code >= 0xfdd0 && code <= 0xfdef) ||
        (code & 0xfffe) == 0xfffe || code > 0x10ffff) {
      code = 0xfffd;
    }
    append_utf8(out, code);
    return i + 1 - pos;
  }
  std::size_t name_start = i;
  while (i < text.size() && i - name_start < 32 && is_ascii_alnum(text[i])) ++i;
  if (i == name_start || i >= text.size() || text[i] != ';') return 0;
  std::string_view replacement = find_entity(text.substr(name_start, i - name_start));
  if (replacement.empty()) return 0;
  out.append(replacement);
  return i + 1 - pos;
}

void append_unescaped(std::string& out, std::string_view text) {
  std::size_t i = 0;
  while (i < text.size()) {
    char c = text[i];
    if (c == '\\' && i + 1 < text.size() && is_ascii_punct(text[i + 1])) {
      out.push_back(text[i + 1]);
      i += 2;
    } else if (c == '&') {
      std::size_t n = decode_entity(text, i, out);
      if (n == 0) {
        out.push_back('&');
        n = 1;
      }
      i += n;
    } else if (c == '\0') {
      out.append("\xef\xbf\xbd");
      ++i;
    } else {
      std::size_t run = i + 1;
      while (run < text.size() && text[run] != '\\' && text[run] != '&' && text[run] != '\0') ++run;
      out.append(text.substr(i, run - i));
      i = run;
    }
  }
}

void append_without_nul(std::string& out, std::string_view text) {
  std::size_t i = 0;
  while (i < text.size()) {
    std::size_t nul = text.find('\0', i);
    if (nul == std::string_view::npos) nul = text.size();
    out.append(text.substr(i, nul - i));
    if (nul < text.size()) out.append("\xef\xbf\xbd");
    i = nul + 1;
  }
}

bool needs_unescape(std::string_view text) {
  return text.find_first_of(std::string_view("\\&\0", 3)) != std::string_view::npos;
}

}  // namespace tovik::markdown::detail
