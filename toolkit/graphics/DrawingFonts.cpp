// The font files all text is drawn with, and the fallback face for the characters a face lacks.
//
// Text must look the same on every machine, whatever other fonts it has. Asking Qt for a
// family by name is not enough for that: a face of the same name from another package may
// win, and characters the face lacks are merged in from whichever installed font the system
// ranks first; and the font configuration of the machine chooses the hinting. So the program
// loads its faces from the known files of the Debian packages scripts/setup.sh installs
// (application fonts take precedence over installed ones of the same name and style), draws
// canvas text without Qt's font merging, gives each face one fixed fallback among the loaded
// ones and names the hinting itself (GraphicsObjects.cpp).

#include <QFile>
#include <QFontDatabase>

#include <mutex>

#include "GraphicsQt.h"

namespace {

struct TFontFiles {
  const char* Package;
  const char* Folder;
  std::initializer_list<const char*> Files;
};

const TFontFiles kFontFiles[] = {
    {"fonts-liberation2",
     "/usr/share/fonts/truetype/liberation2/",
     {"LiberationSans-Regular.ttf", "LiberationSans-Bold.ttf", "LiberationSans-Italic.ttf",
      "LiberationSans-BoldItalic.ttf", "LiberationSerif-Regular.ttf", "LiberationSerif-Bold.ttf",
      "LiberationSerif-Italic.ttf", "LiberationSerif-BoldItalic.ttf", "LiberationMono-Regular.ttf",
      "LiberationMono-Bold.ttf", "LiberationMono-Italic.ttf", "LiberationMono-BoldItalic.ttf"}},
    {"fonts-dejavu-core",
     "/usr/share/fonts/truetype/dejavu/",
     {"DejaVuSans.ttf", "DejaVuSans-Bold.ttf", "DejaVuSerif.ttf", "DejaVuSerif-Bold.ttf",
      "DejaVuSansMono.ttf", "DejaVuSansMono-Bold.ttf"}},
    // The slanted DejaVu faces: without them an italic DejaVu name would take whichever slanted
    // face of that name a machine has, or a slanted copy of the upright one.
    {"fonts-dejavu-extra",
     "/usr/share/fonts/truetype/dejavu/",
     {"DejaVuSans-Oblique.ttf", "DejaVuSans-BoldOblique.ttf", "DejaVuSerif-Italic.ttf",
      "DejaVuSerif-BoldItalic.ttf", "DejaVuSansMono-Oblique.ttf",
      "DejaVuSansMono-BoldOblique.ttf"}},
};

bool IsMark(char32_t Ucs4) {
  const QChar::Category c = QChar::category(Ucs4);
  return c == QChar::Mark_NonSpacing || c == QChar::Mark_SpacingCombining ||
         c == QChar::Mark_Enclosing;
}

}  // namespace

void LoadDrawingFonts() {
  static std::mutex m;
  static bool loaded = false;
  std::lock_guard<std::mutex> lock(m);
  if (loaded) return;
  for (const TFontFiles& package : kFontFiles)
    for (const char* file : package.Files) {
      const QString path = QString::fromUtf8(package.Folder) + QString::fromUtf8(file);
      if (!QFile::exists(path))
        throw Exception("The font file " + path.toStdString() + " is missing: install " +
                        package.Package + " (scripts/setup.sh does)");
      if (QFontDatabase::addApplicationFont(path) < 0)
        throw Exception("The font file " + path.toStdString() + " cannot be read as a font");
    }
  loaded = true;
}

String TFont::FallbackFamily(const String& Name) {
  // DejaVu Sans covers the most symbols (DejaVu Serif lacks "≅"); monospaced text keeps its
  // columns with the monospaced face.
  return DrawnFamily(Name).ends_with("Mono") ? "DejaVu Sans Mono" : "DejaVu Sans";
}

std::vector<TFaceRun> SplitByFace(const QString& Text, const QFontMetrics& Face,
                                  const QFontMetrics& Fallback) {
  std::vector<TFaceRun> runs;
  for (qsizetype i = 0; i < Text.size();) {
    const char32_t ucs4 = Text.at(i).isHighSurrogate() && i + 1 < Text.size()
                              ? QChar::surrogateToUcs4(Text.at(i), Text.at(i + 1))
                              : Text.at(i).unicode();
    const qsizetype units = ucs4 > 0xFFFF ? 2 : 1;
    // A combining mark stays with the character it sits on; a character neither face has
    // shows the face's own missing-glyph box.
    const bool fallback = !runs.empty() && IsMark(ucs4)
                              ? runs.back().Fallback
                              : !Face.inFontUcs4(ucs4) && Fallback.inFontUcs4(ucs4);
    if (runs.empty() || runs.back().Fallback != fallback) runs.push_back({QString(), fallback});
    runs.back().Text += Text.mid(i, units);
    i += units;
  }
  return runs;
}

String UndrawableCharacters(const TFont& Font, const String& Text) {
  const QFontMetrics face(ToQFont(Font)), fallback(FallbackQFont(Font));
  String missing;
  for (const char32_t ucs4 : QString::fromStdString(Text).toUcs4())
    if (!face.inFontUcs4(ucs4) && !fallback.inFontUcs4(ucs4))
      missing += QString::fromUcs4(&ucs4, 1).toStdString();
  return missing;
}
