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

// The sky-noise diagram of Form6's picture: the frequency on a logarithmic scale across, from
// 10 MHz to 100 GHz, the temperature on a logarithmic scale up, from 1 K to 10^6 K, inside
// Frame (its left, top, right and bottom edges are the frame's pixels).
struct TSkyPlot {
  TRect Frame;
  double LogMHzLeft = 1, LogMHzRight = 5;  // log10 of the frequency (MHz) at the side edges
  double LogKBottom = 0, LogKTop = 6;      // log10 of the temperature (K) at the bottom and top

  // The pixel column of a frequency and the pixel row of a temperature.
  int Column(double LogMHz) const;
  int Row(double LogK) const;
  // The temperature a pixel row stands for (a fractional row too), as log10 K.
  double LogKOfRow(double Row) const;
};
const TSkyPlot& SkyPlot();

}  // namespace InfoPictures
