// JSON serialisation of the document model, and the names of its enumerations.
#include "md/document_json.hpp"

namespace tovik::md {

using Json = nlohmann::ordered_json;

std::string_view language_name(Language language) {
  switch (language) {
    case Language::en: return "en";
    case Language::zh: return "zh";
    case Language::ja: return "ja";
  }
  return "en";
}

std::string_view block_kind_name(BlockKind kind) {
  switch (kind) {
    case BlockKind::heading: return "heading";
    case BlockKind::paragraph: return "paragraph";
    case BlockKind::list: return "list";
    case BlockKind::list_item: return "list_item";
    case BlockKind::table: return "table";
    case BlockKind::table_row: return "table_row";
    case BlockKind::table_cell: return "table_cell";
    case BlockKind::code: return "code";
    case BlockKind::blockquote: return "blockquote";
    case BlockKind::html: return "html";
    case BlockKind::html_comment: return "html_comment";
    case BlockKind::thematic_break: return "thematic_break";
    case BlockKind::definition: return "definition";
    case BlockKind::footnote_definition: return "footnote_definition";
  }
  return "";
}

std::string_view fragment_kind_name(FragmentKind kind) {
  switch (kind) {
    case FragmentKind::text: return "text";
    case FragmentKind::inline_code: return "inline_code";
    case FragmentKind::link_text: return "link_text";
    case FragmentKind::link_destination: return "link_destination";
  }
  return "";
}

namespace {

template <typename T>
Json optional(const std::optional<T>& value) {
  return value ? Json(*value) : Json(nullptr);
}

Json optional_span(const std::optional<Span>& span) { return span ? to_json(*span) : Json(nullptr); }

Json indices(const std::vector<std::uint32_t>& list) {
  Json out = Json::array();
  for (auto i : list) out.push_back(i);
  return out;
}

Json fragment_json(const Fragment& f) {
  Json mapping = Json::array();
  for (const auto& seg : f.mapping) {
    Json s;
    s["text"] = to_json(seg.text);
    s["source"] = to_json(seg.source);
    s["exact"] = seg.exact;
    mapping.push_back(std::move(s));
  }
  Json out;
  out["kind"] = fragment_kind_name(f.kind);
  out["text"] = f.text;
  out["span"] = to_json(f.span);
  out["mapping"] = std::move(mapping);
  return out;
}

Json frontmatter_json(const Frontmatter& fm) {
  Json errors = Json::array();
  for (const auto& e : fm.errors) {
    Json j;
    j["message"] = e.message;
    j["span"] = to_json(e.span);
    errors.push_back(std::move(j));
  }
  Json out;
  out["span"] = to_json(fm.span);
  out["raw"] = fm.raw;
  out["kind"] = optional(fm.kind);
  out["lang"] = optional(fm.lang);
  out["canonical"] = optional(fm.canonical);
  out["errors"] = std::move(errors);
  return out;
}

}  // namespace

Json to_json(const Span& span) {
  Json out;
  out["start"] = span.start;
  out["end"] = span.end;
  return out;
}

Json to_json(const Document& doc) {
  Json sections = Json::array();
  for (const auto& s : doc.sections) {
    Json j;
    j["parent"] = optional(s.parent);
    j["children"] = indices(s.children);
    j["depth"] = s.depth;
    j["heading"] = optional(s.heading);
    j["heading_span"] = optional_span(s.heading_span);
    j["span"] = to_json(s.span);
    j["blocks"] = indices(s.blocks);
    sections.push_back(std::move(j));
  }
  Json blocks = Json::array();
  for (const auto& b : doc.blocks) {
    Json j;
    j["kind"] = block_kind_name(b.kind);
    j["span"] = to_json(b.span);
    j["section"] = b.section;
    j["parent"] = optional(b.parent);
    j["children"] = indices(b.children);
    j["sentences"] = indices(b.sentences);
    j["ordered"] = optional(b.ordered);
    j["checked"] = optional(b.checked);
    j["code_language"] = optional(b.code_language);
    blocks.push_back(std::move(j));
  }
  Json sentences = Json::array();
  for (const auto& s : doc.sentences) {
    Json fragments = Json::array();
    for (const auto& f : s.fragments) fragments.push_back(fragment_json(f));
    Json j;
    j["span"] = to_json(s.span);
    j["block"] = s.block;
    j["language"] = language_name(s.language);
    j["fragments"] = std::move(fragments);
    sentences.push_back(std::move(j));
  }
  Json links = Json::array();
  for (const auto& l : doc.links) {
    Json j;
    j["span"] = to_json(l.span);
    j["destination"] = l.destination;
    j["destination_span"] = to_json(l.destination_span);
    j["title"] = optional(l.title);
    j["reference"] = optional(l.reference);
    j["image"] = l.image;
    links.push_back(std::move(j));
  }
  Json comments = Json::array();
  for (const auto& c : doc.comments) {
    Json j;
    j["span"] = to_json(c.span);
    j["content"] = c.content;
    comments.push_back(std::move(j));
  }
  Json identifiers = Json::array();
  for (const auto& id : doc.identifiers) {
    Json j;
    j["text"] = id.text;
    j["span"] = to_json(id.span);
    j["block"] = id.block;
    j["section"] = id.section;
    identifiers.push_back(std::move(j));
  }
  Json out;
  out["source"] = doc.source;
  out["frontmatter"] = doc.frontmatter ? frontmatter_json(*doc.frontmatter) : Json(nullptr);
  out["sections"] = std::move(sections);
  out["blocks"] = std::move(blocks);
  out["sentences"] = std::move(sentences);
  out["links"] = std::move(links);
  out["comments"] = std::move(comments);
  out["identifiers"] = std::move(identifiers);
  out["language"] = language_name(doc.language);
  return out;
}

}  // namespace tovik::md
