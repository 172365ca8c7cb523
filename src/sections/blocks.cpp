// Block tests and their fixed word lists.
#include "sections/blocks.hpp"

#include <string>
#include <vector>

#include "md/phrase.hpp"
#include "sections/section_text.hpp"
#include "support/unicode.hpp"

namespace tovik::sections {

namespace {

using md::BlockKind;

constexpr std::string_view kOutputLeadIns[] = {
    "following output", "following error", "output looks", "output should",       "expected output",
    "will output",      "will print",      "get an error", "results in an error", "如下输出",
    "以下输出",         "输出如下",        "得到一个错误", "以下のエラー",        "出力は",
    "エラーが発生",     "エラーに"};
constexpr std::string_view kOutputHeadingStarts[] = {"output", "expected output", "compiler output", "输出",
                                                     "出力",   "実行結果"};
constexpr std::string_view kOutputSectionHeadings[] = {"assistant response",
                                                       "sample conversation",
                                                       "example conversation",
                                                       "示例输出",
                                                       "输出示例",
                                                       "示例对话",
                                                       "出力例",
                                                       "会話例"};

constexpr std::string_view kInstructionPrefixes[] = {"First, ",  "Next, ",      "Then, ",   "Finally, ",
                                                     "You can ", "You should ", "You must "};
constexpr std::string_view kInstructionStarts[] = {"to start,",
                                                   "to begin,",
                                                   "let's implement",
                                                   "let us implement",
                                                   "run",
                                                   "install",
                                                   "open",
                                                   "create",
                                                   "set",
                                                   "add",
                                                   "select",
                                                   "click",
                                                   "use",
                                                   "start",
                                                   "connect",
                                                   "copy",
                                                   "edit",
                                                   "configure",
                                                   "build",
                                                   "test",
                                                   "download",
                                                   "enter",
                                                   "execute",
                                                   "save",
                                                   "remove",
                                                   "check",
                                                   "verify",
                                                   "restart",
                                                   "ask the user",
                                                   "安装",
                                                   "运行",
                                                   "打开",
                                                   "创建",
                                                   "设置",
                                                   "添加",
                                                   "选择",
                                                   "点击",
                                                   "执行",
                                                   "复制",
                                                   "编辑",
                                                   "配置",
                                                   "下载",
                                                   "输入",
                                                   "保存",
                                                   "检查",
                                                   "确认",
                                                   "首先",
                                                   "然后",
                                                   "接下来",
                                                   "最后",
                                                   "请",
                                                   "让我们通过实现",
                                                   "まず",
                                                   "次に",
                                                   "最後に"};
constexpr std::string_view kJapaneseRequests[] = {"してください", "しましょう"};

constexpr std::string_view kShellLanguages[] = {"sh",   "cmd",  "bat",   "zsh",       "bash",
                                                "pwsh", "fish", "shell", "powershell"};
constexpr std::string_view kConsolePrompts[] = {"$ ", "> ", "PS> "};

constexpr std::string_view kReferenceStarts[] = {"returns", "return type", "返回值",   "返回类型",
                                                 "函数会",  "戻り値:",     "引数の型:"};
constexpr std::string_view kReferencePhrases[] = {"optional field", "must be annotated"};

bool starts_with_ascii_folded(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    if (unicode::ascii_lower(text[i]) != unicode::ascii_lower(prefix[i])) return false;
  }
  return true;
}

bool is_fence_line(std::string_view line, char fence, std::size_t min_length) {
  line = unicode::trim(line);
  return line.size() >= min_length && line.find_first_not_of(fence) == std::string_view::npos;
}

// The number of blockquotes around a block: their `>` markers prefix its continuation lines.
std::size_t quote_depth(const md::Document& doc, std::uint32_t block) {
  std::size_t depth = 0;
  for (auto parent = doc.blocks[block].parent; parent; parent = doc.blocks[*parent].parent) {
    if (doc.blocks[*parent].kind == BlockKind::blockquote) ++depth;
  }
  return depth;
}

std::string_view strip_quote_markers(std::string_view line, std::size_t depth) {
  for (std::size_t i = 0; i < depth; ++i) {
    std::size_t at = line.find_first_not_of(" \t");
    if (at == std::string_view::npos || line[at] != '>') break;
    line.remove_prefix(at + 1);
    if (!line.empty() && line.front() == ' ') line.remove_prefix(1);
  }
  return line;
}

// The lines of a code block's content: fences dropped, quote markers of continuation lines removed.
std::vector<std::string_view> code_lines(const md::Document& doc, std::uint32_t block) {
  const md::Span span = doc.blocks[block].span;
  std::string_view text = std::string_view(doc.source).substr(span.start, span.end - span.start);
  std::vector<std::string_view> lines;
  const std::size_t depth = quote_depth(doc, block);
  while (!text.empty()) {
    std::size_t eol = text.find('\n');
    std::string_view line = text.substr(0, eol);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(lines.empty() ? line : strip_quote_markers(line, depth));
    if (eol == std::string_view::npos) break;
    text.remove_prefix(eol + 1);
  }
  if (lines.empty()) return lines;
  std::string_view opening = unicode::trim_start(lines.front());
  char fence = opening.empty() ? '\0' : opening.front();
  if (fence == '`' || fence == '~') {
    std::size_t length = opening.find_first_not_of(fence);
    if (length == std::string_view::npos) length = opening.size();
    if (length >= 3) {
      lines.erase(lines.begin());
      if (!lines.empty() && is_fence_line(lines.back(), fence, length)) lines.pop_back();
    }
  }
  return lines;
}

// The first content line of a code block that is neither blank nor a `#` comment, trimmed.
std::optional<std::string_view> first_command_line(const md::Document& doc, std::uint32_t block) {
  for (std::string_view line : code_lines(doc, block)) {
    line = unicode::trim(line);
    if (line.empty() || line.front() == '#') continue;
    return line;
  }
  return std::nullopt;
}

bool preceded_by_instruction(TextCache& texts, std::uint32_t block) {
  auto paragraph = preceding_paragraph(texts.document(), block);
  return paragraph && is_instruction_text(texts.block(*paragraph));
}

bool has_inline_code(const md::Document& doc, std::uint32_t block) {
  for (std::uint32_t s : doc.blocks[block].sentences) {
    for (const md::Fragment& f : doc.sentences[s].fragments) {
      if (f.kind == md::FragmentKind::inline_code) return true;
    }
  }
  return false;
}

}  // namespace

std::optional<std::uint32_t> preceding_paragraph(const md::Document& doc, std::uint32_t block) {
  const md::Block& target = doc.blocks[block];
  std::optional<std::uint32_t> found;
  for (std::uint32_t b : doc.sections[target.section].blocks) {
    const md::Block& candidate = doc.blocks[b];
    if (b == block || candidate.parent != target.parent || candidate.span.end > target.span.start) continue;
    if (candidate.kind == BlockKind::html_comment || candidate.kind == BlockKind::thematic_break) continue;
    found = b;
  }
  if (found && doc.blocks[*found].kind != BlockKind::paragraph) return std::nullopt;
  return found;
}

bool is_output_block(TextCache& texts, std::uint32_t block) {
  const md::Document& doc = texts.document();
  if (doc.blocks[block].kind != BlockKind::code) return false;
  if (auto paragraph = preceding_paragraph(doc, block)) {
    if (md::contains_phrase(texts.block(*paragraph), kOutputLeadIns)) return true;
  }
  const auto& heading = doc.sections[doc.blocks[block].section].heading;
  return heading && md::begins_with_phrase(unicode::trim_start(*heading), kOutputHeadingStarts);
}

bool is_output_section(const md::Document& doc, std::uint32_t section) {
  std::optional<std::uint32_t> at = section;
  while (at && !doc.sections[*at].heading) at = doc.sections[*at].parent;
  if (!at) return false;
  const std::string heading = unicode::ascii_lower(*doc.sections[*at].heading);
  return heading.ends_with(" output") || is_one_of(heading, kOutputSectionHeadings);
}

bool is_instruction_text(std::string_view text) {
  text = unicode::trim_start(text);
  for (std::string_view prefix : kInstructionPrefixes) {
    if (starts_with_ascii_folded(text, prefix)) {
      text.remove_prefix(prefix.size());
      break;
    }
  }
  return md::begins_with_phrase(text, kInstructionStarts) || md::contains_phrase(text, kJapaneseRequests);
}

bool is_runnable_example(TextCache& texts, std::uint32_t block) {
  const md::Document& doc = texts.document();
  if (doc.blocks[block].kind != BlockKind::code || is_output_block(texts, block)) return false;
  auto line = first_command_line(doc, block);
  if (!line || line->starts_with("{{")) return false;
  const std::string language = unicode::ascii_lower(doc.blocks[block].code_language.value_or(""));
  if (is_one_of(language, kShellLanguages)) return true;
  if (language == "console") {
    for (std::string_view prompt : kConsolePrompts) {
      if (line->starts_with(prompt)) return true;
    }
  }
  return preceded_by_instruction(texts, block);
}

bool is_instruction(TextCache& texts, std::uint32_t block) {
  const md::Document& doc = texts.document();
  const md::Block& b = doc.blocks[block];
  if (is_quoted(doc, block) || is_output_section(doc, b.section)) return false;
  switch (b.kind) {
    case BlockKind::code:
      return is_runnable_example(texts, block);
    case BlockKind::paragraph:
      return is_instruction_text(texts.block(block));
    case BlockKind::list: {
      if (!b.ordered.value_or(false) || b.children.empty()) return false;
      const md::Block& item = doc.blocks[b.children.front()];
      if (item.children.empty()) return false;
      std::uint32_t first = item.children.front();
      return doc.blocks[first].kind == BlockKind::paragraph && is_instruction_text(texts.block(first));
    }
    default:
      return false;
  }
}

bool is_reference_content(TextCache& texts, std::uint32_t block) {
  const md::Document& doc = texts.document();
  const md::Block& b = doc.blocks[block];
  if (b.kind == BlockKind::table) return true;
  if (b.kind != BlockKind::paragraph) return false;
  if (!has_inline_code(doc, block)) return false;
  std::string_view body = unicode::trim_start(texts.block(block));
  return md::begins_with_phrase(body, kReferenceStarts) || md::contains_phrase(body, kReferencePhrases);
}

bool is_output_block(const md::Document& doc, std::uint32_t block) {
  TextCache texts(doc);
  return is_output_block(texts, block);
}

bool is_runnable_example(const md::Document& doc, std::uint32_t block) {
  TextCache texts(doc);
  return is_runnable_example(texts, block);
}

bool is_instruction(const md::Document& doc, std::uint32_t block) {
  TextCache texts(doc);
  return is_instruction(texts, block);
}

bool is_reference_content(const md::Document& doc, std::uint32_t block) {
  TextCache texts(doc);
  return is_reference_content(texts, block);
}

}  // namespace tovik::sections
