#pragma once
// Enhanced metafiles (EMF): pictures kept as drawing records (lines, shapes, texts, bitmaps)
// that other programs open and paste as vector graphics. A TMetafileCanvas is a canvas like
// any other; what is drawn on it becomes the metafile's records when the canvas is closed.

#include <memory>

#include "Graphics.h"

class TMetafile : public TPersistent {
public:
  String ClassName() const override { return "TMetafile"; }
  // The file's bytes; empty until a canvas has been closed on it.
  const String& Data() const { return FData; }
  bool Empty() const { return FData.empty(); }
  // Written beside the file and renamed over it; EFCreateError when that fails.
  void SaveToFile(const String& FileName) const;
  void SaveToStream(TStream& Stream) const;
  void Assign(TPersistent* Source) override;

private:
  friend class TMetafileCanvas;
  String FData;
};

// Records what is drawn on it (logical units, see TCanvasMapping) into Metafile, which it
// does not own. PixelsPerInch is the resolution of the metafile's device units (the screen's
// by default, so one unit is one screen pixel). The picture's extent is that of what shows:
// a figure counts only with its part inside the clip set when it was drawn. Closing (or
// destroying) the canvas replaces the metafile's content; drawing after Close is ignored.
class TMetafileCanvas : public TCanvas {
public:
  explicit TMetafileCanvas(TMetafile* Metafile, int PixelsPerInch = ScreenPixelsPerInch);
  ~TMetafileCanvas() override;
  String ClassName() const override { return "TMetafileCanvas"; }
  void Close();

  class TRecorder;

private:
  TMetafile* FMetafile;
  std::unique_ptr<TRecorder> FRecorder;
};

// The media types a metafile goes to the clipboard under.
extern const char* const MetafileMediaTypes[3];
