// The texts the classifier reads: masked sentence text, block text, main blocks.
#include "sections/section_text.hpp"

#include <gtest/gtest.h>

#include "doc_builder.hpp"

namespace tovik::sections {
namespace {

using namespace testing;

TEST(SectionText, SentenceTextMasksAndDropsCode) {
  DocBuilder b;
  std::uint32_t p = b.paragraph({T("Run "), C("make"), T(" now, see https://x.io and \"this\". Next one.")});
  md::Document doc = b.finish();
  ASSERT_EQ(doc.blocks[p].sentences.size(), 2u);
  // Views around the code span are joined with one space; URL and quotation become spaces.
  EXPECT_EQ(sentence_text(doc.sentences[0]),
            "Run   now, see " + std::string(12, ' ') + " and " + std::string(6, ' ') + ".");
  EXPECT_EQ(block_text(doc, p), sentence_text(doc.sentences[0]) + " Next one.");

  TextCache texts(doc);
  EXPECT_EQ(texts.block(p), block_text(doc, p));
  EXPECT_EQ(&texts.sentence(1), &texts.sentence(1));  // kept, not recomputed
  EXPECT_EQ(texts.sentence(1), "Next one.");
}

TEST(SectionText, MainBlocksLeaveOutQuotedOnes) {
  DocBuilder b;
  std::uint32_t top = b.paragraph({T("Top.")});
  std::uint32_t quote = b.container(md::BlockKind::blockquote);
  std::uint32_t list = b.list(false, quote);
  b.paragraph({T("Deep.")}, b.item(list));
  std::uint32_t footnote = b.container(md::BlockKind::footnote_definition);
  b.paragraph({T("Note.")}, footnote);
  std::uint32_t outer = b.list(true);
  std::uint32_t item = b.item(outer);
  std::uint32_t in_item = b.paragraph({T("Item.")}, item);
  md::Document doc = b.finish();
  EXPECT_EQ(main_blocks(doc, 0), (std::vector<std::uint32_t>{top, quote, footnote, outer, item, in_item}));
}

}  // namespace
}  // namespace tovik::sections
