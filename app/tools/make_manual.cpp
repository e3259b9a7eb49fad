// Build-time tool: typesets the user manual (Markdown) into a PDF file.

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "Forms.h"
#include "GraphicsExport.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s <manual.md> <manual.pdf>\n", argv[0]);
    return 2;
  }
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  Application->Initialize(argc, argv);  // text layout needs the application object
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
