// Benchmark driver: one discovery pass over the workspace containing the given directory; prints
// the number of documents, incomplete reasons and notes.
#include <cstdio>

#include "workspace/discover.hpp"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: tovik_discover DIR\n");
    return 2;
  }
  tovik::workspace::DiscoveryRequest request;
  request.current_dir = argv[1];
  auto workspace = tovik::workspace::discover(request);
  if (!workspace.ok()) {
    std::fprintf(stderr, "%s\n", workspace.error().c_str());
    return 2;
  }
  std::printf("%zu documents, %zu incomplete, %zu notes\n", workspace->documents.size(),
              workspace->incomplete_reasons.size(), workspace->notes.size());
  return 0;
}
