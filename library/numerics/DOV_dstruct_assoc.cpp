#include "DOV_dstruct_typed.h"

#include "DOV_math1.h"
#include "DOV_streams.h"
#include "DOV_stringl.h"
#include "DOV_xmlenvelope.h"
#include "SysUtils.h"

namespace {

constexpr const char* RootTag = "assocarray";
constexpr const char* FormatVersion = "1.0";
// Written in the run-time's pattern language; read back by the date scanner with 24-hour
// hours ("HH"), since its "hh" would turn 12:30 into 00:30.
constexpr const char* DateWritePattern = "yyyy-mm-dd hh:nn:ss";
constexpr const char* DateReadFormat = "yyyy-MM-dd HH:mm:ss";

bool IsIntegerKind(Word t) {
  return t == varSmallint || t == varInteger || (t >= varShortInt && t <= varInt64);
}
bool IsNumericKind(Word t) {
  return (t >= varSmallint && t <= varCurrency) || (t >= varShortInt && t <= varInt64);
}
bool IsTextKind(Word t) { return t == varOleStr || t == varString || t == varUString; }

String ValueText(const Variant& v) {
  switch (v.VarType()) {
    case varNull: return "0";
    case varDate: return FormatDateTime(DateWritePattern, v.AsDouble());
    case varSingle:
    case varDouble:
    case varCurrency: return RoundTripFloatText(v.AsDouble());
    default: return VarToStr(v);
  }
}

Integer DecimalOf(const String& s) {
  Integer pos = 1;
  return ScanDecimal(s, pos);
}

// A stored number read to the nearest double; StrToFloat raises the conversion error for a
// text that is none.
double DoubleOfText(const String& s) {
  double v = 0;
  return TryStrToDouble(s, v) ? v : static_cast<double>(StrToFloat(s));
}

bool BooleanOf(const String& s) {
  if (SameText(s, "true")) return true;
  if (SameText(s, "false")) return false;
  Int64 n = 0;
  if (TryStrToInt64(s, n)) return n != 0;
  throw EConvertError("'" + s + "' is not a valid boolean value");
}

}  // namespace

TAssocArray::TAssocArray(TComponent* AOwner) : TComponent(AOwner) { Clear(); }

Integer TAssocArray::IndexOf(const String& Key) const {
  const String wanted = FIgnoreCase ? LowerCase(Key) : Key;
  for (Integer i = 0; i < FNEntries; ++i) {
    const String& k = FKeyArray[static_cast<size_t>(i)];
    if (FIgnoreCase ? LowerCase(k) == wanted : k == wanted) return i;
  }
  return -1;
}

void TAssocArray::Add(const String& Key, const Variant& Value) {
  const Integer ix = IndexOf(Key);
  if (ix >= 0) {
    FDataArray[static_cast<size_t>(ix)] = Value;
    return;
  }
  if (FNEntries >= static_cast<Integer>(FKeyArray.size())) {
    const size_t slots = static_cast<size_t>(FNEntries) + static_cast<size_t>(FGranularity);
    FKeyArray.resize(slots);
    FDataArray.resize(slots, Variant(String()));
  }
  FKeyArray[static_cast<size_t>(FNEntries)] = FIgnoreCase ? LowerCase(Key) : Key;
  FDataArray[static_cast<size_t>(FNEntries)] = Value;
  ++FNEntries;
}

Variant TAssocArray::Resolve(const String& Key) const {
  const Integer ix = IndexOf(Key);
  return ix >= 0 ? FDataArray[static_cast<size_t>(ix)] : Variant::Null();
}

String TAssocArray::ResolveAsString(const String& Key) const { return VarToStr(Resolve(Key)); }

Double TAssocArray::ResolveAsNumber(const String& Key) const {
  const Variant v = Resolve(Key);
  if (IsNumericKind(v.VarType())) return v.AsDouble();
  if (IsTextKind(v.VarType())) {
    Integer pos = 1;
    return ScanFPNum(v.AsString(), true, dsBoth, pos);
  }
  return 0;
}

Integer TAssocArray::ResolveAsInt(const String& Key) const {
  const Variant v = Resolve(Key);
  if (IsIntegerKind(v.VarType())) return static_cast<Integer>(v.AsInt64());
  if (IsTextKind(v.VarType())) return DecimalOf(v.AsString());
  return 0;
}

bool TAssocArray::Remove(const String& Key) {
  const Integer ix = IndexOf(Key);
  if (ix < 0) return false;
  const size_t last = static_cast<size_t>(FNEntries - 1);
  FKeyArray[static_cast<size_t>(ix)] = FKeyArray[last];
  FDataArray[static_cast<size_t>(ix)] = FDataArray[last];
  FKeyArray[last].clear();
  FDataArray[last] = Variant(String());
  --FNEntries;
  return true;
}

void TAssocArray::Clear() {
  FNEntries = 0;
  FKeyArray.assign(static_cast<size_t>(FGranularity), String());
  FDataArray.assign(static_cast<size_t>(FGranularity), Variant(String()));
}

String TAssocArray::Keys(Integer ix) const {
  return ix >= 1 && ix <= FNEntries ? FKeyArray[static_cast<size_t>(ix - 1)] : String();
}

void TAssocArray::SetKeys(Integer ix, const String& Key) {
  if (ix >= 1 && ix <= FNEntries) FKeyArray[static_cast<size_t>(ix - 1)] = Key;
}

Variant TAssocArray::Values(Integer ix) const {
  return ix >= 1 && ix <= FNEntries ? FDataArray[static_cast<size_t>(ix - 1)] : Variant(String());
}

void TAssocArray::SetValues(Integer ix, const Variant& Value) {
  if (ix >= 1 && ix <= FNEntries) FDataArray[static_cast<size_t>(ix - 1)] = Value;
}

Integer TAssocArray::AddXMLAttributes(const String& Attributes) {
  String rest = Attributes;
  Integer count = 0;
  for (size_t eq = rest.find('='); eq != String::npos; eq = rest.find('=')) {
    const String name = Trim(rest.substr(0, eq));
    String after = StripLTBlanks(rest.substr(eq + 1));
    String value;
    bool last = false;
    if (!after.empty() && after[0] == '"') {
      const size_t close = after.find('"', 1);
      if (close == String::npos) {
        last = true;
      } else {
        value = after.substr(1, close - 1);
        after.erase(0, close + 1);
      }
    } else {
      const size_t blank = after.find(' ');
      value = after.substr(0, blank);
      after = blank == String::npos ? String() : after.substr(blank);
    }
    Add(name, Variant(value));
    ++count;
    if (last) break;
    rest = after;
  }
  return count;
}

void TAssocArray::WriteToXMLStream(TStream& OutStream, bool CreateHeader,
                                   const String& DataID) const {
  if (CreateHeader) WriteLnStream(OutStream, XMLDeclarationLine);
  WriteLnStream(OutStream, "");
  WriteLnStream(OutStream, XMLCommentLine("TAssocArray"));
  WriteLnStream(OutStream, XMLRootLine(RootTag, FormatVersion, 0, DataID));
  WriteLnStream(OutStream, "<numentries>" + IntToStr(FNEntries) + "</numentries>");
  for (Integer i = 1; i <= FNEntries; ++i) {
    const Variant& v = FDataArray[static_cast<size_t>(i - 1)];
    WriteLnStream(OutStream, "<assoc ix=\"" + IntToStr(i) + "\" key=\"" +
                                 FKeyArray[static_cast<size_t>(i - 1)] + "\" value=\"" +
                                 ValueText(v) + "\" type=\"" + IntToStr(v.VarType()) + "\" />");
  }
  WriteLnStream(OutStream, "</assocarray>");
}

bool TAssocArray::ReadFromXMLStream(TStream& InStream, const String& DataID) {
  String foundID;
  if (!FindXMLRootInStream(InStream, RootTag, 0, DataID, foundID)) return false;
  FDataID = DataID.empty() ? String() : foundID;
  const TStrArray tags = {"numentries", "assoc", "/assocarray", ""};
  enum { tgNumEntries, tgAssoc, tgEnd, tgOther };
  String attributes, contents;
  for (;;) {
    const Integer tag = ReadNextTagInStream(InStream, tags, attributes, contents);
    if (tag == tgEnd) return true;
    if (tag == tgOther && InStream.Position() >= InStream.Size()) return false;
    if (tag == tgNumEntries) {
      const Integer n = DecimalOf(contents);
      if (n > MaxAssocEntries) return false;
      FNEntries = std::max<Integer>(n, 0);
      const size_t slots =
          (static_cast<size_t>(FNEntries) / static_cast<size_t>(FGranularity) + 1) *
          static_cast<size_t>(FGranularity);
      FKeyArray.assign(slots, String());
      FDataArray.assign(slots, Variant(String()));
    } else if (tag == tgAssoc) {
      const Integer ix = DecimalOf(ScanForXMLAttrib(attributes, "ix"));
      if (ix < 1 || ix > FNEntries) continue;
      const String text = ScanForXMLAttrib(attributes, "value");
      const Integer type = DecimalOf(ScanForXMLAttrib(attributes, "type"));
      Variant& slot = FDataArray[static_cast<size_t>(ix - 1)];
      FKeyArray[static_cast<size_t>(ix - 1)] = ScanForXMLAttrib(attributes, "key");
      switch (type) {
        case varNull: slot = Variant::Null(); break;
        case varSmallint:
        case varInteger:
        case varShortInt:
        case varByte:
        case varWord: slot = Variant(StrToInt(text)); break;
        case varSingle:
        case varDouble: slot = Variant(DoubleOfText(text)); break;
        case varCurrency: slot = Variant::OfType(varCurrency, DoubleOfText(text)); break;
        case varDate: {
          Integer err = 0;
          const TDateTime dt = ScanDateTime(text, DateReadFormat, lgEnglish, err);
          if (err != 0) throw EConvertError("'" + text + "' is not a valid date and time");
          slot = Variant::FromDate(dt);
          break;
        }
        case varBoolean: slot = Variant(BooleanOf(text)); break;
        case varLongWord:
        case varInt64: slot = Variant(StrToInt64(text)); break;
        case varString:
        case varUString: slot = Variant(text); break;
        default: break;  // a kind this format does not carry leaves the slot as it is
      }
    }
  }
}
