// The expression evaluator: range expansion, tokenizer and operator-precedence evaluation
// over three fixed stacks of Variants.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

#include "DOV_math1.h"
#include "DOV_math2_expr.h"
#include "DOV_statis.h"
#include "DOV_stringl.h"
#include "RtlRandom.h"
#include "SysUtils.h"

namespace {

// Help contexts of the evaluator's failures; the number tells where the failure arose.
enum THelpContext {
  hcUndefinedVariable = 101,
  hcOpStackUnderflow = 102,
  hcConstantOverflow = 103,
  hcArcSin = 104,
  hcArcCos = 105,
  hcNDQuant = 106,
  hcLn = 107,
  hcLg = 108,
  hcSqrt = 109,
  hcVarStackUnderflow = 110,
  hcDivisionByZero = 111,
  hcModulo = 112,
  hcNegativePower = 113,
  hcListOverflow = 114,
  hcParentheses = 115,
  hcEmpty = 116,
  hcRangeSyntax = 117,
  hcCommaOverflow = 118,
  hcValueOverflow = 119,
  hcOpenOverflow = 120,
  hcCloseUnderflow = 121,
  hcOperatorOverflow = 122,
  hcSyntax = 123,
};

constexpr const char* Keywords[] = {
    "sin",  "cos",  "tan",   "arcsin", "arccos",  "arctan", "abs", "sign",
    "sqrt", "sqr",  "round", "ndint",  "ndquant", "nddens", "sum", "mean",
    "var",  "pi",   "true",  "false",  "exp",     "ln",     "lg",  "gauss",
    "rand", "frac", "int",   "and",    "not",     "or",     "xor"};
constexpr int FirstKeywordOp = opSine;
static_assert(std::size(Keywords) == opXor - opSine + 1, "one keyword per operator 19..49");

int Precedence(TOperator Op) {
  switch (Op) {
    case opAdd:
    case opSubtract: return 1;
    case opMultiply:
    case opDivide: return 2;
    case opMod:
    case opGT:
    case opGE:
    case opLT:
    case opLE:
    case opEQ:
    case opNE:
    case opAnd:
    case opOr:
    case opXor: return 3;
    case opMinusSign:
    case opPlusSign:
    case opNot: return 4;
    case opPower: return 5;
    case opClosedParanth: return 9;
    case opSum:
    case opMean:
    case opVar:
    case opPi:
    case opTrue:
    case opFalse:
    case opGauss: return 6;
    default: return Op >= opSine ? 5 : 0;
  }
}

bool IsConstant(TOperator Op) {
  return Op == opPi || Op == opTrue || Op == opFalse || Op == opGauss;
}
bool IsListFunction(TOperator Op) { return Op == opSum || Op == opMean || Op == opVar; }
bool IsComparison(TOperator Op) { return Op >= opGT && Op <= opNE; }
bool IsBinary(TOperator Op) {
  return (Op >= opAdd && Op <= opNE) || Op == opAnd || Op == opOr || Op == opXor;
}

bool AsciiLetter(unsigned char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool AsciiDigit(unsigned char c) { return c >= '0' && c <= '9'; }

// Length in bytes of the name character at p (ASCII letter, digit, "_", an umlaut or "°" in
// UTF-8), 0 when the byte there starts none.
size_t NameCharLength(const String& s, size_t p) {
  const unsigned char c = static_cast<unsigned char>(s[p]);
  if (AsciiLetter(c) || AsciiDigit(c) || c == '_') return 1;
  if ((c == 0xC2 || c == 0xC3) && p + 1 < s.size()) {
    const unsigned char c2 = static_cast<unsigned char>(s[p + 1]);
    if ((c2 & 0xC0) != 0x80) return 0;
    const char32_t cp = (static_cast<char32_t>(c & 0x1F) << 6) | (c2 & 0x3F);
    if (cp == U'\u00B0' || IsUmlaut(cp)) return 2;
  }
  return 0;
}

// ---- Variant operations, as the platform's Variant arithmetic does them ----

// Kinds that take part in integer arithmetic (Boolean as -1/0, empty as 0).
bool IsIntegral(const Variant& v) {
  switch (v.VarType()) {
    case varEmpty:
    case varBoolean:
    case varSmallint:
    case varInteger:
    case varShortInt:
    case varByte:
    case varWord:
    case varLongWord:
    case varInt64: return true;
    default: return false;
  }
}

// Text becomes the number ScanFPNum reads from it ("." or "," as separator, 0 without one).
Variant NumberOfText(const Variant& v) {
  if (!v.IsText()) return v;
  Integer pos = 1;
  return Variant(static_cast<double>(ScanFPNum(v.AsString(), true, 3, pos)));
}

// + - * of two integers or Booleans stay a 64-bit integer; on overflow, or with any other
// operand, the result is a double.
Variant Arithmetic(TOperator Op, const Variant& l, const Variant& r) {
  if (IsIntegral(l) && IsIntegral(r)) {
    const Int64 a = l.AsInt64(), b = r.AsInt64();
    Int64 res;
    bool overflow;
    if (Op == opAdd)
      overflow = __builtin_add_overflow(a, b, &res);
    else if (Op == opSubtract)
      overflow = __builtin_sub_overflow(a, b, &res);
    else
      overflow = __builtin_mul_overflow(a, b, &res);
    if (!overflow) return Variant(res);
  }
  const double a = l.AsDouble(), b = r.AsDouble();
  if (Op == opAdd) return Variant(a + b);
  if (Op == opSubtract) return Variant(a - b);
  return Variant(a * b);
}

Variant Compare(TOperator Op, const Variant& l, const Variant& r) {
  int sign;
  bool unordered = false;
  if (IsIntegral(l) && IsIntegral(r)) {
    const Int64 a = l.AsInt64(), b = r.AsInt64();
    sign = a < b ? -1 : (a > b ? 1 : 0);
  } else {
    const double a = l.AsDouble(), b = r.AsDouble();
    unordered = std::isnan(a) || std::isnan(b);
    sign = a < b ? -1 : (a > b ? 1 : 0);
  }
  if (unordered) return Variant(Op == opNE);
  switch (Op) {
    case opGT: return Variant(sign > 0);
    case opGE: return Variant(sign >= 0);
    case opLT: return Variant(sign < 0);
    case opLE: return Variant(sign <= 0);
    case opEQ: return Variant(sign == 0);
    default: return Variant(sign != 0);
  }
}

// Logical on two Booleans, bitwise on integers otherwise (a double is first rounded, halves to
// even, by its integer form).
Variant Logical(TOperator Op, const Variant& l, const Variant& r) {
  if (l.VarType() == varBoolean && r.VarType() == varBoolean) {
    const bool a = l.AsBoolean(), b = r.AsBoolean();
    if (Op == opAnd) return Variant(a && b);
    if (Op == opOr) return Variant(a || b);
    return Variant(a != b);
  }
  const Int64 a = l.AsInt64(), b = r.AsInt64();
  if (Op == opAnd) return Variant(a & b);
  if (Op == opOr) return Variant(a | b);
  return Variant(a ^ b);
}

Variant Negate(const Variant& v) {
  if (IsIntegral(v)) {
    const Int64 a = v.AsInt64();
    if (a != std::numeric_limits<Int64>::min()) return Variant(-a);
  }
  return Variant(-v.AsDouble());
}

Variant NotOf(const Variant& v) {
  if (v.VarType() == varBoolean) return Variant(!v.AsBoolean());
  return Variant(~v.AsInt64());
}

// The power through the C library's pow, which is exact where the result is (2^10, (-2)^3)
// and infinite where it overflows (2^1024): exp(e ln b) loses the last digits of ln b and
// gives 2^1024 as 1.797e308.
double Power(double b, double e, bool& NegativeBaseFraction) {
  NegativeBaseFraction = false;
  if (e == 0) return 1;
  if (b == 0) return 0;
  if (b > 0) return std::pow(b, e);
  if (e != std::trunc(e)) {
    NegativeBaseFraction = true;
    return 0;
  }
  const double mag = std::pow(-b, e);
  return std::fmod(e, 2.0) != 0 ? -mag : mag;
}

// Unary signs, "not" and the one-argument functions stand before their operand: pushing one
// applies nothing, since what waits on the stack (the "^" of "2^-1") still lacks its right
// operand.
bool IsPrefix(TOperator Op) {
  return Op == opMinusSign || Op == opPlusSign || Op == opNot ||
         (Op >= opSine && Precedence(Op) == 5);
}

}  // namespace

TMathExpression::TMathExpression(TComponent* AOwner) : TComponent(AOwner) {}

TMathExpression::~TMathExpression() = default;

void TMathExpression::SetExpression(const String& Value) { FExpression = StripLTBlanks(Value); }

void TMathExpression::Fail(const String& Reason, int HelpContext) const {
  throw ESDLMathExp(ComponentErrorMessage(this, Reason), HelpContext);
}

void TMathExpression::PushValue(const Variant& V, int OverflowContext) {
  if (FVarStackPoi >= MaxStack) Fail("variable stack overflow", OverflowContext);
  FVarStack[static_cast<size_t>(FVarStackPoi++)] = V;
}

void TMathExpression::PushOperator(TOperator Op, int OverflowContext) {
  if (FOpStackPoi >= MaxStack) Fail("operator stack overflow", OverflowContext);
  FOpStack[static_cast<size_t>(FOpStackPoi++)] = Op;
}

// "x1:4" becomes "x1,x2,x3,x4": the name is the run of ASCII letters before the digits in
// front of the colon; the upper bound is digits only. The output is built once, so many ranges
// in a long expression cost their own length, and it is bounded: a range of more elements
// than the value stack holds could never evaluate.
void TMathExpression::ExpandRanges() {
  const String& e = FExpression;
  if (e.find(':') == String::npos) return;
  String out;
  size_t i = 0;
  for (size_t c = e.find(':'); c != String::npos; c = e.find(':', i)) {
    out.append(e, i, c - i);
    if (out.empty() || !AsciiDigit(static_cast<unsigned char>(out.back())) || c + 1 >= e.size() ||
        !AsciiDigit(static_cast<unsigned char>(e[c + 1])))
      Fail("syntax error", hcRangeSyntax);
    size_t digitsStart = out.size();
    while (digitsStart > 0 && AsciiDigit(static_cast<unsigned char>(out[digitsStart - 1])))
      --digitsStart;
    size_t nameStart = digitsStart;
    while (nameStart > 0 && AsciiLetter(static_cast<unsigned char>(out[nameStart - 1])))
      --nameStart;
    size_t hiEnd = c + 1;
    while (hiEnd < e.size() && AsciiDigit(static_cast<unsigned char>(e[hiEnd]))) ++hiEnd;
    const String loText = out.substr(digitsStart);
    const String hiText = e.substr(c + 1, hiEnd - c - 1);
    constexpr size_t MaxDigits = 18;  // fits Int64
    if (loText.size() > MaxDigits || hiText.size() > MaxDigits) Fail("syntax error", hcRangeSyntax);
    Int64 lo = std::stoll(loText), hi = std::stoll(hiText);
    if (hi < lo) std::swap(lo, hi);
    if (hi - lo >= MaxStack) Fail("variable stack overflow", hcValueOverflow);
    const String name = out.substr(nameStart, digitsStart - nameStart);
    out.resize(nameStart);
    for (Int64 k = lo; k <= hi; ++k) {
      if (k != lo) out += ',';
      out += name;
      out += std::to_string(k);
    }
    if (out.size() + (e.size() - hiEnd) > MaxExpandedLength) Fail("syntax error", hcRangeSyntax);
    i = hiEnd;
  }
  out.append(e, i, String::npos);
  FExpression = std::move(out);
}

// Reads the token at p (no blank there) and advances p behind it. A number or variable is
// pushed on the value stack at once.
TOperator TMathExpression::NextToken(size_t& p, TOperator Prev) {
  const String& e = FExpression;
  const char ch = e[p];
  auto single = [&p](TOperator Op) {
    ++p;
    return Op;
  };
  switch (ch) {
    case '#': return single(opMod);
    case '(': return single(opOpenParanth);
    case ')': return single(opClosedParanth);
    case '*': return single(opMultiply);
    case '/': return single(opDivide);
    case '^': return single(opPower);
    case ',': return single(opListElem);
    case '=': return single(opEQ);
    case '+':
    case '-': {
      const bool sign = Prev == opNone || Prev == opOpenParanth || Prev == opAdd ||
                        Prev == opSubtract || Prev == opMultiply || Prev == opDivide ||
                        Prev == opPower || IsComparison(Prev);
      if (ch == '+') return single(sign ? opPlusSign : opAdd);
      return single(sign ? opMinusSign : opSubtract);
    }
    case '<':
      if (p + 1 < e.size() && e[p + 1] == '=') return p += 2, opLE;
      if (p + 1 < e.size() && e[p + 1] == '>') return p += 2, opNE;
      return single(opLT);
    case '>':
      if (p + 1 < e.size() && e[p + 1] == '=') return p += 2, opGE;
      return single(opGT);
    default: break;
  }
  if (ch == '.' || AsciiDigit(static_cast<unsigned char>(ch))) {
    Integer pos = static_cast<Integer>(p) + 1;
    // Not clamped as the readers clamp: a literal beyond the double range rounds to infinity,
    // as an overflowing result does.
    const double v = ScanFPNumUnclamped(e, true, 1, pos);
    // A lone "." or similar text that reads no character would be read again forever.
    if (static_cast<size_t>(pos) <= p + 1) Fail("syntax error", hcSyntax);
    p = static_cast<size_t>(pos) - 1;
    PushValue(Variant(v), hcValueOverflow);
    return opNumber;
  }
  size_t runEnd = p;
  while (runEnd < e.size() && (AsciiLetter(static_cast<unsigned char>(e[runEnd])) ||
                               AsciiDigit(static_cast<unsigned char>(e[runEnd]))))
    ++runEnd;
  if (runEnd > p) {
    const String word = LowerCase(e.substr(p, runEnd - p));
    for (size_t k = 0; k < std::size(Keywords); ++k)
      if (word == Keywords[k]) {
        p = runEnd;
        return static_cast<TOperator>(FirstKeywordOp + static_cast<int>(k));
      }
  }
  size_t nameEnd = p;
  for (size_t len; nameEnd < e.size() && (len = NameCharLength(e, nameEnd)) > 0;) nameEnd += len;
  // A character that starts no token (such as "!") ends the evaluation here rather than being
  // read as an empty name over and over.
  if (nameEnd == p) Fail("syntax error", hcSyntax);
  const String name = e.substr(p, nameEnd - p);
  Variant value(Integer(0));
  if (OnVarRequest) OnVarRequest(this, name, value, static_cast<Integer>(p) + 1);
  if (value.IsNull()) Fail("undefined variable \"" + name + "\"", hcUndefinedVariable);
  p = nameEnd;
  PushValue(value, hcValueOverflow);
  return opNumber;
}

void TMathExpression::ApplyTop() {
  if (FOpStackPoi <= 0) Fail("operator stack underflow", hcOpStackUnderflow);
  Apply(FOpStack[static_cast<size_t>(--FOpStackPoi)]);
}

void TMathExpression::Apply(TOperator Op) {
  if (IsConstant(Op)) {
    Variant v;
    if (Op == opPi)
      v = Variant(3.14159265358979323846);
    else if (Op == opTrue)
      v = Variant(true);
    else if (Op == opFalse)
      v = Variant(false);
    else
      v = Variant(static_cast<double>(GRandom()));
    PushValue(v, hcConstantOverflow);
  } else if (Op == opListElem || IsListFunction(Op)) {
    ApplyList(Op);
  } else if (IsBinary(Op)) {
    ApplyBinary(Op);
  } else if (Op == opMinusSign || Op == opPlusSign || Op == opNot || Op >= opSine) {
    ApplyUnary(Op);
  } else {
    // A "(" left over or a value kind on the operator stack: not a well-formed expression.
    Fail("syntax error", hcSyntax);
  }
}

void TMathExpression::ApplyUnary(TOperator Op) {
  // Without a value there is nothing to apply the function to (for example "-" alone).
  if (FVarStackPoi < 1) Fail("variable stack underflow", hcVarStackUnderflow);
  Variant& top = FVarStack[static_cast<size_t>(FVarStackPoi - 1)];
  const Variant v = NumberOfText(top);
  switch (Op) {
    case opPlusSign: top = v; return;
    case opMinusSign: top = Negate(v); return;
    case opNot: top = NotOf(v); return;
    case opRound: top = Variant(Variant(v.AsDouble()).AsInt64()); return;
    default: break;
  }
  const double x = v.AsDouble();
  double r = 0;
  switch (Op) {
    case opSine: r = std::sin(x); break;
    case opCosine: r = std::cos(x); break;
    case opTangens: try { r = tg(x);
      } catch (const EMathError&) {
        r = 0;  // the cosine is 0
      }
      break;
    case opArcSin:
      if (!(std::fabs(x) <= 1)) Fail("invalid argument of arcsin", hcArcSin);
      r = std::asin(x);
      break;
    case opArcCos:
      if (!(std::fabs(x) <= 1)) Fail("invalid argument of arccos", hcArcCos);
      r = std::acos(x);
      break;
    case opArcTan: r = std::atan(x); break;
    case opAbs: r = std::fabs(x); break;
    case opSign: r = x < 0 ? -1 : 1; break;
    case opSqrt:
      if (x < 0) Fail("invalid argument of square root", hcSqrt);
      r = std::sqrt(x);
      break;
    case opSqr: r = x * x; break;
    case opNDInt: r = nDistriIntegral(x); break;
    case opNDQuant:
      if (!(x > 0 && x < 1)) Fail("invalid argument of normal distribution quantile", hcNDQuant);
      r = nDistriQuantile(x);
      break;
    case opNDDens: r = nDistriDensity(x); break;
    case opExp: r = std::exp(x); break;
    case opLn:
      if (!(x > 0)) Fail("invalid argument of logarithm", hcLn);
      r = std::log(x);
      break;
    case opLg:
      if (!(x > 0)) Fail("invalid argument of logarithm", hcLg);
      r = std::log(x) / std::log(10.0);
      break;
    case opRand: r = x * (0.5 - static_cast<double>(RandomReal())); break;
    case opFrac: r = x - std::trunc(x); break;
    case opInt: r = std::trunc(x); break;
    default: Fail("syntax error", hcSyntax);
  }
  top = Variant(r);
}

void TMathExpression::ApplyBinary(TOperator Op) {
  if (FVarStackPoi < 2) Fail("variable stack underflow", hcVarStackUnderflow);
  const Variant& rawRight = FVarStack[static_cast<size_t>(FVarStackPoi - 1)];
  Variant& left = FVarStack[static_cast<size_t>(FVarStackPoi - 2)];
  Variant result;
  if (Op == opAnd || Op == opOr || Op == opXor) {
    result = Logical(Op, left, rawRight);
  } else {
    const Variant l = NumberOfText(left), r = NumberOfText(rawRight);
    if (Op == opAdd || Op == opSubtract || Op == opMultiply) {
      result = Arithmetic(Op, l, r);
    } else if (IsComparison(Op)) {
      result = Compare(Op, l, r);
    } else if (Op == opDivide) {
      const double d = r.AsDouble();
      if (d == 0) Fail("division by zero", hcDivisionByZero);
      result = Variant(l.AsDouble() / d);
    } else if (Op == opMod) {
      const Integer m = Variant(r.AsDouble()).AsInteger();
      if (m < 1) Fail("modulo argument must not be zero or negative", hcModulo);
      const Int64 a = IsIntegral(l) ? l.AsInt64() : Variant(l.AsDouble()).AsInt64();
      result = Variant(a % m);
    } else {  // opPower
      bool refused;
      const double v = Power(l.AsDouble(), r.AsDouble(), refused);
      if (refused)
        Fail("non-integer power of negative number cannot be calculated", hcNegativePower);
      result = Variant(v);
    }
  }
  left = result;
  --FVarStackPoi;
}

void TMathExpression::ApplyList(TOperator Op) {
  if (FVarStackPoi < 1) Fail("variable stack underflow", hcVarStackUnderflow);
  Variant& top = FVarStack[static_cast<size_t>(FVarStackPoi - 1)];
  if (Op == opListElem) {
    if (FListStackPoi >= MaxStack) Fail("list stack overflow", hcListOverflow);
    FListStack[static_cast<size_t>(FListStackPoi++)] = NumberOfText(top);
    --FVarStackPoi;
    return;
  }
  const double v = NumberOfText(top).AsDouble();
  double sum = v;
  for (Integer k = 0; k < FListStackPoi; ++k) sum += FListStack[static_cast<size_t>(k)].AsDouble();
  const Integer m = FListStackPoi;
  double r = sum;
  if (Op == opMean) {
    r = sum / (m + 1);
  } else if (Op == opVar) {
    // The variance of a single value has no denominator.
    if (m == 0) Fail("division by zero", hcDivisionByZero);
    double mean;
    SampleMeanVar(
        [&](auto f) {
          f(v);
          for (Integer k = 0; k < m; ++k) f(FListStack[static_cast<size_t>(k)].AsDouble());
        },
        mean, r);
  }
  top = Variant(r);
  FListStackPoi = 0;
}

Variant TMathExpression::Evaluate() {
  FOpStackPoi = 0;
  FVarStackPoi = 0;
  FListStackPoi = 0;
  if (CountCharInString('(', FExpression, true) != CountCharInString(')', FExpression, true))
    Fail("unmatched parantheses", hcParentheses);
  if (FExpression.empty()) Fail("empty expression", hcEmpty);
  try {
    ExpandRanges();
    TOperator prev = opNone;
    for (size_t p = 0; p < FExpression.size();) {
      if (FExpression[p] == ' ') {
        ++p;
        continue;
      }
      const TOperator tk = NextToken(p, prev);
      if (tk == opOpenParanth) {
        PushOperator(tk, hcOpenOverflow);
      } else if (tk == opListElem) {
        PushOperator(tk, hcCommaOverflow);
      } else if (tk == opClosedParanth) {
        for (;;) {
          if (FOpStackPoi <= 0) Fail("operator stack underflow", hcCloseUnderflow);
          if (FOpStack[static_cast<size_t>(FOpStackPoi - 1)] == opOpenParanth) break;
          ApplyTop();
        }
        --FOpStackPoi;
      } else if (tk != opNumber) {
        while (!IsPrefix(tk) && FOpStackPoi > 0 &&
               Precedence(FOpStack[static_cast<size_t>(FOpStackPoi - 1)]) >= Precedence(tk))
          ApplyTop();
        PushOperator(tk, hcOperatorOverflow);
      }
      prev = tk;
    }
    while (FOpStackPoi > 0) ApplyTop();
  } catch (const EVariantError& e) {
    // A value that has no integer or number form (a non-finite value under "#", "round" or
    // "not", a text a handler supplied that is not a number) fails like every other error.
    Fail(e.Message, 0);
  }
  if (FVarStackPoi != 1) Fail("syntax error", hcSyntax);
  return FVarStack[0];
}

Integer CheckParanthInExp(const String& Expression) {
  std::int64_t open = 0;
  for (std::size_t k = 0; k < Expression.size(); ++k) {
    if (Expression[k] == '(') {
      ++open;
    } else if (Expression[k] == ')') {
      if (open == 0)
        return -static_cast<Integer>(
            std::min<std::size_t>(k + 1, std::numeric_limits<Integer>::max()));
      --open;
    }
  }
  return static_cast<Integer>(std::min<std::int64_t>(open, std::numeric_limits<Integer>::max()));
}
