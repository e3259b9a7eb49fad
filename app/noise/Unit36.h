#pragma once
// The Y-factor window of the Moon and the radio sources: the expected flux and noise Y-factor
// of each at the main window's working frequency and receiving system. The arithmetic is in
// NoiseSources (app/core); this unit reads the main window's values and shows the results.

#include "DOV_math2.h"
#include "ExtCtrls.h"
#include "Forms.h"
#include "NoiseSources.h"
#include "StdCtrls.h"

// The controls of the description and the handlers it names (FormParts.h).
// clang-format off
#define KESTAL_UNIT36_PARTS(Controls, Handlers)                        \
  Controls(TEdit, Edit21, Edit28) /* Cassiopeia A */                   \
  Controls(TEdit, Edit19, Edit26) /* Cygnus A */                       \
  Controls(TEdit, Edit20, Edit27) /* Taurus A */                       \
  Controls(TEdit, Edit22, Edit29) /* Sagittarius A */                  \
  Controls(TEdit, Edit4, Edit3) /* Virgo A */                          \
  Controls(TEdit, Edit1, Edit2) /* 3C273 */                            \
  Controls(TEdit, Edit17, Edit24) /* Moon */                           \
  Controls(TEdit, Edit6) /* Moon distance, km */                       \
  Controls(TEdit, Edit5) /* Moon age, days */                          \
  Controls(TEdit, Edit7) /* Moon surface temperature, K */             \
  Controls(TImage, Image1) /* the Moon's picture */                    \
  Controls(TButton, Button1) /* Calculate (below the visible area) */  \
  Controls(TButton, Button2) /* Close */                               \
  Controls(TCurveFit, CurveFit1)                                       \
  Handlers(Button1Click, Button2Click)
// clang-format on

class TForm36 : public TForm {
public:
  explicit TForm36(TComponent* AOwner);
  String ClassName() const override { return "TForm36"; }

  // Flux (Jy) and Y-factor (dB) fields, one pair per object.
  KESTAL_DECLARE_PARTS(KESTAL_UNIT36_PARTS)

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
