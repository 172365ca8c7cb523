// Block text, sentence splitting, language detection and masked text views.
#include "md/prose.hpp"

#include <gtest/gtest.h>

#include "md/convert.hpp"

namespace tovik::md {
namespace {

// Builds the fragments of one block from a source and the pieces of it the inline walk would
// report: (kind, text, source range).
struct Piece {
  FragmentKind kind;
  std::string text;
  Span range;
};

std::vector<Fragment> fragments_of(std::string_view source, const std::vector<Piece>& pieces) {
  std::vector<Fragment> out;
  for (const auto& p : pieces) out.push_back(make_fragment(source, p.kind, p.text, p.range));
  return out;
}

// A paragraph made of a single text node covering the whole source.
std::vector<Fragment> plain(std::string_view source) {
  return fragments_of(source, {{FragmentKind::text, std::string(source), {0, source.size()}}});
}

std::vector<std::string> texts(const std::vector<Sentence>& sentences) {
  std::vector<std::string> out;
  for (const auto& s : sentences) {
    std::string text;
    for (const auto& f : s.fragments) {
      if (f.kind != FragmentKind::link_destination) text += f.text;
    }
    out.push_back(text);
  }
  return out;
}

using Strings = std::vector<std::string>;

TEST(SplitSentences, BoundariesInPlainText) {
  struct Case {
    std::string source;
    Strings expected;
  };
  const Case cases[] = {
      {"Run it. Then stop.", {"Run it.", "Then stop."}},
      {"Version 2.1 is out", {"Version 2.1 is out"}},
      {"完成了。下一步", {"完成了。", "下一步"}},
      {"好！真的？是", {"好！", "真的？", "是"}},
      {"Really?! Yes!", {"Really?!", "Yes!"}},
      {"e.g. foo", {"e.g.", "foo"}},
      {"Wait... what; no: yes", {"Wait...", "what; no: yes"}},
      {"Done.\u3000Next.\u1680Last", {"Done.", "Next.", "Last"}},
      {"End.\nStart", {"End.", "Start"}},
      {"  padded .  ", {"padded ."}},
      {"x.y", {"x.y"}},
      {"   ", {}},
      {"", {}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(texts(split_sentences(plain(c.source), 0, std::nullopt)), c.expected) << c.source;
  }
}

TEST(SplitSentences, SpansAreSourceRangesOfTheTrimmedText) {
  std::string source = "Go &amp; stop.  Then run.";
  auto sentences = split_sentences(plain(source), 3, std::nullopt);
  ASSERT_EQ(sentences.size(), 2u);
  EXPECT_EQ(sentences[0].span, (Span{0, 14}));
  EXPECT_EQ(sentences[1].span, (Span{16, 25}));
  EXPECT_EQ(sentences[0].block, 3u);
  EXPECT_EQ(sentences[1].fragments[0].text, "Then run.");
  EXPECT_EQ(sentences[1].fragments[0].mapping, (std::vector<SourceSegment>{{{0, 9}, {16, 25}, true}}));
}

TEST(SplitSentences, InlineCodeNeverEndsASentenceButItsNeighbourCountsAsFollowing) {
  // "Call `a. b` now. Done."  and  "Stop.`x` here"
  std::string source = "Call `a. b` now. Done. Stop.`x` here";
  auto fragments = fragments_of(source, {{FragmentKind::text, "Call ", {0, 5}},
                                         {FragmentKind::inline_code, "a. b", {5, 11}},
                                         {FragmentKind::text, " now. Done. Stop.", {11, 28}},
                                         {FragmentKind::inline_code, "x", {28, 31}},
                                         {FragmentKind::text, " here", {31, 36}}});
  auto sentences = split_sentences(fragments, 0, std::nullopt);
  EXPECT_EQ(texts(sentences), (Strings{"Call a. b now.", "Done.", "Stop.x here"}));
  ASSERT_EQ(sentences[0].fragments.size(), 3u);
  EXPECT_EQ(sentences[0].fragments[1].kind, FragmentKind::inline_code);
  EXPECT_EQ(sentences[0].span, (Span{0, 16}));
}

TEST(SplitSentences, TerminatorAtTheEndOfALinkLabel) {
  std::string source = "Read [the guide.](g.md) Next.";
  auto fragments = fragments_of(source, {{FragmentKind::text, "Read ", {0, 5}},
                                         {FragmentKind::link_destination, "g.md", {18, 22}},
                                         {FragmentKind::link_text, "the guide.", {6, 16}},
                                         {FragmentKind::text, " Next.", {23, 29}}});
  auto sentences = split_sentences(fragments, 0, std::nullopt);
  ASSERT_EQ(sentences.size(), 2u);
  ASSERT_EQ(sentences[0].fragments.size(), 3u);
  EXPECT_EQ(sentences[0].fragments[1].kind, FragmentKind::link_destination);
  // The destination is left out of the span.
  EXPECT_EQ(sentences[0].span, (Span{0, 16}));
  EXPECT_EQ(texts(sentences), (Strings{"Read the guide.", "Next."}));
  EXPECT_EQ(sentences[1].span, (Span{24, 29}));
}

TEST(SplitSentences, DestinationFollowsTheSentenceItsLinkStartsIn) {
  // The label begins with a blank, so the link starts before the second sentence's trimmed text.
  std::string source = "One. [ two](t.md) three.";
  auto fragments = fragments_of(source, {{FragmentKind::text, "One. ", {0, 5}},
                                         {FragmentKind::link_destination, "t.md", {12, 16}},
                                         {FragmentKind::link_text, " two", {6, 10}},
                                         {FragmentKind::text, " three.", {17, 24}}});
  auto sentences = split_sentences(fragments, 0, std::nullopt);
  ASSERT_EQ(sentences.size(), 2u);
  EXPECT_EQ(sentences[0].fragments.size(), 1u);
  ASSERT_EQ(sentences[1].fragments.size(), 3u);
  EXPECT_EQ(sentences[1].fragments[0].kind, FragmentKind::link_destination);
  EXPECT_EQ(sentences[1].fragments[1].text, "two");
  EXPECT_EQ(sentences[1].span, (Span{7, 24}));
}

TEST(SplitSentences, ParagraphOfOneLink) {
  std::string source = "[Guide](g.md)";
  auto fragments = fragments_of(source, {{FragmentKind::link_destination, "g.md", {8, 12}},
                                         {FragmentKind::link_text, "Guide", {1, 6}}});
  auto sentences = split_sentences(fragments, 0, std::nullopt);
  ASSERT_EQ(sentences.size(), 1u);
  ASSERT_EQ(sentences[0].fragments.size(), 2u);
  EXPECT_EQ(sentences[0].fragments[0].kind, FragmentKind::link_destination);
  EXPECT_EQ(sentences[0].fragments[1].kind, FragmentKind::link_text);
  EXPECT_EQ(sentences[0].span, (Span{1, 6}));
}

TEST(SplitSentences, BlankBlockWithALinkKeepsOneSentence) {
  std::string source = "![](a.png) [](b.md)";
  auto fragments = fragments_of(source, {{FragmentKind::link_destination, "a.png", {4, 9}},
                                         {FragmentKind::link_text, "", {0, 10}},
                                         {FragmentKind::text, " ", {10, 11}},
                                         {FragmentKind::link_destination, "b.md", {14, 18}},
                                         {FragmentKind::link_text, "", {11, 19}}});
  auto sentences = split_sentences(fragments, 2, std::nullopt);
  ASSERT_EQ(sentences.size(), 1u);
  EXPECT_EQ(sentences[0].fragments.size(), 5u);
  EXPECT_EQ(sentences[0].span, (Span{0, 10}));
  EXPECT_EQ(sentences[0].language, Language::en);

  // Without a link a blank block has no sentence.
  EXPECT_TRUE(split_sentences(plain(" \t"), 0, std::nullopt).empty());
}

TEST(SplitSentences, LineBreakSeparatesSentences) {
  std::string source = "Stop!  \nGo";
  auto fragments = fragments_of(source, {{FragmentKind::text, "Stop!", {0, 5}},
                                         {FragmentKind::text, "\n", {5, 8}},
                                         {FragmentKind::text, "Go", {8, 10}}});
  EXPECT_EQ(texts(split_sentences(fragments, 0, std::nullopt)), (Strings{"Stop!", "Go"}));
}

TEST(SplitSentences, LanguageIsDeclaredOrDetectedPerSentence) {
  std::string source = "This is English. 这是中文。これは日本語です。";
  auto detected = split_sentences(plain(source), 0, std::nullopt);
  ASSERT_EQ(detected.size(), 3u);
  EXPECT_EQ(detected[0].language, Language::en);
  EXPECT_EQ(detected[1].language, Language::zh);
  EXPECT_EQ(detected[2].language, Language::ja);
  for (const auto& s : split_sentences(plain(source), 0, Language::zh)) EXPECT_EQ(s.language, Language::zh);
}

TEST(DetectLanguage, CountsWordsAgainstKanaAndHan) {
  struct Case {
    std::string_view text;
    Language expected;
  };
  const Case cases[] = {
      {"", Language::en},
      {"word 中文字", Language::zh},
      {"word 中文字か", Language::ja},
      {"two words 中", Language::en},
      {"a 中", Language::en},  // a tie goes to English
      {"カタカナ", Language::ja},
      {"ｶﾀｶﾅ", Language::ja},  // half-width katakana
      {"\U00020000\U000323AF", Language::zh},
      {"\u3400\u4DBF x", Language::zh},
      {"abc123def 中文字", Language::zh},  // a digit splits a run: two words against three
      {"naïve 中文", Language::en},        // ï splits a run: two words
      {"한국어 텍스트", Language::en},     // Hangul counts for nothing
  };
  for (const auto& c : cases) EXPECT_EQ(detect_language(c.text), c.expected) << c.text;
}

// A sentence built by hand from its source, for the view tests.
Sentence sentence_of(std::string_view source, const std::vector<Piece>& pieces) {
  Sentence s;
  s.fragments = fragments_of(source, pieces);
  return s;
}

TEST(SentenceViews, InlineCodeSplitsOrJoinsViews) {
  std::string source = "Run `make` now, [see](x.md) it";
  Sentence s = sentence_of(source, {{FragmentKind::text, "Run ", {0, 4}},
                                    {FragmentKind::inline_code, "make", {4, 10}},
                                    {FragmentKind::text, " now, ", {10, 16}},
                                    {FragmentKind::link_destination, "x.md", {22, 26}},
                                    {FragmentKind::link_text, "see", {17, 20}},
                                    {FragmentKind::text, " it", {27, 30}}});
  auto split = sentence_views(s, false);
  ASSERT_EQ(split.size(), 2u);
  EXPECT_EQ(split[0].text, "Run ");
  EXPECT_EQ(split[1].text, " now, see it");
  ASSERT_EQ(split[1].pieces.size(), 3u);
  EXPECT_EQ(split[1].pieces[1].fragment, &s.fragments[4]);
  EXPECT_EQ(split[1].pieces[1].offset, 6u);

  auto joined = sentence_views(s, true);
  ASSERT_EQ(joined.size(), 1u);
  EXPECT_EQ(joined[0].text, "Run  make  now, see it");
  EXPECT_EQ(joined[0].pieces[1].offset, 5u);
  EXPECT_EQ(view_span(joined[0], 5, 9), (Span{5, 9}));  // "make" inside its backticks
}

TEST(SentenceViews, ViewsWithoutFragmentsAreLeftOut) {
  std::string source = "`a` b `c`";
  Sentence s = sentence_of(source, {{FragmentKind::inline_code, "a", {0, 3}},
                                    {FragmentKind::text, " b ", {3, 6}},
                                    {FragmentKind::inline_code, "c", {6, 9}}});
  auto views = sentence_views(s, false);
  ASSERT_EQ(views.size(), 1u);
  EXPECT_EQ(views[0].text, " b ");
}

TEST(SentenceViews, UrlsAreBlankedKeepingOffsets) {
  std::string source = "Open https://example.com/a?b=1 now or WWW.Example.org, ftp+x://h.";
  Sentence s = sentence_of(source, {{FragmentKind::text, source, {0, source.size()}}});
  auto views = sentence_views(s, false);
  ASSERT_EQ(views.size(), 1u);
  EXPECT_EQ(views[0].text.size(), source.size());
  std::string expected = source;
  for (std::string_view url : {"https://example.com/a?b=1", "WWW.Example.org,", "ftp+x://h."}) {
    expected.replace(expected.find(url), url.size(), std::string(url.size(), ' '));
  }
  EXPECT_EQ(views[0].text, expected);
  // The second word keeps its offset.
  EXPECT_EQ(views[0].text.substr(31, 3), "now");
  EXPECT_EQ(view_span(views[0], 31, 34), (Span{31, 34}));
}

TEST(SentenceViews, MaskedViewsBlankQuotations) {
  std::string source = "Say \"run it\" or “go” or ‘x’ or 「走」 or 『跑』 but \"open\nquote\" stays";
  Sentence s = sentence_of(source, {{FragmentKind::text, source, {0, source.size()}}});
  auto plain_views = sentence_views(s, false);
  auto masked = masked_sentence_views(s, false);
  ASSERT_EQ(masked.size(), 1u);
  EXPECT_EQ(plain_views[0].text, source);
  EXPECT_EQ(masked[0].text.size(), source.size());
  EXPECT_EQ(masked[0].text.find("run"), std::string::npos);
  EXPECT_EQ(masked[0].text.find("go"), std::string::npos);
  EXPECT_EQ(masked[0].text.find("走"), std::string::npos);
  EXPECT_EQ(masked[0].text.find("跑"), std::string::npos);
  EXPECT_NE(masked[0].text.find("\"open\nquote\" stays"), std::string::npos);
  EXPECT_EQ(masked[0].text.substr(0, 4), "Say ");
}

TEST(ViewSpan, MapsThroughFragmentsAndSegments) {
  std::string source = "A &amp; [b c](u) d";
  Sentence s = sentence_of(source, {{FragmentKind::text, "A & ", {0, 8}},
                                    {FragmentKind::link_destination, "u", {14, 15}},
                                    {FragmentKind::link_text, "b c", {9, 12}},
                                    {FragmentKind::text, " d", {16, 18}}});
  auto views = sentence_views(s, false);
  ASSERT_EQ(views.size(), 1u);
  const TextView& v = views[0];
  ASSERT_EQ(v.text, "A & b c d");
  EXPECT_EQ(view_span(v, 0, 1), (Span{0, 1}));
  EXPECT_EQ(view_span(v, 2, 3), (Span{2, 7}));    // the reference as a whole
  EXPECT_EQ(view_span(v, 4, 7), (Span{9, 12}));   // the link label
  EXPECT_EQ(view_span(v, 2, 9), (Span{2, 18}));   // across three fragments
  EXPECT_EQ(view_span(v, 6, 6), (Span{11, 11}));  // an empty range maps to a point
}

TEST(ViewSpan, RangesOutsideEveryFragment) {
  std::string source = "a `b` c";
  Sentence s = sentence_of(source, {{FragmentKind::text, "a ", {0, 2}},
                                    {FragmentKind::inline_code, "b", {2, 5}},
                                    {FragmentKind::text, " c", {5, 7}}});
  auto joined = sentence_views(s, true);
  ASSERT_EQ(joined[0].text, "a  b  c");
  // The padding before "b" maps to the end of the piece before it, where the code span starts.
  EXPECT_EQ(view_span(joined[0], 2, 3), (Span{2, 2}));
  EXPECT_EQ(view_span(joined[0], 7, 9), (Span{7, 7}));
  EXPECT_EQ(view_span(TextView{}, 0, 3), (Span{0, 0}));
}

TEST(VisibleText, ConcatenatesTextAndLinkText) {
  std::string source = "x `c` [l](u)";
  Sentence s = sentence_of(source, {{FragmentKind::text, "x ", {0, 2}},
                                    {FragmentKind::inline_code, "c", {2, 5}},
                                    {FragmentKind::link_destination, "u", {10, 11}},
                                    {FragmentKind::link_text, "l", {7, 8}}});
  EXPECT_EQ(visible_text(s), "x l");
}

TEST(BlockText, DestinationsGetTheEmptyRangeWhereTheirLinkStarts) {
  std::string source = "a [b](u)";
  auto fragments = fragments_of(source, {{FragmentKind::text, "a ", {0, 2}},
                                         {FragmentKind::link_destination, "u", {6, 7}},
                                         {FragmentKind::link_text, "b", {3, 4}}});
  BlockText block = block_text(fragments);
  EXPECT_EQ(block.text, "a b");
  EXPECT_EQ(block.ranges, (std::vector<Span>{{0, 2}, {2, 2}, {2, 3}}));
}

}  // namespace
}  // namespace tovik::md

// Through the real conversion: spans of sentences map back to the source they were read from.
namespace tovik::md {
namespace {

std::vector<std::string> sentence_sources(const Document& doc) {
  std::vector<std::string> out;
  for (const auto& s : doc.sentences)
    out.push_back(doc.source.substr(s.span.start, s.span.end - s.span.start));
  return out;
}

TEST(ProseThroughConversion, SentenceSpansInSource) {
  struct Case {
    std::string source;
    Strings expected;
  };
  const Case cases[] = {
      {"Read [the guide.](g.md) Next.", {"Read [the guide.", "Next."}},
      {"> Quoted line\n> two. Three &amp; four.\r\n> five",
       {"Quoted line\n> two.", "Three &amp; four.", "five"}},
      {"- item one\n  continues. Next `a. b` x.\n", {"item one\n  continues.", "Next `a. b` x."}},
      {"完成了。下一步", {"完成了。", "下一步"}},
      {"Stop **now.** Go", {"Stop **now.", "Go"}},
      {"# Run it. Then stop.\n", {"Run it.", "Then stop."}},
  };
  for (const auto& c : cases) {
    auto doc = parse_document(c.source);
    ASSERT_TRUE(doc.ok()) << c.source;
    EXPECT_EQ(sentence_sources(*doc), c.expected) << c.source;
  }
}

TEST(ProseThroughConversion, ViewSpanOfAWordAfterAReference) {
  auto doc = parse_document("> Fish &amp; chips\n> are *currently* served.\n");
  ASSERT_TRUE(doc.ok());
  ASSERT_EQ(doc->sentences.size(), 1u);
  auto views = masked_sentence_views(doc->sentences[0], false);
  ASSERT_EQ(views.size(), 1u);
  std::size_t at = views[0].text.find("currently");
  ASSERT_NE(at, std::string::npos);
  Span span = view_span(views[0], at, at + 9);
  EXPECT_EQ(doc->source.substr(span.start, span.end - span.start), "currently");
}

}  // namespace
}  // namespace tovik::md
