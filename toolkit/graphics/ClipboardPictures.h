#pragma once
// Pictures on the clipboard (Clipbrd.h): a bitmap as PNG and BMP images, a metafile under the
// metafile media types, so that other programs paste them as pictures.

#include "Graphics.h"
#include "Metafile.h"

// EClipboardException when there is no clipboard; EInvalidGraphicOperation for a bitmap or
// metafile without content (there is no empty picture to paste).
void ClipboardSetBitmap(TBitmap* Bitmap);
void ClipboardSetMetafile(const TMetafile& Metafile);
bool ClipboardHasBitmap();
// The clipboard's image in Bitmap; false (Bitmap unchanged) when it holds none.
bool ClipboardGetBitmap(TBitmap* Bitmap);
// The metafile's bytes; "" when the clipboard holds none.
String ClipboardMetafileData();
