#include "Unit1.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <new>

#include "Astral.h"
#include "BandTable.h"
#include "CRT.h"
#include "CatalogueUpdate.h"
#include "InformationWindows.h"
#include "ProgramUpdate.h"
#include "Dialogs.h"
#include "Grids.h"
#include "InputNumbers.h"
#include "InternetProbe.h"
#include "MoonAge.h"
#include "NetConfig.h"
#include "Planning.h"
#include "DefaultSystem.h"
#include "ReceiverFigures.h"
#include "SysUtils.h"
#include "TextFile.h"
#include "TimeBase.h"
#include "Unit1Catalogue.h"
#include "Unit13.h"
#include "Unit2.h"
#include "Unit30.h"
#include "Unit34.h"
#include "Unit35.h"
#include "Unit36.h"
#include "Unit38.h"
#include "Unit39.h"
#include "Unit4.h"
#include "Unit42.h"
#include "Unit47.h"

TForm1* Form1 = nullptr;

std::function<void(int Code)> ProgramExit = [](int Code) { std::exit(Code); };

namespace {

constexpr int NameBlock = 5000;  // names per block of the name store

bool CanOpenForReading(const char* FileName) {
  std::ifstream in(FileName, std::ios::binary);
  return static_cast<bool>(in);
}

// The captions of the input fields' rows, in the configuration's order (TConfigField); the
// first row's depends on the antenna.
constexpr std::array<const char*, cfFieldCount> InputCaptions = {
    "Dish diameter",         "Dish efficiency",  "Sensitivity constant Ks", "Frequency",
    "LNA noise figure",      "LNA gain",         "Line loss before LNA",    "Line loss after LNA",
    "Receiver noise figure", "Integration time", "Integration bandwidth",   "T sky",
    "T spillover",           "T atmosphere"};

// The name of an input field in messages: the caption of its row.
String FieldName(const TEdit* Field) {
  const auto* form = dynamic_cast<const TForm1*>(Field->Owner());
  if (form == nullptr) return Field->Name();
  if (Field == form->Edit36) return "Receiver bandwidth";
  const std::array<TEdit*, cfFieldCount> fields = form->InputFields();
  const auto at = std::find(fields.begin(), fields.end(), Field);
  if (at == fields.end()) return Field->Name();
  if (at == fields.begin() && form->RadioButton4->Checked()) return "Antenna gain";
  return InputCaptions[static_cast<size_t>(at - fields.begin())];
}

// The values a field may hold; its check resets a value outside them.
TNumberRange FieldRange(const TEdit* Field) {
  const auto* form = dynamic_cast<const TForm1*>(Field->Owner());
  if (form == nullptr) return AnyFiniteNumber;
  if (Field == form->Edit1 && !form->RadioButton4->Checked()) return PositiveNumber;
  if (Field == form->Edit2) return {AnyFiniteNumber.Low, 100};
  if (Field == form->Edit3) return {AnyFiniteNumber.Low, 1};
  return AnyFiniteNumber;
}

// The field's number for CALCULATE and SAVE; a text the field's check refuses raises
// EConvertError naming the field.
double FieldValue(const TEdit* Field) {
  return NumberFromText(Field->Text(), FieldName(Field), FieldRange(Field));
}

void ShowControls(std::initializer_list<TControl*> Controls, bool Value) {
  for (TControl* c : Controls) c->SetVisible(Value);
}

void EnableControls(std::initializer_list<TControl*> Controls, bool Value) {
  for (TControl* c : Controls) c->SetEnabled(Value);
}

void Clear(std::initializer_list<TEdit*> Fields) {
  for (TEdit* e : Fields) e->SetText("");
}

}  // namespace

TForm1::TForm1(TComponent* AOwner) : TForm(AOwner) {
  for (const char* name : InformationButtons)
    Handler(String(name) + "Click", &TForm1::ShowInformation);

  KESTAL_LOAD_PARTS("Unit1", KESTAL_UNIT1_PARTS);

  StartUp();
  MainWindow = this;
}

TForm1::~TForm1() {
  if (MainWindow == this) MainWindow = nullptr;
}

void TForm1::PlanNeedsCalculate() {
  Button33->SetEnabled(false);
  Button28->SetEnabled(false);
}

void TForm1::EnableSetLocation() { Button26->SetEnabled(true); }

// ---- start-up --------------------------------------------------------------------------------

void TForm1::StartUp() {
  // Layout of "Pulsar mode".
  Button30->SetBounds(610, 135, 219, 25);
  Button1->SetBounds(402, 104, 177, 55);
  ShowControls({Label101, Edit36, Label102}, false);
  Label103->SetCaption(MainTexts::PulsarMode);
  Button43->SetEnabled(true);
  Button47->SetEnabled(false);

  NotCalculatedYet = true;

  InternetAvailable = InternetCheckConnection();
  EnableControls({Button35, Button46}, InternetAvailable);
  if (!InternetAvailable) Label110->SetCaption(MainTexts::NoInternet);

  // The noise database once had a misspelt name; carry an old one over, leaving it in place.
  if (!CanOpenForReading("NoiseMeasurements.txt") && CanOpenForReading("NoiseMeasurents.txt"))
    CopyFileBytes("NoiseMeasurents.txt", "NoiseMeasurements.txt");

  if (!CanOpenForReading(CatalogueFileName)) {
    MissingCatalogue(MainTexts::MissingCatalogue);
    return;
  }
  if (!ImportCatalogue()) return;

  ComboBox1->Items()->Clear();
  for (const char* item : {"> 6", "> 8", "> 10", "> 15", "> 30"}) ComboBox1->Items()->Add(item);
  ComboBox1->SetItemIndex(2);
  MinimumSN = 10;

  Button33->SetCaption("PLAN Observation");
  Button33->SetEnabled(false);
  Button28->SetCaption("Show all PSR List");
  Button28->SetEnabled(false);
  Button20->SetCaption("Above horizon");
  Button20->SetEnabled(false);
  HorizonFilterOn = true;

  // "." is the decimal separator of every conversion from the run-time's start on, so the
  // catalogue above was already read with it, whatever the user's locale.

  // No time the program computes depends on TZ: local times come from the zone the run-time
  // captured before this.
  crt::putenv("TZ=UTC");

  ShowControls({Label65, Label68, Label70, Label58}, false);

  ResultsInvalidate();

  EnableControls({Edit15, Edit16, Edit14, Edit18, Edit10, Edit27, Edit21, Edit22,
                  Edit17, Edit44, Edit45, Edit24, Edit23, Edit25, Edit29, Edit30,
                  Edit31, Edit32, Edit33, Edit26, Edit28, Edit39, Edit40},
                 false);
  ComboBox1->SetEnabled(false);
  Button36->SetCaption("Sorted by S/N ");
  EnableControls({Button1, Button3, ListBox1}, false);
  for (TTimer* t : {Timer1, Timer2, Timer7}) t->SetInterval(0);

  ShowControls(
      {Label1,  Label2,   Label3,   Label4,   Label5,   Label6,  Label7,  Label8,  Label9,  Label10,
       Label11, Label12,  Label13,  Label14,  Label15,  Label16, Label17, Label18, Label19, Label20,
       Label21, Label22,  Label23,  Label24,  Label25,  Label26, Label27, Edit1,   Edit2,   Edit3,
       Edit4,   Edit5,    Edit6,    Edit7,    Edit8,    Edit9,   Edit11,  Edit12,  Edit13,  Edit19,
       Edit20,  Button17, Button12, Button11, Button13, Bevel1},
      false);

  ShowJulianDayAndMoonAge();

  const bool firstRun = !CanOpenForReading(ConfigFileName);
  ReadConfiguration();

  if (firstRun || StoredModeCode == "D" || StoredModeCode == "DP" || StoredModeCode == "O" ||
      StoredModeCode == "OP")
    Button47Click(this);
  else
    Button43Click(this);
}

void TForm1::MissingCatalogue(const String& Message) {
  FCatalogueMissing = true;
  SetTimers(1, 0);
  Show();
  ShowControls({Button44, Button45}, false);
  ShowMessage(Message);
  EnableControls(
      {Button43, Button26, Button3,  Button1,   Button18, Button19,     Button23,    Button24,
       Button25, Button30, Button4,  Button42,  Button31, Button35,     Button36,    Button20,
       Button28, Button33, Button34, ComboBox1, Button32, RadioButton3, RadioButton4},
      false);
}

// A catalogue that cannot be used (unreadable, a wrong header, a line wider than the header)
// is refused before the import, and the program goes on as without one. The reading takes the
// lines up to where the catalogue ends, whatever follows them.
bool TForm1::ImportCatalogue() {
  TCatalogueReading reading;
  try {
    ReadCatalogueFile(CatalogueFileName, reading, *DB_Base, *Matrix_DB_400Mhz, *Matrix_DB_1400Mhz);
  } catch (const EInOutError& e) {
    MissingCatalogue(MainTexts::CatalogueNotUsed(e.what()));
    return false;
  } catch (const std::bad_alloc&) {
    MissingCatalogue(MainTexts::CatalogueNotUsed(String("Cannot read ") + CatalogueFileName +
                                                  ": there is not enough memory for it"));
    return false;
  }
  if (!reading.HeaderValid) {
    MissingCatalogue(MainTexts::CatalogueNotUsed(MainTexts::BadCatalogueHeader));
    return false;
  }
  if (reading.TooWideLine != 0) {
    MissingCatalogue(
        MainTexts::CatalogueNotUsed(MainTexts::CatalogueLineTooWide(reading.TooWideLine)));
    return false;
  }
  CatalogueVersion = reading.Version;
  Label94->SetCaption(CatalogueVersion);

  const TBandTableResult& bands = reading.Bands;
  Count400 = bands.Count400;
  Count1400 = bands.Count1400;
  for (int j = 0; j < Count400; ++j) PulsarNames[NameBlock * 1 + j] = bands.Names400[j];
  for (int j = 0; j < Count1400; ++j) PulsarNames[NameBlock * 4 + j] = bands.Names1400[j];
  Label93->SetCaption(IntToStr(Count400));
  Label95->SetCaption(IntToStr(Count1400));
  if (reading.ByteTwentySixLine != 0)
    ShowMessage(MainTexts::CatalogueNotWhole(reading.ByteTwentySixLine));
  else if (bands.RowsRead != bands.PulsarLines)
    ShowMessage(MainTexts::CatalogueRowsRead(bands.RowsRead, bands.PulsarLines));
  return true;
}

void TForm1::ShowJulianDayAndMoonAge() {
  Word year, month, day;
  DecodeDate(Now(), year, month, day);
  const float jd = JulianDayOfDate(year, month, day);
  Label104->SetCaption(FloatToStr(jd));
  MoonAge = MoonAgeDays(jd);
  Label105->SetCaption(FormatFloat("#.##", MoonAge));
}

void TForm1::ReadConfiguration() {
  TKestalConfig config;
  const TConfigReadResult result = ReadConfigFile(ConfigFileName, config);
  if (result == TConfigReadResult::Missing) {
    FirstRunDefaults();
    return;
  }
  if (result == TConfigReadResult::WrongHeader) {
    SetTimers(1, 0);
    ShowMessage(MainTexts::CorruptedConfiguration);
    ProgramExit(0);
    return;
  }

  EnableControls({Button3, Button1}, true);
  Button25->SetEnabled(false);
  EnableControls({RadioButton3, RadioButton4}, true);

  Location = config.Location;
  Label65->SetCaption(Location.Name);
  Label70->SetCaption(FormatFloat("00.0000", Location.Latitude));
  Label68->SetCaption(FormatFloat("00.0000", Location.Longitude));

  StoredModeCode = config.ModeCode;
  const bool dish = ModeCodeIsDish(StoredModeCode);
  TRadioButton* antenna = dish ? RadioButton3 : RadioButton4;
  if (antenna->Checked())
    dish ? RadioButton3Click(antenna) : RadioButton4Click(antenna);
  else
    antenna->SetChecked(true);

  const std::array<TEdit*, cfFieldCount> fields = InputFields();
  for (int i = 0; i < cfFieldCount; ++i) fields[i]->SetText(config.Fields[i]);
  fields[cfAtmosphereTemperature]->SetText("0");
  Edit36->SetText(config.ReceiverBandwidth);

  ShowInputRows(dish);
  EnableControls({Button3, Button1}, true);
  Button25->SetEnabled(false);
  ShowControls({Button44, Button45}, false);
  ShowControls({Label65, Label68, Label70, Label58}, true);
  SetTimers(2, 1000);
  ListBox1->SetEnabled(true);
}

void TForm1::FirstRunDefaults() {
  SetTimers(1, 0);
  ShowMessage(MainTexts::FirstRunNotice);

  const std::array<TEdit*, cfFieldCount> fields = InputFields();
  for (int i = 0; i < cfFieldCount; ++i) fields[i]->SetText(DefaultFieldTexts[i]);
  Edit36->SetText(DefaultReceiverBandwidthText);
  Receiver.ReceiverBandwidthHz = DefaultReceiverBandwidthHz;

  // Until the user sets a place: 45 N, 10 E.
  Location = TLocationRecord{.Name = "Default",
                             .Latitude = 45,
                             .Longitude = 10,
                             .LatitudeDeg = 45,
                             .NorthSouth = "N",
                             .LongitudeDeg = 10,
                             .EastWest = "E",
                             .Locator = "JN55AA00"};

  EnableControls({Button26, Button3, Button25, Button1}, false);
  SetTimers(2, 1000);
  PulsarModeOn = true;
  EvaluationModeOn = false;
  ShowControls({Button44, Button45}, false);
}

// ---- results -----------------------------------------------------------------------------------

void TForm1::ResultsInvalidate() {
  EnableControls({Button18, Button19, Button23, Button24, Button32, Button34, Button36, Button20,
                  Button28, Button33, Button30},
                 false);
  ClearSelectedPulsarFields();
  ClearResultFields();
  if (!NotCalculatedYet) {
    if (Form35 != nullptr) Form35->Close();
    if (Form36 != nullptr) Form36->Close();
  }
  ListBox1->Clear();
  SortState = 1;
}

void TForm1::ClearResultFields() {
  Clear({Edit15, Edit16, Edit14, Edit18, Edit10, Edit27, Edit21, Edit22, Edit34, Edit35, Edit17});
}

void TForm1::ClearSelectedPulsarFields() {
  Clear({Edit44, Edit45, Edit24, Edit23, Edit25, Edit29, Edit30, Edit31, Edit32, Edit33, Edit26,
         Edit28, Edit39, Edit40});
}

TTimer* TForm1::TimerNo(int N) const {
  TTimer* const timers[] = {Timer1, Timer2, Timer3,  Timer4,  Timer5,  Timer6, Timer7,
                            Timer8, Timer9, Timer10, Timer11, Timer12, Timer13};
  return timers[N - 1];
}

void TForm1::SetTimers(int FromTimer, int Interval) {
  for (int n = FromTimer; n <= 13; ++n) TimerNo(n)->SetInterval(Interval);
}

// ---- ending ------------------------------------------------------------------------------------

void TForm1::Button2Click(TObject* Sender) {
  Close();
  ProgramExit(0);
}

void TForm1::Button46Click(TObject* Sender) {
  if (CatalogueUpdate::CheckAndUpdate(*IdHTTP1, *Button46, CatalogueVersion)) {
    Close();
    ProgramExit(0);
  }
}

void TForm1::Button35Click(TObject* Sender) { ProgramUpdate::CheckForUpdate(*H1); }

void TForm1::Button42Click(TObject* Sender) { ProgramUpdate::OpenManual(); }

void TForm1::ShowInformation(TObject* Sender) {
  if (TForm* window = InformationWindowOf(Sender)) window->Show();
}

void TForm1::Button31Click(TObject* Sender) {
  if (MessageBox(MainTexts::ConfirmReset, MainTexts::ConfirmTitle, MB_YESNO | MB_DEFBUTTON2) !=
      IDYES)
    return;
  Close();
  for (const char* file : {"KestalDB.txt", "SunFlowNoaa.txt", "Kestal_horizon.txt",
                           "Kestal_captured.txt", "Release.txt", "VersionPage.txt"})
    std::remove(file);
  ProgramExit(0);
}

// ---- configuration ----------------------------------------------------------------------------

void TForm1::Button3Click(TObject* Sender) { SaveSettings(true); }

void TForm1::SaveSettings(bool KeepSavedLocations) {
  // Without the catalogue the members were never read from the configuration: saving them
  // would replace the user's settings with empty ones.
  if (FCatalogueMissing) return;

  const std::vector<String> locations =
      KeepSavedLocations ? ReadSavedLocationLines(ConfigFileName) : std::vector<String>{};

  // Everything is converted before the file is touched, so a bad field leaves it as it was.
  // The order decides which field a refusal names when several are wrong.
  std::array<double, cfFieldCount> numbers{};
  const std::array<TEdit*, cfFieldCount> fields = InputFields();
  for (int i : {cfFrequency, cfLnaNoiseFigure, cfLnaGain, cfLossBeforeLna, cfLossAfterLna,
                cfReceiverNoiseFigure, cfIntegrationTime, cfIntegrationBandwidth, cfSkyTemperature,
                cfSpilloverTemperature, cfAtmosphereTemperature, cfEfficiency, cfKs})
    numbers[i] = FieldValue(fields[i]);
  const double receiverBandwidth = FieldValue(Edit36);
  numbers[cfFirstInput] = FieldValue(fields[cfFirstInput]);

  const bool dish = !RadioButton4->Checked();
  Receiver = ReceiverInputsOf(numbers, dish);
  Receiver.ReceiverBandwidthHz = receiverBandwidth;
  // For an other antenna the typed gain is the gain in use.
  if (dish)
    FLastDishDiameter = Receiver.DishDiameter;
  else
    Figures.AntennaGain = Receiver.AntennaGain;

  TKestalConfig config;
  config.Location = Location;
  config.ModeCode = ModeCodeOf(dish, PulsarModeOn);
  const String text = ComposeConfigText(config, numbers, receiverBandwidth, locations);

  if (!WriteFileReplacing(ConfigFileName, text))
    throw EInOutError(String("Cannot write ") + ConfigFileName);

  Button26->SetEnabled(true);
}

// ---- input fields and antenna type --------------------------------------------------------------

void TForm1::ValidateField(TEdit* Field) {
  double value = 0;
  const TNumberCheck check = CheckNumberText(Field->Text(), value);
  if (check == TNumberCheck::NotANumber || check == TNumberCheck::NotFinite) {
    ShowMessage(check == TNumberCheck::NotANumber
                    ? String(MainTexts::DecimalSeparator)
                    : "ERROR: " + NumberTextMessage(check, Field->Text(), FieldName(Field)));
    Button3->SetEnabled(false);
    return;
  }
  if (!FCatalogueMissing) Button3->SetEnabled(true);
  ResultsInvalidate();
  if (Field == Edit2 && value > 100) {
    Edit2->SetText("69");
    ShowMessage(MainTexts::EfficiencyBound);
  } else if (Field == Edit3 && value > 1) {
    Edit3->SetText("1");
    ShowMessage(MainTexts::KsBound);
  } else if (Field == Edit3 && value <= 0) {
    // A sensitivity constant of 0 or below makes every pulsar detectable.
    Edit3->SetText("1");
    ShowMessage(MainTexts::KsLowBound);
  } else if (Field == Edit1 && !RadioButton4->Checked() && value <= 0) {
    Edit1->SetText("5");
    ShowMessage(MainTexts::DiameterBound);
  }
}

void TForm1::Edit1Change(TObject* Sender) { ValidateField(Edit1); }
void TForm1::Edit2Change(TObject* Sender) { ValidateField(Edit2); }
void TForm1::Edit3Change(TObject* Sender) { ValidateField(Edit3); }
void TForm1::Edit4Change(TObject* Sender) { ValidateField(Edit4); }
void TForm1::Edit5Change(TObject* Sender) { ValidateField(Edit5); }
void TForm1::Edit6Change(TObject* Sender) { ValidateField(Edit6); }
void TForm1::Edit7Change(TObject* Sender) { ValidateField(Edit7); }
void TForm1::Edit8Change(TObject* Sender) { ValidateField(Edit8); }
void TForm1::Edit9Change(TObject* Sender) { ValidateField(Edit9); }
void TForm1::Edit11Change(TObject* Sender) { ValidateField(Edit11); }
// Shared by the integration bandwidth and the receiver bandwidth: check the field that changed.
void TForm1::Edit12Change(TObject* Sender) {
  auto* field = dynamic_cast<TEdit*>(Sender);
  ValidateField(field != nullptr ? field : Edit12);
}
void TForm1::Edit13Change(TObject* Sender) { ValidateField(Edit13); }
void TForm1::Edit19Change(TObject* Sender) { ValidateField(Edit19); }
void TForm1::Edit20Change(TObject* Sender) { ValidateField(Edit20); }

void TForm1::SetIntegrationRowsVisible(bool Value) {
  ShowControls({Label24, Edit11, Label25, Label26, Edit12, Label27}, Value);
}

void TForm1::ShowInputRows(bool Dish) {
  ShowControls({Label1,  Edit1,    Label2,  Label6,  Edit4,   Label7,   Label8,   Edit5,   Label9,
                Label10, Edit6,    Label11, Label12, Edit7,   Label13,  Label14,  Edit8,   Label15,
                Label16, Edit9,    Label17, Label18, Edit13,  Label19,  Button12, Label20, Edit19,
                Label21, Button11, Label22, Edit20,  Label23, Button13, Bevel1},
               true);
  // The efficiency and Ks rows belong to a dish only.
  ShowControls({Label3, Edit2, Label4, Label5, Edit3, Button17}, Dish);
  SetIntegrationRowsVisible(PulsarModeOn);
}

void TForm1::AntennaTypeCommon() {
  if (!FCatalogueMissing) Button3->SetEnabled(true);
  Button25->SetEnabled(false);
  Button1->SetEnabled(true);
  ListBox1->Clear();
  ClearResultFields();
  ClearSelectedPulsarFields();
  Button26->SetEnabled(true);
}

void TForm1::RadioButton3Click(TObject* Sender) {
  AntennaTypeCommon();
  if (FFirstField == TFirstField::AntennaGain) {
    // Back from another antenna: the field holds its gain, which must not pass for a diameter.
    Edit1->SetText(!FDishDiameterText.empty() ? FDishDiameterText
                   : FLastDishDiameter > 0    ? ConfigNumberText(FLastDishDiameter)
                                              : String("5"));
  }
  FFirstField = TFirstField::DishDiameter;
  Label1->SetCaption("Dish diameter");
  Label2->SetCaption("m");
  ShowControls({Label32, Edit14, Label33, Label39, Edit18, Label34, Button7, Label35, Edit10,
                Label36, Button8, Label37, Edit27, Label38, Button29},
               true);
  Label28->SetTop(183);
  Edit15->SetTop(180);
  Label29->SetTop(183);
  Label30->SetTop(209);
  Edit16->SetTop(206);
  Label31->SetTop(209);
  Button5->SetTop(206);
  Label1->SetTop(221);
  Edit1->SetTop(218);
  Label2->SetTop(221);
  ShowInputRows(true);
}

void TForm1::RadioButton4Click(TObject* Sender) {
  if (FFirstField == TFirstField::DishDiameter) FDishDiameterText = Edit1->Text();
  FFirstField = TFirstField::AntennaGain;
  AntennaTypeCommon();
  Label1->SetCaption("Antenna gain");
  Label2->SetCaption("dBi");
  Label1->SetTop(248);
  Edit1->SetTop(245);
  Label2->SetTop(248);
  ShowControls({Label32, Edit14, Label33, Label39, Edit18, Label34, Button7, Label35, Edit10,
                Label36, Button8, Label37, Edit27, Label38, Button29},
               false);
  Label28->SetTop(290);
  Edit15->SetTop(287);
  Label29->SetTop(290);
  Label30->SetTop(317);
  Edit16->SetTop(314);
  Label31->SetTop(317);
  Button5->SetTop(314);
  ShowInputRows(false);
  if (Figures.AntennaGain == 0) Figures.AntennaGain = 30;
  Edit1->SetText(FormatFloat("0.00", Figures.AntennaGain));
  ComboBox1->SetEnabled(false);
}

// ---- modes ---------------------------------------------------------------------------------

// A mode switch keeps the results and the list: CALCULATE tests the mode anew each time, and
// the lists read only the rows of the table it filled (FTableBand, FTableCount).
void TForm1::Button47Click(TObject* Sender) {
  PulsarModeOn = true;
  EvaluationModeOn = false;
  Label103->SetCaption(MainTexts::PulsarMode);
  Button43->SetEnabled(true);
  Button47->SetEnabled(false);
  SetWidth(1157);
  Button1->SetBounds(402, 104, 177, 55);
  Button30->SetBounds(610, 135, 219, 25);
  Button30->SetEnabled(false);
  Button3->SetBounds(220, 104, 176, 25);
  ShowControls({Label86, Label58, Label48, Edit17, Label49, Button6, Button26}, true);
  // Before an antenna type is chosen the input side stays empty.
  SetIntegrationRowsVisible(RadioButton3->Checked() || RadioButton4->Checked());
  ShowControls({Label101, Edit36, Label102, Button44, Button45}, false);
  Label50->SetLeft(317);
  Bevel2->SetLeft(311);
}

void TForm1::Button43Click(TObject* Sender) {
  PulsarModeOn = false;
  EvaluationModeOn = true;
  Label103->SetCaption(MainTexts::EvaluationMode);
  Button43->SetEnabled(false);
  Button47->SetEnabled(true);
  SetWidth(600);
  Button1->SetBounds(610, 135, 219, 25);
  Button30->SetBounds(220, 104, 359, 55);
  Button30->SetEnabled(false);
  Button3->SetBounds(20, 536, 260, 24);  // below the input frame
  Button44->SetHeight(25);
  Button44->SetTop(550);
  ShowControls({Button44, Button45}, true);
  ShowControls({Label101, Edit36, Label102}, RadioButton3->Checked() || RadioButton4->Checked());
  ShowControls({Label86, Label58, Label48, Edit17, Label49, Button6, Button26}, false);
  SetIntegrationRowsVisible(false);
  Label50->SetLeft(600);
  Bevel2->SetLeft(600);
}

void TForm1::Button44Click(TObject* Sender) { Button1Click(Sender); }
void TForm1::Button45Click(TObject* Sender) { Button2Click(Sender); }

// ---- CALCULATE ---------------------------------------------------------------------------------

bool TForm1::InPulsarModeByLabel() const { return Label103->Caption() == MainTexts::PulsarMode; }

std::array<TEdit*, cfFieldCount> TForm1::InputFields() const {
  return {Edit1, Edit2, Edit3,  Edit4,  Edit5,  Edit6,  Edit7,
          Edit8, Edit9, Edit11, Edit12, Edit13, Edit19, Edit20};
}

TReceiverInputs TForm1::ReadReceiverInputs(double Frequency) const {
  const bool dish = !RadioButton4->Checked();
  const std::array<TEdit*, cfFieldCount> fields = InputFields();
  std::array<double, cfFieldCount> values{};
  for (int i = 0; i < cfFieldCount; ++i) {
    // The efficiency and Ks rows are hidden for an other antenna: what they hold is not read.
    if (i == cfFrequency || (!dish && (i == cfEfficiency || i == cfKs))) continue;
    values[i] = FieldValue(fields[i]);
  }
  values[cfFrequency] = Frequency;
  TReceiverInputs in = ReceiverInputsOf(values, dish);
  in.NoiseFloorOnIntegrationBandwidth = PulsarModeOn;
  if (!PulsarModeOn) in.ReceiverBandwidthHz = FieldValue(Edit36);
  return in;
}

void TForm1::ShowFigures(const TReceiverInputs& In, const TReceiverFigures& R,
                         bool OnThresholdChange) {
  Receiver = In;
  Figures = R;
  if (In.DishAntenna) FLastDishDiameter = In.DishDiameter;

  Edit15->SetText(FormatFloat(FigurePattern::Wavelength, R.Wavelength));
  if (In.DishAntenna) {
    Edit14->SetText(FormatFloat(FigurePattern::DishArea, R.DishArea));
    Edit10->SetText(FormatFloat(FigurePattern::AntennaGain, R.AntennaGain));
    Edit16->SetText(FormatFloat(
        OnThresholdChange ? FigurePattern::ApertureOnThresholdChange : FigurePattern::ApertureDish,
        R.EffectiveAperture));
    Edit27->SetText(FormatFloat(FigurePattern::Hpbw, R.Hpbw));
    Label34->SetCaption(R.FarFieldUnit);
    Edit18->SetText(FormatFloat(FigurePattern::FarField, R.FarFieldShown));
  } else {
    Edit16->SetText(FormatFloat(FigurePattern::ApertureOther, R.EffectiveAperture));
  }
  Edit21->SetText(FormatFloat(FigurePattern::Tsys, R.Tsys));
  Edit22->SetText(FormatFloat(FigurePattern::SystemNoiseFigure, R.SystemNoiseFigure));
  Edit34->SetText(FormatFloat(FigurePattern::GOverT, R.GOverT));
  Edit35->SetText(FormatFloat(FigurePattern::NoiseFloor, R.NoiseFloor));
  Edit17->SetText(
      FormatFloat(OnThresholdChange ? FigurePattern::MdsOnThresholdChange : FigurePattern::Mds,
                  R.MinimumDetectableSignal));
}

void TForm1::Button1Click(TObject* Sender) {
  NotCalculatedYet = false;
  const double f = FieldValue(Edit4);
  if (InPulsarModeByLabel() && OutsidePulsarBands(f)) {
    ShowMessage(MainTexts::OutsideBands);
    EnableControls({Button33, Button30}, false);
    return;
  }
  // Inputs that leave a figure or a pulsar's S/N undefined (a zero diameter, bandwidth or
  // time, a huge dish or time, ...) would put infinities into the list and the stored S/N
  // values; refuse them before anything changes.
  const TReceiverInputs in = ReadReceiverInputs(f);
  const TReceiverFigures figures = ComputeReceiverFigures(in);
  const TPulsarBand band = BandOfFrequency(f);
  const bool bandSNFinite =
      band == TPulsarBand::None ||
      ExpectedSNAllFinite(band == TPulsarBand::Band400 ? *Matrix_DB_400Mhz : *Matrix_DB_1400Mhz,
                          band == TPulsarBand::Band400 ? Count400 : Count1400,
                          FluxColumnOfBand(band), in, figures);
  if (!figures.AllFinite() || !bandSNFinite) {
    ShowMessage(UndefinedFiguresMessage);
    return;
  }
  // Two passes: a pending sort in the first reorders the band tables after they were copied;
  // the second copies the sorted tables, so the list and the figures follow the new order.
  for (int pass = 0; pass < 2; ++pass) CalculatePass();
}

void TForm1::CopyBandTables() {
  auto copy = [](const TMatrix& m, TWorkingTable& to) {
    const int rows = std::min<int>(m.NrOfRows(), static_cast<int>(to.size()) / BandColumnCount);
    const int cols = std::min<int>(m.NrOfColumns(), BandColumnCount);
    to.fill(0.0);
    for (int c = 1; c <= cols; ++c) {
      const double* column = m.ColumnPtr(c);
      for (int r = 0; r < rows; ++r)
        to[static_cast<size_t>(BandColumnCount * r + c - 1)] = column[r];
    }
  };
  copy(*Matrix_DB_400Mhz, PulsarTable400);
  copy(*Matrix_DB_1400Mhz, PulsarTable1400);
}

void TForm1::PendingSort() {
  if (!Form42->RadioButton8->Checked()) Form42->RadioButton8->SetChecked(true);
  // The RAJD choice runs with its own nested CALCULATE: it stores the expected S/N of every
  // row (the column holds -1 until a CALCULATE in the band), which the sort below orders by.
  Form42->RadioButton1Click(Form42);
  SortBandTables(bcExpectedSN, false, "Sorted by S/N ");
  Button1Click(this);
}

void TForm1::CalculatePass() {
  CopyBandTables();
  if (SortState == 1) PendingSort();

  EnableControls({Button18, Button19, Button23, Button24, Button25, Button34, Button32}, false);
  ListBox1->SetEnabled(true);
  ListBox1->Clear();
  EnableControls({ComboBox1, Button20, Button28, Button33, Button30, Button36}, true);
  ClearSelectedPulsarFields();
  Timer1->SetInterval(0);

  const double f = FieldValue(Edit4);
  const TPulsarBand band = BandOfFrequency(f);
  if (InPulsarModeByLabel()) {
    if (band == TPulsarBand::Band400) {
      PulsarNames.Copy(NameBlock * 1, 0, static_cast<size_t>(Count400));
      PulsarTable = PulsarTable400;
      FTableCount = Count400;
    } else if (band == TPulsarBand::Band1400) {
      PulsarNames.Copy(NameBlock * 4, 0, static_cast<size_t>(Count1400));
      PulsarTable = PulsarTable1400;
      FTableCount = Count1400;
    }
    if (band != TPulsarBand::None) FTableBand = static_cast<int>(band);
  }

  const TReceiverInputs in = ReadReceiverInputs(f);
  ShowFigures(in, ComputeReceiverFigures(in), false);

  if (band == TPulsarBand::None) return;
  const int fluxColumn = FluxColumnOfBand(band);
  const int count = band == TPulsarBand::Band400 ? Count400 : Count1400;
  // The working table may still hold another band (it is filled in "Pulsar mode" only).
  const int tableRows = static_cast<int>(band) == FTableBand ? FTableCount : 0;

  // The detectable list, in the order of the working table.
  const Astral::TUtcTime now = UtcNow();
  TStrings* items = ListBox1->Items();
  items->BeginUpdate();
  int listed = 0;
  for (int r = 0; r < tableRows; ++r) {
    const TBandRow row(PulsarTable, r);
    const double flux = row[static_cast<TBandColumn>(fluxColumn)];
    const double sn = ExpectedSN(flux, row[bcW50], row[bcP0], Receiver.IntegrationBandwidth,
                                 Receiver.IntegrationTime, Figures.EffectiveAperture, Figures.Tsys);
    if (!IsDetectable(flux, row[bcW50], sn, Figures.MinimumDetectableSignal, MinimumSN)) continue;
    if (HorizonFilterOn) {
      SelectedRA = row[bcRaj] / 15;
      SelectedDec = row[bcDecj];
      Astral sky;
      sky.Latitude = Location.Latitude;
      sky.Longitude = Location.Longitude;
      sky.UtcTime = now;
      if (!sky.TrackObject(SelectedRA, SelectedDec)) continue;
    }
    items->Add(PulsarNames[static_cast<size_t>(row.NameIndex() - 1)]);
    ListRowMap[static_cast<size_t>(listed++)] = r;
  }
  items->EndUpdate();

  // Expected S/N of every pulsar of the band, in the table's current order.
  TMatrix& table = band == TPulsarBand::Band400 ? *Matrix_DB_400Mhz : *Matrix_DB_1400Mhz;
  for (int r = 1; r <= count; ++r)
    table.SetVal(bcExpectedSN, r,
                 ExpectedSN(table.GetVal(fluxColumn, r), table.GetVal(bcW50, r),
                            table.GetVal(bcP0, r), Receiver.IntegrationBandwidth,
                            Receiver.IntegrationTime, Figures.EffectiveAperture, Figures.Tsys));
}

void TForm1::ComboBox1Change(TObject* Sender) {
  MinimumSN = ThresholdOfItem(ComboBox1->ItemIndex(), MinimumSN);
  ComboBox1->SetEnabled(true);
  EnableControls({Button18, Button19, Button23, Button24, Button25}, false);
  ClearSelectedPulsarFields();
  Timer1->SetInterval(0);
  TReceiverInputs in = ReadReceiverInputs(FieldValue(Edit4));
  in.NoiseFloorOnIntegrationBandwidth = true;
  const TReceiverFigures figures = ComputeReceiverFigures(in);
  if (figures.AllFinite()) ShowFigures(in, figures, true);
  Button1Click(this);
}

// ---- the detectable list ----------------------------------------------------------------------

void TForm1::ListBox1Click(TObject* Sender) {
  const int index = ListBox1->ItemIndex();
  if (index < 0) return;
  if (Form13 != nullptr) Form13->Hide();
  if (Form30 != nullptr) Form30->Hide();
  EnableControls({Button18, Button19, Button23, Button24, Button25, Button32, Button34}, true);

  const int r = ListRowMap[static_cast<size_t>(index)];
  const TBandRow row(PulsarTable, r);
  const int nameIndex = row.NameIndex();
  Timer1->SetInterval(1000);

  const TDispersionBandwidth bw =
      MaxIntegrationBandwidth(Receiver.Frequency, row[bcDm], row[bcW50]);
  Label51->SetCaption(bw.Unit);
  Edit26->SetText(bw.Any ? String(AnyBandwidthText)
                         : FormatFloat(FigurePattern::MaxBandwidth, bw.Shown));

  const TPulsarBand band = BandOfFrequency(Receiver.Frequency);
  const int fluxColumn = FluxColumnOfBand(band);
  const double flux = fluxColumn == 0 ? 0 : row[static_cast<TBandColumn>(fluxColumn)];
  Edit28->SetText(
      FormatFloat(FigurePattern::ExpectedSN,
                  ExpectedSN(flux, row[bcW50], row[bcP0], Receiver.IntegrationBandwidth,
                             Receiver.IntegrationTime, Figures.EffectiveAperture, Figures.Tsys)));

  Edit44->SetText(FormatFloat(FigurePattern::RaDec, row[bcRaj]));
  Edit45->SetText(FormatFloat(FigurePattern::RaDec, row[bcDecj]));
  Edit24->SetText(FormatFloat(FigurePattern::W50, row[bcW50]));
  Edit23->SetText(FormatFloat(FigurePattern::P0, row[bcP0]));
  Edit25->SetText(FormatFloat(FigurePattern::DM, row[bcDm]));
  Edit29->SetText(FormatFloat(FigurePattern::Flux, row[bcS400]));
  Edit30->SetText(FormatFloat(FigurePattern::Flux, row[bcS1400]));
  Edit31->SetText(FormatFloat(FigurePattern::DistanceKpc, row[bcDistance]));
  Edit32->SetText(FormatFloat(FigurePattern::DistanceLy, row[bcDistance] * LightYearsPerKpc));
  Edit33->SetText(FormatFloat(FigurePattern::Age, row[bcAge]));

  SelectedRA = row[bcRaj] / 15;
  SelectedDec = row[bcDecj];
  SelectedNameIndex = nameIndex;

  const String name = PulsarNames[static_cast<size_t>(nameIndex - 1)];
  // The tracking windows show the pulsar once they carry its label and fields.
  if (Form2 != nullptr) {
    if (auto* label = dynamic_cast<TLabel*>(Form2->FindComponent("Label16"))) {
      label->SetCaption(" " + name);
      label->SetVisible(true);
    }
    for (const char* field : {"Edit13", "Edit14"})
      if (auto* edit = dynamic_cast<TControl*>(Form2->FindComponent(field))) edit->SetVisible(true);
  }
  if (Form39 != nullptr)
    if (auto* label = dynamic_cast<TLabel*>(Form39->FindComponent("Label9")))
      label->SetCaption(Trim(name));
  if (Form34 != nullptr) {
    Form34->Button7->SetCaption(name);
    Form34->Button7->SetEnabled(true);
  }

  EnableControls({Button18, Button19, Button23, Button24}, true);
}

void TForm1::Button20Click(TObject* Sender) {
  if (Button20->Caption() == "All") {
    Button20->SetCaption("Above horizon");
    HorizonFilterOn = true;
  } else {
    Button20->SetCaption("All");
    HorizonFilterOn = false;
  }
  Button1Click(this);
}

void TForm1::Button28Click(TObject* Sender) {
  Timer1->SetInterval(1);
  Form30->SetCaption("Pulsar list derived from ATNF Catalogue " + NetConfig().CatalogueURL +
                     "/research/pulsar/psrcat/");
  Form30->Label2->SetCaption(FloatToStr(Receiver.Frequency));
  // The list shows the working table as CALCULATE filled it last; between the bands it stays.
  // A table of the other band, or none filled yet, is never shown as this band's list.
  const TPulsarBand band = BandOfFrequency(Receiver.Frequency);
  const int count =
      band == TPulsarBand::None || static_cast<int>(band) == FTableBand ? FTableCount : 0;

  TListView* list = Form30->ListView1;
  list->Columns()->Clear();
  list->Items()->Clear();
  Form30->Show();
  struct TColumnSpec {
    const char* Caption;
    int Width;
    TAlignment Alignment;
  };
  static const TColumnSpec columns[] = {{" ", 1, taLeftJustify},
                                        {"PSR #", 45, taLeftJustify},
                                        {"PSR name", 95, taLeftJustify},
                                        {"RA(Deg)", 80, taRightJustify},
                                        {"DEC(Deg)", 70, taRightJustify},
                                        {"DM(cm^-3 pc)", 85, taRightJustify},
                                        {"W50(ms)", 80, taRightJustify},
                                        {"S400(mJy)", 80, taRightJustify},
                                        {"S1400(mJy)", 80, taRightJustify},
                                        {"Barycentric Period(sec.)", 145, taRightJustify},
                                        {"Distance (kpc)", 90, taRightJustify},
                                        {"Age (years)", 80, taRightJustify},
                                        {"Expected S/N", 90, taRightJustify}};
  for (const TColumnSpec& spec : columns) {
    TListColumn* column = list->Columns()->Add();
    column->SetCaption(spec.Caption);
    column->SetWidth(spec.Width);
    column->SetAlignment(spec.Alignment);
  }
  list->SetViewStyle(vsReport);

  auto positive = [](double v, const char* pattern) {
    return v > 0 ? FormatFloat(pattern, v) : String("*");
  };
  for (int r = 0; r < count; ++r) {
    const TBandRow row(PulsarTable, r);
    TListItem* item = list->Items()->Add();
    item->SetCaption("");
    TStrings* sub = item->SubItems();
    sub->Add(IntToStr(r));
    sub->Add(PulsarNames[static_cast<size_t>(row.NameIndex() - 1)]);
    sub->Add(FormatFloat("###0.0000", row[bcRaj]));
    sub->Add(FormatFloat("###0.0000", row[bcDecj]));
    sub->Add(FormatFloat("###0.000", row[bcDm]));
    sub->Add(FormatFloat("###0.000", row[bcW50]));
    sub->Add(positive(row[bcS400], "###0.00"));
    sub->Add(positive(row[bcS1400], "###0.00"));
    sub->Add(FormatFloat("###0.00000000", row[bcP0]));
    sub->Add(FormatFloat("###0.00", row[bcDistance]));
    sub->Add(positive(row[bcAge], "0.00e+00"));
    sub->Add(FormatFloat("###0.000", row[bcExpectedSN]));
    // The list grows in front of the user; repainting every row would take seconds for a
    // few thousand, so it is repainted every few hundred.
    if (r % 256 == 255) Form30->Repaint();
  }
  list->Show();
  Form30->Repaint();
}

// ---- windows of other parts of the program
// -------------------------------------------------------

void TForm1::Button30Click(TObject* Sender) {
  const double f = FieldValue(Edit4);
  Receiver.Frequency = f;
  // The sun-noise results belong to the old frequency: no measurement is saved against them.
  Form35->InvalidateResults();
  if (Label103->Caption() == MainTexts::EvaluationMode && (f > 15400 || f < 245)) {
    ShowMessage(MainTexts::SunNoiseRange);
    EnableControls({Button33, Button30}, false);
    return;
  }
  for (int c = 0; c <= 12; ++c)
    for (int r = 0; r <= 11; ++r) Form35->StringGrid1->SetCells(c, r, "");
  Clear({Form35->Edit1, Form35->Edit2, Form35->Edit3});
  Form35->Show();
}

void TForm1::Button33Click(TObject* Sender) {
  Form38->Button1Click(Form38->Button1);
  Form38->SetCaption("PLAN Observation");
  Form38->Show();
}

void TForm1::Button32Click(TObject* Sender) {
  Form34->SetCaption("Next 30 culminations - THIS CAN TAKE SOME TIME !");
  Form34->ListView1->Columns()->Clear();
  Form34->ListView1->Items()->Clear();
  Form34->Show();
}

void TForm1::Button34Click(TObject* Sender) {
  Form39->Show();
  Form47->Show();
}

void TForm1::Button36Click(TObject* Sender) { Form42->Show(); }

// ---- live tracking -----------------------------------------------------------------------------

namespace {

enum class TTrackKind { Moon, Sun, Fixed, Pulsar };

// The tracked objects by code: how each is computed, its boxes on the tracking window and its
// name on the tracking display.
struct TTrackedObjectSpec {
  TTrackKind Kind;
  double RightAscension;  // hours
  double Declination;     // degrees
  TEdit* TForm2::*Azimuth;
  TEdit* TForm2::*Elevation;
  const char* Name;
};

const TTrackedObjectSpec& TrackedObjectSpec(int Code) {
  static const TTrackedObjectSpec specs[] = {
      {TTrackKind::Moon, 0, 0, &TForm2::Edit4, &TForm2::Edit8, "Moon"},
      {TTrackKind::Sun, 0, 0, &TForm2::Edit46, &TForm2::Edit9, "Sun"},
      {TTrackKind::Fixed, 19.991, 40.733, &TForm2::Edit5, &TForm2::Edit10, "Cygnus A"},
      {TTrackKind::Fixed, 5.575, 22.016, &TForm2::Edit6, &TForm2::Edit11, "Taurus A"},
      {TTrackKind::Fixed, 23.39, 58.83, &TForm2::Edit7, &TForm2::Edit12, "Cassiopeia A"},
      {TTrackKind::Fixed, 17.768, -28.85, &TForm2::Edit16, &TForm2::Edit15, "Sagittarius A"},
      {TTrackKind::Fixed, 12.485, 2.0524, &TForm2::Edit17, &TForm2::Edit18, "3c273"},
      {TTrackKind::Pulsar, 0, 0, &TForm2::Edit14, &TForm2::Edit13, ""},
      {TTrackKind::Fixed, 23.151346666666665, 48.7066, &TForm2::Edit19, &TForm2::Edit20,
       "FRB 20220912A"},
      {TTrackKind::Fixed, 12.5137, 12.3831, &TForm2::Edit21, &TForm2::Edit22, "VIRGO A"},
      {TTrackKind::Fixed, 5.134305553333333, 26.0605556, &TForm2::Edit24, &TForm2::Edit23,
       "FRB 20201124A"},
      {TTrackKind::Fixed, 19.582133333333335, 21.8967, &TForm2::Edit26, &TForm2::Edit25,
       "SGR 1935+2154"},
  };
  return specs[Code - 1];
}

}  // namespace

String TForm1::SelectedPulsarName() const {
  if (SelectedNameIndex < 1 || SelectedNameIndex > NameBlock) return "";
  return PulsarNames[static_cast<size_t>(SelectedNameIndex - 1)];
}

void TForm1::TrackTick(int Code) {
  const TTrackedObjectSpec& spec = TrackedObjectSpec(Code);
  const Astral::TUtcTime now = UtcNow();
  // The Moon's topocentric correction divides by zero on the equator and the meridian of
  // Greenwich; the stored position moves off them by a negligible amount, once.
  if (Location.Longitude == 0) Location.Longitude = 1e-7;
  if (Location.Latitude == 0) Location.Latitude = 1e-7;

  Astral a;
  a.Latitude = Location.Latitude;
  a.Longitude = Location.Longitude;
  a.UtcTime = now;
  switch (spec.Kind) {
    case TTrackKind::Moon:
      a.Frequency = 1296.0;
      a.Elevation = 300.0;
      a.TrackMoon();
      break;
    case TTrackKind::Sun: a.TrackSun(); break;
    case TTrackKind::Fixed: a.TrackObject(spec.RightAscension, spec.Declination); break;
    case TTrackKind::Pulsar: a.TrackObject(SelectedRA, SelectedDec); break;
  }

  if (Form2 != nullptr) {
    const char* pattern = spec.Kind == TTrackKind::Sun ? "##.##" : "#0.00";
    (Form2->*spec.Azimuth)->SetText(AzimuthText(a.Azimuth, pattern));
    (Form2->*spec.Elevation)->SetText(FormatFloat(pattern, a.Elevation));
    if (spec.Kind == TTrackKind::Moon) {
      MoonDistance = static_cast<float>(a.Distance);
      Form2->Edit1->SetText(FormatFloat("#0.00", a.Doppler));
      Form2->Edit2->SetText(FormatFloat("#0.0", a.Distance));
      Form2->Edit3->SetText(FormatFloat("#0.00", a.Degradation));
    }
  }
  if (spec.Kind == TTrackKind::Pulsar) {
    Edit39->SetText(AzimuthText(a.Azimuth, "#0.00"));
    Edit40->SetText(FormatFloat("#0.00", a.Elevation));
  }
  if (TrackedObject == Code && Form47 != nullptr) {
    Form47->Edit31->SetText(AzimuthText(a.Azimuth, "#0.00"));
    Form47->Edit32->SetText(FormatFloat("#0.00", a.Elevation));
    Form47->Label91->SetCaption(
        Trim(spec.Kind == TTrackKind::Pulsar ? SelectedPulsarName() : String(spec.Name)));
  }
}

void TForm1::ClockTick() {
  const TZoneState zone = ReadZoneState();
  const crt::time_t now = crt::time(nullptr);
  Label58->SetCaption(crt::AsctimeText(UtcPartsOf(now)));
  Label72->SetCaption(crt::AsctimeText(LocalWallTime(now)));
  Label85->SetCaption(ZoneCaption(zone));
}

void TForm1::Button25Click(TObject* Sender) { Form2->Show(); }

// ---- tables
// --------------------------------------------------------------------------------------

void TForm1::ShowPulsarTable(int Kind) {
  TTableTarget target;
  target.Latitude = Location.Latitude;
  target.Longitude = Location.Longitude;
  target.RightAscension = SelectedRA;
  target.Declination = SelectedDec;
  Form13->ShowTable(static_cast<TTableKind>(Kind), target, SelectedPulsarName(),
                    crt::time(nullptr));
}

void TForm1::Button24Click(TObject* Sender) {
  ShowPulsarTable(static_cast<int>(TTableKind::Tracking24h));
}
void TForm1::Button23Click(TObject* Sender) {
  ShowPulsarTable(static_cast<int>(TTableKind::TrackingMonth));
}
void TForm1::Button18Click(TObject* Sender) {
  ShowPulsarTable(static_cast<int>(TTableKind::Visibility24h));
}
void TForm1::Button19Click(TObject* Sender) {
  ShowPulsarTable(static_cast<int>(TTableKind::VisibilityMonth));
}

// ---- observer location --------------------------------------------------------------------------

void TForm1::Button26Click(TObject* Sender) { Form4->Open(); }

void TForm1::LocationChosen() {
  ShowControls({Label65, Label68, Label70, Label58, Label86}, true);
  Button25->SetEnabled(false);
  EnableControls({Button1, Button3}, true);
  Button3Click(this);
  Label65->SetCaption(Location.Name);
  Label68->SetCaption(FormatFloat("00.0000", Location.Longitude));
  Label70->SetCaption(FormatFloat("00.0000", Location.Latitude));
  ListBox1->SetEnabled(true);
  Timer7->SetInterval(1000);
  Timer2->SetInterval(1000);
}
