#pragma once
// Which of the program's font files must be registered with Qt as application fonts, and
// which Qt already finds as the machine's own installed faces.
//
// Registering a file makes Qt read the whole face again (its character set, its styles):
// most of the cost of the first start. A face needs it only where the machine's font
// configuration does not already offer that very file under the family it is asked for by,
// or where another installed face of that family and style could be chosen in its place.
// Everywhere else the installed face is the same file, found by the same name, and draws the
// same pixels.

#include <string>
#include <vector>

// One face as the font configuration lists it. Weight, slant and width are on its own
// scales (regular 80, bold 200; roman 0, italic 100, oblique 110; normal width 100).
struct TInstalledFace {
  std::string File;
  int Index = 0;                      // the face's number within its file
  std::vector<std::string> Families;  // the first is the name it is listed by
  int Weight = 0;
  int Slant = 0;
  int Width = 0;
  bool Variable = false;  // weight, slant or width is a range: the face may stand in for any
};

// One of the program's faces: its file and the family the program asks for it by.
struct TDrawingFace {
  std::string File;
  std::string Family;
};

// Weights closer than this count as the same style: a font matcher could take either.
inline constexpr int SameStyleWeightSpan = 10;

// The positions in Faces of those that must be registered, in order: each face that the
// installed list does not hold as face 0 of its file under its family, or for which another
// file offers a face of that family with the same slant and width and a weight within
// SameStyleWeightSpan, or a variable face of that family.
std::vector<std::size_t> FacesToRegister(const std::vector<TDrawingFace>& Faces,
                                         const std::vector<TInstalledFace>& Installed);
