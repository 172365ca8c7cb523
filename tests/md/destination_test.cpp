#include "md/destination.hpp"

#include <gtest/gtest.h>

namespace tovik::md {
namespace {

std::string located(std::string_view text, bool definition = false) {
  auto scan = locate_destination(text, 100, definition);
  return std::string(text.substr(scan.destination.start - 100, scan.destination.end - scan.destination.start));
}

TEST(Destination, Cases) {
  struct Case {
    const char* node;
    bool definition;
    const char* destination;
  };
  const Case cases[] = {
      {"[a](x.md)", false, "x.md"},
      {"![alt](img.png \"t\")", false, "img.png"},
      {"[a](<with space.md>)", false, "with space.md"},
      {"[a](f(x).md)", false, "f(x).md"},
      {"[a](  x.md  )", false, "x.md"},
      {"[a [nested] `]` \\]](y.md)", false, "y.md"},
      {"<https://example.com>", false, "https://example.com"},
      {"[ref]: ../z.md \"title\"", true, "../z.md"},
      {"[ref]:\n  <a b>", true, "a b"},
      {"www.example.com", false, "www.example.com"},     // autolink literal: the whole node
      {"[a][ref]", false, "[a][ref]"},                   // reference link: no destination here
      {"[a](x\xC2\xA0y)", false, "x"},                   // a no-break space ends the destination
      {"[a]()", false, ""},
  };
  for (const auto& c : cases) EXPECT_EQ(located(c.node, c.definition), c.destination) << c.node;
}

TEST(Destination, LabelRange) {
  auto scan = locate_destination("![the alt][r]", 10, false);
  ASSERT_TRUE(scan.label.has_value());
  EXPECT_EQ(*scan.label, (Span{12, 19}));
}

}  // namespace
}  // namespace tovik::md
