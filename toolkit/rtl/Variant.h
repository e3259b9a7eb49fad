#pragma once
// A variant value: empty, null, Boolean, integer, real, date or text, converting as the
// platform does (True is -1 as a number, "True"/"False" as text).

#include <variant>

#include "System.h"

constexpr Word varEmpty = 0;
constexpr Word varNull = 1;
constexpr Word varSmallint = 2;
constexpr Word varInteger = 3;
constexpr Word varSingle = 4;
constexpr Word varDouble = 5;
constexpr Word varCurrency = 6;
constexpr Word varDate = 7;
constexpr Word varOleStr = 8;
constexpr Word varBoolean = 11;
constexpr Word varShortInt = 16;
constexpr Word varByte = 17;
constexpr Word varWord = 18;
constexpr Word varLongWord = 19;
constexpr Word varInt64 = 20;
constexpr Word varString = 256;
constexpr Word varUString = 258;

class EVariantError : public Exception {
  using Exception::Exception;
};

class Variant {
public:
  Variant() = default;  // empty
  Variant(bool V) : FType(varBoolean), FValue(V) {}
  Variant(Integer V) : FType(varInteger), FValue(static_cast<Int64>(V)) {}
  Variant(Int64 V) : FType(varInt64), FValue(V) {}
  Variant(Cardinal V) : FType(varLongWord), FValue(static_cast<Int64>(V)) {}
  Variant(float V) : FType(varSingle), FValue(static_cast<double>(V)) {}
  Variant(double V) : FType(varDouble), FValue(V) {}
  Variant(long double V) : FType(varDouble), FValue(static_cast<double>(V)) {}
  Variant(const char* V) : FType(varUString), FValue(String(V != nullptr ? V : "")) {}
  Variant(const String& V) : FType(varUString), FValue(V) {}

  static Variant Null();
  static Variant FromDate(double DateTime);
  // A variant of any numeric kind code (2..6, 16..20) holding Value; other codes raise.
  static Variant OfType(Word VarType, double Value);

  Word VarType() const { return FType; }
  bool IsEmpty() const { return FType == varEmpty; }
  bool IsNull() const { return FType == varNull; }
  bool IsNumeric() const;  // integer, real, currency or Boolean kinds
  bool IsText() const { return FType == varOleStr || FType == varString || FType == varUString; }

  // Conversions. Empty converts to 0 / "" / False; Null raises EVariantError
  // ("Could not convert variant of type (Null) into type (Double)"); text converts through
  // StrToFloat / StrToInt64 and "True"/"False" (case ignored), raising EVariantError when it
  // does not convert; Boolean True is -1 as a number.
  double AsDouble() const;
  Int64 AsInt64() const;  // reals rounded halves to even
  Integer AsInteger() const;
  bool AsBoolean() const;   // a number: nonzero is True
  String AsString() const;  // as VarToStr, but Null raises

  bool operator==(const Variant& Other) const;

private:
  friend String VarToStr(const Variant& V);
  Word FType = varEmpty;
  std::variant<std::monostate, bool, Int64, double, String> FValue;
};

// The variant's text: empty and null give "", Boolean "True"/"False", numbers as IntToStr /
// FloatToStr, a date as DateTimeToStr.
String VarToStr(const Variant& V);
inline Word VarType(const Variant& V) { return V.VarType(); }
inline bool VarIsNull(const Variant& V) { return V.IsNull(); }
inline bool VarIsEmpty(const Variant& V) { return V.IsEmpty(); }
inline Variant Null() { return Variant::Null(); }
