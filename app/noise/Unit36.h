#pragma once
// The Y-factor window of the Moon and the radio sources: the expected flux and noise Y-factor
// of each at the main window's working frequency and receiving system. The arithmetic is in
// NoiseSources (app/core); this unit reads the main window's values and shows the results.

#include "DOV_math2.h"
#include "ExtCtrls.h"
#include "Forms.h"
#include "NoiseSources.h"
#include "StdCtrls.h"

class TForm36 : public TForm {
public:
  explicit TForm36(TComponent* AOwner);
  String ClassName() const override { return "TForm36"; }

  // Flux (Jy) and Y-factor (dB) fields, one pair per object.
  TEdit *Edit21 = nullptr, *Edit28 = nullptr;  // Cassiopeia A
  TEdit *Edit19 = nullptr, *Edit26 = nullptr;  // Cygnus A
  TEdit *Edit20 = nullptr, *Edit27 = nullptr;  // Taurus A
  TEdit *Edit22 = nullptr, *Edit29 = nullptr;  // Sagittarius A
  TEdit *Edit4 = nullptr, *Edit3 = nullptr;    // Virgo A
  TEdit *Edit1 = nullptr, *Edit2 = nullptr;    // 3C273
  TEdit *Edit17 = nullptr, *Edit24 = nullptr;  // Moon
  TEdit* Edit6 = nullptr;                      // Moon distance, km
  TEdit* Edit5 = nullptr;                      // Moon age, days
  TEdit* Edit7 = nullptr;                      // Moon surface temperature, K
  TImage* Image1 = nullptr;                    // the Moon's picture
  TButton* Button1 = nullptr;                  // Calculate (below the visible area)
  TButton* Button2 = nullptr;                  // Close
  TCurveFit* CurveFit1 = nullptr;

  // The Moon's figures of the last calculation.
  TMoonNoise Moon;

  void Button1Click(TObject* Sender);  // Calculate
  void Button2Click(TObject* Sender);  // Close

private:
  // The two fields of each source, in the order of RadioSources.
  struct TSourceFields {
    TEdit* Flux;
    TEdit* YFactor;
  };
  std::array<TSourceFields, 6> SourceFields() const;
  void DrawMoonPicture();
};

extern TForm36* Form36;
