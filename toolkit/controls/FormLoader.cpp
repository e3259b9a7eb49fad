#include "FormLoader.h"

#include <QFile>

#include <cctype>
#include <charconv>
#include <mutex>
#include <string_view>
#include <utility>

#include "ComCtrls.h"
#include "Controls.h"
#include "Dialogs.h"
#include "ExtCtrls.h"
#include "Forms.h"
#include "Grids.h"
#include "StdCtrls.h"
#include "SysUtils.h"

namespace {

// ---- the parser --------------------------------------------------------------------------
// Character classes: ASCII directly, other bytes as the C library classifies them.
bool IsAsciiAlpha(unsigned char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsHexDigit(char c) { return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

// Whether an identifier is the keyword K (lower-case letters), without regard to case.
bool IsKeyword(std::string_view Id, std::string_view K) {
  if (Id.size() != K.size()) return false;
  for (size_t i = 0; i < Id.size(); ++i)
    if (LowerCaseChar(Id[i]) != K[i]) return false;
  return true;
}

bool IsObjectKeyword(std::string_view Id) {
  return IsKeyword(Id, "object") || IsKeyword(Id, "inherited") || IsKeyword(Id, "inline");
}

class TDescriptionParser {
public:
  TDescriptionParser(const String& Text, const String& Source) : T(Text), Src(Source) {}

  TDescribedObject ParseAll() {
    SkipSpace();
    if (!IsObjectKeyword(PeekIdent())) Fail("the description must start with 'object'");
    TDescribedObject root = ParseObject();
    SkipSpace();
    if (Pos < T.size()) Fail("text after the final 'end'");
    return root;
  }

private:
  const String& T;
  const String& Src;
  size_t Pos = 0;
  int Line = 1;

  // Objects and lists are parsed by recursion, one level of the stack per level of nesting:
  // the depth is bounded, so a description nested without end is a syntax error, not a
  // stack overflow (in the parser, the loader or the controls it would build).
  static constexpr int kMaxNesting = 256;
  int Depth = 0;
  class TNesting {
  public:
    explicit TNesting(TDescriptionParser& Parser) : P(Parser) {
      if (P.Depth >= kMaxNesting)
        P.Fail("objects and lists nested deeper than " + IntToStr(kMaxNesting) + " levels");
      ++P.Depth;
    }
    ~TNesting() { --P.Depth; }
    TNesting(const TNesting&) = delete;
    TNesting& operator=(const TNesting&) = delete;

  private:
    TDescriptionParser& P;
  };

  [[noreturn]] void Fail(const String& Msg, int AtLine = 0) const {
    throw Exception(Src + ", line " + IntToStr(AtLine > 0 ? AtLine : Line) + ": " + Msg);
  }

  bool AtEnd() const { return Pos >= T.size(); }
  char Cur() const { return Pos < T.size() ? T[Pos] : '\0'; }
  char Next() const { return Pos + 1 < T.size() ? T[Pos + 1] : '\0'; }

  // Blanks, line ends and // comments.
  void SkipSpace() {
    while (!AtEnd()) {
      const char c = Cur();
      if (c == '\n') {
        ++Line;
        ++Pos;
      } else if (c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v') {
        ++Pos;
      } else if (c == '/' && Next() == '/') {
        SkipToLineEnd();
      } else {
        break;
      }
    }
  }

  void SkipToLineEnd() {
    const size_t e = T.find('\n', Pos);
    Pos = e == String::npos ? T.size() : e;
  }

  // Blanks and comments on the current line only.
  void SkipInlineSpace() {
    while (!AtEnd()) {
      const char c = Cur();
      if (c == ' ' || c == '\t' || c == '\r')
        ++Pos;
      else if (c == '/' && Next() == '/')
        SkipToLineEnd();
      else
        break;
    }
  }

  static bool IdentStart(char c) {
    const auto u = static_cast<unsigned char>(c);
    return u < 0x80 ? IsAsciiAlpha(u) || c == '_' : std::isalpha(u) != 0;
  }
  static bool IdentChar(char c) {
    const auto u = static_cast<unsigned char>(c);
    return u < 0x80 ? IsAsciiAlpha(u) || IsDigit(c) || c == '_' || c == '.'
                    : std::isalnum(u) != 0;
  }

  // The identifier at the current position (empty when none starts there); a view into T.
  std::string_view PeekIdent() const {
    size_t p = Pos;
    if (p >= T.size() || !IdentStart(T[p])) return {};
    while (p < T.size() && IdentChar(T[p])) ++p;
    return std::string_view(T).substr(Pos, p - Pos);
  }

  String ReadIdent(const char* What) {
    const std::string_view id = PeekIdent();
    if (id.empty()) Fail(String(What) + " expected");
    Pos += id.size();
    return String(id);
  }

  void Expect(char C) {
    SkipSpace();
    if (Cur() != C) Fail(String("'") + C + "' expected");
    ++Pos;
  }

  TDescribedObject ParseObject() {
    const TNesting nesting(*this);
    TDescribedObject o;
    o.Line = Line;
    ReadIdent("'object'");
    SkipInlineSpace();
    String first = ReadIdent("a component name");
    SkipInlineSpace();
    if (Cur() == ':') {
      ++Pos;
      SkipInlineSpace();
      o.Name = std::move(first);
      o.ClassName = ReadIdent("a class name");
    } else {
      o.ClassName = std::move(first);
    }
    o.Properties.reserve(8);  // enough for most objects: one allocation instead of four
    for (;;) {
      SkipSpace();
      if (AtEnd())
        Fail("'end' missing for the object '" + (o.Name.empty() ? o.ClassName : o.Name) +
             "' that begins on line " + IntToStr(o.Line));
      const std::string_view id = PeekIdent();
      if (IsKeyword(id, "end")) {
        Pos += id.size();
        return o;
      }
      if (IsObjectKeyword(id)) {
        o.Children.push_back(ParseObject());
        continue;
      }
      if (id.empty()) Fail(String("unexpected '") + Cur() + "'");
      TDescribedObject::Property& p = o.Properties.emplace_back();
      p.Line = Line;
      p.Name.assign(id);
      Pos += id.size();
      Expect('=');
      SkipSpace();
      p.Value = ParseValue();
    }
  }

  TPropValue ParseValue() {
    TPropValue v;
    const char c = Cur();
    if (c == '[') {
      ++Pos;
      v.kind = TPropValue::Kind::Set;
      SkipSpace();
      if (Cur() == ']') {
        ++Pos;
        return v;
      }
      for (;;) {
        SkipSpace();
        v.items.push_back(ReadIdent("a set member"));
        SkipSpace();
        if (Cur() == ',') {
          ++Pos;
          continue;
        }
        if (Cur() == ']') {
          ++Pos;
          return v;
        }
        Fail("',' or ']' expected in a set");
      }
    }
    if (c == '(') {
      const TNesting nesting(*this);
      ++Pos;
      v.kind = TPropValue::Kind::List;
      const int start = Line;
      for (;;) {
        SkipSpace();
        if (AtEnd()) Fail("')' missing for the list that begins on line " + IntToStr(start));
        if (Cur() == ')') {
          ++Pos;
          return v;
        }
        TPropValue item = ParseValue();
        if (item.kind == TPropValue::Kind::Set || item.kind == TPropValue::Kind::List ||
            item.kind == TPropValue::Kind::Binary)
          Fail("a list holds only texts, numbers and names");
        v.items.push_back(std::move(item.s));
      }
    }
    if (c == '{') {
      ++Pos;
      v.kind = TPropValue::Kind::Binary;
      const int start = Line;
      int half = -1;
      for (;;) {
        if (AtEnd()) Fail("'}' missing for the data that begin on line " + IntToStr(start));
        const char h = Cur();
        ++Pos;
        if (h == '}') break;
        if (h == '\n') {
          ++Line;
          continue;
        }
        if (h == ' ' || h == '\t' || h == '\r') continue;
        int d;
        if (h >= '0' && h <= '9')
          d = h - '0';
        else if (h >= 'a' && h <= 'f')
          d = h - 'a' + 10;
        else if (h >= 'A' && h <= 'F')
          d = h - 'A' + 10;
        else
          Fail(String("'") + h + "' is not a hexadecimal digit");
        if (half < 0) {
          half = d;
        } else {
          v.s.push_back(static_cast<char>(half * 16 + d));
          half = -1;
        }
      }
      if (half >= 0) Fail("the data end with half a byte");
      return v;
    }
    if (c == '\'' || c == '"' || c == '#') {
      v.kind = TPropValue::Kind::String;
      v.s = ParseStringExpr();
      return v;
    }
    if (IsDigit(c) || c == '-' || c == '+' || c == '$') return ParseNumber();
    if (IdentStart(c)) {
      String id = ReadIdent("a value");
      if (SameText(id, "file")) {
        SkipInlineSpace();
        if (Cur() != '\'' && Cur() != '"') Fail("a file name in quotes expected after 'file'");
        const int at = Line;
        const String name = ParseStringExpr();
        v.kind = TPropValue::Kind::Binary;
        try {
          v.s = ReadDescribedFile(name);
        } catch (const Exception& e) {
          Fail(e.Message, at);
        }
        return v;
      }
      v.kind = TPropValue::Kind::Ident;
      v.s = std::move(id);
      return v;
    }
    if (AtEnd()) Fail("a value expected");
    Fail(String("unexpected '") + c + "'");
  }

  TPropValue ParseNumber() {
    TPropValue v;
    const size_t start = Pos;
    bool negative = false;
    if (Cur() == '-' || Cur() == '+') {
      negative = Cur() == '-';
      ++Pos;
    }
    if (Cur() == '$') {
      ++Pos;
      const size_t h = Pos;
      while (IsHexDigit(Cur())) ++Pos;
      if (h == Pos) Fail("hexadecimal digits expected after '$'");
      unsigned long long u = 0;
      auto r = std::from_chars(T.data() + h, T.data() + Pos, u, 16);
      if (r.ec != std::errc()) Fail("the number " + T.substr(start, Pos - start) + " is too large");
      v.kind = TPropValue::Kind::Integer;
      // $FF000000-style colours are 32-bit values.
      Int64 i = u <= 0xFFFFFFFFull
                    ? static_cast<Int64>(static_cast<std::int32_t>(static_cast<std::uint32_t>(u)))
                    : static_cast<Int64>(u);
      v.i = negative ? -i : i;
      v.s = T.substr(start, Pos - start);
      return v;
    }
    const size_t digits = Pos;
    bool real = false;
    while (IsDigit(Cur())) ++Pos;
    if (Cur() == '.' && IsDigit(Next())) {
      real = true;
      ++Pos;
      while (IsDigit(Cur())) ++Pos;
    }
    if ((Cur() == 'e' || Cur() == 'E') &&
        (IsDigit(Next()) ||
         ((Next() == '-' || Next() == '+') && Pos + 2 < T.size() && IsDigit(T[Pos + 2])))) {
      real = true;
      Pos += 2;
      while (IsDigit(Cur())) ++Pos;
    }
    if (digits == Pos) Fail("a number expected");
// g++ 12 at -O3 sees an impossible overlap in the inlined string copy (a compiler fault).
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wrestrict"
    if (IdentChar(Cur())) Fail("'" + T.substr(start, Pos - start + 1) + "' is not a number");
#pragma GCC diagnostic pop
    v.s = T.substr(start, Pos - start);
    if (real) {
      v.kind = TPropValue::Kind::Float;
      long double f = 0;
      auto r = std::from_chars(T.data() + digits, T.data() + Pos, f);
      if (r.ec != std::errc()) Fail("the number " + v.s + " is out of range");
      v.f = negative ? -f : f;
      v.i = static_cast<Int64>(v.f);
    } else {
      v.kind = TPropValue::Kind::Integer;
      Int64 i = 0;
      auto r = std::from_chars(T.data() + digits, T.data() + Pos, i);
      if (r.ec != std::errc()) Fail("the number " + v.s + " is too large");
      v.i = negative ? -i : i;
      v.f = static_cast<long double>(v.i);
    }
    return v;
  }

  static void AppendUtf8(String& S, unsigned long Cp) {
    if (Cp < 0x80) {
      S.push_back(static_cast<char>(Cp));
    } else if (Cp < 0x800) {
      S.push_back(static_cast<char>(0xC0 | (Cp >> 6)));
      S.push_back(static_cast<char>(0x80 | (Cp & 0x3F)));
    } else if (Cp < 0x10000) {
      S.push_back(static_cast<char>(0xE0 | (Cp >> 12)));
      S.push_back(static_cast<char>(0x80 | ((Cp >> 6) & 0x3F)));
      S.push_back(static_cast<char>(0x80 | (Cp & 0x3F)));
    } else {
      S.push_back(static_cast<char>(0xF0 | (Cp >> 18)));
      S.push_back(static_cast<char>(0x80 | ((Cp >> 12) & 0x3F)));
      S.push_back(static_cast<char>(0x80 | ((Cp >> 6) & 0x3F)));
      S.push_back(static_cast<char>(0x80 | (Cp & 0x3F)));
    }
  }

  // 'single' (with '' for a quote), "double" (with \ escapes) and #13 character codes, joined
  // when adjacent or with '+'.
  String ParseStringExpr() {
    String out;
    for (;;) {
      const char c = Cur();
      if (c == '\'') {
        ++Pos;
        for (;;) {
          // The plain run up to the next quote or line end in one piece.
          size_t e = Pos;
          while (e < T.size() && T[e] != '\'' && T[e] != '\n') ++e;
          out.append(T, Pos, e - Pos);
          Pos = e;
          if (AtEnd() || Cur() == '\n') Fail("unterminated text");
          // A quote: doubled it stands for itself, else it ends the text.
          if (Next() == '\'') {
            out.push_back('\'');
            Pos += 2;
            continue;
          }
          ++Pos;
          break;
        }
      } else if (c == '"') {
        ++Pos;
        for (;;) {
          if (AtEnd() || Cur() == '\n') Fail("unterminated text");
          const char d = Cur();
          ++Pos;
          if (d == '"') break;
          if (d == '\\') {
            const char e = Cur();
            ++Pos;
            switch (e) {
              case 'n': out.push_back('\n'); break;
              case 't': out.push_back('\t'); break;
              case 'r': out.push_back('\r'); break;
              case '"': out.push_back('"'); break;
              case '\\': out.push_back('\\'); break;
              default: Fail(String("unknown escape \\") + e);
            }
            continue;
          }
          out.push_back(d);
        }
      } else if (c == '#') {
        ++Pos;
        const size_t s = Pos;
        unsigned long cp = 0;
        std::from_chars_result r{};
        if (Cur() == '$') {
          ++Pos;
          while (IsHexDigit(Cur())) ++Pos;
          r = std::from_chars(T.data() + s + 1, T.data() + Pos, cp, 16);
        } else {
          while (IsDigit(Cur())) ++Pos;
          r = std::from_chars(T.data() + s, T.data() + Pos, cp, 10);
        }
        if (r.ec != std::errc() || cp > 0x10FFFF) Fail("a character code expected after '#'");
        AppendUtf8(out, cp);
      } else {
        Fail("a text expected");
      }
      const char n = Cur();
      if (n == '\'' || n == '"' || n == '#') continue;
      const size_t save = Pos;
      const int saveLine = Line;
      SkipInlineSpace();
      if (Cur() == '+') {
        ++Pos;
        SkipSpace();
        continue;
      }
      Pos = save;
      Line = saveLine;
      return out;
    }
  }
};

// ---- the loader --------------------------------------------------------------------------
struct TLoadContext {
  TComponent* Root;
  String Source;  // "Unit9.form (Form9)"
  std::vector<std::pair<TComponent*, const TDescribedObject*>> Created;
};

[[noreturn]] void Fail(const TLoadContext& C, int Line, const String& Component,
                       const String& Msg) {
  throw Exception(C.Source + ", line " + IntToStr(Line) +
                  (Component.empty() ? String() : ", " + Component) + ": " + Msg);
}

String ErrorText(std::exception_ptr E) {
  try {
    std::rethrow_exception(E);
  } catch (const Exception& e) {
    return e.Message;
  } catch (const std::exception& e) {
    return e.what();
  } catch (...) {
    return "unknown error";
  }
}

bool IsEventName(const String& Name) {
  return Name.size() > 2 && Name[0] == 'O' && Name[1] == 'n' &&
         std::isupper(static_cast<unsigned char>(Name[2])) && Name.find('.') == String::npos;
}

void ApplyProperties(TLoadContext& C, TComponent* Target, const TDescribedObject& O,
                     const String& Label) {
  for (const auto& p : O.Properties) {
    bool known = false;
    bool event = false;
    try {
      if (IsEventName(p.Name) && p.Value.kind == TPropValue::Kind::Ident) {
        event = true;
        known = Target->SetDescribedEvent(p.Name, p.Value.s, C.Root);
      } else {
        known = Target->SetDescribedProperty(p.Name, p.Value);
      }
    } catch (...) {
      Fail(C, p.Line, Label, p.Name + ": " + ErrorText(std::current_exception()));
    }
    if (!known)
      Fail(C, p.Line, Label,
           String(event ? "unknown event '" : "unknown property '") + p.Name + "' of " +
               Target->ClassName());
  }
}

void CreateChildren(TLoadContext& C, const TDescribedObject& O, TWinControl* ParentControl,
                    const String& ParentLabel, bool ParentIsControl) {
  for (const TDescribedObject& child : O.Children) {
    const String& label = child.Name.empty() ? child.ClassName : child.Name;
    const TComponentFactory* factory = FindComponentClass(child.ClassName);
    if (factory == nullptr) Fail(C, child.Line, label, "unknown class " + child.ClassName);
    TComponent* comp = nullptr;
    try {
      comp = (*factory)(C.Root);
    } catch (...) {
      Fail(C, child.Line, label, "cannot be created: " + ErrorText(std::current_exception()));
    }
    if (comp == nullptr)
      Fail(C, child.Line, label, "the class " + child.ClassName + " made no component");
    comp->BeginLoading();
    C.Created.emplace_back(comp, &child);
    try {
      if (!child.Name.empty()) comp->SetName(child.Name);
    } catch (...) {
      Fail(C, child.Line, label, ErrorText(std::current_exception()));
    }
    auto* control = dynamic_cast<TControl*>(comp);
    if (control != nullptr) {
      if (ParentControl == nullptr) {
        if (ParentIsControl)
          Fail(C, child.Line, label, ParentLabel + " cannot hold other controls");
      } else {
        control->SetParent(ParentControl);
      }
    }
    ApplyProperties(C, comp, child, label);
    auto* win = dynamic_cast<TWinControl*>(comp);
    if (control != nullptr)
      CreateChildren(C, child, win, label, true);
    else
      CreateChildren(C, child, ParentControl, ParentLabel, ParentIsControl);
  }
}

}  // namespace

TDescribedObject ParseDescription(const String& Text, const String& Source) {
  return TDescriptionParser(Text, Source).ParseAll();
}

String ReadDescribedFile(const String& Name) {
  for (const String& path : {":/" + Name, Name}) {
    QFile f(QString::fromUtf8(path.data(), static_cast<qsizetype>(path.size())));
    if (f.open(QIODevice::ReadOnly)) {
      const QByteArray b = f.readAll();
      return String(b.constData(), static_cast<size_t>(b.size()));
    }
  }
  throw Exception("the file '" + Name + "' cannot be found");
}

void LoadDescriptionInto(TComponent* Root, const TDescribedObject& Description,
                         const String& Source) {
  const String rootLabel = Description.Name.empty() ? Description.ClassName : Description.Name;
  TLoadContext C{Root, Source + " (" + rootLabel + ")", {}};
  Root->BeginLoading();
  try {
    if (!Description.Name.empty()) Root->SetName(Description.Name);
  } catch (...) {
    Fail(C, Description.Line, rootLabel, ErrorText(std::current_exception()));
  }
  ApplyProperties(C, Root, Description, rootLabel);
  auto* rootControl = dynamic_cast<TWinControl*>(Root);
  CreateChildren(C, Description, rootControl, rootLabel, dynamic_cast<TControl*>(Root) != nullptr);
  for (auto& [comp, obj] : C.Created) {
    try {
      comp->Loaded();
    } catch (...) {
      Fail(C, obj->Line, obj->Name.empty() ? obj->ClassName : obj->Name,
           ErrorText(std::current_exception()));
    }
  }
  try {
    Root->Loaded();
  } catch (...) {
    Fail(C, Description.Line, rootLabel, ErrorText(std::current_exception()));
  }
}

void LoadDescriptionInto(TComponent* Root, const String& Text, const String& Source) {
  LoadDescriptionInto(Root, ParseDescription(Text, Source), Source);
}

void RegisterToolkitClasses() {
  static std::once_flag once;
  std::call_once(once, [] {
    auto reg = [](const char* name, TComponentFactory f) {
      RegisterComponentClass(name, std::move(f));
    };
#define KESTAL_TOOLKIT_CLASS(Cls) reg(#Cls, [](TComponent* o) -> TComponent* { return new Cls(o); })
    KESTAL_TOOLKIT_CLASS(TLabel);
    KESTAL_TOOLKIT_CLASS(TEdit);
    KESTAL_TOOLKIT_CLASS(TMemo);
    KESTAL_TOOLKIT_CLASS(TButton);
    KESTAL_TOOLKIT_CLASS(TRadioButton);
    KESTAL_TOOLKIT_CLASS(TCheckBox);
    KESTAL_TOOLKIT_CLASS(TListBox);
    KESTAL_TOOLKIT_CLASS(TComboBox);
    KESTAL_TOOLKIT_CLASS(TGroupBox);
    KESTAL_TOOLKIT_CLASS(TPanel);
    KESTAL_TOOLKIT_CLASS(TBevel);
    KESTAL_TOOLKIT_CLASS(TImage);
    KESTAL_TOOLKIT_CLASS(TTimer);
    KESTAL_TOOLKIT_CLASS(TStringGrid);
    KESTAL_TOOLKIT_CLASS(TListView);
    KESTAL_TOOLKIT_CLASS(TDateTimePicker);
    KESTAL_TOOLKIT_CLASS(TCalendarPicker);
    KESTAL_TOOLKIT_CLASS(TPaintBox);
    KESTAL_TOOLKIT_CLASS(TSaveDialog);
#undef KESTAL_TOOLKIT_CLASS
  });
}
