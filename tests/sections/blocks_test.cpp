// Block tests: instruction text, runnable examples, output blocks and sections, reference content.
#include "sections/blocks.hpp"

#include <gtest/gtest.h>

#include "doc_builder.hpp"

namespace tovik::sections {
namespace {

using namespace testing;
using md::BlockKind;

TEST(IsInstructionText, Cases) {
  struct Case {
    std::string_view text;
    bool expected;
  };
  const Case cases[] = {
      {"Run the installer.", true},
      {"  First, install the package.", true},
      {"FIRST, run it", true},
      {"Finally, restart the service.", true},
      {"You can use the flag.", true},
      {"You must verify it.", true},
      {"You should see:", false},
      {"Running is fun.", false},
      {"Settings live here.", false},
      {"Set up the tool.", true},
      {"To start, clone it.", true},
      {"to begin,clone", true},
      {"Let's implement a parser.", true},
      {"Ask the user first.", true},
      {"Next,run it", false},  // the prefix needs its space
      {"The tool runs.", false},
      {"请运行命令。", true},
      {"首先安装依赖。", true},
      {"让我们通过实现一个例子来学习。", true},
      {"まず設定します。", true},
      {"このコマンドを実行してください。", true},
      {"一緒に確認しましょう。", true},
      {"やってみましょう。", false},
      {"文件已经保存。", false},
      {"", false},
  };
  for (const auto& c : cases) EXPECT_EQ(is_instruction_text(c.text), c.expected) << c.text;
}

TEST(IsRunnableExample, ByLanguageAndFirstLine) {
  struct Case {
    std::string language;
    std::string content;
    bool expected;
  };
  const Case cases[] = {
      {"sh", "make", true},
      {"Bash", "make install", true},
      {"powershell", "Get-Item .", true},
      {"sh", "# build it\n\n  make", true},
      {"sh", "{{ template }}", false},
      {"sh", "# only a comment\n   ", false},
      {"console", "$ make", true},
      {"console", "PS> dir", true},
      {"console", "> npm test", true},
      {"console", "make", false},
      {"python", "print(1)", false},
      {"", "make", false},
  };
  for (const auto& c : cases) {
    DocBuilder b;
    std::uint32_t block = b.code(c.language, c.content);
    md::Document doc = b.finish();
    EXPECT_EQ(is_runnable_example(doc, block), c.expected) << c.language << ": " << c.content;
  }
}

TEST(IsRunnableExample, OtherLanguagesFollowTheParagraphBefore) {
  struct Case {
    std::string paragraph;
    std::string language;
    bool expected;
  };
  const Case cases[] = {
      {"Run:", "python", true},
      {"Install it with:", "", true},
      {"Here is the code:", "python", false},
      {"Run this:", "console", true},  // a console block without a prompt
      {"The following output appears:", "sh", false},
      {"You will get an error:", "python", false},
  };
  for (const auto& c : cases) {
    DocBuilder b;
    b.heading(2, {T("Usage")});
    b.paragraph({T(c.paragraph)});
    std::uint32_t block = b.code(c.language, "print(1)");
    md::Document doc = b.finish();
    EXPECT_EQ(is_runnable_example(doc, block), c.expected) << c.paragraph << " / " << c.language;
  }
}

TEST(PrecedingParagraph, SameParentCommentsAndBreaksSkipped) {
  DocBuilder b;
  std::uint32_t intro = b.paragraph({T("Run this:")});
  b.leaf(BlockKind::html_comment, "<!-- note -->");
  b.leaf(BlockKind::thematic_break, "---");
  std::uint32_t first = b.code("python", "x()");
  std::uint32_t second = b.code("python", "y()");
  std::uint32_t list = b.list(false);
  std::uint32_t item = b.item(list);
  std::uint32_t inner = b.paragraph({T("Inside.")}, item);
  std::uint32_t nested = b.code("python", "z()", item);
  std::uint32_t after_list = b.code("python", "w()");
  md::Document doc = b.finish();
  EXPECT_EQ(preceding_paragraph(doc, first), intro);
  EXPECT_EQ(preceding_paragraph(doc, second), std::nullopt);  // the code block before it is not a paragraph
  EXPECT_EQ(preceding_paragraph(doc, nested), inner);
  EXPECT_EQ(preceding_paragraph(doc, after_list), std::nullopt);
  EXPECT_EQ(preceding_paragraph(doc, intro), std::nullopt);
  EXPECT_TRUE(is_runnable_example(doc, first));
  EXPECT_FALSE(is_runnable_example(doc, second));
}

TEST(IsOutputBlock, ByHeadingOfItsSection) {
  for (auto [heading, expected] : {std::pair{"Output", true},
                                   {"  Expected output:", true},
                                   {"出力結果", true},
                                   {"実行結果", true},
                                   {"Outputs", false},
                                   {"Sample output", false}}) {
    DocBuilder b;
    b.heading(2, {T(heading)});
    std::uint32_t block = b.code("sh", "make");
    md::Document doc = b.finish();
    EXPECT_EQ(is_output_block(doc, block), expected) << heading;
    EXPECT_EQ(is_runnable_example(doc, block), !expected) << heading;
  }
}

TEST(IsOutputSection, NearestHeadingDecides) {
  DocBuilder b;
  std::uint32_t root_paragraph = b.paragraph({T("Run it.")});
  b.heading(2, {T("Example Output")});
  std::uint32_t in_output = b.paragraph({T("Run it.")});
  b.heading(2, {T("Sample conversation")});
  b.heading(3, {T("Turn one")});
  std::uint32_t in_turn = b.paragraph({T("Run it.")});
  b.heading(2, {T("出力例")});
  std::uint32_t in_japanese = b.paragraph({T("Run it.")});
  md::Document doc = b.finish();
  EXPECT_FALSE(is_output_section(doc, 0));
  EXPECT_TRUE(is_output_section(doc, doc.blocks[in_output].section));
  EXPECT_TRUE(is_output_section(doc, 2));
  EXPECT_FALSE(is_output_section(doc, doc.blocks[in_turn].section));  // its own heading is the nearest
  EXPECT_TRUE(is_output_section(doc, doc.blocks[in_japanese].section));
  EXPECT_TRUE(is_instruction(doc, root_paragraph));
  EXPECT_FALSE(is_instruction(doc, in_output));
  EXPECT_TRUE(is_instruction(doc, in_turn));
}

TEST(IsInstruction, ByBlockKindAndPlace) {
  DocBuilder b;
  std::uint32_t paragraph = b.paragraph({T("Install the tool.")});
  std::uint32_t statement = b.paragraph({T("The tool is installed.")});
  std::uint32_t ordered = b.list(true);
  b.paragraph({T("Open the file.")}, b.item(ordered));
  std::uint32_t unordered = b.list(false);
  b.paragraph({T("Open the file.")}, b.item(unordered));
  std::uint32_t code_first = b.list(true);
  b.code("python", "x()", b.item(code_first));
  std::uint32_t quote = b.container(BlockKind::blockquote);
  std::uint32_t quoted = b.paragraph({T("Install the tool.")}, quote);
  std::uint32_t footnote = b.container(BlockKind::footnote_definition);
  std::uint32_t noted = b.paragraph({T("Install the tool.")}, footnote);
  std::uint32_t code = b.code("bash", "make");
  std::uint32_t table = b.table();
  md::Document doc = b.finish();
  EXPECT_TRUE(is_instruction(doc, paragraph));
  EXPECT_FALSE(is_instruction(doc, statement));
  EXPECT_TRUE(is_instruction(doc, ordered));
  EXPECT_FALSE(is_instruction(doc, unordered));
  EXPECT_FALSE(is_instruction(doc, code_first));
  EXPECT_FALSE(is_instruction(doc, quote));
  EXPECT_FALSE(is_instruction(doc, quoted));
  EXPECT_FALSE(is_instruction(doc, noted));
  EXPECT_TRUE(is_instruction(doc, code));
  EXPECT_FALSE(is_instruction(doc, table));
}

TEST(IsInstruction, MaskedTextHidesQuotedCommandsAndUrls) {
  DocBuilder b;
  std::uint32_t quoted = b.paragraph({T("\"Run\" is the word.")});
  std::uint32_t code_first = b.paragraph({C("make"), T(" builds it.")});
  md::Document doc = b.finish();
  EXPECT_FALSE(is_instruction(doc, quoted));
  EXPECT_FALSE(is_instruction(doc, code_first));
}

TEST(IsReferenceContent, TablesAndApiParagraphs) {
  struct Case {
    std::vector<Inline> pieces;
    bool expected;
  };
  const Case cases[] = {
      {{T("Returns the "), C("id"), T(".")}, true},
      {{T("Returns the id.")}, false},  // no inline code
      {{T("Return value is "), C("x"), T(".")}, false},
      {{T("The "), C("name"), T(" is an optional field.")}, true},
      {{T("Each "), C("arg"), T(" must be annotated.")}, true},
      {{T("戻り値: "), C("int")}, true},
      {{T("返回值为 "), C("int"), T("。")}, true},
      {{T("It returns "), C("x"), T(".")}, false},
  };
  for (const auto& c : cases) {
    DocBuilder b;
    std::uint32_t block = b.paragraph(c.pieces);
    md::Document doc = b.finish();
    EXPECT_EQ(is_reference_content(doc, block), c.expected) << c.pieces.front().text;
  }
  DocBuilder b;
  std::uint32_t table = b.table();
  std::uint32_t code = b.code("sh", "make");
  md::Document doc = b.finish();
  EXPECT_TRUE(is_reference_content(doc, table));
  EXPECT_FALSE(is_reference_content(doc, code));
}

}  // namespace
}  // namespace tovik::sections
