#pragma once
// Writing what the program draws into files other programs read: pictures as PNG, and
// documents (the user manual) as PDF typeset from Markdown text.

#include "Graphics.h"

// Writes Bitmap as a PNG file. False when the file cannot be written.
bool SaveBitmapAsPng(const TBitmap& Bitmap, const String& FileName);

// Typesets Markdown (headings, paragraphs, lists, emphasis, tables) on A4 pages and writes
// them as a PDF file titled Title. False when the file cannot be written. Needs the
// application object (Application->Initialize), as all text layout does.
bool WriteMarkdownAsPdf(const String& Markdown, const String& Title, const String& FileName);
