// The expression evaluator: operators, precedence, functions, lists, ranges, variables and
// every error with its text and help context.
#include "DOV_math2_expr.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <map>
#include <string>
#include <vector>

#include "DOV_math1.h"
#include "DOV_statis.h"
#include "RtlInit.h"

namespace {

// An evaluator named "Mex" with variables from a map; a name not in the map is refused (Null).
struct TEvaluator {
  TMathExpression mex{nullptr};
  std::map<String, Variant> vars;
  std::vector<std::pair<String, Integer>> requests;
  bool refuseUnknown = true;

  TEvaluator() {
    mex.SetName("Mex");
    mex.OnVarRequest = [this](TObject* Sender, const String& Name, Variant& Value, Integer Pos) {
      EXPECT_EQ(Sender, &mex);
      EXPECT_EQ(Value, Variant(Integer(0)));
      requests.emplace_back(Name, Pos);
      const auto it = vars.find(Name);
      if (it != vars.end())
        Value = it->second;
      else if (refuseUnknown)
        Value = Null();
    };
  }
  Variant operator()(const String& e) {
    mex.SetExpression(e);
    return mex.Evaluate();
  }
};

struct TValueCase {
  const char* expression;
  double expected;
  Word kind;  // the Variant kind of the result
};

// Numbers are pushed as doubles; round gives a 64-bit integer, "#" an integer, comparisons a
// Boolean (True is -1 in arithmetic).
const TValueCase kValueCases[] = {
    // precedence and associativity
    {"1 + 2 * 3", 7, varDouble},
    {"(1 + 2) * 3", 9, varDouble},
    {"2^3^2", 64, varDouble},
    {"-2^2", -4, varDouble},
    {"2 * -3", -6, varDouble},
    {"10 - 4 - 3", 3, varDouble},
    {"12 / 3 / 2", 2, varDouble},
    {"+5", 5, varDouble},
    {"3 * +2", 6, varDouble},
    {"2 < 3 * 1", -1, varDouble},  // (2 < 3) * 1, and True is -1
    {"1 + 2 > 2", 1, varDouble},   // 1 + (2 > 2) = 1 + false
    {"1 + 2 < 3", 0, varDouble},   // 1 + (2 < 3) = 1 + true = 0
    {"6 / 2 # 4", 3, varDouble},   // 6 / (2 # 4)
    // modulo
    {"7 # 3", 1, varInt64},
    {"-7 # 3", -1, varInt64},
    {"7.6 # 2.5", 0, varInt64},  // 8 mod 2 (halves of the divisor to even)
    {"7 # 2.5", 1, varInt64},
    // comparisons give Booleans
    {"1 < 2", -1, varBoolean},
    {"2 <= 2", -1, varBoolean},
    {"3 > 4", 0, varBoolean},
    {"4 >= 4", -1, varBoolean},
    {"4 = 4", -1, varBoolean},
    {"4 <> 4", 0, varBoolean},
    // logical operators: logical on Booleans, bitwise on integers
    {"true and false", 0, varBoolean},
    {"true or false", -1, varBoolean},
    {"true xor true", 0, varBoolean},
    {"not false", -1, varBoolean},
    {"round(12) and round(10)", 8, varInt64},
    {"round(12) or round(3)", 15, varInt64},
    {"round(12) xor round(10)", 6, varInt64},
    {"not round(5)", -6, varInt64},
    {"not 5", -6, varInt64},
    {"(1 > 0) and (2 > 1)", -1, varBoolean},
    {"1 > 0 and 2", 2, varInt64},  // (1 > 0) and 2: -1 and 2, bitwise
    // functions, case ignored
    {"SIN(0)", 0, varDouble},
    {"sin(0)", 0, varDouble},
    {"cos(0)", 1, varDouble},
    {"tan(0)", 0, varDouble},
    {"arcsin(1)", 1.5707963267948966, varDouble},
    {"arccos(1)", 0, varDouble},
    {"arctan(1)", 0.78539816339744828, varDouble},
    {"abs(-3.5)", 3.5, varDouble},
    {"sign(-2)", -1, varDouble},
    {"sign(0)", 1, varDouble},
    {"sign(3)", 1, varDouble},
    {"sqrt(16)", 4, varDouble},
    {"sqr(-3)", 9, varDouble},
    {"round(2.5)", 2, varInt64},
    {"round(3.5)", 4, varInt64},
    {"round(-2.5)", -2, varInt64},
    {"int(-2.7)", -2, varDouble},
    {"int(2.7)", 2, varDouble},
    {"frac(-2.75)", -0.75, varDouble},
    {"exp(0)", 1, varDouble},
    {"ln(1)", 0, varDouble},
    {"lg(1000)", 3, varDouble},
    {"ndint(0)", 0.5, varDouble},
    {"nddens(0)", 0.3989422804014327, varDouble},
    {"rand(0)", 0, varDouble},
    {"pi", 3.141592653589793, varDouble},
    {"2*pi", 6.283185307179586, varDouble},
    {"pi/2", 1.5707963267948966, varDouble},
    {"true", -1, varBoolean},
    {"false", 0, varBoolean},
    {"sin 0 + 1", 1, varDouble},
    // powers: exponent 0 first, then base 0, negative base through exp and ln
    {"0^0", 1, varDouble},
    {"0^2", 0, varDouble},
    {"2^0.5", 1.4142135623730951, varDouble},
    {"(-2)^3", -8, varDouble},
    {"(-2)^2", 4, varDouble},
    {"2^10", 1024, varDouble},
    // a sign or function after "^" belongs to the exponent
    {"2^-1", 0.5, varDouble},
    {"2^-3", 0.125, varDouble},
    {"2^-1*3", 1.5, varDouble},
    {"2^sqrt(4)", 4, varDouble},
    {"not not true", -1, varBoolean},
    // beyond the double range: infinite, whether written or computed
    {"1e309", HUGE_VAL, varDouble},
    {"-1e309", -HUGE_VAL, varDouble},
    {"1e5000", HUGE_VAL, varDouble},
    {"10^309", HUGE_VAL, varDouble},
    {"2^1024", HUGE_VAL, varDouble},
    {"1.7e308", 1.7e308, varDouble},
    // lists
    {"sum(1,2,3)", 6, varDouble},
    {"mean(2,4,6)", 4, varDouble},
    {"var(1,2,3)", 1, varDouble},
    {"var(1,3)", 2, varDouble},
    {"var(1e200,2e200,3e200)", HUGE_VAL, varDouble},
    {"var(3e300,1e300,1e300,1e300,3e300,1e300,1e300,1e300,3e300)", HUGE_VAL, varDouble},
    // an offset common to all values costs no digits
    {"var(1e9+1, 1e9+2, 1e9+3, 1e9+4)", 5.0 / 3, varDouble},
    {"var(2460000.1, 2460000.2, 2460000.3, 2460000.4, 2460000.5)", 0.024999999976716935, varDouble},
    {"sum(5)", 5, varDouble},
    {"mean(1, mean(2, 4))", 2, varDouble},
    {"sum(1, 2+3)", 6, varDouble},
    {"sum(1:4)", 10, varDouble},
    {"1,2", 1, varDouble},  // a list without a function: the first value remains
    // numbers
    {"1.5e3", 1500, varDouble},
    {".5", 0.5, varDouble},
    {".", 0, varDouble},  // what the number scanner makes of a lone point
    // a literal is the nearest double to its digits
    {"2.387155225747177e+174 = 2.3871552257471772e174", -1, varBoolean},
    {"9007199254740993.0000000001 = 9007199254740994", -1, varBoolean},
    {"  1 +   1  ", 2, varDouble},
};

class EvaluatorValues : public testing::TestWithParam<TValueCase> {};

TEST_P(EvaluatorValues, GivesTheValueAndKind) {
  const TValueCase& c = GetParam();
  TEvaluator ev;
  const Variant r = ev(c.expression);
  EXPECT_EQ(r.VarType(), c.kind) << c.expression;
  if (std::isinf(c.expected))
    EXPECT_EQ(r.AsDouble(), c.expected) << c.expression;
  else
    EXPECT_NEAR(r.AsDouble(), c.expected, 1e-12 * std::max(1.0, std::fabs(c.expected)))
        << c.expression;
}

INSTANTIATE_TEST_SUITE_P(Table, EvaluatorValues, testing::ValuesIn(kValueCases));

struct TErrorCase {
  const char* expression;
  const char* text;  // after 'Component "Mex": '
  int helpContext;
};

const TErrorCase kErrorCases[] = {
    {"y + 1", "undefined variable \"y\"", 101},
    {"arcsin(1.5)", "invalid argument of arcsin", 104},
    {"arccos(-1.01)", "invalid argument of arccos", 105},
    {"ndquant(1)", "invalid argument of normal distribution quantile", 106},
    {"ndquant(0)", "invalid argument of normal distribution quantile", 106},
    {"ln(0)", "invalid argument of logarithm", 107},
    {"lg(-1)", "invalid argument of logarithm", 108},
    {"sqrt(-1)", "invalid argument of square root", 109},
    {"7 # -2", "variable stack underflow", 110},  // "-" after "#" is a subtraction
    {"1 / 0", "division by zero", 111},
    {"1 / (2 - 2)", "division by zero", 111},
    {"7 # 0", "modulo argument must not be zero or negative", 112},
    {"7 # 0.4", "modulo argument must not be zero or negative", 112},
    {"(-8)^(1/3)", "non-integer power of negative number cannot be calculated", 113},
    {"(1 + 2", "unmatched parantheses", 115},
    {"1 + 2)", "unmatched parantheses", 115},
    {"", "empty expression", 116},
    {"   ", "empty expression", 116},
    {"sum(x1:x4)", "syntax error", 117},
    {"sum(:4)", "syntax error", 117},
    {"sum(x1:)", "syntax error", 117},
    {")1(", "operator stack underflow", 121},
    {"1 2", "syntax error", 123},
    {"(1)(2)", "syntax error", 123},
    // An operator or function without its value: refused, never read below the stack.
    {"-", "variable stack underflow", 110},
    {"sin()", "variable stack underflow", 110},
    {"not", "variable stack underflow", 110},
    {"sum()", "variable stack underflow", 110},
    {"sum(1,-2)", "variable stack underflow", 110},
    {"1 +", "variable stack underflow", 110},
    {"*", "variable stack underflow", 110},
    {",", "variable stack underflow", 110},
    // A character that starts no token.
    {"!", "syntax error", 123},
    {"1 + !", "syntax error", 123},
    {"a $ b", "syntax error", 123},
    {"\t1", "syntax error", 123},
    // The variance of one value.
    {"var(4)", "division by zero", 111},
};

class EvaluatorErrors : public testing::TestWithParam<TErrorCase> {};

TEST_P(EvaluatorErrors, RaisesTheTextWithItsHelpContext) {
  const TErrorCase& c = GetParam();
  TEvaluator ev;
  ev.vars["a"] = Variant(1.0);
  ev.vars["b"] = Variant(2.0);
  try {
    ev(c.expression);
    FAIL() << c.expression << " did not raise";
  } catch (const ESDLMathExp& e) {
    EXPECT_EQ(e.Message, String("Component \"Mex\": ") + c.text) << c.expression;
    EXPECT_EQ(e.HelpContext, c.helpContext) << c.expression;
  }
}

INSTANTIATE_TEST_SUITE_P(Table, EvaluatorErrors, testing::ValuesIn(kErrorCases));

String Repeat(const String& unit, int n, const String& sep) {
  String s;
  for (int i = 0; i < n; ++i) {
    if (i > 0) s += sep;
    s += unit;
  }
  return s;
}

int HelpContextOf(const String& expression) {
  TEvaluator ev;
  try {
    ev(expression);
  } catch (const ESDLMathExp& e) {
    return e.HelpContext;
  }
  return 0;
}

// Each stack holds 2000 entries: the 2001st raises, 2000 fit.
TEST(EvaluatorStacks, CapacityIsTwoThousandEntriesEach) {
  EXPECT_EQ(HelpContextOf(Repeat("1", 2001, " ")), 119);
  EXPECT_EQ(HelpContextOf(Repeat("1", 2000, " ")), 123);  // all fit, but 2000 values remain
  // "sum" and "(" take two operator entries, every "," one more.
  EXPECT_EQ(HelpContextOf("sum(" + Repeat("1", 2000, ",") + ")"), 118);
  TEvaluator ev;
  EXPECT_EQ(ev("sum(" + Repeat("1", 1999, ",") + ")").AsDouble(), 1999);
  EXPECT_EQ(HelpContextOf(Repeat("(", 2001, "") + "1" + Repeat(")", 2001, "")), 120);
  EXPECT_EQ(ev(Repeat("(", 2000, "") + "1" + Repeat(")", 2000, "")).AsDouble(), 1);
  // Signs wait on the operator stack behind their "(": the 2001st entry is a sign.
  EXPECT_EQ(HelpContextOf(Repeat("-(", 1001, "") + "1" + Repeat(")", 1001, "")), 122);
  // Constants pushed by the reduction overflow with their own context.
  EXPECT_EQ(HelpContextOf(Repeat("1", 2000, " ") + " pi"), 103);
  // Lists left in parentheses accumulate on the list stack.
  const String group = "(" + Repeat("1", 800, ",") + ")";
  EXPECT_EQ(HelpContextOf(group + "," + group + "," + group), 114);
}

TEST(EvaluatorStacks, DeepNestingAndLongExpressionsEndQuickly) {
  TEvaluator ev;
  // A 1 MB sum reduces as it goes: the stacks never grow.
  const String longSum = Repeat("1", 350000, "+");
  ASSERT_GT(longSum.size(), 699000u);
  const auto t0 = std::chrono::steady_clock::now();
  EXPECT_EQ(ev(longSum + "+" + Repeat("1", 150000, "+")).AsDouble(), 500000);
  EXPECT_EQ(HelpContextOf(Repeat("(", 500000, "") + "1" + Repeat(")", 500000, "")), 120);
  EXPECT_EQ(HelpContextOf(Repeat("!", 1 << 20, "")), 123);
  EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(20));
}

TEST(EvaluatorRanges, ExpandInTheStoredExpressionAndAskForEveryName) {
  TEvaluator ev;
  ev.vars = {{"x1", Variant(1.0)}, {"x2", Variant(2.0)}, {"x3", Variant(4.0)}};
  EXPECT_EQ(ev("sum(x1:3)").AsDouble(), 7);
  EXPECT_EQ(ev.mex.Expression(), "sum(x1,x2,x3)");
  ASSERT_EQ(ev.requests.size(), 3u);
  EXPECT_EQ(ev.requests[0], std::make_pair(String("x1"), Integer(5)));
  EXPECT_EQ(ev.requests[1], std::make_pair(String("x2"), Integer(8)));
  EXPECT_EQ(ev.requests[2], std::make_pair(String("x3"), Integer(11)));
  // Reversed bounds are exchanged; the name is the letter run only.
  ev.mex.SetExpression("mean(x3:1) + sum(2:1)");
  EXPECT_NEAR(ev.mex.Evaluate().AsDouble(), 7.0 / 3 + 3, 1e-15);
  EXPECT_EQ(ev.mex.Expression(), "mean(x1,x2,x3) + sum(1,2)");
}

TEST(EvaluatorRanges, HugeRangesAreRefusedBeforeTheyAreWritten) {
  // More elements than the value stack holds could never be evaluated.
  EXPECT_EQ(HelpContextOf("sum(x1:2001)"), 119);
  EXPECT_EQ(HelpContextOf("sum(x1:999999999999)"), 119);
  EXPECT_EQ(HelpContextOf("sum(x1:9999999999999999999999)"), 117);
  TEvaluator ev;
  ev.refuseUnknown = false;
  EXPECT_EQ(ev("sum(x1:1999)").AsDouble(), 0);
  // Many ranges together may not blow the expression up beyond its bound.
  EXPECT_EQ(HelpContextOf(Repeat("sum(1:2000)", 2000, "+")), 117);
}

TEST(EvaluatorVariables, NamesPositionsAndKinds) {
  TEvaluator ev;
  ev.vars = {{"Länge_2°", Variant(3.0)},    {"sinx", Variant(5.0)},
             {"t", Variant(String("2,5"))}, {"u", Variant(String("1.5e1"))},
             {"w", Variant(String("abc"))}, {"k", Variant(Int64(7))}};
  EXPECT_EQ(ev("Länge_2° * 2").AsDouble(), 6);
  // A keyword is matched on the letter and digit run only: pi_2 is pi followed by _2.
  ev.requests.clear();
  EXPECT_THROW(ev("pi_2"), ESDLMathExp);
  ASSERT_EQ(ev.requests.size(), 1u);
  EXPECT_EQ(ev.requests[0].first, "_2");
  EXPECT_EQ(HelpContextOf("sin2"), 101);  // a variable, not sin
  EXPECT_EQ(ev("sinx + 1").AsDouble(), 6);
  // Texts are read as numbers with "." or "," (0 when there is none).
  EXPECT_EQ(ev("t * 2").AsDouble(), 5);
  EXPECT_EQ(ev("u + 0").AsDouble(), 15);
  EXPECT_EQ(ev("w + 1").AsDouble(), 1);
  EXPECT_EQ(ev("-t").AsDouble(), -2.5);
  // and/or/xor take the values unconverted.
  EXPECT_EQ(ev("k and 3").AsDouble(), 3);
  EXPECT_EQ(ev("k + round(1)").VarType(), varInt64);
  ev.requests.clear();
  ev("1 + k");
  ASSERT_EQ(ev.requests.size(), 1u);
  EXPECT_EQ(ev.requests[0].second, 5);
}

// Comparisons and the logical operators share one level above "*" and "/".
TEST(EvaluatorPrecedence, ComparisonsBindTighterThanArithmetic) {
  TEvaluator ev;
  ev.vars = {{"a", Variant(3.0)}, {"b", Variant(2.5)}, {"c", Variant(1.0)}};
  EXPECT_EQ(ev("a + b > c").AsDouble(), 2);  // a + (b > c) = 3 + True
  // ((a > 1) and b) > 2: True and 2.5 is -1 and 2 (bitwise) = 2, not above 2.
  EXPECT_EQ(ev("a > 1 and b > 2"), Variant(false));
  EXPECT_EQ(ev("(a > 1) and (b > 2)"), Variant(true));
}

TEST(EvaluatorFunctions, NormalQuantile) {
  TEvaluator ev;
  EXPECT_NEAR(ev("ndquant(0.5)").AsDouble(), 0, 1e-7);
  EXPECT_NEAR(ev("ndquant(0.975)").AsDouble(), 1.959963985, 1e-6);
  EXPECT_NEAR(ev("ndint(1.959963985)").AsDouble(), 0.975, 1e-8);
}

TEST(EvaluatorVariables, UndefinedAndWithoutHandler) {
  TEvaluator ev;
  try {
    ev("2 * Höhe");
    FAIL();
  } catch (const ESDLMathExp& e) {
    EXPECT_EQ(e.Message, "Component \"Mex\": undefined variable \"Höhe\"");
    EXPECT_EQ(e.HelpContext, 101);
  }
  TMathExpression bare(nullptr);
  bare.SetExpression("a + 1");
  EXPECT_EQ(bare.Evaluate().AsDouble(), 1);
  // A value that has no number form fails as the evaluator's error.
  ev.vars["n"] = Variant(std::nan(""));
  EXPECT_THROW(ev("round(n)"), ESDLMathExp);
  EXPECT_THROW(ev("n # 2"), ESDLMathExp);
}

TEST(EvaluatorLists, ArgumentsComeBackInTheirOwnOrder) {
  TEvaluator ev;
  // sum(a, b, c) adds a + c + b: the list stack is read from its top.
  ev.vars["a"] = Variant(1e16);
  ev.vars["b"] = Variant(-1e16);
  ev.vars["c"] = Variant(1.0);
  EXPECT_EQ(ev("sum(a, b, c)").AsDouble(), 0);  // (1e16 + 1) - 1e16 rounds the 1 away
  EXPECT_EQ(ev("sum(a, c, b)").AsDouble(), 1);
}

TEST(EvaluatorState, ExpressionIsStrippedAndStacksStartEmpty) {
  TEvaluator ev;
  ev.mex.SetExpression("  1 + 2  ");
  EXPECT_EQ(ev.mex.Expression(), "1 + 2");
  EXPECT_THROW(ev("(1 + 2"), ESDLMathExp);
  EXPECT_THROW(ev("1 2 3"), ESDLMathExp);
  EXPECT_EQ(ev("4").AsDouble(), 4);  // nothing of the failed runs remains
}

TEST(EvaluatorRandom, RandAndGaussDrawFromTheProcessGenerator) {
  InitRuntime();
  InitLibrary();
  DOV_math1_Init();
  TEvaluator ev;
  for (int i = 0; i < 200; ++i) {
    const double r = ev("rand(10)").AsDouble();
    EXPECT_GT(r, -5.0);
    EXPECT_LE(r, 5.0);
  }
  InitLibrary();
  DOV_math1_Init();
  const double g = ev("gauss").AsDouble();
  InitLibrary();
  DOV_math1_Init();
  EXPECT_EQ(GRandom(), g);
}

}  // namespace

TEST(Parentheses, BalanceAndFirstUnmatchedClose) {
  const std::pair<const char*, Integer> cases[] = {
      {"", 0},      {"a+b", 0},      {"(a+b", 1}, {"a)", -2},       {"((a)(b))", 0}, {"((a", 2},
      {"())(", -3}, {"sin('(')", 1}, {")(", -1},  {"(x)) + (", -4}, {"é(ü)", 0},     {"ä)", -3},
  };
  for (auto [text, want] : cases) EXPECT_EQ(CheckParanthInExp(text), want) << text;
}
