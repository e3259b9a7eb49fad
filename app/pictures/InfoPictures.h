#pragma once
// The pictures of the information windows: each explains one quantity of the main window with
// its formula, the meaning of the symbols and where to read more. They are drawn from the
// texts below with our own canvas, at build time, into the PNG files the window descriptions
// name, so that they are reproducible and can be corrected like any other source.

#include <vector>

#include "Graphics.h"

namespace InfoPictures {

inline constexpr int PictureWidth = 540;
inline constexpr int PictureHeight = 380;

// The windows that show a picture ("Form5", "Form6", ...), in the main window's order.
const std::vector<String>& Windows();

// The picture's file name for a window: "Info" + window + ".png".
String FileNameOf(const String& Window);

// Draws the picture of Window onto Bitmap, which is given the picture's size. Raises
// Exception for a window that has no picture, and for a text with a character that no font
// of the program draws (it would show as an empty box).
void Draw(const String& Window, TBitmap& Bitmap);

}  // namespace InfoPictures
