#pragma once
// Window "Set Observer location": the observer's position in degrees-minutes-seconds, as a grid
// locator or in decimal degrees, confirmed, named, saved among the locations of the
// configuration file and chosen from them.

#include <vector>

#include "Forms.h"
#include "StdCtrls.h"

class TForm4 : public TForm {
public:
  explicit TForm4(TComponent* AOwner);
  String ClassName() const override { return "TForm4"; }

  TRadioButton *RadioButton1 = nullptr, *RadioButton2 = nullptr, *RadioButton3 = nullptr;
  // Degrees-minutes-seconds: inputs, hemisphere buttons, decimal results and locator.
  TEdit *Edit31 = nullptr, *Edit32 = nullptr, *Edit33 = nullptr, *Edit35 = nullptr,
        *Edit36 = nullptr, *Edit37 = nullptr, *Edit34 = nullptr, *Edit38 = nullptr,
        *Edit2 = nullptr;
  TButton *Button23 = nullptr, *Button24 = nullptr, *Button4 = nullptr;
  // Locator: input and results.
  TEdit *Edit4 = nullptr, *Edit10 = nullptr, *Edit5 = nullptr;
  TButton* Button5 = nullptr;
  // Decimal: inputs, degrees-minutes-seconds results and letters.
  TEdit *Edit11 = nullptr, *Edit12 = nullptr, *Edit14 = nullptr, *Edit15 = nullptr,
        *Edit16 = nullptr, *Edit18 = nullptr, *Edit17 = nullptr, *Edit13 = nullptr;
  TButton *Button7 = nullptr, *Button8 = nullptr, *Button6 = nullptr;
  // Name and saved locations.
  TEdit* Edit1 = nullptr;
  TListBox* ListBox1 = nullptr;
  TButton *Button1 = nullptr, *Button2 = nullptr, *Button3 = nullptr;

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
  void Edit31Change(TObject* Sender);   // latitude degrees
  void Edit32Change(TObject* Sender);   // latitude minutes
  void Edit33Change(TObject* Sender);   // latitude seconds
  void Edit35Change(TObject* Sender);   // longitude degrees
  void Edit36Change(TObject* Sender);   // longitude minutes
  void Edit37Change(TObject* Sender);   // longitude seconds
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
  void ConfirmCommon();
  void AfterConfirm();
  void LatitudeFromParts();
  void LongitudeFromParts();
  void UpdateComputedLocator();
  std::vector<String> FDamageNamed;
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
inline constexpr const char* DamagedLocations =
    "Some lines of the saved locations in KestalDB.txt are no location record. They are not "
    "listed and are kept in the file as they are:";
inline constexpr const char* InvalidLocator =
    "ERROR: This is not a QRA locator of 4, 6 or 8 characters";
}  // namespace LocationTexts
