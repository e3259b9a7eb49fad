// The values of window descriptions as the controls take them: enumerations and colours by
// name, fonts by their parts, lists of texts, alignments.

#include "ControlsQt.h"
#include "SysUtils.h"

int DescribedEnum(const TPropValue& Value,
                  std::initializer_list<std::pair<const char*, int>> Names) {
  if (Value.kind == TPropValue::Kind::Ident) {
    for (const auto& n : Names)
      if (SameText(n.first, Value.s)) return n.second;
    throw EConvertError("unknown value '" + Value.s + "'");
  }
  return static_cast<int>(Value.AsInteger());
}

TColor DescribedColor(const TPropValue& Value) {
  if (Value.kind == TPropValue::Kind::Ident) {
    TColor c;
    if (IdentToColor(Value.s, c)) return c;
    throw EConvertError("unknown colour '" + Value.s + "'");
  }
  return static_cast<TColor>(Value.AsInteger());
}

bool SetDescribedFont(TFont* Font, const String& Sub, const TPropValue& Value) {
  if (Sub == "Name")
    Font->SetName(Value.AsString());
  else if (Sub == "Size")
    Font->SetSize(static_cast<int>(Value.AsInteger()));
  else if (Sub == "Height")
    Font->SetHeight(static_cast<int>(Value.AsInteger()));
  else if (Sub == "Color")
    Font->SetColor(DescribedColor(Value));
  else if (Sub == "Style") {
    if (Value.kind != TPropValue::Kind::Set) throw EConvertError("a set of font styles expected");
    TFontStyles st;
    for (const String& it : Value.items) {
      if (SameText(it, "fsBold"))
        st = st + fsBold;
      else if (SameText(it, "fsItalic"))
        st = st + fsItalic;
      else if (SameText(it, "fsUnderline"))
        st = st + fsUnderline;
      else if (SameText(it, "fsStrikeOut"))
        st = st + fsStrikeOut;
      else
        throw EConvertError("unknown font style '" + it + "'");
    }
    Font->SetStyle(st);
  } else
    return false;
  return true;
}

void SetDescribedStrings(TStrings* Strings, const TPropValue& Value) {
  if (Value.kind != TPropValue::Kind::List) throw EConvertError("a list of texts ( ... ) expected");
  Strings->BeginUpdate();
  Strings->Clear();
  for (const String& s : Value.items) Strings->Add(s);
  Strings->EndUpdate();
}

Qt::Alignment QtAlignment(int Alignment) {
  switch (Alignment) {
    case 1: return Qt::AlignRight | Qt::AlignVCenter;
    case 2: return Qt::AlignHCenter | Qt::AlignVCenter;
    default: return Qt::AlignLeft | Qt::AlignVCenter;
  }
}
