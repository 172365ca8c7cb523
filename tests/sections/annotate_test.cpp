// Section annotations: the decision order, evidence spans, content spans and the JSON form.
#include "sections/annotate.hpp"

#include <gtest/gtest.h>

#include "doc_builder.hpp"
#include "md/convert.hpp"
#include "sections/blocks.hpp"

namespace tovik::sections {
namespace {

using namespace testing;
using md::BlockKind;

// The annotation of the last section of a document.
SectionAnnotation last(const md::Document& doc) {
  return annotate_sections(doc).back();
}

Evidence evidence(Signal signal, md::Span span) {
  return {signal, span};
}

std::string filler(std::size_t length) {
  std::string text = "This paragraph explains how the parts of the system fit together";
  while (text.size() + 1 < length) text += " x";
  text.resize(length - 1);
  return text + ".";
}

TEST(AnnotateSections, HeadingDecidesTroubleshootingWhateverFollows) {
  for (const char* heading : {"Troubleshooting:", "FAQ?"}) {
    DocBuilder b;
    std::uint32_t h = b.heading(2, {T(heading)});
    b.paragraph({T("Run the installer.")});
    b.table();
    md::Document doc = b.finish();
    SectionAnnotation a = last(doc);
    EXPECT_EQ(a.section_type, SectionType::troubleshooting) << heading;
    EXPECT_EQ(a.evidence, (std::vector{evidence(Signal::heading, doc.blocks[h].span)})) << heading;
  }
}

TEST(AnnotateSections, StepsByHeadingOrByInstruction) {
  DocBuilder b;
  std::uint32_t install = b.heading(2, {T("Installation {#install}")});
  b.paragraph({T("The package is small.")});
  b.heading(2, {T("Setup")});
  std::uint32_t run = b.paragraph({T("Run the installer.")});
  b.heading(2, {T("Installation")});
  std::uint32_t first = b.paragraph({T("Open a terminal.")});
  md::Document doc = b.finish();
  auto all = annotate_sections(doc);
  ASSERT_EQ(all.size(), 4u);
  EXPECT_EQ(all[1].section_type, SectionType::steps);
  EXPECT_EQ(all[1].evidence, (std::vector{evidence(Signal::heading, doc.blocks[install].span)}));
  EXPECT_EQ(all[2].section_type, SectionType::steps);
  EXPECT_EQ(all[2].evidence, (std::vector{evidence(Signal::instruction, doc.blocks[run].span)}));
  // An instruction is found before the heading is consulted for steps.
  EXPECT_EQ(all[3].evidence, (std::vector{evidence(Signal::instruction, doc.blocks[first].span)}));
}

TEST(AnnotateSections, ReferenceHeadingForCalls) {
  struct Case {
    std::vector<Inline> heading;
    SectionType expected;
  };
  const Case cases[] = {
      {{T("parse()")}, SectionType::reference},
      {{C("parse()")}, SectionType::reference},  // inline code counts for the call form
      {{T("parse the file()")}, SectionType::other},
      {{T("()")}, SectionType::reference},
      {{T("parse() {#p}")}, SectionType::reference},
      {{C("Options")}, SectionType::other},  // the word lists read the heading without code
      {{T("Options")}, SectionType::reference},
  };
  for (const auto& c : cases) {
    DocBuilder b;
    std::uint32_t h = b.heading(3, c.heading);
    b.paragraph({T("Some words.")});
    md::Document doc = b.finish();
    SectionAnnotation a = last(doc);
    EXPECT_EQ(a.section_type, c.expected) << c.heading.front().text;
    if (c.expected == SectionType::reference) {
      EXPECT_EQ(a.evidence, (std::vector{evidence(Signal::reference_heading, doc.blocks[h].span)}));
    }
  }
}

TEST(AnnotateSections, ReferenceContentIsTheFirstQualifyingBlock) {
  DocBuilder b;
  b.heading(2, {T("Overview")});
  b.paragraph({T("Install it.")});
  std::uint32_t table = b.table();
  md::Document doc = b.finish();
  // Reference content outranks both the background heading and the instruction before it.
  EXPECT_EQ(last(doc).section_type, SectionType::reference);
  EXPECT_EQ(last(doc).evidence, (std::vector{evidence(Signal::reference_content, doc.blocks[table].span)}));

  DocBuilder r;
  std::uint32_t api = r.paragraph({T("Returns the "), C("id"), T(".")});
  md::Document root_only = r.finish();
  EXPECT_EQ(last(root_only).evidence,
            (std::vector{evidence(Signal::reference_content, root_only.blocks[api].span)}));
}

TEST(AnnotateSections, RunnableExampleEvidence) {
  DocBuilder b;
  b.heading(2, {T("Usage")});
  b.paragraph({T("Here is how:")});
  std::uint32_t code = b.code("console", "$ make");
  b.heading(2, {T("Example output")});
  b.paragraph({T("You should see:")});
  b.code("sh", "make");
  b.heading(2, {T("Templates")});
  b.code("console", "{{ cmd }}");
  md::Document doc = b.finish();
  auto all = annotate_sections(doc);
  EXPECT_EQ(all[1].section_type, SectionType::steps);
  EXPECT_EQ(all[1].evidence, (std::vector{evidence(Signal::runnable_example, doc.blocks[code].span)}));
  EXPECT_EQ(all[2].section_type, SectionType::other);  // an output section has no instructions
  EXPECT_TRUE(all[2].evidence.empty());
  EXPECT_EQ(all[3].section_type, SectionType::other);
}

TEST(AnnotateSections, DecisionProseByTheSentenceLanguage) {
  struct Case {
    std::string text;
    SectionType expected;
  };
  const Case cases[] = {
      {"We chose SQLite because it is embedded.", SectionType::rationale},
      {"In the end our decision was simple.", SectionType::rationale},
      {"我们选择了 Rust。", SectionType::rationale},
      {"この方式を採用した理由は速度です。", SectionType::rationale},
      {"The doc says \"we chose SQLite\" somewhere.", SectionType::other},  // quoted
      {"Note that 我们选择 is a phrase we should translate in English text.", SectionType::other},
      {"We choosers unite.", SectionType::other},
  };
  for (const auto& c : cases) {
    DocBuilder b;
    b.heading(2, {T("Storage")});
    std::uint32_t p = b.paragraph({T(c.text)});
    md::Document doc = b.finish();
    SectionAnnotation a = last(doc);
    EXPECT_EQ(a.section_type, c.expected) << c.text;
    if (c.expected == SectionType::rationale) {
      EXPECT_EQ(a.evidence, (std::vector{evidence(Signal::decision_prose, doc.blocks[p].span)})) << c.text;
    }
  }
}

TEST(AnnotateSections, ExplanatoryProseNeedsTwoParagraphsAnd160Characters) {
  struct Case {
    std::vector<std::size_t> lengths;
    SectionType expected;
  };
  const Case cases[] = {
      {{100, 100}, SectionType::background},
      {{80, 80}, SectionType::background},
      {{80, 79}, SectionType::other},
      {{300}, SectionType::other},
  };
  for (const auto& c : cases) {
    DocBuilder b;
    b.heading(2, {T("Storage")});
    std::vector<std::uint32_t> paragraphs;
    for (std::size_t length : c.lengths) paragraphs.push_back(b.paragraph({T(filler(length))}));
    md::Document doc = b.finish();
    SectionAnnotation a = last(doc);
    EXPECT_EQ(a.section_type, c.expected) << c.lengths.size() << " paragraphs";
    if (c.expected == SectionType::background) {
      EXPECT_EQ(a.evidence,
                (std::vector{evidence(Signal::explanatory_prose, doc.blocks[paragraphs[0]].span)}));
    }
  }
}

TEST(AnnotateSections, CharactersAreCountedAsCodePoints) {
  // 54 Han characters per paragraph are 162 bytes but only 54 characters each: 108 in all.
  std::string han;
  for (int i = 0; i < 53; ++i) han += "字";
  han += "。";
  DocBuilder b;
  b.heading(2, {T("Storage")});
  b.paragraph({T(han)});
  b.paragraph({T(han)});
  EXPECT_EQ(last(b.finish()).section_type, SectionType::other);
}

TEST(AnnotateSections, NavigationSectionIsNeverBackground) {
  DocBuilder b;
  b.heading(2, {T("Overview")});
  std::uint32_t list = b.list(false);
  b.paragraph({L("Architecture", "arch.md")}, b.item(list));
  b.paragraph({T("See the "), L("guide", "g.md"), T(".")});
  b.heading(2, {T("More")});
  b.list(false);
  b.paragraph({T("Read the guide first. It has " + filler(120))});
  b.paragraph({T("Looking for more? " + filler(100))});
  md::Document doc = b.finish();
  auto all = annotate_sections(doc);
  EXPECT_EQ(all[1].section_type, SectionType::other);
  // The second sentence neither links nor points, so this is not navigation: explanatory prose.
  EXPECT_EQ(all[2].section_type, SectionType::background);
  EXPECT_EQ(all[2].evidence.front().signal, Signal::explanatory_prose);

  // Without a list the same paragraph is no navigation, and the heading decides.
  DocBuilder c;
  c.heading(2, {T("Overview")});
  c.paragraph({T("See the "), L("guide", "g.md"), T(".")});
  EXPECT_EQ(last(c.finish()).section_type, SectionType::background);
}

TEST(AnnotateSections, NavigationBlocksLongLinkedProse) {
  DocBuilder b;
  b.heading(2, {T("Links")});
  b.list(false);
  b.paragraph({T("See the "), L("guide", "g.md"), T(" " + filler(100))});
  b.paragraph({T("Read the " + filler(100))});
  EXPECT_EQ(last(b.finish()).section_type, SectionType::other);
}

TEST(AnnotateSections, ExerciseSectionsAreOther) {
  for (const char* heading : {"Quiz", "Exercises:", "知识检查"}) {
    DocBuilder b;
    b.heading(2, {T(heading)});
    b.paragraph({T("Run the tests.")});
    b.table();
    SectionAnnotation a = last(b.finish());
    EXPECT_EQ(a.section_type, SectionType::other) << heading;
    EXPECT_TRUE(a.evidence.empty()) << heading;
  }
}

TEST(AnnotateSections, DecisionOrder) {
  struct Case {
    const char* heading;
    std::vector<Inline> paragraph;
    bool table;
    SectionType expected;
    Signal signal;
  };
  const Case cases[] = {
      // Rationale heading over reference content.
      {"Why we chose Redis", {T("Install it.")}, true, SectionType::rationale, Signal::heading},
      // Reference content over a background heading.
      {"Background", {T("We chose it.")}, true, SectionType::reference, Signal::reference_content},
      // Background heading over instructions.
      {"Concepts", {T("Run it.")}, false, SectionType::background, Signal::heading},
      // Instructions over decision prose.
      {"Storage", {T("Use SQLite. We chose it for speed.")}, false, SectionType::steps, Signal::instruction},
      // Steps heading over decision prose.
      {"Quick start", {T("We chose defaults for you.")}, false, SectionType::steps, Signal::heading},
  };
  for (const auto& c : cases) {
    DocBuilder b;
    b.heading(2, {T(c.heading)});
    b.paragraph(c.paragraph);
    if (c.table) b.table();
    SectionAnnotation a = last(b.finish());
    EXPECT_EQ(a.section_type, c.expected) << c.heading;
    ASSERT_EQ(a.evidence.size(), 1u) << c.heading;
    EXPECT_EQ(a.evidence[0].signal, c.signal) << c.heading;
  }
}

TEST(AnnotateSections, QuotedBlocksAreNotMainBlocks) {
  DocBuilder b;
  b.heading(2, {T("Notes")});
  std::uint32_t quote = b.container(BlockKind::blockquote);
  b.paragraph({T("Run the installer.")}, quote);
  b.paragraph({T("We chose this.")}, quote);
  SectionAnnotation a = last(b.finish());
  EXPECT_EQ(a.section_type, SectionType::other);
}

TEST(AnnotateSections, ContentSpans) {
  DocBuilder b;
  b.paragraph({T("Intro.")});
  std::uint32_t h1 = b.heading(1, {T("Title")});
  b.paragraph({T("Text.")});
  std::uint32_t h2 = b.heading(2, {T("Part")});
  b.paragraph({T("More.")});
  std::uint32_t h3 = b.heading(2, {T("Leaf")});
  md::Document doc = b.finish();
  auto all = annotate_sections(doc);
  ASSERT_EQ(all.size(), 4u);
  for (std::uint32_t i = 0; i < all.size(); ++i) EXPECT_EQ(all[i].section, i);
  EXPECT_EQ(all[0].content_span, (md::Span{0, doc.blocks[h1].span.start}));
  EXPECT_EQ(all[1].content_span, (md::Span{doc.blocks[h1].span.end, doc.blocks[h2].span.start}));
  EXPECT_EQ(all[2].content_span, (md::Span{doc.blocks[h2].span.end, doc.blocks[h3].span.start}));
  EXPECT_EQ(all[3].content_span, (md::Span{doc.blocks[h3].span.end, doc.source.size()}));
}

TEST(AnnotateSections, EmptyDocument) {
  md::Document doc;
  doc.sections.push_back(md::Section{});
  auto all = annotate_sections(doc);
  ASSERT_EQ(all.size(), 1u);
  EXPECT_EQ(all[0].section_type, SectionType::other);
  EXPECT_EQ(all[0].content_span, (md::Span{0, 0}));
}

TEST(AnnotationJson, RecordShape) {
  SectionAnnotation a{2, SectionType::troubleshooting, {10, 40}, {{Signal::runnable_example, {12, 20}}}};
  EXPECT_EQ(to_json(a).dump(),
            R"({"section":2,"section_type":"troubleshooting","content_span":{"start":10,"end":40},)"
            R"("evidence":[{"signal":"runnable_example","span":{"start":12,"end":20}}]})");
  SectionAnnotation other{0, SectionType::other, {0, 0}, {}};
  EXPECT_EQ(to_json(std::vector{other}).dump(),
            R"([{"section":0,"section_type":"other","content_span":{"start":0,"end":0},"evidence":[]}])");
}

TEST(AnnotationNames, EveryValueHasItsLowercaseName) {
  EXPECT_EQ(section_type_name(SectionType::steps), "steps");
  EXPECT_EQ(section_type_name(SectionType::reference), "reference");
  EXPECT_EQ(section_type_name(SectionType::rationale), "rationale");
  EXPECT_EQ(section_type_name(SectionType::background), "background");
  EXPECT_EQ(section_type_name(SectionType::troubleshooting), "troubleshooting");
  EXPECT_EQ(section_type_name(SectionType::other), "other");
  EXPECT_EQ(signal_name(Signal::heading), "heading");
  EXPECT_EQ(signal_name(Signal::reference_heading), "reference_heading");
  EXPECT_EQ(signal_name(Signal::reference_content), "reference_content");
  EXPECT_EQ(signal_name(Signal::instruction), "instruction");
  EXPECT_EQ(signal_name(Signal::runnable_example), "runnable_example");
  EXPECT_EQ(signal_name(Signal::decision_prose), "decision_prose");
  EXPECT_EQ(signal_name(Signal::explanatory_prose), "explanatory_prose");
}

}  // namespace
}  // namespace tovik::sections

// Whole Markdown documents through the real conversion.
namespace tovik::sections {
namespace {

struct MarkdownCase {
  std::string markdown;
  SectionType expected;
  std::optional<Signal> signal;
};

TEST(AnnotateMarkdown, LastSectionOfEachDocument) {
  const MarkdownCase cases[] = {
      {"## Installation {#install}\n\nThe package is small.\n", SectionType::steps, Signal::heading},
      {"## Setup\n\nRun the installer.\n", SectionType::steps, Signal::instruction},
      {"## Usage\n\nHere:\n\n```console\n$ make\n```\n", SectionType::steps, Signal::runnable_example},
      {"## Usage\n\nHere:\n\n```console\n{{ make }}\n```\n", SectionType::other, std::nullopt},
      {"## Example output\n\nYou should see:\n\n```sh\nok\n```\n", SectionType::other, std::nullopt},
      {"## Links\n\n- [a](a.md)\n- [b](b.md)\n\nSee the [guide](g.md).\n", SectionType::other, std::nullopt},
      {"## Overview\n\n- [a](a.md)\n\nSee the [guide](g.md).\n", SectionType::other, std::nullopt},
      {"## `parse()`\n\nText.\n", SectionType::reference, Signal::reference_heading},
      {"## Limits\n\n| a | b |\n| - | - |\n| 1 | 2 |\n", SectionType::reference, Signal::reference_content},
      {"## Storage\n\n我们选择了 SQLite。\n", SectionType::rationale, Signal::decision_prose},
      {"## Quiz\n\nRun the tests.\n", SectionType::other, std::nullopt},
  };
  for (const auto& c : cases) {
    auto doc = md::parse_document(c.markdown);
    ASSERT_TRUE(doc.ok()) << c.markdown;
    SectionAnnotation a = annotate_sections(*doc).back();
    EXPECT_EQ(a.section_type, c.expected) << c.markdown;
    if (c.signal) {
      ASSERT_EQ(a.evidence.size(), 1u) << c.markdown;
      EXPECT_EQ(a.evidence[0].signal, *c.signal) << c.markdown;
    } else {
      EXPECT_TRUE(a.evidence.empty()) << c.markdown;
    }
  }
}

TEST(AnnotateMarkdown, CodeLinesInsideQuotesLoseTheirMarkers) {
  struct Case {
    std::string markdown;
    bool runnable;
  };
  const Case cases[] = {
      {"> ```console\n> $ make\n> ```\n", true},
      {"> ```sh\n> # a comment\n> {{ template }}\n> ```\n", false},
      {"> > ```sh\n> > {{ template }}\n> > ```\n", false},
      {"- ```sh\n  {{ template }}\n  ```\n", false},
      {"- ```sh\n  make\n  ```\n", true},
      {"```sh\n```\n", false},
      {"~~~~sh\n```\n~~~~\n", true},  // a shorter fence of the other kind is content
  };
  for (const auto& c : cases) {
    auto doc = md::parse_document(c.markdown);
    ASSERT_TRUE(doc.ok()) << c.markdown;
    std::optional<std::uint32_t> code;
    for (std::uint32_t b = 0; b < doc->blocks.size(); ++b) {
      if (doc->blocks[b].kind == md::BlockKind::code) code = b;
    }
    ASSERT_TRUE(code) << c.markdown;
    EXPECT_EQ(is_runnable_example(*doc, *code), c.runnable) << c.markdown;
  }
}

}  // namespace
}  // namespace tovik::sections
