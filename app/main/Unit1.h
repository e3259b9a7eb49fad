#pragma once
// The main window: receiving-system inputs, the pulsar catalogue and its band tables,
// CALCULATE, the detectable list and the shared state every other window reads.

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "ComCtrls.h"
#include "DOV_datatable.h"
#include "DOV_matrix.h"
#include "ExtCtrls.h"
#include "Forms.h"
#include "HTTPClient.h"
#include "InputNumbers.h"
#include "MainWindow.h"
#include "ReceiverFigures.h"
#include "StdCtrls.h"
#include "Unit1Config.h"

// Ends the process with Code. The program's EXIT, RESET and the refusal of a corrupted
// configuration go through here; tests replace it with one that throws, so that "the program
// ends" can be observed without ending the test program.
extern std::function<void(int Code)> ProgramExit;

// The controls of the description and the handlers it names (FormParts.h).
// clang-format off
#define KESTAL_UNIT1_PARTS(Controls, Handlers)                                                    \
  Controls(TButton, Button1, Button2, Button3, Button4, Button5, Button6, Button7, Button8,       \
      Button9, Button10, Button11, Button12, Button13, Button14, Button15, Button16, Button17,    \
      Button18, Button19, Button20, Button21, Button22, Button23, Button24, Button25, Button26,   \
      Button27, Button28, Button29, Button30, Button31, Button32, Button33, Button34, Button35,   \
      Button36, Button37, Button38, Button39, Button40, Button41, Button42, Button43, Button44,   \
      Button45, Button46, Button47)                                                               \
  Controls(TEdit, Edit1, Edit2, Edit3, Edit4, Edit5, Edit6, Edit7, Edit8, Edit9, Edit10, Edit11,  \
      Edit12, Edit13, Edit14, Edit15, Edit16, Edit17, Edit18, Edit19, Edit20, Edit21, Edit22,     \
      Edit23, Edit24, Edit25, Edit26, Edit27, Edit28, Edit29, Edit30, Edit31, Edit32, Edit33,     \
      Edit34, Edit35, Edit36, Edit39, Edit40, Edit44, Edit45)                                     \
  Controls(TLabel, Label1, Label2, Label3, Label4, Label5, Label6, Label7, Label8, Label9,        \
      Label10, Label11, Label12, Label13, Label14, Label15, Label16, Label17, Label18, Label19,   \
      Label20, Label21, Label22, Label23, Label24, Label25, Label26, Label27, Label28, Label29,   \
      Label30, Label31, Label32, Label33, Label34, Label35, Label36, Label37, Label38, Label39,   \
      Label48, Label49, Label50, Label51, Label58, Label72, Label85, Label65, Label68, Label70,   \
      Label86, Label93, Label94, Label95, Label101, Label102, Label103, Label104, Label105,       \
      Label110)                                                                                   \
  Controls(TRadioButton, RadioButton3, RadioButton4)                                              \
  Controls(TBevel, Bevel1, Bevel2)                                                                \
  Controls(TListBox, ListBox1)                                                                    \
  Controls(TComboBox, ComboBox1)                                                                  \
  Controls(TTimer, Timer1, Timer2, Timer3, Timer4, Timer5, Timer6, Timer7, Timer8, Timer9,        \
      Timer10, Timer11, Timer12, Timer13)                                                         \
  Controls(TDataTable, DB_Base)                                                                   \
  Controls(TMatrix, Matrix_DB_400Mhz)                                                             \
  Controls(TMatrix, Matrix_DB_1400Mhz)                                                            \
  Controls(THTTPClient, H1)                                                                       \
  Controls(THTTPClient, IdHTTP1)                                                                  \
  Handlers(Button1Click, Button2Click, Button3Click, Button18Click, Button19Click,                \
      Button20Click, Button23Click, Button24Click, Button25Click, Button26Click, Button28Click,   \
      Button30Click, Button31Click, Button32Click, Button33Click, Button34Click, Button36Click,   \
      Button43Click, Button44Click, Button45Click, Button47Click, Button46Click, Button35Click,   \
      Button42Click, ComboBox1Change, ListBox1Click, RadioButton3Click, RadioButton4Click,        \
      Edit1Change, Edit2Change, Edit3Change, Edit4Change, Edit5Change, Edit6Change, Edit7Change,  \
      Edit8Change, Edit9Change, Edit11Change, Edit12Change, Edit13Change, Edit19Change,           \
      Edit20Change, Timer1Timer, Timer2Timer, Timer3Timer, Timer4Timer, Timer5Timer,              \
      Timer6Timer, Timer7Timer, Timer8Timer, Timer9Timer, Timer10Timer, Timer11Timer,             \
      Timer12Timer, Timer13Timer)
// clang-format on

// The shared state lives in TKestalState (app/core), so that code without windows can use it;
// every name stays a member of the main window. The other windows reach it through
// TMainWindow.
class TForm1 : public TForm, public TMainWindow {
public:
  explicit TForm1(TComponent* AOwner);
  ~TForm1() override;
  String ClassName() const override { return "TForm1"; }

  // ---- components of the description -------------------------------------------------------
  KESTAL_DECLARE_PARTS(KESTAL_UNIT1_PARTS)

  // ---- operations ----------------------------------------------------------------------------
  // Clears the result fields, the lists and the buttons that act on them; every input change
  // runs it, so nothing shown belongs to other settings.
  void ResultsInvalidate();
  // What the other windows ask of the main window (TMainWindow). Saving writes a new, empty
  // locations section when the saved ones are dropped.
  void ShowMainWindow() override { Show(); }
  void HideMainWindow() override { Hide(); }
  void PlanNeedsCalculate() override;
  void SaveSettings(bool KeepSavedLocations) override;
  void LocationChosen() override;
  void EnableSetLocation() override;
  // One tick of the tracking timer of object Code (1..12): its position now, into the windows.
  void TrackTick(int Code);
  // One tick of the clock: UTC, local time and the zone's name.
  void ClockTick();

  // ---- handlers ------------------------------------------------------------------------------
  void Button1Click(TObject* Sender);   // CALCULATE
  void Button2Click(TObject* Sender);   // EXIT
  void Button3Click(TObject* Sender);   // SAVE current set  as default
  void Button18Click(TObject* Sender);  // Next 24h PSR visibility
  void Button19Click(TObject* Sender);  // 1 Month PSR visibility
  void Button20Click(TObject* Sender);  // Above horizon / All
  void Button23Click(TObject* Sender);  // 1 Month PSR tracking
  void Button24Click(TObject* Sender);  // Next 24h PSR tracking
  void Button25Click(TObject* Sender);  // TRACK noise sources
  void Button26Click(TObject* Sender);  // SET Observation location
  void Button28Click(TObject* Sender);  // Show all PSR List
  void Button30Click(TObject* Sender);  // CALCULATE Noise Y-Factor
  void Button31Click(TObject* Sender);  // RESET Settings and EXIT
  void Button32Click(TObject* Sender);  // Culminations
  void Button33Click(TObject* Sender);  // PLAN Observation
  void Button34Click(TObject* Sender);  // Select object  to track
  void Button36Click(TObject* Sender);  // sort dialog
  void Button43Click(TObject* Sender);  // System evaluation mode
  void Button44Click(TObject* Sender);  // CALCULATE (evaluation mode)
  void Button45Click(TObject* Sender);  // EXIT (evaluation mode)
  void Button47Click(TObject* Sender);  // Pulsar mode
  void Button46Click(TObject* Sender);  // Check ATNF Catalogue version
  void Button35Click(TObject* Sender);  // Check for updates
  void Button42Click(TObject* Sender);  // Help (the manual)
  // The "i" buttons and "Rev.  History": each shows its window.
  void ShowInformation(TObject* Sender);
  void ComboBox1Change(TObject* Sender);
  void ListBox1Click(TObject* Sender);
  void RadioButton3Click(TObject* Sender);  // Dish antenna
  void RadioButton4Click(TObject* Sender);  // Other antenna
  void Edit1Change(TObject* Sender);
  void Edit2Change(TObject* Sender);
  void Edit3Change(TObject* Sender);
  void Edit4Change(TObject* Sender);
  void Edit5Change(TObject* Sender);
  void Edit6Change(TObject* Sender);
  void Edit7Change(TObject* Sender);
  void Edit8Change(TObject* Sender);
  void Edit9Change(TObject* Sender);
  void Edit11Change(TObject* Sender);
  void Edit12Change(TObject* Sender);  // also the receiver bandwidth Edit36
  void Edit13Change(TObject* Sender);
  void Edit19Change(TObject* Sender);
  void Edit20Change(TObject* Sender);
  // The twelve object timers and the clock (Timer7).
  void Timer1Timer(TObject* Sender) { TrackTick(8); }
  void Timer2Timer(TObject* Sender) { TrackTick(1); }
  void Timer3Timer(TObject* Sender) { TrackTick(2); }
  void Timer4Timer(TObject* Sender) { TrackTick(3); }
  void Timer5Timer(TObject* Sender) { TrackTick(4); }
  void Timer6Timer(TObject* Sender) { TrackTick(5); }
  void Timer7Timer(TObject* Sender) { ClockTick(); }
  void Timer8Timer(TObject* Sender) { TrackTick(6); }
  void Timer9Timer(TObject* Sender) { TrackTick(7); }
  void Timer10Timer(TObject* Sender) { TrackTick(9); }
  void Timer11Timer(TObject* Sender) { TrackTick(10); }
  void Timer12Timer(TObject* Sender) { TrackTick(11); }
  void Timer13Timer(TObject* Sender) { TrackTick(12); }

  // The input fields in the configuration's order (TConfigField): the one place that says
  // which field holds what.
  std::array<TEdit*, cfFieldCount> InputFields() const;

  // True when ATNF.csv could not be read at start-up; the program then runs reduced.
  bool CatalogueMissing() const { return FCatalogueMissing; }

private:
  void StartUp();
  void MissingCatalogue(const String& Message);
  bool ImportCatalogue();
  void ShowJulianDayAndMoonAge();
  void ReadConfiguration();
  void FirstRunDefaults();
  // The receiving system of the fields, with the frequency already read; a field that does
  // not convert raises EConvertError naming it.
  TReceiverInputs ReadReceiverInputs(double Frequency) const;
  // Stores the inputs and figures in the shared state and shows the figures. OnThresholdChange:
  // the patterns of the threshold change for the aperture and the MDS.
  void ShowFigures(const TReceiverInputs& In, const TReceiverFigures& R, bool OnThresholdChange);
  void ValidateField(TEdit* Field);
  void AntennaTypeCommon();
  void ShowInputRows(bool Dish);
  void SetIntegrationRowsVisible(bool Value);
  void ClearResultFields();
  void ClearSelectedPulsarFields();
  void SetTimers(int FromTimer, int Interval);
  void CopyBandTables();
  void PendingSort();
  void CalculatePass();
  bool InPulsarModeByLabel() const;
  TTimer* TimerNo(int N) const;
  void ShowPulsarTable(int Kind);
  String SelectedPulsarName() const;

  // What the first input field holds, so that going back to a dish brings back its diameter
  // rather than leaving the antenna gain in the field.
  enum class TFirstField { Unset, DishDiameter, AntennaGain };
  TFirstField FFirstField = TFirstField::Unset;
  String FDishDiameterText;
  // The diameter of the last CALCULATE or SAVE with a dish, for a field left empty.
  double FLastDishDiameter = 0;

  bool FCatalogueMissing = false;
  // What PulsarTable holds: the band whose table CALCULATE copied into it last, and its rows.
  int FTableBand = 0;  // a TPulsarBand, None until then
  int FTableCount = 0;
};

extern TForm1* Form1;

// Texts the main window shows.
namespace MainTexts {
inline constexpr const char* MissingCatalogue =
    "ERROR : The file ATNF.csv with Pulsars data was not found.\n\nATNF.csv file must be created "
    "again\n\nClick the button <Check ATNF Catalogue version> and follow all steps\n\nANY OTHER "
    "FUNCTION WILL CAUSE THE PROGRAM CRASH\n";
inline constexpr const char* CorruptedConfiguration =
    "Configuration file was found, but is either corrupted or obsolete.\n\n Please delete "
    "'KestalDB.txt' and restart the program \n";
inline constexpr const char* FirstRunNotice =
    "Please note that following files will be created in the installation folder to store the "
    "configuration, the history and the Pulsar Data Base:\n\nKestalDB.txt                        "
    "       Local configuration\nSunFlowNoaa.txt                          Most recent sun flow "
    "data from NOAA\nNoiseMeasurements.txt               Noise measurements data\nddmmyy.csv     "
    "                            Archive of noise measurements \nKestal_horizon.txt             "
    "        Radio horizon configuration \nATNF.csv                                        "
    "Current Pulsar Data Base\nATNFx.y.z.csv                                 Old Pulsar Data "
    "Base\nRelease.txt                                      Check for latest program "
    "release\nKestal_captured.txt                   Pulsars detected with comments\nVersionPage.txt"
    "                             ATNF version\nOLD_NoiseMeasurements.txt     OLD Noise "
    "measurements data\n\n";
inline constexpr const char* NoInternet =
    "Internet connection not available. Program functions will be limited";
inline constexpr const char* ConfirmReset = "Are you sure that you want to delete local settings ?";
inline constexpr const char* ConfirmTitle = "Pls confirm";
inline constexpr const char* DecimalSeparator = UseDecimalPointText;
inline constexpr const char* EfficiencyBound = "ERROR: The value must be <=100";
inline constexpr const char* KsBound = "ERROR: The value must be <=1";
inline constexpr const char* OutsideBands =
    "Please note the Pulsar detectability analysis is performed only for following frequency "
    "intervals \n \n390Mhz-500Mhz and 1,000Mhz - 1,500Mhz ";
inline constexpr const char* SunNoiseRange =
    "Please note that the Sun noise is only calculated in the interval 245Mhz - 15400Mhz that "
    "are the limits of NOAA RSTN \n(Radio Solar Telescope Network)";
inline constexpr const char* DiameterBound = "ERROR: The value must be >0";
inline constexpr const char* KsLowBound = DiameterBound;
// A catalogue that is there but cannot be used: the reason, then how to get a new one.
inline String CatalogueNotUsed(const String& Reason) {
  return "ERROR : The file ATNF.csv with Pulsars data could not be used.\n\n" + Reason +
         "\n\nThe program goes on without the catalogue. Click the button <Check ATNF Catalogue "
         "version> to load it again\n";
}
inline constexpr const char* BadCatalogueHeader =
    "Its second line must be the column list\n#;NAME;RAJD;DECJD;P0;DM;W50;S400;S1400;DIST;AGE;";
inline String CatalogueLineTooWide(int Line) {
  return "Its line " + std::to_string(Line) + " has more fields than the column list";
}
// "Please note that only 1200 of the 3282 pulsar lines of ATNF.csv were read ..."
inline String CatalogueRowsRead(int Read, int Lines) {
  return "Please note that only " + std::to_string(Read) + " of the " + std::to_string(Lines) +
         " pulsar lines of ATNF.csv were read: the catalogue is read up to its first empty line "
         "and up to its line 5000";
}
// A byte 26 ends every reading of a text, so the pulsars behind it are not read.
inline String CatalogueNotWhole(int Line) {
  return "Please note that ATNF.csv cannot be read whole: its line " + std::to_string(Line) +
         " holds a byte 26 (Ctrl-Z), where the reading of a text file ends, so the pulsars after "
         "it are not read. Click the button <Check ATNF Catalogue version> to load the "
         "catalogue again";
}
inline constexpr const char* PulsarMode = "Pulsar mode";
inline constexpr const char* EvaluationMode = "System evaluation mode";
}  // namespace MainTexts
