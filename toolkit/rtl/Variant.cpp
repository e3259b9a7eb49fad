#include "Variant.h"

#include <cmath>

#include "SysUtils.h"

namespace {

const char* TypeName(Word t) {
  switch (t) {
    case varEmpty: return "Empty";
    case varNull: return "Null";
    case varSmallint: return "Smallint";
    case varInteger: return "Integer";
    case varSingle: return "Single";
    case varDouble: return "Double";
    case varCurrency: return "Currency";
    case varDate: return "Date";
    case varOleStr: return "OleStr";
    case varBoolean: return "Boolean";
    case varShortInt: return "ShortInt";
    case varByte: return "Byte";
    case varWord: return "Word";
    case varLongWord: return "LongWord";
    case varInt64: return "Int64";
    case varString: return "String";
    case varUString: return "UnicodeString";
    default: return "Unknown";
  }
}

[[noreturn]] void ConvError(Word from, const char* to) {
  throw EVariantError(String("Could not convert variant of type (") + TypeName(from) +
                      ") into type (" + to + ")");
}

}  // namespace

Variant Variant::Null() {
  Variant v;
  v.FType = varNull;
  return v;
}

Variant Variant::FromDate(double DateTime) {
  Variant v(DateTime);
  v.FType = varDate;
  return v;
}

Variant Variant::OfType(Word VarType, double Value) {
  Variant v;
  switch (VarType) {
    case varSmallint:
    case varInteger:
    case varShortInt:
    case varByte:
    case varWord:
    case varLongWord:
    case varInt64: v.FValue = static_cast<Int64>(std::nearbyint(Value)); break;
    case varSingle: v.FValue = static_cast<double>(static_cast<float>(Value)); break;
    case varDouble:
    case varCurrency:
    case varDate: v.FValue = Value; break;
    default: throw EVariantError("Invalid variant type");
  }
  v.FType = VarType;
  return v;
}

bool Variant::IsNumeric() const {
  switch (FType) {
    case varSmallint:
    case varInteger:
    case varSingle:
    case varDouble:
    case varCurrency:
    case varBoolean:
    case varShortInt:
    case varByte:
    case varWord:
    case varLongWord:
    case varInt64: return true;
    default: return false;
  }
}

double Variant::AsDouble() const {
  if (FType == varNull) ConvError(FType, "Double");
  if (std::holds_alternative<std::monostate>(FValue)) return 0.0;
  if (auto b = std::get_if<bool>(&FValue)) return *b ? -1.0 : 0.0;
  if (auto i = std::get_if<Int64>(&FValue)) return static_cast<double>(*i);
  if (auto d = std::get_if<double>(&FValue)) return *d;
  const String& s = std::get<String>(FValue);
  double v;
  if (TryStrToFloat(s, v)) return v;
  if (SameText(Trim(s), "True")) return -1.0;
  if (SameText(Trim(s), "False")) return 0.0;
  ConvError(FType, "Double");
}

Int64 Variant::AsInt64() const {
  if (FType == varNull) ConvError(FType, "Int64");
  if (std::holds_alternative<std::monostate>(FValue)) return 0;
  if (auto b = std::get_if<bool>(&FValue)) return *b ? -1 : 0;
  if (auto i = std::get_if<Int64>(&FValue)) return *i;
  if (auto d = std::get_if<double>(&FValue)) {
    if (!std::isfinite(*d) || std::fabs(*d) >= 9.2233720368547758e18) ConvError(FType, "Int64");
    return static_cast<Int64>(std::nearbyint(*d));
  }
  const String& s = std::get<String>(FValue);
  Int64 v;
  if (TryStrToInt64(Trim(s), v)) return v;
  double d;
  if (TryStrToFloat(s, d) && std::fabs(d) < 9.2233720368547758e18)
    return static_cast<Int64>(std::nearbyint(d));
  if (SameText(Trim(s), "True")) return -1;
  if (SameText(Trim(s), "False")) return 0;
  ConvError(FType, "Int64");
}

Integer Variant::AsInteger() const {
  Int64 v = AsInt64();
  if (v < INT32_MIN || v > INT32_MAX) ConvError(FType, "Integer");
  return static_cast<Integer>(v);
}

bool Variant::AsBoolean() const {
  if (FType == varNull) ConvError(FType, "Boolean");
  if (std::holds_alternative<std::monostate>(FValue)) return false;
  if (auto b = std::get_if<bool>(&FValue)) return *b;
  if (auto i = std::get_if<Int64>(&FValue)) return *i != 0;
  if (auto d = std::get_if<double>(&FValue)) return *d != 0;
  const String& s = std::get<String>(FValue);
  if (SameText(Trim(s), "True")) return true;
  if (SameText(Trim(s), "False")) return false;
  double v;
  if (TryStrToFloat(s, v)) return v != 0;
  ConvError(FType, "Boolean");
}

String Variant::AsString() const {
  if (FType == varNull) ConvError(FType, "String");
  return VarToStr(*this);
}

bool Variant::operator==(const Variant& Other) const {
  return FType == Other.FType && FValue == Other.FValue;
}

String VarToStr(const Variant& V) {
  switch (V.VarType()) {
    case varEmpty:
    case varNull: return String();
    case varBoolean: return V.AsBoolean() ? "True" : "False";
    case varDate: return DateTimeToStr(V.AsDouble());
    case varSingle: return FloatToStrF(V.AsDouble(), ffGeneral, 7, 0);
    case varDouble:
    case varCurrency: return FloatToStr(V.AsDouble());
    default:
      if (V.IsText()) return std::get<String>(V.FValue);
      return IntToStr(V.AsInt64());
  }
}
