#pragma once
// Independent readers of the files the program writes for other programs, for tests:
// PDF through poppler's command-line tools, EMF through libemf2svg.
#include <filesystem>
#include <string>
#include <vector>

namespace testsupport {

// A grey page: 0 black ... 255 white, row by row.
struct GrayPage {
  int width = 0, height = 0;
  std::vector<unsigned char> pixels;
  unsigned char at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
  // The smallest box holding every pixel darker than Threshold: left, top, right, bottom
  // (inclusive); all -1 when there is none.
  struct Box {
    int left = -1, top = -1, right = -1, bottom = -1;
  };
  Box darkBox(unsigned char Threshold = 128) const;
};

// Page 1 of the PDF rendered at Dpi (pdftoppm); empty when the reader fails.
GrayPage RenderPdfPage(const std::filesystem::path& Pdf, int Dpi);
// "Pages" and the page size in points (pdfinfo); pages 0 when the reader fails.
struct PdfInfo {
  int pages = 0;
  double widthPt = 0, heightPt = 0;
  std::string title;
};
PdfInfo ReadPdfInfo(const std::filesystem::path& Pdf);

// The EMF bytes converted to SVG text; "" when the reader refuses them.
std::string EmfToSvg(const std::string& Emf);

// Occurrences of Needle in Text.
int CountOf(const std::string& Text, const std::string& Needle);

}  // namespace testsupport
