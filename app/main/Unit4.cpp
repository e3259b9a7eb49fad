#include "Unit4.h"

#include <algorithm>
#include <cmath>

#include "Dialogs.h"
#include "GridLocator.h"
#include "InputNumbers.h"
#include "LocationRecord.h"
#include "MainWindow.h"
#include "SysUtils.h"
#include "TextFile.h"
#include "Unit1Config.h"

TForm4* Form4 = nullptr;

namespace {

void Enable(std::initializer_list<TControl*> Controls, bool Value) {
  for (TControl* c : Controls) c->SetEnabled(Value);
}

// A decimal-degree field, through the program's one number conversion. While it is being typed,
// a text that can still become a number waits for more keystrokes; otherwise false, after the
// message naming the fault, when the text is no number.
bool DecimalField(const TEdit* Field, const char* What, bool Typing, double& Value) {
  const String& text = Field->Text();
  const TNumberCheck check = CheckNumberText(text, Value);
  if (check == TNumberCheck::Valid) return true;
  if (Typing && IncompleteNumberText(text)) return false;
  ShowMessage(check == TNumberCheck::NotANumber && DecimalCommaText(text)
                  ? String(UseDecimalPointText)
                  : "ERROR: " + NumberTextMessage(check, text, What));
  return false;
}

// A degrees, minutes or seconds field. While it is being typed, false for a text that can still
// become a number; otherwise the toolkit's conversion error naming the field when it is no
// number.
bool PartField(const TEdit* Field, const char* What, bool Typing, double& Value) {
  if (Typing && IncompleteNumberText(Field->Text())) return false;
  Value = NumberFromText(Field->Text(), What);
  return true;
}

// Degrees-minutes-seconds parts of a decimal value, by magnitude.
struct TDmsParts {
  double Degrees, Minutes, Seconds;
};
TDmsParts PartsOf(double Value) {
  const double m = std::abs(Value);
  const double degrees = std::trunc(m);
  const double minutes = std::trunc((m - degrees) * 60);
  return {degrees, minutes, ((m - degrees) * 60 - minutes) * 60};
}

// The parts and letters of a record made to follow its decimal position, so that the record
// holds one position whichever of them is read (opening the dialog rebuilds it from the parts).
void PartsFollowPosition(TLocationRecord& At) {
  const TDmsParts la = PartsOf(At.Latitude);
  const TDmsParts lo = PartsOf(At.Longitude);
  At.LatitudeDeg = la.Degrees;
  At.LatitudeMin = la.Minutes;
  At.LatitudeSec = la.Seconds;
  At.NorthSouth = At.Latitude < 0 ? "S" : "N";
  At.LongitudeDeg = lo.Degrees;
  At.LongitudeMin = lo.Minutes;
  At.LongitudeSec = lo.Seconds;
  At.EastWest = At.Longitude < 0 ? "W" : "E";
}

struct TAngleLimits {
  double Limit;
  const char* Above;
  const char* Below;
};
constexpr TAngleLimits LatitudeLimits{90, LocationTexts::LatitudeAbove,
                                      LocationTexts::LatitudeBelow};
constexpr TAngleLimits LongitudeLimits{180, LocationTexts::LongitudeAbove,
                                       LocationTexts::LongitudeBelow};

// The range message for a latitude or longitude, or null when it is in range.
const char* RangeMessage(double Value, const TAngleLimits& L) {
  if (Value > L.Limit) return L.Above;
  if (Value < -L.Limit) return L.Below;
  return nullptr;
}

// The unsigned decimal value of degrees-minutes-seconds parts, or null when they are out of
// range: then the message for the user, and nothing else. Degrees becomes its size. The
// message follows the sign typed, the range the size with minutes and seconds.
const char* DmsMagnitude(double& Degrees, double Minutes, double Seconds, const TAngleLimits& L,
                         double& Magnitude) {
  if (const char* message = RangeMessage(Degrees, L)) return message;
  if (Minutes > 60 || Seconds > 60) return LocationTexts::MinutesAbove;
  // A negative part would count against the degrees while the hemisphere button says where
  // the position lies: "-45 -30 0" must not become 44.5.
  if (Minutes < 0 || Seconds < 0) return LocationTexts::MinutesBelow;
  Magnitude = std::abs(Degrees) + Minutes / 60 + Seconds / 3600;
  if (const char* message = RangeMessage(Degrees < 0 ? -Magnitude : Magnitude, L)) return message;
  Degrees = std::abs(Degrees);
  // The stored position takes a millionth of a degree more, but never beyond the pole or the
  // date line.
  Magnitude = std::min(Magnitude + 1e-6, L.Limit);
  return nullptr;
}

// The configuration's bytes; false when it is missing or cannot be read, which the user is
// told when Tell is set.
bool ReadConfigBytes(String& Bytes, bool Tell) {
  String why;
  if (ReadUserFile(ConfigFileName, Bytes, why)) return true;
  if (Tell && !why.empty()) ShowMessage(why);
  return false;
}

// The degrees, minutes and seconds fields and the parts of the record they set: latitude's
// three, then longitude's.
struct TPartField {
  TEdit* TForm4::*Field;
  const char* What;
  double TLocationRecord::*Part;
};
const TPartField PartFields[] = {
    {&TForm4::Edit31, "Latitude degrees", &TLocationRecord::LatitudeDeg},
    {&TForm4::Edit32, "Latitude minutes", &TLocationRecord::LatitudeMin},
    {&TForm4::Edit33, "Latitude seconds", &TLocationRecord::LatitudeSec},
    {&TForm4::Edit35, "Longitude degrees", &TLocationRecord::LongitudeDeg},
    {&TForm4::Edit36, "Longitude minutes", &TLocationRecord::LongitudeMin},
    {&TForm4::Edit37, "Longitude seconds", &TLocationRecord::LongitudeSec},
};

}  // namespace

TForm4::TForm4(TComponent* AOwner) : TForm(AOwner) {
  KESTAL_LOAD_PARTS("Unit4", KESTAL_UNIT4_PARTS);

  ListBox1->SetEnabled(false);
  // Created at start-up, unseen: what is wrong in the file is told when the dialog is opened.
  if (FillList(false) && ListBox1->Count() > 0) ListBox1->SetEnabled(true);
  Button3->SetEnabled(true);
  Enable({Edit31,  Edit32,  Edit33,  Edit35,   Edit36,   Edit37,  Edit4,   Edit11, Edit12, Edit34,
          Edit38,  Edit2,   Edit10,  Edit5,    Edit14,   Edit15,  Edit16,  Edit18, Edit17, Edit13,
          Button4, Button5, Button6, Button23, Button24, Button7, Button8, Edit1,  Button2},
         false);
}

bool TForm4::FillList(bool NameDamage) {
  String bytes;
  if (!ReadConfigBytes(bytes, NameDamage)) return false;
  ListBox1->Clear();
  // A file without the locations heading holds no saved location at all: the list stays empty.
  const std::vector<String> lines = SplitTextLines(bytes);
  const auto heading = std::find(lines.begin(), lines.end(), String(LocationsHeading));
  if (heading == lines.end()) return true;
  const TSavedLocations saved =
      ReadSavedLocations({heading + 1, lines.end()}, static_cast<int>(heading - lines.begin()) + 2);
  for (const String& entry : LocationListEntries(saved)) ListBox1->Items()->Add(entry);
  if (NameDamage && saved.Problems != FDamageNamed) {
    FDamageNamed = saved.Problems;
    if (!saved.Problems.empty()) {
      String text = LocationTexts::DamagedLocations;
      for (const String& p : saved.Problems) text += "\n" + p;
      ShowMessage(text);
    }
  }
  return true;
}

void TForm4::Open() {
  Button1->SetEnabled(false);
  MainWindow->SaveSettings(true);
  FillList();
  // Opening shows the stored position and changes nothing of it. The decimal fields are
  // filled through their change handlers, which show the converted values as typing does; the
  // parts are shown as stored, without their handlers, so that parts a file holds out of range
  // are refused when confirmed rather than at every opening.
  const TLocationRecord stored = MainWindow->Location;
  Button23->SetCaption(stored.NorthSouth == "S" ? "S" : "N");
  Button24->SetCaption(stored.EastWest == "W" ? "W" : "E");
  FShowingStored = true;
  Edit31->SetText(FloatToStr(stored.LatitudeDeg));
  Edit32->SetText(FloatToStr(stored.LatitudeMin));
  Edit33->SetText(FloatToStr(stored.LatitudeSec));
  Edit35->SetText(FloatToStr(stored.LongitudeDeg));
  Edit36->SetText(FloatToStr(stored.LongitudeMin));
  Edit37->SetText(FloatToStr(stored.LongitudeSec));
  FShowingStored = false;
  Edit4->SetText(stored.Locator);
  Edit11->SetText(FormatFloat("#00.0000", stored.Latitude));
  Edit12->SetText(FormatFloat("#00.0000", stored.Longitude));
  MainWindow->Location = stored;
  Edit34->SetText(FormatFloat("00.0000", stored.Latitude));
  Edit38->SetText(FormatFloat("00.0000", stored.Longitude));
  UpdateComputedLocator();
  Edit1->SetText(LocationTexts::EnterLocation);
  Show();
}

// ---- choice of notation ------------------------------------------------------------------------

void TForm4::ChooseGroup(int Group) {
  Enable({Edit31, Edit32, Edit33, Edit35, Edit36, Edit37, Button23, Button24, Button4}, Group == 1);
  Enable({Edit4, Button5}, Group == 2);
  Enable({Edit11, Edit12, Button6}, Group == 3);
  Enable({Edit1, Button2}, false);
}

void TForm4::RadioButton1Click(TObject* Sender) { ChooseGroup(1); }
void TForm4::RadioButton2Click(TObject* Sender) { ChooseGroup(2); }
void TForm4::RadioButton3Click(TObject* Sender) { ChooseGroup(3); }

// ---- degrees, minutes, seconds -----------------------------------------------------------------

void TForm4::UpdateComputedLocator() {
  ComputedLocator = LatLonToLocator(MainWindow->Location.Latitude, MainWindow->Location.Longitude);
  Edit2->SetText(ComputedLocator);
}

// The parts carry no sign; the hemisphere button does. Taking the sign from it keeps a
// southern or western position where it is when a part is edited, and a degree typed with a
// minus is taken by its size: the letter on the button is what the record stores.
// Null, with the coordinate's value and letter set in Candidate and its degrees made their
// size, when the parts are in range; otherwise the message, and Candidate's value unchanged.
const char* TForm4::CoordinateFromParts(TLocationRecord& Candidate, bool Latitude) const {
  double m = 0;
  if (Latitude) {
    if (const char* message = DmsMagnitude(Candidate.LatitudeDeg, Candidate.LatitudeMin,
                                           Candidate.LatitudeSec, LatitudeLimits, m))
      return message;
    Candidate.NorthSouth = Button23->Caption() == "S" ? "S" : "N";
    Candidate.Latitude = Candidate.NorthSouth == "S" ? -m : m;
  } else {
    if (const char* message = DmsMagnitude(Candidate.LongitudeDeg, Candidate.LongitudeMin,
                                           Candidate.LongitudeSec, LongitudeLimits, m))
      return message;
    Candidate.EastWest = Button24->Caption() == "W" ? "W" : "E";
    Candidate.Longitude = Candidate.EastWest == "W" ? -m : m;
  }
  return nullptr;
}

// A coordinate that CoordinateFromParts accepted becomes the position's, and is shown.
void TForm4::TakeCoordinate(const TLocationRecord& Candidate, bool Latitude) {
  TLocationRecord& at = MainWindow->Location;
  if (Latitude) {
    at.LatitudeDeg = Candidate.LatitudeDeg;
    at.LatitudeMin = Candidate.LatitudeMin;
    at.LatitudeSec = Candidate.LatitudeSec;
    at.NorthSouth = Candidate.NorthSouth;
    at.Latitude = Candidate.Latitude;
    Edit34->SetText(FormatFloat("00.0000", at.Latitude));
  } else {
    at.LongitudeDeg = Candidate.LongitudeDeg;
    at.LongitudeMin = Candidate.LongitudeMin;
    at.LongitudeSec = Candidate.LongitudeSec;
    at.EastWest = Candidate.EastWest;
    at.Longitude = Candidate.Longitude;
    Edit38->SetText(FormatFloat("00.0000", at.Longitude));
  }
  UpdateComputedLocator();
}

// A part typed (Typing) or left. A value that is refused is reported and never stored: the
// record keeps the parts and the position they gave before.
void TForm4::PartEntered(const TObject* Field, bool Typing) {
  if (FShowingStored) return;
  const auto part = std::find_if(std::begin(PartFields), std::end(PartFields),
                                 [&](const TPartField& p) { return this->*p.Field == Field; });
  if (part == std::end(PartFields)) return;
  double value = 0;
  if (!PartField(this->*part->Field, part->What, Typing, value)) return;
  const bool latitude = part - std::begin(PartFields) < 3;
  TLocationRecord candidate = MainWindow->Location;
  candidate.*part->Part = value;
  if (const char* message = CoordinateFromParts(candidate, latitude)) return ShowMessage(message);
  TakeCoordinate(candidate, latitude);
}

void TForm4::Edit31Change(TObject* Sender) { PartEntered(Edit31, true); }
void TForm4::Edit32Change(TObject* Sender) { PartEntered(Edit32, true); }
void TForm4::Edit33Change(TObject* Sender) { PartEntered(Edit33, true); }
void TForm4::Edit35Change(TObject* Sender) { PartEntered(Edit35, true); }
void TForm4::Edit36Change(TObject* Sender) { PartEntered(Edit36, true); }
void TForm4::Edit37Change(TObject* Sender) { PartEntered(Edit37, true); }
void TForm4::PartFieldExit(TObject* Sender) { PartEntered(Sender, false); }

void TForm4::Button23Click(TObject* Sender) {
  const String letter = Button23->Caption() == "S" ? "N" : "S";
  Button23->SetCaption(letter);
  MainWindow->Location.NorthSouth = letter;
  MainWindow->Location.Latitude = -MainWindow->Location.Latitude;
  Edit34->SetText(FormatFloat("00.0000", MainWindow->Location.Latitude));
  UpdateComputedLocator();
}

void TForm4::Button24Click(TObject* Sender) {
  const String letter = Button24->Caption() == "W" ? "E" : "W";
  Button24->SetCaption(letter);
  MainWindow->Location.EastWest = letter;
  MainWindow->Location.Longitude = -MainWindow->Location.Longitude;
  Edit38->SetText(FormatFloat("00.0000", MainWindow->Location.Longitude));
  UpdateComputedLocator();
}

// ---- locator -----------------------------------------------------------------------------------

void TForm4::Edit4Change(TObject* Sender) {
  if (!LocatorToLatLon(Edit4->Text(), LocatorLatitude, LocatorLongitude)) return;
  Edit10->SetText(FormatFloat("#0.0000", LocatorLatitude));
  Edit5->SetText(FormatFloat("#0.0000", LocatorLongitude));
}

// ---- decimal degrees ---------------------------------------------------------------------------

void TForm4::Edit11Change(TObject* Sender) {
  double value = 0;
  if (!DecimalField(Edit11, "Latitude", true, value)) return;
  // An out-of-range value is reported and never becomes the position.
  if (const char* message = RangeMessage(value, LatitudeLimits)) return ShowMessage(message);
  TLocationRecord& at = MainWindow->Location;
  at.Latitude = value;
  const TDmsParts p = PartsOf(value);
  const String letter = value < 0 ? "S" : "N";
  Button7->SetCaption(letter);
  at.NorthSouth = letter;
  at.LatitudeDeg = p.Degrees;
  at.LatitudeMin = p.Minutes;
  at.LatitudeSec = p.Seconds;
  Edit14->SetText(FormatFloat("00", p.Degrees));
  Edit15->SetText(FormatFloat("00", p.Minutes));
  Edit16->SetText(FormatFloat("00.0000", p.Seconds));
}

void TForm4::Edit12Change(TObject* Sender) {
  double value = 0;
  if (!DecimalField(Edit12, "Longitude", true, value)) return;
  if (const char* message = RangeMessage(value, LongitudeLimits)) return ShowMessage(message);
  TLocationRecord& at = MainWindow->Location;
  at.Longitude = value;
  const TDmsParts p = PartsOf(value);
  const String letter = value < 0 ? "W" : "E";
  Button8->SetCaption(letter);
  at.EastWest = letter;
  at.LongitudeDeg = p.Degrees;
  at.LongitudeMin = p.Minutes;
  at.LongitudeSec = p.Seconds;
  Edit18->SetText(FormatFloat("00", p.Degrees));
  Edit17->SetText(FormatFloat("00", p.Minutes));
  Edit13->SetText(FormatFloat("00.0000", p.Seconds));
  ConfirmedEastWest = at.EastWest;
}

// ---- confirm -----------------------------------------------------------------------------------

void TForm4::ConfirmCommon(TRadioButton* Group) {
  TWinControl* const inputs[] = {Edit31,   Edit32,  Edit33, Edit35,  Edit36, Edit37, Button23,
                                 Button24, Button4, Edit4,  Button5, Edit11, Edit12, Button6};
  // Disabling the control that has the focus hands the focus to the next one, which can be the
  // list of saved locations: entering the list makes its first entry current, and that chooses
  // the location. The focus goes to the notation's own button instead.
  if (std::any_of(std::begin(inputs), std::end(inputs),
                  [](const TWinControl* c) { return c->Focused(); }))
    Group->SetFocus();
  ListBox1->SetEnabled(true);
  for (TWinControl* c : inputs) c->SetEnabled(false);
}

// The record now holds one position in all its notations; the east/west letter it is saved
// with is the one of that position.
void TForm4::AfterConfirm() {
  ConfirmedEastWest = MainWindow->Location.EastWest;
  Enable({Edit1, Button2}, true);
}

void TForm4::Button4Click(TObject* Sender) {
  // The position confirmed is the one the six fields show: a field that holds a refused or
  // unfinished value stops the confirmation with its message.
  TLocationRecord candidate = MainWindow->Location;
  for (const TPartField& p : PartFields)
    PartField(this->*p.Field, p.What, false, candidate.*p.Part);
  for (bool latitude : {true, false})
    if (const char* message = CoordinateFromParts(candidate, latitude)) return ShowMessage(message);
  ConfirmCommon(RadioButton1);
  TakeCoordinate(candidate, true);
  TakeCoordinate(candidate, false);
  MainWindow->Location.Locator = Edit2->Text();
  AfterConfirm();
}

void TForm4::Button5Click(TObject* Sender) {
  // The position is the one of the locator typed; a text that is no locator would store a
  // position that has nothing to do with it.
  double lat = 0;
  double lon = 0;
  if (!LocatorToLatLon(Edit4->Text(), lat, lon)) return ShowMessage(LocationTexts::InvalidLocator);
  ConfirmCommon(RadioButton2);
  TLocationRecord& at = MainWindow->Location;
  at.Longitude = LocatorLongitude;
  at.Latitude = LocatorLatitude;
  at.Locator = Edit4->Text();
  PartsFollowPosition(at);
  AfterConfirm();
}

void TForm4::Button6Click(TObject* Sender) {
  double lat = 0;
  double lon = 0;
  if (!DecimalField(Edit11, "Latitude", false, lat) ||
      !DecimalField(Edit12, "Longitude", false, lon))
    return;
  if (const char* message = RangeMessage(lat, LatitudeLimits)) return ShowMessage(message);
  if (const char* message = RangeMessage(lon, LongitudeLimits)) return ShowMessage(message);
  ConfirmCommon(RadioButton3);
  TLocationRecord& at = MainWindow->Location;
  at.Longitude = lon;
  at.Latitude = lat;
  PartsFollowPosition(at);
  ComputedLocator = LatLonToLocator(lat, lon);
  at.Locator = ComputedLocator;
  AfterConfirm();
}

// ---- name, save, reset, choose -----------------------------------------------------------------

void TForm4::Edit1Change(TObject* Sender) {
  MainWindow->Location.Name = Edit1->Text();
  if (LocationNameLength(MainWindow->Location.Name) >= 16) ShowMessage(LocationTexts::NameTooLong);
}

void TForm4::Button2Click(TObject* Sender) {
  if (Edit1->Text() == LocationTexts::EnterLocation) return ShowMessage(LocationTexts::EnterName);
  MainWindow->Location.Name = Edit1->Text();
  // A longer name would push the numbers out of the columns they are read from.
  if (!LocationNameFits(MainWindow->Location.Name)) return ShowMessage(LocationTexts::NameTooLong);
  MainWindow->Location.Name = PaddedLocationName(MainWindow->Location.Name);

  String bytes;
  if (!ReadConfigBytes(bytes, true)) return;
  TLocationRecord r = MainWindow->Location;
  r.EastWest = ConfirmedEastWest;
  if (!bytes.empty() && bytes.back() != '\n') bytes += '\n';
  for (const String& line : ComposeLocationRecord(r)) bytes += line + '\n';
  // Written beside the old file and swapped in whole: a failed write leaves it as it was.
  if (!WriteFileReplacing(ConfigFileName, bytes))
    throw EInOutError(String("Cannot write ") + ConfigFileName);
  ListBox1->Clear();
  FillList();
}

void TForm4::Button3Click(TObject* Sender) {
  // The new file (current settings, no saved locations) replaces the old one only once it is
  // complete; a field that does not convert leaves the old file, and this dialog, as they were.
  MainWindow->SaveSettings(false);
  ListBox1->Clear();
  MainWindow->EnableSetLocation();
  Hide();
  Enable({Button1, Button2}, false);
  Edit1->SetText(LocationTexts::EnterLocation);
  Show();
}

void TForm4::ListBox1Click(TObject* Sender) {
  const int index = ListBox1->ItemIndex();
  if (index < 0) return;
  if (index == ListBox1->Count() - 1) {
    if (index > 0) ListBox1->SetItemIndex(index - 1);
    return;
  }
  const TSavedLocations saved = ReadSavedLocations(ReadSavedLocationLines(ConfigFileName));
  if (static_cast<size_t>(index) >= saved.Records.size()) return;
  const TLocationRecord& r = saved.Records[static_cast<size_t>(index)];
  MainWindow->Location = r;
  // A record saved before any east/west letter was confirmed has none: take it from the sign.
  if (r.EastWest.empty()) MainWindow->Location.EastWest = r.Longitude < 0 ? "W" : "E";
  MainWindow->LocationChosen();
  Button1->SetEnabled(true);
}

void TForm4::Button1Click(TObject* Sender) { Hide(); }
