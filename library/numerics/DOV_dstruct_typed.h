#pragma once
// The data-structure unit's typed tables: the feature matrix and the associative array. They
// read numbers and dates through the scalar-math unit's scanners, so they live one layer above
// the rest of the unit (DOV_dstruct.h in the foundation).
//
// Every reader takes hostile files: counts beyond the limits below are refused before anything
// is allocated, lines or entries with indexes outside the declared counts are ignored, and a
// file that ends early ends the reading.

#include "Classes.h"
#include "DOV_dstruct.h"
#include "DOV_math1.h"
#include "DOV_sdlbase.h"
#include "TextFile.h"

// The largest feature matrix a file may declare (features, and values in all).
inline constexpr Integer MaxFeatures = 65536;
inline constexpr Int64 MaxFeatureValues = Int64(1) << 22;
// The most entries an associative-array document may declare.
inline constexpr Integer MaxAssocEntries = 1 << 20;

// ---- feature matrix ----------------------------------------------------------------------
enum TFeatKind { fkUndefined, fkInteger, fkDouble, fkString, fkTriState };

struct TFeatProps {
  Integer FeatNum = 0;
  String FeatName = "undefined";  // at most 20 characters
  TFeatKind FeatKind = fkUndefined;
  String Comment;  // at most 60 characters
  String PresetValues;
  bool Sorted = false;
  void* GUIElem = nullptr;  // the program's own reference; never saved
};

void ClearFeatProps(TFeatProps& Props);

// Objects (1 ... NObjects) described by typed features (1 ... NFeatures); values are kept as
// texts, checked against the feature's kind when set. Errors raise ESDLDStructError with
// 'Component "Name": ...'.
class TFeatureMatrix : public TComponent {
public:
  explicit TFeatureMatrix(TComponent* AOwner) : TComponent(AOwner) {}
  String ClassName() const override { return "TFeatureMatrix"; }
  void Assign(TPersistent* Source) override;

  Integer NFeatures() const { return FNFeats; }
  Integer NObjects() const { return FNObjs; }
  void SetNFeatures(Integer Value) { Resize(Value, FNObjs); }
  void SetNObjects(Integer Value) { Resize(FNFeats, Value); }
  // False (nothing changed) for negative counts, counts beyond the limits or a failed
  // allocation.
  bool Resize(Integer NFeats, Integer NObjs);
  void Clear();

  TFeatProps GetFeatProps(Integer fix) const;
  void SetFeatProps(Integer fix, const TFeatProps& Props);
  void InsertFeature(Integer feat);  // 1 ... NFeatures + 1
  void InsertObject(Integer obj);    // 1 ... NObjects
  void RemoveObject(Integer obj);
  void ClearObject(Integer obj);
  void ClearFeature(Integer feat);
  void CopyObject(Integer Source, Integer Target);
  void ResetToDefault();
  Integer FindFeatName(const String& Name) const;  // -1 when none
  Integer FindFeatNum(Integer Num) const;

  String GetFeatValStr(Integer fix, Integer obj) const;
  void SetFeatValStr(Integer fix, Integer obj, const String& FeatVal);
  Int64 GetFeatValInt(Integer fix, Integer obj) const;
  void SetFeatValint(Integer fix, Integer obj, Int64 FeatVal);
  Double GetFeatValDouble(Integer fix, Integer obj) const;
  void SetFeatValDouble(Integer fix, Integer obj, Double FeatVal);
  TTriState GetFeatValTriState(Integer fix, Integer obj) const;
  void SetFeatValTriState(Integer fix, Integer obj, TTriState FeatVal);
  bool Fill(Integer fix, const String& FeatVal);
  bool Fill(Integer fix, Int64 FeatVal);
  bool Fill(Integer fix, Double FeatVal);
  bool Fill(Integer fix, TTriState FeatVal);

  // The "#featdef / #featvals / #featend" text format, CR LF line ends. Save writes beside and
  // renames over. LoadFromOpenFile: 0 read, -1 no section, -2 a bad number or a count beyond
  // the limits. Load: 0, -1 no such file, -2 no section, -3 a bad number or count.
  void SaveToOpenFile(TTextFile& F) const;
  void Save(const String& FName) const;
  Integer LoadFromOpenFile(TTextFile& F);
  Integer Load(const String& FName);

  TNotifyEvent OnChange;

protected:
  void AssignTo(TPersistent* Dest) override;

private:
  bool Inside(Integer fix, Integer obj) const {
    return fix >= 1 && fix <= FNFeats && obj >= 1 && obj <= FNObjs;
  }
  String& Val(Integer fix, Integer obj) { return FFeatVals[fix - 1][obj - 1]; }
  const String& Val(Integer fix, Integer obj) const { return FFeatVals[fix - 1][obj - 1]; }
  void Changed() {
    if (OnChange) OnChange(this);
  }
  [[noreturn]] void Fail(const String& Reason) const;
  String Default(Integer fix) const;
  void CheckText(Integer fix, const String& Text, bool AllowEmpty) const;

  Integer FNFeats = 0;
  Integer FNObjs = 0;
  std::vector<TFeatProps> FFeatProps;
  std::vector<TStrArray> FFeatVals;  // [feature - 1][object - 1]
};

// ---- associative array -------------------------------------------------------------------
// Text keys to variant values, searched in order (without regard to A-Z case while IgnoreCase,
// new keys then stored in lower case).
class TAssocArray : public TComponent {
public:
  explicit TAssocArray(TComponent* AOwner);
  String ClassName() const override { return "TAssocArray"; }

  Integer NumEntries() const { return FNEntries; }
  Integer Granularity() const { return FGranularity; }
  void SetGranularity(Integer Value) { FGranularity = std::max<Integer>(Value, 1); }
  bool IgnoreCase() const { return FIgnoreCase; }
  void SetIgnoreCase(bool Value) { FIgnoreCase = Value; }
  const String& DataID() const { return FDataID; }
  void SetDataID(const String& Value) { FDataID = Value; }

  void Add(const String& Key, const Variant& Value);
  Variant Resolve(const String& Key) const;  // null when absent
  String ResolveAsString(const String& Key) const;
  Double ResolveAsNumber(const String& Key) const;
  Integer ResolveAsInt(const String& Key) const;
  bool Remove(const String& Key);
  void Clear();
  String Keys(Integer ix) const;  // 1-based; "" outside
  void SetKeys(Integer ix, const String& Key);
  Variant Values(Integer ix) const;  // an empty text outside
  void SetValues(Integer ix, const Variant& Value);
  // Adds name=value and name="value" pairs as text values; returns how many.
  Integer AddXMLAttributes(const String& Attributes);

  // The assocarray document. Dates are written "yyyy-MM-dd hh:mm:ss" (24-hour hours), real
  // numbers in their shortest exact text, null as "0"; nothing is escaped. The reader raises
  // EConvertError for a value that does not convert, and returns false at the end of the
  // stream before "</assocarray>" or for a declared count beyond MaxAssocEntries.
  void WriteToXMLStream(TStream& OutStream, bool CreateHeader, const String& DataID) const;
  bool ReadFromXMLStream(TStream& InStream, const String& DataID);

private:
  Integer IndexOf(const String& Key) const;  // 0-based, -1 when absent
  Integer FNEntries = 0;
  std::vector<Variant> FDataArray;
  TStrArray FKeyArray;
  Integer FGranularity = 1024;
  bool FIgnoreCase = true;
  String FDataID;
};
