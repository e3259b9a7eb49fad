// Build-time tool: typesets the user manual (Markdown) into a PDF file.

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "Forms.h"
#include "GraphicsExport.h"
#include "ToolStart.h"

int main(int argc, char** argv) {
  if (!StartBuildTool(argc, argv, 2, "<manual.md> <manual.pdf>")) return 2;
  std::ifstream in(argv[1], std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "cannot read %s\n", argv[1]);
    return 1;
  }
  const String text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (!WriteMarkdownAsPdf(text, "Kestal user manual", argv[2])) {
    std::fprintf(stderr, "cannot write %s\n", argv[2]);
    return 1;
  }
  return 0;
}
