// libFuzzer target: any UTF-8 text becomes a Document that passes the consistency check, and
// the JSON form of the document can be produced.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "md/consistency.hpp"
#include "md/convert.hpp"
#include "md/document_json.hpp"
#include "sections/annotate.hpp"
#include "support/utf8.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  if (!tovik::utf8::is_valid(text)) return -1;  // the check never converts such text
  auto doc = tovik::md::parse_document(text);
  if (!doc.ok()) return 0;
  if (auto problem = tovik::md::check_consistency(*doc)) {
    std::fprintf(stderr, "inconsistent document: %s\n", problem->c_str());
    std::abort();
  }
  if (doc->source != text) std::abort();
  auto annotations = tovik::sections::annotate_sections(*doc);
  auto json = tovik::md::to_json(*doc);
  (void)json.dump();
  (void)annotations.size();
  return 0;
}
