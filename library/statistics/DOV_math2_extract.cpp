// The text extractor: a read position moves through the source while the script's commands
// copy pieces into variables, compute with the evaluator and hand values to the caller.

#include <algorithm>
#include <limits>

#include "DOV_dstruct_typed.h"
#include "DOV_filesys.h"
#include "DOV_math1.h"
#include "DOV_math2_expr.h"
#include "DOV_stringl.h"
#include "SysUtils.h"

namespace {

// A piece taken from the parameter text behind a separator keeps at most this many bytes.
constexpr size_t MaxPiece = 255;
// scandatetime reads this many characters from the read position.
constexpr Integer DateTextLength = 30;

enum TCommand {
  cmPos,
  cmInc,
  cmFind,
  cmCopy,
  cmEmit,
  cmCalc,
  cmMakeLC,
  cmMakeUC,
  cmStrComp,
  cmExitOn,
  cmCopyUntil,
  cmScanDateTime,
  cmAssign
};
constexpr const char* CommandNames[] = {"pos",       "inc",          "find",   "copy",    "emit",
                                        "calc",      "makelc",       "makeuc", "strcomp", "exiton",
                                        "copyuntil", "scandatetime", "assign"};
constexpr const char* EmitTypeNames[] = {"etdefault", "etdouble",   "etinteger", "etboolean",
                                         "etstring",  "etdatetime", "etuser1",   "etuser2"};

String Piece(const String& s, size_t From) {
  return From >= s.size() ? String() : s.substr(From, MaxPiece);
}

// The text between the first two single quotes; false when there are not two.
bool QuotedText(const String& s, String& Text, size_t& AfterClose) {
  const size_t open = s.find('\'');
  if (open == String::npos) return false;
  const size_t close = s.find('\'', open + 1);
  if (close == String::npos) return false;
  Text = s.substr(open + 1, close - open - 1);
  AfterClose = close + 1;
  return true;
}

bool ValidName(const String& Name) {
  if (Name.empty()) return false;
  const unsigned char c = static_cast<unsigned char>(Name[0]);
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// Copy as the run-time has it: a start below 1 counts as 1, the count stays as given.
String CopyText(const String& s, Int64 Start, Int64 Count) {
  if (Start < 1) Start = 1;
  if (Count <= 0 || Start > static_cast<Int64>(s.size())) return String();
  return s.substr(static_cast<size_t>(Start - 1), static_cast<size_t>(Count));
}

// The number at the start of the parameter text and the position (0-based) of the parameter
// behind it (one character, the comma, later).
Integer LeadingNumber(const String& Params, size_t& Rest) {
  Integer pos = 1;
  const Integer n = ScanDecimal(Params, pos);
  Rest = static_cast<size_t>(pos);
  return n;
}

String VarText(const Variant& v) { return VarToStr(v); }

}  // namespace

TExtractor::TExtractor(TComponent* AOwner)
    : TComponent(AOwner), FVars(std::make_unique<TAssocArray>(nullptr)) {
  FVars->SetIgnoreCase(true);
}

TExtractor::~TExtractor() = default;

void TExtractor::Fail(const String& Reason) const {
  throw ESDLMath2Error(ComponentErrorMessage(this, Reason));
}

void TExtractor::Trace(const String& Line) const {
  if (!DebugFileName.empty()) AppendToTextFile(DebugFileName, Line);
}

Integer TExtractor::CommandCount() const { return static_cast<Integer>(FCommandList.size()); }

String TExtractor::Command(Integer ix) const {
  if (ix < 0 || ix >= CommandCount()) return String();
  return FCommandList[static_cast<size_t>(ix)];
}

Variant TExtractor::Value(const String& VarName) const { return FVars->Resolve(VarName); }

// A ";" ends a command wherever it stands (also inside quotes) and stays in it; control
// characters are dropped.
void TExtractor::SetExtCommands(const String& Value) {
  FCmds = StripLTBlanks(Value);
  FCommandList.clear();
  String current;
  for (size_t i = 0; i < FCmds.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(FCmds[i]);
    const bool last = i + 1 == FCmds.size();
    if (c == '\r' || c == '\n' || c == ';' || last) {
      if (c >= 32) current += static_cast<char>(c);
      current = StripLTBlanks(current);
      if (!current.empty()) FCommandList.push_back(current);
      current.clear();
    } else if (c >= 32) {
      current += static_cast<char>(c);
    }
  }
}

void TExtractor::SetPos(Int64 NewPos, bool Clamp) {
  const Int64 hi =
      Clamp ? static_cast<Int64>(FSource.size()) + 1 : std::numeric_limits<Integer>::max();
  const Int64 lo = Clamp ? 1 : 0;
  FSPos = static_cast<Integer>(std::clamp(NewPos, lo, hi));
}

bool TExtractor::Execute() {
  if (!DebugFileName.empty()) {
    Trace("");
    Trace("------------ " + FormatDateTime("yyyy-mm-dd  hh:nn:ss", Now()) + " ------------");
    Trace("Source data to be interpreted: " + FSource);
  }
  FSPos = 0;
  FVars->Clear();
  FInstPoi = 0;
  FStopped = false;
  // An empty script has nothing to run.
  if (FCommandList.empty()) {
    FInstPoi = -1;
    return true;
  }
  while (FInstPoi != -1 && !FStopped) {
    ExecuteCommand(FCommandList[static_cast<size_t>(FInstPoi)]);
    ++FInstPoi;
    if (FInstPoi >= CommandCount()) FInstPoi = -1;
  }
  return !FStopped;
}

// Evaluates with a fresh evaluator whose variables are the extractor's, and traces the
// variables it asked for.
Variant TExtractor::EvaluateFor(const String& Expression, TUsedVariables& Used) {
  TMathExpression evaluator(nullptr);
  Used.clear();
  evaluator.OnVarRequest = [this, &Used](TObject*, const String& VarName, Variant& Value, Integer) {
    Value = FVars->Resolve(VarName);
    if (Value.IsText() && Value.AsString().empty()) Value = Null();
    const bool seen = std::any_of(Used.begin(), Used.end(),
                                  [&](const auto& u) { return SameText(u.first, VarName); });
    if (!seen) Used.emplace_back(VarName, Value);
  };
  evaluator.SetExpression(Expression);
  return evaluator.Evaluate();
}

void TExtractor::ExecuteCommand(const String& Cmd) {
  Trace("Execute \"" + Cmd + "\"");
  const String cmd = StripLTBlanks(Cmd);
  if (cmd.empty() || cmd[0] == '#') return;
  const size_t open = cmd.find('(');
  if (open == String::npos) Fail("missing parameters in command \"" + cmd + "\"");
  const size_t close = cmd.rfind(')');
  if (close == String::npos) Fail("unmatched paranthesis in command \"" + cmd + "\"");
  const String name = StripLTBlanks(cmd.substr(0, open));
  const String params =
      close > open ? StripLTBlanks(cmd.substr(open + 1, close - open - 1)) : String();
  const auto* found = std::find_if(std::begin(CommandNames), std::end(CommandNames),
                                   [&](const char* n) { return name == n; });
  if (found == std::end(CommandNames)) Fail("command \"" + name + "\" is unknown");
  const auto command = static_cast<TCommand>(found - std::begin(CommandNames));
  const auto tracePos = [this] { Trace("  ... FSPos=" + IntToStr(FSPos)); };
  TUsedVariables used;
  const auto traceUsed = [this, &used](const String& Purpose) {
    Trace("  ... variables used for " + Purpose + ": ");
    for (const auto& [n, v] : used) Trace("       " + n + "=" + VarText(v));
  };
  const size_t eq = params.find('=');
  // Text before the first "=" as written, and the piece behind it (the whole text without "=").
  const String beforeEq = eq == String::npos ? String() : params.substr(0, eq);
  const String afterEq = eq == String::npos ? Piece(params, 0) : Piece(params, eq + 1);

  switch (command) {
    case cmPos:
    case cmInc: {
      size_t rest;
      const Integer n = LeadingNumber(params, rest);
      SetPos(command == cmPos ? Int64(n) : Int64(FSPos) + n, true);
      tracePos();
      break;
    }
    case cmFind: {
      size_t rest;
      const Integer n = LeadingNumber(params, rest);
      String text;
      size_t after;
      if (!QuotedText(params, text, after)) text = StripLTBlanks(Piece(params, rest));
      const Integer at = NumberedPos(text, FSource, FSPos, n, true);
      if (at > 0) FSPos = at;
      tracePos();
      break;
    }
    case cmCopy: {
      size_t rest;
      const Integer n = LeadingNumber(params, rest);
      const String var = StripLTBlanks(Piece(params, rest));
      if (!ValidName(var)) Fail("invalid variable name in command \"copy\"");
      if (n < 1) Fail("invalid number of characters in command \"copy\"");
      const String value = CopyText(FSource, FSPos, n);
      FVars->Add(var, Variant(value));
      SetPos(Int64(FSPos) + n, false);
      tracePos();
      Trace("  ... " + var + "=" + value);
      break;
    }
    case cmCopyUntil: {
      String delimiter;
      size_t afterClose;
      if (!QuotedText(params, delimiter, afterClose)) break;
      const size_t comma = params.find(',', afterClose);
      const String var = comma == String::npos ? String() : StripLTBlanks(Piece(params, comma + 1));
      if (!ValidName(var)) Fail("invalid variable name in command \"copy\"");
      const Integer at = NumberedPos(delimiter, FSource, FSPos, 1, true);
      String value;
      if (at > 0) {
        value = CopyText(FSource, FSPos, Int64(at) - FSPos);
        SetPos(Int64(at) + static_cast<Int64>(delimiter.size()), false);
      } else {
        value = CopyText(FSource, FSPos, static_cast<Int64>(FSource.size()) - FSPos + 1);
        FSPos = static_cast<Integer>(FSource.size()) + 1;
      }
      FVars->Add(var, Variant(value));
      tracePos();
      Trace("  ... " + var + "=" + value);
      break;
    }
    case cmEmit: {
      String expression = afterEq;
      TEmitType type = etDefault;
      const size_t colon = expression.find(':');
      if (colon != String::npos) {
        const String typeName = LowerCase(expression.substr(colon + 1));
        expression.resize(colon);
        for (size_t t = 0; t < std::size(EmitTypeNames); ++t)
          if (typeName == EmitTypeNames[t]) type = static_cast<TEmitType>(t);
      }
      const Variant value = EvaluateFor(expression, used);
      if (OnEmit) OnEmit(this, beforeEq, value, type);
      Trace("  ... result: " + beforeEq + "=" + VarText(value));
      if (!DebugFileName.empty()) traceUsed("emit");
      break;
    }
    case cmCalc: {
      if (!ValidName(beforeEq)) Fail("invalid variable name in command \"calc\"");
      const Variant value = EvaluateFor(afterEq, used);
      FVars->Add(beforeEq, value);
      Trace("  ... " + beforeEq + "=" + VarText(value));
      if (!DebugFileName.empty()) traceUsed("calc");
      break;
    }
    case cmMakeLC:
    case cmMakeUC: {
      const bool lower = command == cmMakeLC;
      if (LowerCase(params) == "$sourcestring") {
        FSource = lower ? LowerCase(FSource) : UpperCase(FSource);
        Trace("  ... source string: " + FSource);
        break;
      }
      const Variant v = FVars->Resolve(params);
      if (v.IsNull()) break;
      const String text = lower ? LowerCase(VarText(v)) : UpperCase(VarText(v));
      FVars->Add(params, Variant(text));
      Trace("  ... " + params + "=" + text);
      break;
    }
    case cmStrComp: {
      const size_t comma = afterEq.find(',');
      if (comma == String::npos) Fail("invalid parameters in command \"strcopy\"");
      const String var = StripLTBlanks(afterEq.substr(0, comma));
      String text;
      size_t after;
      if (!QuotedText(afterEq.substr(comma + 1), text, after))
        text = StripLTBlanks(afterEq.substr(comma + 1));
      const Variant v = FVars->Resolve(var);
      const bool same = !v.IsNull() && VarText(v) == text;
      FVars->Add(beforeEq, Variant(same));
      Trace("  ... " + beforeEq + (same ? "=TRUE" : "=FALSE"));
      break;
    }
    case cmExitOn: {
      const Variant v = FVars->Resolve(params);
      if (v.IsNull()) break;
      Trace("  ... " + params + "=" + LowerCase(VarText(v)));
      if (v.VarType() == varBoolean && v.AsBoolean()) FStopped = true;
      break;
    }
    case cmScanDateTime: {
      String format;
      size_t afterClose;
      if (!QuotedText(params, format, afterClose)) break;
      const size_t comma = params.find(',', afterClose);
      const String var = comma == String::npos ? String() : StripLTBlanks(Piece(params, comma + 1));
      if (!ValidName(var)) {
        Trace("  ... FSPos=" + IntToStr(FSPos) + " invalid variable name");
        Fail("invalid variable name in command \"scandatatime\"");
      }
      const String text = CopyText(FSource, FSPos, DateTextLength);
      Integer err = 0;
      TDateTime when = 0;
      try {
        when = ScanDateTime(text, format, lgEnglish, err);
      } catch (const EConvertError&) {
        err = -3;  // a date or time that cannot exist
      }
      if (err != 0) {
        Trace("  ... FSPos=" + IntToStr(FSPos) + " scandatetime received invalid string (\"" +
              text + "\") error=" + IntToStr(err));
        Fail("scandatetime received invalid string (\"" + text + "\")");
      }
      FVars->Add(var, Variant(static_cast<double>(when)));
      tracePos();
      Trace("  ... " + var + "=" + FormatDateTime("yyyy-mm-dd hh:nn:ss", when));
      break;
    }
    case cmAssign: {
      const String var = StripLTBlanks(eq == String::npos ? String() : params.substr(0, eq));
      if (!ValidName(var)) Fail("invalid variable name in command \"copy\"");
      const String text = StripLTBlanks(afterEq);
      if (text.size() >= 2 && text.front() == '\'' && text.back() == '\'') {
        FVars->Add(var, Variant(text.substr(1, text.size() - 2)));
      } else {
        Integer pos = 1;
        FVars->Add(var, Variant(static_cast<double>(ScanFPNum(text, true, 3, pos))));
      }
      tracePos();
      Trace("  ... " + var + "=" + text);
      break;
    }
  }
}
