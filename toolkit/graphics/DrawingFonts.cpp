// The font files all text is drawn with, and the fallback face for the characters a face lacks.
//
// Text must look the same on every machine, whatever other fonts it has. Asking Qt for a
// family by name is not enough for that: a face of the same name from another package may
// win, and characters the face lacks are merged in from whichever installed font the system
// ranks first; and the font configuration of the machine chooses the hinting. So the program
// takes its faces from the known files of the Debian packages scripts/setup.sh installs,
// draws canvas text without Qt's font merging, gives each face one fixed fallback among them
// and names the hinting itself (GraphicsObjects.cpp). A face the machine's font configuration
// already offers from that very file, with no other face of its family and style beside it,
// is found by Qt as it is; every other face is loaded as an application font, and those take
// precedence over installed ones of the same name and style (DrawingFontChoice.h).

#include <fontconfig/fontconfig.h>

#include <QFile>
#include <QFontDatabase>

#include <algorithm>
#include <cstdlib>
#include <mutex>

#include "DrawingFontChoice.h"
#include "GraphicsQt.h"

namespace {

struct TFontFile {
  const char* Name;
  const char* Family;
};

struct TFontFiles {
  const char* Package;
  const char* Folder;
  std::initializer_list<TFontFile> Files;
};

const TFontFiles kFontFiles[] = {
    {"fonts-liberation2",
     "/usr/share/fonts/truetype/liberation2/",
     {{"LiberationSans-Regular.ttf", "Liberation Sans"},
      {"LiberationSans-Bold.ttf", "Liberation Sans"},
      {"LiberationSans-Italic.ttf", "Liberation Sans"},
      {"LiberationSans-BoldItalic.ttf", "Liberation Sans"},
      {"LiberationSerif-Regular.ttf", "Liberation Serif"},
      {"LiberationSerif-Bold.ttf", "Liberation Serif"},
      {"LiberationSerif-Italic.ttf", "Liberation Serif"},
      {"LiberationSerif-BoldItalic.ttf", "Liberation Serif"},
      {"LiberationMono-Regular.ttf", "Liberation Mono"},
      {"LiberationMono-Bold.ttf", "Liberation Mono"},
      {"LiberationMono-Italic.ttf", "Liberation Mono"},
      {"LiberationMono-BoldItalic.ttf", "Liberation Mono"}}},
    {"fonts-dejavu-core",
     "/usr/share/fonts/truetype/dejavu/",
     {{"DejaVuSans.ttf", "DejaVu Sans"},
      {"DejaVuSans-Bold.ttf", "DejaVu Sans"},
      {"DejaVuSerif.ttf", "DejaVu Serif"},
      {"DejaVuSerif-Bold.ttf", "DejaVu Serif"},
      {"DejaVuSansMono.ttf", "DejaVu Sans Mono"},
      {"DejaVuSansMono-Bold.ttf", "DejaVu Sans Mono"}}},
    // The slanted DejaVu faces: without them an italic DejaVu name would take whichever slanted
    // face of that name a machine has, or a slanted copy of the upright one.
    {"fonts-dejavu-extra",
     "/usr/share/fonts/truetype/dejavu/",
     {{"DejaVuSans-Oblique.ttf", "DejaVu Sans"},
      {"DejaVuSans-BoldOblique.ttf", "DejaVu Sans"},
      {"DejaVuSerif-Italic.ttf", "DejaVu Serif"},
      {"DejaVuSerif-BoldItalic.ttf", "DejaVu Serif"},
      {"DejaVuSansMono-Oblique.ttf", "DejaVu Sans Mono"},
      {"DejaVuSansMono-BoldOblique.ttf", "DejaVu Sans Mono"}}},
};

// A face's weight, slant or width; a range (a variable face) sets Variable. A value the list
// leaves out reads -1000, which no face of ours has.
int StyleValue(const FcPattern* P, const char* Object, bool& Variable) {
  FcValue v;
  if (FcPatternGet(P, Object, 0, &v) != FcResultMatch) return -1000;
  switch (v.type) {
    case FcTypeInteger: return v.u.i;
    case FcTypeDouble: return static_cast<int>(v.u.d);
    case FcTypeRange: Variable = true; return -1000;
    default: return -1000;
  }
}

// Every face the machine's font configuration offers (the one Qt reads too), or none when it
// cannot be listed: then every face is registered.
std::vector<TInstalledFace> InstalledFaces() {
  std::vector<TInstalledFace> faces;
  FcPattern* all = FcPatternCreate();
  FcObjectSet* objects =
      FcObjectSetBuild(FC_FILE, FC_INDEX, FC_FAMILY, FC_WEIGHT, FC_SLANT, FC_WIDTH, nullptr);
  FcFontSet* set = all != nullptr && objects != nullptr ? FcFontList(nullptr, all, objects) : nullptr;
  if (set != nullptr) {
    faces.reserve(static_cast<std::size_t>(set->nfont));
    for (int i = 0; i < set->nfont; ++i) {
      const FcPattern* p = set->fonts[i];
      FcChar8* file = nullptr;
      if (FcPatternGetString(p, FC_FILE, 0, &file) != FcResultMatch) continue;
      TInstalledFace face;
      face.File = reinterpret_cast<const char*>(file);
      // Without its number a face is not taken for face 0 of its file.
      face.Index = FcPatternGetInteger(p, FC_INDEX, 0, &face.Index) == FcResultMatch ? face.Index : -1;
      FcChar8* family = nullptr;
      for (int k = 0; FcPatternGetString(p, FC_FAMILY, k, &family) == FcResultMatch; ++k)
        face.Families.emplace_back(reinterpret_cast<const char*>(family));
      face.Weight = StyleValue(p, FC_WEIGHT, face.Variable);
      face.Slant = StyleValue(p, FC_SLANT, face.Variable);
      face.Width = StyleValue(p, FC_WIDTH, face.Variable);
      faces.push_back(std::move(face));
    }
    FcFontSetDestroy(set);
  }
  if (objects != nullptr) FcObjectSetDestroy(objects);
  if (all != nullptr) FcPatternDestroy(all);
  return faces;
}

bool IsMark(char32_t Ucs4) {
  const QChar::Category c = QChar::category(Ucs4);
  return c == QChar::Mark_NonSpacing || c == QChar::Mark_SpacingCombining ||
         c == QChar::Mark_Enclosing;
}

}  // namespace

std::vector<std::size_t> FacesToRegister(const std::vector<TDrawingFace>& Faces,
                                         const std::vector<TInstalledFace>& Installed) {
  const auto hasFamily = [](const TInstalledFace& Face, const std::string& Family) {
    return std::find(Face.Families.begin(), Face.Families.end(), Family) != Face.Families.end();
  };
  std::vector<std::size_t> result;
  for (std::size_t i = 0; i < Faces.size(); ++i) {
    const TDrawingFace& ours = Faces[i];
    const auto own = std::find_if(Installed.begin(), Installed.end(), [&](const TInstalledFace& f) {
      return f.File == ours.File && f.Index == 0 && !f.Families.empty() &&
             f.Families.front() == ours.Family;
    });
    const bool rival =
        own == Installed.end() || own->Variable ||
        std::any_of(Installed.begin(), Installed.end(), [&](const TInstalledFace& f) {
          return f.File != ours.File && hasFamily(f, ours.Family) &&
                 (f.Variable || (f.Slant == own->Slant && f.Width == own->Width &&
                                 std::abs(f.Weight - own->Weight) < SameStyleWeightSpan));
        });
    if (rival) result.push_back(i);
  }
  return result;
}

void LoadDrawingFonts() {
  static std::mutex m;
  static bool loaded = false;
  std::lock_guard<std::mutex> lock(m);
  if (loaded) return;
  std::vector<TDrawingFace> faces;
  for (const TFontFiles& package : kFontFiles)
    for (const TFontFile& file : package.Files) {
      const std::string path = std::string(package.Folder) + file.Name;
      if (!QFile::exists(QString::fromStdString(path)))
        throw Exception("The font file " + path + " is missing: install " + package.Package +
                        " (scripts/setup.sh does)");
      faces.push_back({path, file.Family});
    }
  for (const std::size_t i : FacesToRegister(faces, InstalledFaces()))
    if (QFontDatabase::addApplicationFont(QString::fromStdString(faces[i].File)) < 0)
      throw Exception("The font file " + faces[i].File + " cannot be read as a font");
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
