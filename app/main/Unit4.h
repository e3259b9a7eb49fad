#pragma once
// Window "Set Observer location": the observer's position in degrees-minutes-seconds, as a grid
// locator or in decimal degrees, confirmed, named, saved among the locations of the
// configuration file and chosen from them.

#include <vector>

#include "Forms.h"
#include "StdCtrls.h"

struct TLocationRecord;

// The controls of the description and the handlers it names (FormParts.h).
// clang-format off
#define KESTAL_UNIT4_PARTS(Controls, Handlers)                                                   \
  Controls(TRadioButton, RadioButton1, RadioButton2, RadioButton3)                               \
  Controls(TEdit, Edit31, Edit32, Edit33, Edit35, Edit36, Edit37, Edit34, Edit38, Edit2)         \
  Controls(TButton, Button23, Button24, Button4)                                                 \
  Controls(TEdit, Edit4, Edit10, Edit5)                                                          \
  Controls(TButton, Button5)                                                                     \
  Controls(TEdit, Edit11, Edit12, Edit14, Edit15, Edit16, Edit18, Edit17, Edit13)                \
  Controls(TButton, Button7, Button8, Button6)                                                   \
  Controls(TEdit, Edit1)                                                                         \
  Controls(TListBox, ListBox1)                                                                   \
  Controls(TButton, Button1, Button2, Button3)                                                   \
  Handlers(RadioButton1Click, RadioButton2Click, RadioButton3Click, Edit31Change, Edit32Change,  \
      Edit33Change, Edit35Change, Edit36Change, Edit37Change, Button23Click, Button24Click,      \
      Edit4Change, Edit11Change, Edit12Change, Button4Click, Button5Click, Button6Click,         \
      Edit1Change, Button1Click, Button2Click, Button3Click, ListBox1Click, PartFieldExit)
// clang-format on

class TForm4 : public TForm {
public:
  explicit TForm4(TComponent* AOwner);
  String ClassName() const override { return "TForm4"; }

  KESTAL_DECLARE_PARTS(KESTAL_UNIT4_PARTS)
  // Degrees-minutes-seconds: inputs, hemisphere buttons, decimal results and locator.
  // Locator: input and results.
  // Decimal: inputs, degrees-minutes-seconds results and letters.
  // Name and saved locations.

  String ComputedLocator;
  String ConfirmedEastWest;
  double LocatorLatitude = 0;
  double LocatorLongitude = 0;

  // Opening from the main window's "SET Observation location".
  void Open();
  // Fills the list from the configuration file; false when the file cannot be opened.
  // NameDamage: lines of the locations section that are no record are named in a message,
  // once as long as they stay the same.
  bool FillList(bool NameDamage = true);

  void RadioButton1Click(TObject* Sender);
  void RadioButton2Click(TObject* Sender);
  void RadioButton3Click(TObject* Sender);
  void Edit31Change(TObject* Sender);  // latitude degrees
  void Edit32Change(TObject* Sender);  // latitude minutes
  void Edit33Change(TObject* Sender);  // latitude seconds
  void Edit35Change(TObject* Sender);  // longitude degrees
  void Edit36Change(TObject* Sender);  // longitude minutes
  void Edit37Change(TObject* Sender);  // longitude seconds
  // Leaving one of the six: its value is used, so a text still unfinished is refused.
  void PartFieldExit(TObject* Sender);
  void Button23Click(TObject* Sender);  // N / S
  void Button24Click(TObject* Sender);  // E / W
  void Edit4Change(TObject* Sender);
  void Edit11Change(TObject* Sender);
  void Edit12Change(TObject* Sender);
  void Button4Click(TObject* Sender);  // Confirm degrees-minutes-seconds
  void Button5Click(TObject* Sender);  // Confirm locator
  void Button6Click(TObject* Sender);  // Confirm decimal
  void Edit1Change(TObject* Sender);   // name, on leaving the field
  void Button2Click(TObject* Sender);  // Save data
  void Button3Click(TObject* Sender);  // Reset Location DB
  void ListBox1Click(TObject* Sender);
  void Button1Click(TObject* Sender);  // Close and return to main screen

private:
  void ChooseGroup(int Group);
  void ConfirmCommon(TRadioButton* Group);
  void AfterConfirm();
  const char* CoordinateFromParts(TLocationRecord& Candidate, bool Latitude) const;
  void TakeCoordinate(const TLocationRecord& Candidate, bool Latitude);
  void PartEntered(const TObject* Field, bool Typing);
  void UpdateComputedLocator();
  std::vector<String> FDamageNamed;
  bool FShowingStored = false;  // opening fills the parts' fields
};

extern TForm4* Form4;

namespace LocationTexts {
inline constexpr const char* EnterLocation = "Enter Location";
inline constexpr const char* NameTooLong = "Must be <=15";
inline constexpr const char* EnterName = "Please enter name of location";
inline constexpr const char* LatitudeAbove = "Must be <= 90";
inline constexpr const char* LatitudeBelow = "Must be >= -90";
inline constexpr const char* LongitudeAbove = "Must be <= 180";
inline constexpr const char* LongitudeBelow = "Must be >= -180";
inline constexpr const char* MinutesAbove = "Must be <=60";
inline constexpr const char* MinutesBelow = "Must be >= 0";
inline constexpr const char* DamagedLocations =
    "Some lines of the saved locations in KestalDB.txt are no location record. They are not "
    "listed and are kept in the file as they are:";
inline constexpr const char* InvalidLocator =
    "ERROR: This is not a QRA locator of 4, 6 or 8 characters";
}  // namespace LocationTexts
