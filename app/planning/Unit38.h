#pragma once
// The PLAN window: one day, hour by hour, of the eleven planner objects and the pulsars of the
// working band against the local radio horizon, with the user's detection notes; it opens the
// drift-scan and tracking planners, which test against the same horizon.

#include <array>

#include "Forms.h"
#include "Grids.h"
#include "Planning.h"
#include "StdCtrls.h"

// The controls of the description and the handlers it names (FormParts.h).
// clang-format off
#define KESTAL_UNIT38_PARTS(Controls, Handlers)                                                 \
  Controls(TStringGrid, StringGrid1)                                                            \
  Controls(TLabel, Label1) /* the working frequency */                                          \
  Controls(TLabel, Label8) /* "local time" after the planned date, with its offset from UTC */  \
  Controls(TEdit, Edit1) /* the planned date */                                                 \
  Controls(TEdit, Edit38) /* the object a note is for */                                        \
  Controls(TEdit, Edit39) /* the note */                                                        \
  Controls(TButton, Button1, Button2, Button3, Button4, Button5, Button6, Button7, Button8,     \
      Button9)                                                                                  \
  Handlers(Button1Click, Button2Click, Button3Click, Button4Click, Button5Click, Button6Click,  \
      Button7Click, Button8Click, Button9Click, StringGrid1MouseUp)
// clang-format on

class TForm38 : public TForm {
public:
  explicit TForm38(TComponent* AOwner);
  String ClassName() const override { return "TForm38"; }

  KESTAL_DECLARE_PARTS(KESTAL_UNIT38_PARTS)
  // Sector i (0-based): its start and end azimuth (display only) and minimum elevation.
  std::array<TEdit*, HorizonSectors> SectorStart{}, SectorEnd{}, SectorMinimum{};

  void Button1Click(TObject* Sender);  // Re-calculate
  void Button2Click(TObject* Sender);  // Drift scan planner
  void Button3Click(TObject* Sender);  // Exit
  void Button4Click(TObject* Sender);  // + 1 day
  void Button5Click(TObject* Sender);  // Save Horizon
  void Button6Click(TObject* Sender);  // - 1 day
  void Button7Click(TObject* Sender);  // Tracking planner
  void Button8Click(TObject* Sender);  // Record note
  void Button9Click(TObject* Sender);  // Delete all notes
  void StringGrid1MouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);

  // The radio horizon every planner tests against: as loaded, or as last read from the fields
  // by Re-calculate or Save Horizon.
  THorizonProfile HorizonProfile = THorizonProfile::Defaults();
  int DayOffset = 0;
  String SelectedObjectName;

  // The profile in the fields; raises naming the sector when a minimum is not a whole number.
  THorizonProfile HorizonFromFields() const;
  void ShowHorizon(const THorizonProfile& Profile);

private:
  void InitPlanGrid(int Rows);
  void ShowNotes();
  void EnableNoteEntry(bool Enabled);
  String FHorizonProblem;  // why the horizon file was not used
};

namespace PlanTexts {
inline constexpr const char* Caption = "PLAN Observation";
inline constexpr const char* NotePrompt = "Enter note here";
inline constexpr const char* ConfirmDelete = "Are you sure that you want to delete all notes ?";
inline constexpr const char* ConfirmTitle = "Pls confirm";
}  // namespace PlanTexts

extern TForm38* Form38;
