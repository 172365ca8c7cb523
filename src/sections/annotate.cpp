// The decision order of section annotations.
#include "sections/annotate.hpp"

#include <optional>
#include <string>

#include "md/document_json.hpp"
#include "md/phrase.hpp"
#include "sections/blocks.hpp"
#include "sections/heading.hpp"
#include "sections/section_text.hpp"
#include "support/unicode.hpp"

namespace tovik::sections {

namespace {

using md::BlockKind;

constexpr std::string_view kExerciseHeadings[] = {"quiz", "exercise", "exercises", "knowledge check",
                                                  "练习", "演習",     "知识检查",  "知識チェック"};
constexpr std::string_view kNavigationStarts[] = {"read the", "see the", "looking for"};
constexpr std::string_view kDecisionPhrasesEn[] = {
    "we chose", "we choose", "we decided", "we opted", "our decision", "the trade-off is", "the tradeoff is"};
constexpr std::string_view kDecisionPhrasesZh[] = {"我们选择", "我们决定", "之所以选择", "选择的原因",
                                                   "选择了这个方案"};
constexpr std::string_view kDecisionPhrasesJa[] = {"を選んだ理由", "を採用した理由", "を採用しました"};

// Paragraph prose worth at least this many characters, over two paragraphs or more, explains.
constexpr std::size_t kExplanatoryLength = 160;

std::span<const std::string_view> decision_phrases(md::Language language) {
  switch (language) {
    case md::Language::en:
      return kDecisionPhrasesEn;
    case md::Language::zh:
      return kDecisionPhrasesZh;
    case md::Language::ja:
      return kDecisionPhrasesJa;
  }
  return kDecisionPhrasesEn;
}

md::Span content_span(const md::Document& doc, const md::Section& section) {
  std::uint64_t start = section.heading_span ? section.heading_span->end : section.span.start;
  std::uint64_t end =
      section.children.empty() ? section.span.end : doc.sections[section.children.front()].span.start;
  return {start, std::max(start, end)};
}

bool contains_link_text(const md::Sentence& sentence) {
  for (const md::Fragment& f : sentence.fragments) {
    if (f.kind == md::FragmentKind::link_text) return true;
  }
  return false;
}

// A section that mostly points elsewhere: a list, and paragraphs whose every sentence is a link
// or a "see the ..." pointer.
bool is_navigation(TextCache& texts, const std::vector<std::uint32_t>& content,
                   const std::vector<std::uint32_t>& paragraphs) {
  const md::Document& doc = texts.document();
  bool has_list = false;
  for (std::uint32_t b : content) has_list = has_list || doc.blocks[b].kind == BlockKind::list;
  if (!has_list) return false;
  for (std::uint32_t p : paragraphs) {
    const auto& sentences = doc.blocks[p].sentences;
    if (sentences.empty()) return false;
    for (std::uint32_t s : sentences) {
      if (!contains_link_text(doc.sentences[s]) &&
          !md::begins_with_phrase(texts.sentence(s), kNavigationStarts)) {
        return false;
      }
    }
  }
  return true;
}

std::optional<std::uint32_t> decision_paragraph(TextCache& texts,
                                                const std::vector<std::uint32_t>& paragraphs) {
  const md::Document& doc = texts.document();
  for (std::uint32_t p : paragraphs) {
    for (std::uint32_t s : doc.blocks[p].sentences) {
      if (md::contains_phrase(texts.sentence(s), decision_phrases(doc.sentences[s].language))) return p;
    }
  }
  return std::nullopt;
}

bool is_explanatory(TextCache& texts, const std::vector<std::uint32_t>& paragraphs) {
  if (paragraphs.size() < 2) return false;
  std::size_t length = 0;
  for (std::uint32_t p : paragraphs) length += unicode::count_code_points(texts.block(p));
  return length >= kExplanatoryLength;
}

// A heading that names a function: `parse()`.
bool is_call_heading(const md::Section& section) {
  if (!section.heading) return false;
  const std::string h = normalize_heading(*section.heading);
  if (h.size() < 2 || !h.ends_with("()")) return false;
  for (std::size_t i = 0; i < h.size();) {
    unicode::Decoded d = unicode::decode(h, i);
    if (unicode::is_white_space(d.code_point)) return false;
    i += d.length;
  }
  return true;
}

SectionAnnotation annotate(TextCache& texts, std::uint32_t index) {
  const md::Document& doc = texts.document();
  const md::Section& section = doc.sections[index];
  SectionAnnotation result;
  result.section = index;
  result.content_span = content_span(doc, section);
  auto decide = [&](SectionType type, Signal signal, md::Span span) {
    result.section_type = type;
    result.evidence.push_back({signal, span});
    return result;
  };
  const md::Span heading_span = section.heading_span.value_or(section.span);

  std::vector<std::uint32_t> content, paragraphs;
  std::string heading_text;
  for (std::uint32_t b : main_blocks(doc, index)) {
    if (doc.blocks[b].kind == BlockKind::heading) {
      if (!heading_text.empty()) heading_text += ' ';
      heading_text += texts.block(b);
      continue;
    }
    content.push_back(b);
    if (doc.blocks[b].kind == BlockKind::paragraph) paragraphs.push_back(b);
  }
  if (is_one_of(normalize_heading(heading_text), kExerciseHeadings)) return result;
  const std::optional<SectionType> heading_class = classify_heading(heading_text);
  const bool navigation = is_navigation(texts, content, paragraphs);

  if (heading_class == SectionType::troubleshooting || heading_class == SectionType::rationale) {
    return decide(*heading_class, Signal::heading, heading_span);
  }
  if (heading_class == SectionType::reference || is_call_heading(section)) {
    return decide(SectionType::reference, Signal::reference_heading, heading_span);
  }
  for (std::uint32_t b : content) {
    if (is_reference_content(texts, b)) {
      return decide(SectionType::reference, Signal::reference_content, doc.blocks[b].span);
    }
  }
  if (heading_class == SectionType::background && !navigation) {
    return decide(SectionType::background, Signal::heading, heading_span);
  }
  for (std::uint32_t b : content) {
    if (is_instruction(texts, b)) {
      Signal signal = doc.blocks[b].kind == BlockKind::code ? Signal::runnable_example : Signal::instruction;
      return decide(SectionType::steps, signal, doc.blocks[b].span);
    }
  }
  if (heading_class == SectionType::steps) return decide(SectionType::steps, Signal::heading, heading_span);
  if (auto p = decision_paragraph(texts, paragraphs)) {
    return decide(SectionType::rationale, Signal::decision_prose, doc.blocks[*p].span);
  }
  if (!navigation && is_explanatory(texts, paragraphs)) {
    return decide(SectionType::background, Signal::explanatory_prose, doc.blocks[paragraphs.front()].span);
  }
  return result;
}

}  // namespace

std::string_view section_type_name(SectionType type) {
  switch (type) {
    case SectionType::steps:
      return "steps";
    case SectionType::reference:
      return "reference";
    case SectionType::rationale:
      return "rationale";
    case SectionType::background:
      return "background";
    case SectionType::troubleshooting:
      return "troubleshooting";
    case SectionType::other:
      return "other";
  }
  return "other";
}

std::string_view signal_name(Signal signal) {
  switch (signal) {
    case Signal::heading:
      return "heading";
    case Signal::reference_heading:
      return "reference_heading";
    case Signal::reference_content:
      return "reference_content";
    case Signal::instruction:
      return "instruction";
    case Signal::runnable_example:
      return "runnable_example";
    case Signal::decision_prose:
      return "decision_prose";
    case Signal::explanatory_prose:
      return "explanatory_prose";
  }
  return "heading";
}

std::vector<SectionAnnotation> annotate_sections(const md::Document& doc) {
  std::vector<SectionAnnotation> out;
  out.reserve(doc.sections.size());
  TextCache texts(doc);
  for (std::uint32_t i = 0; i < doc.sections.size(); ++i) out.push_back(annotate(texts, i));
  return out;
}

nlohmann::ordered_json to_json(const SectionAnnotation& annotation) {
  nlohmann::ordered_json evidence = nlohmann::ordered_json::array();
  for (const Evidence& e : annotation.evidence) {
    evidence.push_back({{"signal", signal_name(e.signal)}, {"span", md::to_json(e.span)}});
  }
  nlohmann::ordered_json out;
  out["section"] = annotation.section;
  out["section_type"] = section_type_name(annotation.section_type);
  out["content_span"] = md::to_json(annotation.content_span);
  out["evidence"] = std::move(evidence);
  return out;
}

nlohmann::ordered_json to_json(const std::vector<SectionAnnotation>& annotations) {
  nlohmann::ordered_json out = nlohmann::ordered_json::array();
  for (const SectionAnnotation& a : annotations) out.push_back(to_json(a));
  return out;
}

}  // namespace tovik::sections
