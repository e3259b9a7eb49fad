#include "DocumentReaders.h"

#include <emf2svg.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace testsupport {

namespace {
std::string Quote(const std::filesystem::path& p) {
  std::string out = "'";
  for (char c : p.string()) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

std::string Run(const std::string& Command) {
  std::string out;
  FILE* f = popen(Command.c_str(), "r");
  if (f == nullptr) return out;
  char buf[4096];
  size_t n = 0;
  while ((n = fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
  pclose(f);
  return out;
}
}  // namespace

GrayPage::Box GrayPage::darkBox(unsigned char Threshold) const {
  Box b;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      if (at(x, y) >= Threshold) continue;
      if (b.left < 0 || x < b.left) b.left = x;
      if (x > b.right) b.right = x;
      if (b.top < 0) b.top = y;
      b.bottom = y;
    }
  return b;
}

GrayPage RenderPdfPage(const std::filesystem::path& Pdf, int Dpi) {
  const std::string pgm = Run(Quote(KESTAL_PDFTOPPM) + " -gray -r " + std::to_string(Dpi) +
                              " -f 1 -l 1 " + Quote(Pdf) + " 2>/dev/null");
  GrayPage page;
  std::istringstream in(pgm);
  std::string magic;
  int maxval = 0;
  in >> magic >> page.width >> page.height >> maxval;
  if (magic != "P5" || maxval != 255 || page.width <= 0 || page.height <= 0) return GrayPage{};
  in.get();
  page.pixels.resize(static_cast<size_t>(page.width) * page.height);
  in.read(reinterpret_cast<char*>(page.pixels.data()),
          static_cast<std::streamsize>(page.pixels.size()));
  if (!in) return GrayPage{};
  return page;
}

PdfInfo ReadPdfInfo(const std::filesystem::path& Pdf) {
  PdfInfo info;
  std::istringstream in(Run(Quote(KESTAL_PDFINFO) + " " + Quote(Pdf) + " 2>/dev/null"));
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind("Pages:", 0) == 0) info.pages = std::atoi(line.c_str() + 6);
    if (line.rfind("Title:", 0) == 0) {
      const size_t v = line.find_first_not_of(' ', 6);
      info.title = v == std::string::npos ? "" : line.substr(v);
    }
    if (line.rfind("Page size:", 0) == 0)
      std::sscanf(line.c_str() + 10, " %lf x %lf", &info.widthPt, &info.heightPt);
  }
  return info;
}

std::string EmfToSvg(const std::string& Emf) {
  generatorOptions options{};
  char ns[] = "";
  options.nameSpace = ns;
  options.svgDelimiter = true;
  options.emfplus = false;
  char* out = nullptr;
  size_t outLength = 0;
  std::string copy = Emf;
  const int ok = emf2svg(copy.data(), copy.size(), &out, &outLength, &options);
  std::string svg = ok != 0 && out != nullptr ? std::string(out, outLength) : std::string();
  std::free(out);
  return svg;
}

int CountOf(const std::string& Text, const std::string& Needle) {
  int n = 0;
  for (size_t p = Text.find(Needle); p != std::string::npos; p = Text.find(Needle, p + 1)) ++n;
  return n;
}

}  // namespace testsupport
