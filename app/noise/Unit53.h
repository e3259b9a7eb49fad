#pragma once
// Window "Plot": one series of the noise-measurement database against the measurement number,
// read from the sun-noise window's samples, with a read-out of the measurement under the mouse
// and a window zoom in steps of 4/3.

#include <vector>

#include "DOV_zodozaPub.h"
#include "ExtCtrls.h"
#include "Forms.h"
#include "StdCtrls.h"

// The controls of the description and the handlers it names (FormParts.h).
// clang-format off
#define KESTAL_UNIT53_PARTS(Controls, Handlers)                                                 \
  Controls(TZOdoza, ZOdoza1)                                                                    \
  Controls(TEdit, Edit1, Edit2, Edit3, Edit4, Edit5, Edit6, Edit7, Edit8, Edit9, Edit10)        \
  Controls(TLabel, Label6, Label13, Label14, Label15, Label16)                                  \
  Controls(TButton, Button1, Button2, Button3, Button4, Button5, Button6, Button7, Button8,     \
      Button9)                                                                                  \
  Handlers(Button1Click, Button2Click, Button3Click, Button4Click, Button5Click, Button6Click,  \
      Button7Click, Button8Click, Button9Click)
// clang-format on

class TForm53 : public TForm {
public:
  explicit TForm53(TComponent* AOwner);
  ~TForm53() override;
  String ClassName() const override { return "TForm53"; }

  KESTAL_DECLARE_PARTS(KESTAL_UNIT53_PARTS)

  // Shrinks ("-", +1) minus enlargements ("+", -1), within -2 ... 2.
  int ZoomLevel = 0;
  // The series on the chart (at most one set).
  bool FluxShown = false, ExpectedShown = false, MeasuredShown = false, DeltaShown = false,
       BothShown = false;

  void Button1Click(TObject* Sender);  // Close
  void Button2Click(TObject* Sender);  // +
  void Button3Click(TObject* Sender);  // -
  void Button4Click(TObject* Sender);  // Sun Flow ( kJy )
  void Button5Click(TObject* Sender);  // Sun Noise expected ( dB )
  void Button6Click(TObject* Sender);  // Sun Noise Measured ( dB )
  void Button7Click(TObject* Sender);  // Delta ( dB )
  void Button8Click(TObject* Sender);  // Sun Noise expected vs measured ( dB )
  void Button9Click(TObject* Sender);  // Reset
  void FormActivate(TObject* Sender);
  void FormClose(TObject* Sender, TCloseAction& Action);
  void FormMouseMove(TObject* Sender, TShiftState Shift, int X, int Y);
  void ZOdoza1MouseMoveInChart(TObject* Sender, bool InChart, TShiftState Shift, Double rMousePosX,
                               Double rMousePosY);

  // What the sun-noise window asks: open on a fresh load, and redraw after a deletion.
  void OpenPlot();
  void RedrawShownSeries();
  // Scales back to the start-up size (ZoomLevel 0).
  void UndoZoom();

  // What a single-series button plots (public for the table that lists them).
  struct TSeries;

private:
  struct TBounds {
    TControl* Control;
    int Left, Top, Width, Height, FontSize;
  };
  void ActivateLayer(int Layer);
  void PlaceCrossHair(Double X, Double Y);
  void PlotSeries(const TSeries& S);
  void ClearFlags();
  void ClearReadOut();
  void ShowOneValueField(const String& Name, const String& Unit);
  void ZoomBy(int Step);
  void RememberStartSize(TControl* C);
  std::vector<TBounds> FStartBounds;
};

extern TForm53* Form53;
