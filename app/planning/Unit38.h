#pragma once
// The PLAN window: one day, hour by hour, of the eleven planner objects and the pulsars of the
// working band against the local radio horizon, with the user's detection notes; it opens the
// drift-scan and tracking planners, which test against the same horizon.

#include <array>

#include "Forms.h"
#include "Grids.h"
#include "Planning.h"
#include "StdCtrls.h"

class TForm38 : public TForm {
public:
  explicit TForm38(TComponent* AOwner);
  String ClassName() const override { return "TForm38"; }

  TStringGrid* StringGrid1 = nullptr;
  TLabel* Label1 = nullptr;  // the working frequency
  TLabel* Label8 = nullptr;  // "local time" after the planned date, with its offset from UTC
  TEdit* Edit1 = nullptr;    // the planned date
  TEdit* Edit38 = nullptr;   // the object a note is for
  TEdit* Edit39 = nullptr;   // the note
  TButton *Button1 = nullptr, *Button2 = nullptr, *Button3 = nullptr, *Button4 = nullptr,
          *Button5 = nullptr, *Button6 = nullptr, *Button7 = nullptr, *Button8 = nullptr,
          *Button9 = nullptr;
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
