// Build-time tool: draws every information picture into <folder>/Info<Window>.png.

#include <cstdio>
#include <cstdlib>

#include "Forms.h"
#include "GraphicsExport.h"
#include "InfoPictures.h"
#include "ToolStart.h"

int main(int argc, char** argv) {
  if (!StartBuildTool(argc, argv, 1, "<output folder>")) return 2;
  const String folder = argv[1];
  for (const String& window : InfoPictures::Windows()) {
    try {
      TBitmap bitmap;
      InfoPictures::Draw(window, bitmap);
      const String file = folder + "/" + InfoPictures::FileNameOf(window);
      if (!SaveBitmapAsPng(bitmap, file)) {
        std::fprintf(stderr, "cannot write %s\n", file.c_str());
        return 1;
      }
    } catch (const Exception& e) {
      std::fprintf(stderr, "%s: %s\n", window.c_str(), e.Message.c_str());
      return 1;
    }
  }
  return 0;
}
