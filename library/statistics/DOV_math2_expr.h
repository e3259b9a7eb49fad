#pragma once
// Three text-driven components of the numerics unit: the expression evaluator
// (TMathExpression), the Boolean string search built on it (TStringSearch) and the text
// extractor that pulls values out of a record by a small command script (TExtractor).
//
// Texts are UTF-8 and every position counts bytes (1-based). Values are the run-time's
// Variants with one string kind: a text value is always converted to a number the way the
// evaluator converts "8-bit" strings (ScanFPNum, "." or "," as separator, 0 when there is no
// number), and the extractor reads a stored empty text as undefined. Boolean True is -1 in
// arithmetic (the Variant convention).

#include <array>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "DOV_sdlbase.h"
#include "System.h"
#include "Variant.h"

class TAssocArray;

// ---- expression evaluator ----------------------------------------------------------------

// Token and operator kinds; the ordinals are binding.
enum TOperator : Byte {
  opNone,
  opNumber,
  opListElem,
  opAdd,
  opSubtract,
  opMultiply,
  opDivide,
  opMod,
  opPower,
  opGT,
  opGE,
  opLT,
  opLE,
  opEQ,
  opNE,
  opOpenParanth,
  opClosedParanth,
  opMinusSign,
  opPlusSign,
  opSine,
  opCosine,
  opTangens,
  opArcSin,
  opArcCos,
  opArcTan,
  opAbs,
  opSign,
  opSqrt,
  opSqr,
  opRound,
  opNDInt,
  opNDQuant,
  opNDDens,
  opSum,
  opMean,
  opVar,
  opPi,
  opTrue,
  opFalse,
  opExp,
  opLn,
  opLg,
  opGauss,
  opRand,
  opFrac,
  opInt,
  opAnd,
  opNot,
  opOr,
  opXor
};

// Called for every variable token with its name as written, Value preset to a numeric 0 and
// the 1-based byte position of the name. Storing Null declares the name undefined.
using TOnVarRequestEvent =
    std::function<void(TObject* Sender, const String& VarName, Variant& Value, Integer TkPos)>;

// Evaluates an infix expression by operator precedence over three fixed stacks of 2000
// entries each (held in the object). Precedence, higher binds tighter, all left-associative:
// "," 0; + - 1; * / 2; # (modulo), comparisons, and, or, xor 3; unary signs and not 4; ^ and
// one-argument functions 5; constants and list functions (sum, mean, var) 6. A sign is unary
// only after nothing, "(", a binary + or -, *, /, ^ or a comparison; unary signs, "not" and
// the functions apply to what follows them, so pushing one applies nothing ("2^-1" is 0.5).
// A literal beyond the double range is infinite, as 10^309 and 2^1024 are. Keywords are matched on
// the run of ASCII letters and digits, case ignored; "x1:3" expands to "x1,x2,x3" in the
// stored expression. Every failure is an ESDLMathExp with the component message and a help
// context 101..123 (see the .cpp). Floating-point overflow is not trapped: a result may be
// infinite. One evaluation at a time per instance.
class TMathExpression : public TComponent {
public:
  static constexpr Integer MaxStack = 2000;
  // A range that would make the expression longer than this raises "syntax error" (117).
  static constexpr size_t MaxExpandedLength = size_t(16) << 20;

  explicit TMathExpression(TComponent* AOwner);
  ~TMathExpression() override;
  String ClassName() const override { return "TMathExpression"; }

  const String& Expression() const { return FExpression; }
  void SetExpression(const String& Value);  // stored without leading and trailing blanks
  TOnVarRequestEvent OnVarRequest;

  Variant Evaluate();

private:
  struct TToken {
    TOperator Kind = opNone;
    Integer Start = 0;  // 0-based byte offset of the token's first character
  };
  [[noreturn]] void Fail(const String& Reason, int HelpContext) const;
  void ExpandRanges();
  TOperator NextToken(size_t& p, TOperator Prev);
  void PushValue(const Variant& V, int OverflowContext);
  void PushOperator(TOperator Op, int OverflowContext);
  void ApplyTop();
  void Apply(TOperator Op);
  void ApplyUnary(TOperator Op);
  void ApplyBinary(TOperator Op);
  void ApplyList(TOperator Op);

  String FExpression;
  std::array<TOperator, MaxStack> FOpStack{};
  Integer FOpStackPoi = 0;
  std::array<Variant, MaxStack> FVarStack;
  Integer FVarStackPoi = 0;
  std::array<Variant, MaxStack> FListStack;
  Integer FListStackPoi = 0;
};

// ---- Boolean string search ---------------------------------------------------------------

// Tests whether InString satisfies a search expression of terms joined by "," (or), "+" (and)
// and "~" (not), with parentheses. A term is made of characters the evaluator takes in a
// variable name (ASCII letters, digits, "_", umlauts, "°"); a blank is allowed only after a
// term. With IgnoreCase (the default) both texts are folded: A-Z and the Latin-1 capitals
// (U+00C0..U+00DE), which keeps every byte position.
class TStringSearch : public TMathExpression {
public:
  explicit TStringSearch(TComponent* AOwner);
  String ClassName() const override { return "TStringSearch"; }

  String InString;
  bool IgnoreCase() const { return FIgnoreCase; }
  void SetIgnoreCase(bool Value);
  const String& SearchExpression() const { return FSearchExp; }
  void SetSearchExp(const String& Value);
  // The search expression as the evaluator reads it (terms prefixed "V_", operators spelt).
  const String& InternalExpression() const { return FInternSE; }

  Integer NumFoundItems() const { return static_cast<Integer>(FPositions.size() / 2); }
  // Raises ESDLMath2Error "invalid search expression" for any failure of the evaluation.
  bool DoSearch();
  Integer GetItemPositions(Integer ix) const;  // -1 outside 1 .. NumFoundItems
  Integer GetItemLength(Integer ix) const;     // -1 likewise
  void MexVarRequestHandler(TObject* Sender, const String& VarName, Variant& Value, Integer TkPos);

private:
  void PrepareSearchExp();
  bool FIgnoreCase = true;
  TIntArray FPositions;
  String FSearchExp;
  String FInternSE;
};

// ---- text extractor ----------------------------------------------------------------------

enum TEmitType : Byte {
  etDefault,
  etDouble,
  etInteger,
  etBoolean,
  etString,
  etDatetime,
  etUser1,
  etUser2
};
using TOnEmitEvent = std::function<void(TObject* Sender, const String& VarName,
                                        const Variant& Value, TEmitType TypeOfVar)>;

// Runs a command script over SourceString (commands: pos, inc, find, copy, copyuntil, emit,
// calc, makelc, makeuc, strcomp, exiton, scandatetime, assign). Errors are ESDLMath2Error
// with the component message; the expressions of calc and emit raise the evaluator's
// ESDLMathExp. With a DebugFileName every step appends its trace line(s) to that file.
class TExtractor : public TComponent {
public:
  explicit TExtractor(TComponent* AOwner);
  ~TExtractor() override;
  String ClassName() const override { return "TExtractor"; }

  const String& SourceString() const { return FSource; }
  void SetSource(const String& Value) { FSource = Value; }
  const String& ExtractionCommands() const { return FCmds; }
  void SetExtCommands(const String& Value);
  TOnEmitEvent OnEmit;
  String DebugFileName;

  // False when exiton stopped the run. An empty script does nothing and gives true.
  bool Execute();

  // What the script holds and left behind (for callers that read the results directly).
  Integer CommandCount() const;
  String Command(Integer ix) const;  // 0-based
  Integer ReadPosition() const { return FSPos; }
  Variant Value(const String& VarName) const;  // Null when undefined

private:
  [[noreturn]] void Fail(const String& Reason) const;
  void Trace(const String& Line) const;
  void ExecuteCommand(const String& Cmd);
  // The variables an evaluation asked for, each once, in the order asked.
  using TUsedVariables = std::vector<std::pair<String, Variant>>;
  Variant EvaluateFor(const String& Expression, TUsedVariables& Used);
  void SetPos(Int64 NewPos, bool Clamp);

  String FSource;
  Integer FInstPoi = 0;
  TStrArray FCommandList;
  String FCmds;
  Integer FSPos = 0;
  std::unique_ptr<TAssocArray> FVars;
  bool FStopped = false;
};

// 0 when every ")" closes an earlier "(" and none stays open; the number of "(" left open; or
// -k when the ")" at byte position k (1-based) has no "(" before it (the scan stops there).
// Every other character is ignored, quoted ones included.
Integer CheckParanthInExp(const String& Expression);
