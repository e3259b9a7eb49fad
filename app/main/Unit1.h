#pragma once
// The main window: receiving-system inputs, the pulsar catalogue and its band tables,
// CALCULATE, the detectable list and the shared state every other window reads.

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
#include "StdCtrls.h"
#include "Unit1Config.h"

// Ends the process with Code. The program's EXIT, RESET and the refusal of a corrupted
// configuration go through here; tests replace it with one that throws, so that "the program
// ends" can be observed without ending the test program.
extern std::function<void(int Code)> ProgramExit;

// The shared state lives in TKestalState (app/core), so that code without windows can use it;
// every name stays a member of the main window. The other windows reach it through
// TMainWindow.
class TForm1 : public TForm, public TMainWindow {
public:
  explicit TForm1(TComponent* AOwner);
  ~TForm1() override;
  String ClassName() const override { return "TForm1"; }

  // ---- components of the description -------------------------------------------------------
  TButton *Button1 = nullptr, *Button2 = nullptr, *Button3 = nullptr, *Button4 = nullptr,
          *Button5 = nullptr, *Button6 = nullptr, *Button7 = nullptr, *Button8 = nullptr,
          *Button9 = nullptr, *Button10 = nullptr, *Button11 = nullptr, *Button12 = nullptr,
          *Button13 = nullptr, *Button14 = nullptr, *Button15 = nullptr, *Button16 = nullptr,
          *Button17 = nullptr, *Button18 = nullptr, *Button19 = nullptr, *Button20 = nullptr,
          *Button21 = nullptr, *Button22 = nullptr, *Button23 = nullptr, *Button24 = nullptr,
          *Button25 = nullptr, *Button26 = nullptr, *Button27 = nullptr, *Button28 = nullptr,
          *Button29 = nullptr, *Button30 = nullptr, *Button31 = nullptr, *Button32 = nullptr,
          *Button33 = nullptr, *Button34 = nullptr, *Button35 = nullptr, *Button36 = nullptr,
          *Button37 = nullptr, *Button38 = nullptr, *Button39 = nullptr, *Button40 = nullptr,
          *Button41 = nullptr, *Button42 = nullptr, *Button43 = nullptr, *Button44 = nullptr,
          *Button45 = nullptr, *Button46 = nullptr, *Button47 = nullptr;
  TEdit *Edit1 = nullptr, *Edit2 = nullptr, *Edit3 = nullptr, *Edit4 = nullptr, *Edit5 = nullptr,
        *Edit6 = nullptr, *Edit7 = nullptr, *Edit8 = nullptr, *Edit9 = nullptr, *Edit10 = nullptr,
        *Edit11 = nullptr, *Edit12 = nullptr, *Edit13 = nullptr, *Edit14 = nullptr,
        *Edit15 = nullptr, *Edit16 = nullptr, *Edit17 = nullptr, *Edit18 = nullptr,
        *Edit19 = nullptr, *Edit20 = nullptr, *Edit21 = nullptr, *Edit22 = nullptr,
        *Edit23 = nullptr, *Edit24 = nullptr, *Edit25 = nullptr, *Edit26 = nullptr,
        *Edit27 = nullptr, *Edit28 = nullptr, *Edit29 = nullptr, *Edit30 = nullptr,
        *Edit31 = nullptr, *Edit32 = nullptr, *Edit33 = nullptr, *Edit34 = nullptr,
        *Edit35 = nullptr, *Edit36 = nullptr, *Edit39 = nullptr, *Edit40 = nullptr,
        *Edit44 = nullptr, *Edit45 = nullptr;
  TLabel *Label1 = nullptr, *Label2 = nullptr, *Label3 = nullptr, *Label4 = nullptr,
         *Label5 = nullptr, *Label6 = nullptr, *Label7 = nullptr, *Label8 = nullptr,
         *Label9 = nullptr, *Label10 = nullptr, *Label11 = nullptr, *Label12 = nullptr,
         *Label13 = nullptr, *Label14 = nullptr, *Label15 = nullptr, *Label16 = nullptr,
         *Label17 = nullptr, *Label18 = nullptr, *Label19 = nullptr, *Label20 = nullptr,
         *Label21 = nullptr, *Label22 = nullptr, *Label23 = nullptr, *Label24 = nullptr,
         *Label25 = nullptr, *Label26 = nullptr, *Label27 = nullptr, *Label28 = nullptr,
         *Label29 = nullptr, *Label30 = nullptr, *Label31 = nullptr, *Label32 = nullptr,
         *Label33 = nullptr, *Label34 = nullptr, *Label35 = nullptr, *Label36 = nullptr,
         *Label37 = nullptr, *Label38 = nullptr, *Label39 = nullptr, *Label48 = nullptr,
         *Label49 = nullptr, *Label50 = nullptr, *Label51 = nullptr, *Label58 = nullptr,
         *Label72 = nullptr, *Label85 = nullptr, *Label65 = nullptr, *Label68 = nullptr,
         *Label70 = nullptr, *Label86 = nullptr, *Label93 = nullptr, *Label94 = nullptr,
         *Label95 = nullptr, *Label101 = nullptr, *Label102 = nullptr, *Label103 = nullptr,
         *Label104 = nullptr, *Label105 = nullptr, *Label110 = nullptr;
  TRadioButton *RadioButton3 = nullptr, *RadioButton4 = nullptr;
  TBevel *Bevel1 = nullptr, *Bevel2 = nullptr;
  TListBox* ListBox1 = nullptr;
  TComboBox* ComboBox1 = nullptr;
  TTimer *Timer1 = nullptr, *Timer2 = nullptr, *Timer3 = nullptr, *Timer4 = nullptr,
         *Timer5 = nullptr, *Timer6 = nullptr, *Timer7 = nullptr, *Timer8 = nullptr,
         *Timer9 = nullptr, *Timer10 = nullptr, *Timer11 = nullptr, *Timer12 = nullptr,
         *Timer13 = nullptr;
  TDataTable* DB_Base = nullptr;
  TMatrix* Matrix_DB_400Mhz = nullptr;
  TMatrix* Matrix_DB_1400Mhz = nullptr;
  THTTPClient* H1 = nullptr;
  THTTPClient* IdHTTP1 = nullptr;

  // ---- operations ----------------------------------------------------------------------------
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

  // True when ATNF.csv could not be read at start-up; the program then runs reduced.
  bool CatalogueMissing() const { return FCatalogueMissing; }

private:
  void StartUp();
  void MissingCatalogue(const String& Message);
  bool ImportCatalogue();
  void ShowJulianDayAndMoonAge();
  void ReadConfiguration();
  void FirstRunDefaults();
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
inline constexpr const char* PulsarMode = "Pulsar mode";
inline constexpr const char* EvaluationMode = "System evaluation mode";
}  // namespace MainTexts
