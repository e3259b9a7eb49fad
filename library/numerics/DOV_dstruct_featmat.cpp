#include "DOV_dstruct_typed.h"

#include <charconv>
#include <filesystem>
#include <new>

#include "DOV_math1.h"
#include "DOV_stringl.h"
#include "DOV_textsave.h"
#include "SysUtils.h"

namespace {

const char* const KindNames[] = {"fkUndefined", "fkInteger", "fkDouble", "fkString", "fkTriState"};
const char* const PropNames[] = {"fplFeatNum", "fplFeatName", "fplFeatKind", "fplComment",
                                 "fplPresets", "fplSorted",   "fplGUIElem"};
enum { plFeatNum, plFeatName, plFeatKind, plComment, plPresets, plSorted, plGUIElem };
constexpr size_t MaxNameLength = 20;
constexpr size_t MaxCommentLength = 60;
constexpr Integer PropLinesPerFeature = 6;
constexpr Integer FormatVersion = 1;

bool IsTriStateText(const String& s) {
  const String l = LowerCase(s);
  return l.empty() || l == "true" || l == "false";
}

// Reads a decimal integer (blanks and a sign allowed) from Pos; false when none is there.
bool ReadInt(const String& s, Integer& Pos, Integer& Value) {
  const Integer start = Pos;
  while (Pos <= static_cast<Integer>(s.size()) && s[Pos - 1] == ' ') ++Pos;
  const Integer numStart = Pos;
  if (Pos <= static_cast<Integer>(s.size()) && (s[Pos - 1] == '-' || s[Pos - 1] == '+')) ++Pos;
  Integer digitsEnd = Pos;
  while (digitsEnd <= static_cast<Integer>(s.size()) && s[digitsEnd - 1] >= '0' &&
         s[digitsEnd - 1] <= '9')
    ++digitsEnd;
  if (digitsEnd == Pos || !TryStrToInt(s.substr(numStart - 1, digitsEnd - numStart), Value)) {
    Pos = start;
    return false;
  }
  Pos = digitsEnd;
  return true;
}

bool CountsFit(Int64 feats, Int64 objs) {
  return feats >= 0 && objs >= 0 && feats <= MaxFeatures && feats * objs <= MaxFeatureValues;
}

}  // namespace

void ClearFeatProps(TFeatProps& Props) { Props = TFeatProps(); }

void TFeatureMatrix::Fail(const String& Reason) const {
  throw ESDLDStructError(ComponentErrorMessage(this, Reason));
}

bool TFeatureMatrix::Resize(Integer NFeats, Integer NObjs) {
  if (!CountsFit(NFeats, NObjs)) return false;
  try {
    std::vector<TFeatProps> props = FFeatProps;
    std::vector<TStrArray> vals = FFeatVals;
    props.resize(static_cast<size_t>(NFeats));
    vals.resize(static_cast<size_t>(NFeats));
    for (TStrArray& v : vals) v.resize(static_cast<size_t>(NObjs));
    FFeatProps.swap(props);
    FFeatVals.swap(vals);
  } catch (const std::bad_alloc&) {
    return false;
  }
  FNFeats = NFeats;
  FNObjs = NObjs;
  Changed();
  return true;
}

void TFeatureMatrix::Clear() {
  FFeatProps.clear();
  FFeatVals.clear();
  FNFeats = FNObjs = 0;
  Changed();
}

TFeatProps TFeatureMatrix::GetFeatProps(Integer fix) const {
  return fix >= 1 && fix <= FNFeats ? FFeatProps[fix - 1] : TFeatProps();
}

void TFeatureMatrix::SetFeatProps(Integer fix, const TFeatProps& Props) {
  if (fix < 1 || fix > FNFeats) return;
  FFeatProps[fix - 1] = Props;
  Changed();
}

void TFeatureMatrix::InsertFeature(Integer feat) {
  if (feat < 1 || feat > FNFeats + 1 || !CountsFit(Int64(FNFeats) + 1, FNObjs)) return;
  FFeatProps.insert(FFeatProps.begin() + (feat - 1), TFeatProps());
  FFeatVals.insert(FFeatVals.begin() + (feat - 1), TStrArray(static_cast<size_t>(FNObjs)));
  ++FNFeats;
  Changed();
}

String TFeatureMatrix::Default(Integer fix) const {
  const TFeatKind k = FFeatProps[fix - 1].FeatKind;
  return k == fkInteger || k == fkDouble ? "0" : "";
}

void TFeatureMatrix::InsertObject(Integer obj) {
  if (obj < 1 || obj > FNObjs || !CountsFit(FNFeats, Int64(FNObjs) + 1)) return;
  for (Integer f = 1; f <= FNFeats; ++f)
    FFeatVals[f - 1].insert(FFeatVals[f - 1].begin() + (obj - 1), Default(f));
  ++FNObjs;
  Changed();
}

void TFeatureMatrix::RemoveObject(Integer obj) {
  if (obj < 1 || obj > FNObjs) return;
  for (TStrArray& v : FFeatVals) v.erase(v.begin() + (obj - 1));
  --FNObjs;
  Changed();
}

void TFeatureMatrix::ClearObject(Integer obj) {
  if (obj < 1 || obj > FNObjs) return;
  for (Integer f = 1; f <= FNFeats; ++f) Val(f, obj) = Default(f);
  Changed();
}

void TFeatureMatrix::ClearFeature(Integer feat) {
  if (feat < 1 || feat > FNFeats) return;
  for (Integer o = 1; o <= FNObjs; ++o) Val(feat, o) = Default(feat);
  Changed();
}

void TFeatureMatrix::CopyObject(Integer Source, Integer Target) {
  if (Source < 1 || Source > FNObjs || Target < 1 || Target > FNObjs) return;
  for (Integer f = 1; f <= FNFeats; ++f) Val(f, Target) = Val(f, Source);
  Changed();
}

void TFeatureMatrix::ResetToDefault() {
  for (Integer o = 1; o <= FNObjs; ++o) {
    for (Integer f = 1; f <= FNFeats; ++f) Val(f, o) = Default(f);
    Changed();
  }
}

Integer TFeatureMatrix::FindFeatName(const String& Name) const {
  const String wanted = LowerCase(Name);
  for (Integer f = 1; f <= FNFeats; ++f)
    if (LowerCase(FFeatProps[f - 1].FeatName) == wanted) return f;
  return -1;
}

Integer TFeatureMatrix::FindFeatNum(Integer Num) const {
  for (Integer f = 1; f <= FNFeats; ++f)
    if (FFeatProps[f - 1].FeatNum == Num) return f;
  return -1;
}

void TFeatureMatrix::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<TFeatureMatrix*>(Source);
  if (src == nullptr) {
    TComponent::Assign(Source);
    return;
  }
  FNFeats = src->FNFeats;
  FNObjs = src->FNObjs;
  FFeatProps = src->FFeatProps;
  FFeatVals = src->FFeatVals;
  OnChange = src->OnChange;
}

void TFeatureMatrix::AssignTo(TPersistent* Dest) {
  if (auto* d = dynamic_cast<TFeatureMatrix*>(Dest))
    d->Assign(this);
  else
    TComponent::AssignTo(Dest);
}

// ---- values ----

void TFeatureMatrix::CheckText(Integer fix, const String& Text, bool AllowEmpty) const {
  const TFeatKind k = FFeatProps[fix - 1].FeatKind;
  if (k == fkUndefined) Fail("feature " + IntToStr(fix) + " is undefined");
  if (AllowEmpty && Text.empty() && (k == fkInteger || k == fkDouble)) return;
  const String quoted = "feature value \"" + Text + "\"";
  if (k == fkInteger && !IsValidDecInt(Text)) Fail(quoted + " is not a valid integer number");
  if (k == fkDouble && !IsValidDouble(Text, true, dsDot))
    Fail(quoted + " is not a valid floating point number");
  if (k == fkTriState && !IsTriStateText(Text)) Fail(quoted + " is not a valid tri-state value");
}

String TFeatureMatrix::GetFeatValStr(Integer fix, Integer obj) const {
  if (!Inside(fix, obj)) return "";
  if (FFeatProps[fix - 1].FeatKind == fkUndefined)
    Fail("feature " + IntToStr(fix) + " is undefined");
  return Val(fix, obj);
}

void TFeatureMatrix::SetFeatValStr(Integer fix, Integer obj, const String& FeatVal) {
  if (!Inside(fix, obj)) return;
  CheckText(fix, FeatVal, true);
  Val(fix, obj) = FeatVal;
  Changed();
}

Int64 TFeatureMatrix::GetFeatValInt(Integer fix, Integer obj) const {
  if (!Inside(fix, obj)) return 0;
  const String& s = Val(fix, obj);
  if (!IsValidDecInt(s)) Fail("feature is not an integer");
  return StrToInt(s);
}

void TFeatureMatrix::SetFeatValint(Integer fix, Integer obj, Int64 FeatVal) {
  if (!Inside(fix, obj)) return;
  const TFeatKind k = FFeatProps[fix - 1].FeatKind;
  if (k != fkInteger && k != fkDouble && k != fkString)
    Fail("feature is not of numeric or string type");
  Val(fix, obj) = IntToStr(FeatVal);
  Changed();
}

Double TFeatureMatrix::GetFeatValDouble(Integer fix, Integer obj) const {
  if (!Inside(fix, obj)) return 0;
  const String& s = Val(fix, obj);
  if (!IsValidDouble(s, true, dsDot)) Fail("feature is not a floating point number");
  Double v = 0;
  // The text read to the nearest double; StrToFloat raises the conversion error otherwise.
  return TryStrToDouble(s, v) ? v : static_cast<Double>(StrToFloat(s));
}

void TFeatureMatrix::SetFeatValDouble(Integer fix, Integer obj, Double FeatVal) {
  if (!Inside(fix, obj)) return;
  const TFeatKind k = FFeatProps[fix - 1].FeatKind;
  if (k != fkDouble && k != fkString) Fail("feature is not a floating point or string type");
  Val(fix, obj) = RoundTripFloatText(FeatVal);
  Changed();
}

TTriState TFeatureMatrix::GetFeatValTriState(Integer fix, Integer obj) const {
  if (!Inside(fix, obj)) return tsUndefined;
  const String& s = Val(fix, obj);
  if (!IsTriStateText(s)) Fail("feature is not a tri-state value");
  return StrToTriState(s);
}

void TFeatureMatrix::SetFeatValTriState(Integer fix, Integer obj, TTriState FeatVal) {
  if (!Inside(fix, obj)) return;
  const TFeatKind k = FFeatProps[fix - 1].FeatKind;
  if (k != fkTriState && k != fkString) Fail("feature is not a tri-state or string type");
  Val(fix, obj) = TriStateToStr(FeatVal, 0);
  Changed();
}

bool TFeatureMatrix::Fill(Integer fix, const String& FeatVal) {
  if (fix < 1 || fix > FNFeats) return false;
  CheckText(fix, FeatVal, false);
  for (String& v : FFeatVals[fix - 1]) v = FeatVal;
  Changed();
  return true;
}

bool TFeatureMatrix::Fill(Integer fix, Int64 FeatVal) {
  if (fix < 1 || fix > FNFeats) return false;
  if (FFeatProps[fix - 1].FeatKind != fkInteger)
    Fail("feature " + IntToStr(fix) + " is not an integer number");
  for (String& v : FFeatVals[fix - 1]) v = IntToStr(FeatVal);
  Changed();
  return true;
}

bool TFeatureMatrix::Fill(Integer fix, Double FeatVal) {
  if (fix < 1 || fix > FNFeats) return false;
  if (FFeatProps[fix - 1].FeatKind != fkDouble)
    Fail("feature " + IntToStr(fix) + " is not floating point number");
  for (String& v : FFeatVals[fix - 1]) v = RoundTripFloatText(FeatVal);
  Changed();
  return true;
}

bool TFeatureMatrix::Fill(Integer fix, TTriState FeatVal) {
  if (fix < 1 || fix > FNFeats) return false;
  if (FFeatProps[fix - 1].FeatKind != fkTriState)
    Fail("feature " + IntToStr(fix) + " is not a tri-state value");
  for (String& v : FFeatVals[fix - 1]) v = TriStateToStr(FeatVal, 0);
  Changed();
  return true;
}

// ---- the text format ----

void TFeatureMatrix::SaveToOpenFile(TTextFile& F) const {
  F.WriteLn("#featdef " + IntToStr(FNFeats) + " " + IntToStr(FormatVersion));
  for (Integer i = 1; i <= FNFeats; ++i) {
    const TFeatProps& p = FFeatProps[i - 1];
    const String n = IntToStr(i) + " ";
    F.WriteLn(n + PropNames[plFeatNum] + " " + IntToStr(p.FeatNum));
    F.WriteLn(n + PropNames[plFeatName] + " " + p.FeatName);
    F.WriteLn(n + PropNames[plFeatKind] + " " + KindNames[p.FeatKind]);
    F.WriteLn(n + PropNames[plComment] + " " + p.Comment);
    F.WriteLn(n + PropNames[plPresets] + " " + p.PresetValues);
    F.WriteLn(n + PropNames[plSorted] + " " + (p.Sorted ? "TRUE" : "FALSE"));
  }
  F.WriteLn("#featvals " + IntToStr(FNFeats) + " " + IntToStr(FNObjs));
  for (Integer o = 1; o <= FNObjs; ++o)
    for (Integer f = 1; f <= FNFeats; ++f)
      if (!Val(f, o).empty()) F.WriteLn(IntToStr(f) + " " + IntToStr(o) + " " + Val(f, o));
  F.WriteLn("#featend");
}

void TFeatureMatrix::Save(const String& FName) const {
  SaveTextFileReplacing(FName, [this](TTextFile& f) { SaveToOpenFile(f); });
}

Integer TFeatureMatrix::LoadFromOpenFile(TTextFile& F) {
  constexpr Integer NoSection = -1, BadNumber = -2;
  Clear();
  Integer result = NoSection;
  bool done = false;
  auto nextLine = [&](String& line) {
    if (F.Eof()) return false;
    line = F.ReadLine();
    return true;
  };
  String line;
  while (!done && nextLine(line)) {
    if (line.empty() || line[0] != '#') continue;
    const size_t blank = line.find(' ');
    const String keyword =
        LowerCase(line.substr(1, blank == String::npos ? String::npos : blank - 1));
    const String rest = blank == String::npos ? String() : StripLTBlanks(line.substr(blank + 1));
    if (keyword != "featdef" && keyword != "featvals") continue;  // featend and others
    Integer pos = 1, a = 0, b = 0;
    if (!ReadInt(rest, pos, a) || !ReadInt(rest, pos, b)) {
      result = BadNumber;
      break;
    }
    if (keyword == "featdef") {
      if (b != FormatVersion) continue;  // a version this reader does not know
      if (!CountsFit(a, FNObjs) || !Resize(a, FNObjs)) {
        result = BadNumber;
        break;
      }
      result = 0;
      for (Integer k = 0; k < PropLinesPerFeature * a && !done; ++k) {
        String prop;
        do {
          if (!nextLine(prop)) {
            done = true;
            break;
          }
        } while (Trim(prop).empty());
        if (done) break;
        Integer p = 1, fix = 0;
        if (!ReadInt(prop, p, fix)) {
          result = BadNumber;
          done = true;
          break;
        }
        const String body = StripLTBlanks(prop.substr(static_cast<size_t>(p - 1)));
        const size_t sep = body.find(' ');
        const String name = LowerCase(body.substr(0, sep));
        const String value = sep == String::npos ? String() : StripLTBlanks(body.substr(sep + 1));
        if (fix < 1 || fix > FNFeats) continue;
        TFeatProps& fp = FFeatProps[fix - 1];
        if (name == LowerCase(PropNames[plFeatNum])) {
          Integer vp = 1, num = 0;
          if (!ReadInt(value, vp, num)) {
            result = BadNumber;
            done = true;
            break;
          }
          fp.FeatNum = num;
        } else if (name == LowerCase(PropNames[plFeatName])) {
          fp.FeatName = value.substr(0, MaxNameLength);
        } else if (name == LowerCase(PropNames[plFeatKind])) {
          for (int kind = fkUndefined; kind <= fkTriState; ++kind)
            if (LowerCase(value) == LowerCase(KindNames[kind]))
              fp.FeatKind = static_cast<TFeatKind>(kind);
        } else if (name == LowerCase(PropNames[plComment])) {
          fp.Comment = value.substr(0, MaxCommentLength);
        } else if (name == LowerCase(PropNames[plPresets])) {
          fp.PresetValues = value;
        } else if (name == LowerCase(PropNames[plSorted])) {
          fp.Sorted = LowerCase(value) == "true";
        }
      }
    } else {
      if (!CountsFit(a, b) || !Resize(a, b)) {
        result = BadNumber;
        break;
      }
      result = 0;
      while (nextLine(line)) {
        if (line.empty() || line[0] == '#') break;
        Integer p = 1, fix = 0, obj = 0;
        if (!ReadInt(line, p, fix) || !ReadInt(line, p, obj)) {
          result = BadNumber;
          break;
        }
        if (Inside(fix, obj))
          Val(fix, obj) = StripLTBlanks(line.substr(static_cast<size_t>(p - 1)));
      }
      done = true;
    }
  }
  Changed();
  return result;
}

Integer TFeatureMatrix::Load(const String& FName) {
  if (!FileExists(FName)) return -1;
  TTextFile f(FName);
  f.Reset();
  const Integer r = LoadFromOpenFile(f);
  f.CloseFile();
  return r == 0 ? 0 : r == -1 ? -2 : -3;
}
