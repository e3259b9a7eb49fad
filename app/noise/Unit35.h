#pragma once
// The sun-noise window: the day's solar flux list, the sun's Y-factor at the working
// frequency, and the user's noise-measurement database (grid, entry, save, delete, export,
// plot). The logic lives in SunFluxList, SunFluxDownload and NoiseDatabase; this unit shows
// their results and asks the user.

#include <array>
#include <vector>

#include "FTPClient.h"
#include "Forms.h"
#include "Grids.h"
#include "InputNumbers.h"
#include "StdCtrls.h"

// The controls of the description and the handlers it names (FormParts.h).
// clang-format off
#define KESTAL_UNIT35_PARTS(Controls, Handlers)                                                 \
  Controls(TLabel, Label1) /* where the list comes from */                                      \
  Controls(TStringGrid, StringGrid1) /* the flux list */                                        \
  Controls(TStringGrid, StringGrid2) /* the measurement database */                             \
  Controls(TEdit, Edit1) /* frequency, MHz */                                                   \
  Controls(TEdit, Edit2) /* calculated sun flux, Jy */                                          \
  Controls(TEdit, Edit3) /* sun-noise Y-factor, dB */                                           \
  Controls(TEdit, Edit4) /* measured noise, dB */                                               \
  Controls(TEdit, Edit5) /* comment */                                                          \
  Controls(TEdit, Edit6) /* row to delete */                                                    \
  Controls(TButton, Button1, Button2, Button3, Button4, Button5, Button6, Button7, Button8,     \
      Button9, Button10)                                                                        \
  Controls(TFTPClient, IdFTP1)                                                                  \
  Handlers(Button1Click, Button2Click, Button3Click, Button4Click, Button5Click, Button6Click,  \
      Button7Click, Button8Click, Button9Click, Button10Click, Edit4KeyPress, Edit4Change)
// clang-format on

class TForm35 : public TForm {
public:
  explicit TForm35(TComponent* AOwner);
  String ClassName() const override { return "TForm35"; }

  KESTAL_DECLARE_PARTS(KESTAL_UNIT35_PARTS)

  // The measurements of the last load, sample k = record k (index 0 unused); the plot window
  // reads them. Flux in kJy.
  std::vector<float> SampleFrequency, SampleGain, SampleTsys, SampleFlux, SampleMeasured,
      SampleExpected, SampleDelta;
  std::vector<String> SampleDate, SampleComment;
  int SampleCount = 1;  // records + 1
  int LoadIndex = 1;    // the next sample to fill
  int GridRow = 2;      // the next grid row to fill

  // Rebuilds the grid and the samples from NoiseMeasurements.txt.
  void LoadNoiseDatabase();
  // The expected values no longer fit the main window's settings (a new frequency): the
  // measurement entry waits for the next successful calculation.
  void InvalidateResults();
  bool ResultsValid() const { return FResultsValid; }

  void Button1Click(TObject* Sender);   // Close
  void Button2Click(TObject* Sender);   // Show Y-factor for all noise sources
  void Button3Click(TObject* Sender);   // Download latest sun flow data and calculate
  void Button4Click(TObject* Sender);   // Calculate from the list on file
  void Button5Click(TObject* Sender);   // Save
  void Button6Click(TObject* Sender);   // Delete All Data
  void Button7Click(TObject* Sender);   // Delete row
  void Button8Click(TObject* Sender);   // Hide / Show main screen
  void Button9Click(TObject* Sender);   // Save Data as mmddyy.csv
  void Button10Click(TObject* Sender);  // Plot
  void Edit4KeyPress(TObject* Sender, wchar_t& Key);
  void Edit4Change(TObject* Sender);

private:
  // Reads the list on file and computes the sun's figures. A refused list or a figure that
  // cannot be computed is told and leaves the fields as they were; only a success makes the
  // results valid again (few usable readings are a warning, not a failure).
  void Calculate();
  void AfterDeletion();
  void SetMeasurementEntry(bool Enabled);
  bool FResultsValid = false;
  bool FMainWindowShown = true;
  int FStoredRecords = 0;           // records in the file at the last load, damaged ones included
  std::vector<int> FListedNumbers;  // the "#" of every listed record, in grid order
  // One user action may load the database several times (a deletion reloads it before and
  // after its question, and the plot reloads it too): the damaged-records notice is shown once
  // per action. A load outside an action shows it each time.
  class TOneNotice {
  public:
    explicit TOneNotice(TForm35& Form);
    ~TOneNotice();
    TOneNotice(const TOneNotice&) = delete;
    TOneNotice& operator=(const TOneNotice&) = delete;

  private:
    TForm35& FForm;
  };
  int FActionDepth = 0;
  bool FNoticeShown = false;
};

extern TForm35* Form35;

// The last flux list read: 9 frequency rows of 20 values, the first 7 used (observatories);
// sfu, -1 for a missing reading.
extern std::array<std::array<float, 20>, 9> SunFluxTable;
// The last calculation's results (kept until the next one): Jy, K, dB.
extern double SunFlux, SunAntennaTemp, SunYFactor;
// Records listed by the last load.
extern int NoiseRecordCount;

namespace SunNoiseWindowTexts {
inline constexpr const char* DownloadCaption =
    "Download latest sun flow data and calculate sun noise ";
inline constexpr const char* Downloading = "Downloading";
inline constexpr const char* CalculateOnFile =
    "Calculate sun noise   ( with sun flow data on file )";
inline constexpr const char* NumeralsOnly = "Please enter numerals only";
inline constexpr const char* DecimalSeparator = UseDecimalPointText;
inline constexpr const char* AboveExpected =
    "The measured sun noise level cannot exceed the theoretical one\n Please review data ";
inline constexpr const char* CalculateFirst =
    "ERROR : Please calculate the sun noise at the current frequency before saving.";
inline constexpr const char* ConfirmDeleteAll =
    "Please confirm that you want to delete Noise data base";
inline constexpr const char* ConfirmDeleteAllTitle = "test title";
inline constexpr const char* RowZero = "ERROR : row to delete cannot be 0 . Please correct";
inline constexpr const char* InvalidRow = "Please enter valid row number";
inline constexpr const char* ConfirmUpdate =
    "Do you want to update the current Noise Data Base ?\nPls confirm";
inline constexpr const char* ConfirmUpdateTitle = "Pls confirm";
inline constexpr const char* Exported = "Data saved in the working folder as :    ";
inline constexpr const char* NoDatabase = "Noise data base file ( NoiseMeasurements.txt) not found";
inline constexpr const char* DamagedRecords =
    "Some records of NoiseMeasurements.txt are damaged. They are not listed and are kept in the "
    "file as they are:";
}  // namespace SunNoiseWindowTexts
