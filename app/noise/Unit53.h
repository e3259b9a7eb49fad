#pragma once
// Window "Plot": one series of the noise-measurement database against the measurement number,
// read from the sun-noise window's samples, with a read-out of the measurement under the mouse
// and a window zoom in steps of 4/3.

#include <vector>

#include "DOV_zodozaPub.h"
#include "ExtCtrls.h"
#include "Forms.h"
#include "StdCtrls.h"

class TForm53 : public TForm {
public:
  explicit TForm53(TComponent* AOwner);
  ~TForm53() override;
  String ClassName() const override { return "TForm53"; }

  TZOdoza* ZOdoza1 = nullptr;
  TEdit *Edit1 = nullptr, *Edit2 = nullptr, *Edit3 = nullptr, *Edit4 = nullptr, *Edit5 = nullptr,
        *Edit6 = nullptr, *Edit7 = nullptr, *Edit8 = nullptr, *Edit9 = nullptr, *Edit10 = nullptr;
  TLabel *Label6 = nullptr, *Label13 = nullptr, *Label14 = nullptr, *Label15 = nullptr,
         *Label16 = nullptr;
  TButton *Button1 = nullptr, *Button2 = nullptr, *Button3 = nullptr, *Button4 = nullptr,
          *Button5 = nullptr, *Button6 = nullptr, *Button7 = nullptr, *Button8 = nullptr,
          *Button9 = nullptr;

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
