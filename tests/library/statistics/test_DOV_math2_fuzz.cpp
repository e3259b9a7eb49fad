// Random inputs for the evaluator's, the string search's and the extractor's parsers: every
// input must end with a value or with the component's own error, never anything else (the
// sanitizer build turns a read outside the stacks into a failure as well).
//
// Bounded by iterations and time: KESTAL_FUZZ_ITERATIONS (default 200000 per parser),
// KESTAL_FUZZ_SECONDS (default 5) and KESTAL_FUZZ_SEED (default fixed) let a longer run be made
// by hand. A failure names the
// seed and the input; such inputs are kept in kRegressions.
#include "DOV_math2_expr.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace {

using TClock = std::chrono::steady_clock;

double FuzzSeconds() {
  const char* s = std::getenv("KESTAL_FUZZ_SECONDS");
  return s != nullptr ? std::atof(s) : 5.0;
}

std::uint64_t FuzzSeed() {
  const char* s = std::getenv("KESTAL_FUZZ_SEED");
  return s != nullptr ? std::strtoull(s, nullptr, 10) : 20261210u;
}

int Iterations() {
  const char* s = std::getenv("KESTAL_FUZZ_ITERATIONS");
  return s != nullptr ? std::atoi(s) : 200000;
}
const int MaxIterations = Iterations();

class TInputMaker {
public:
  explicit TInputMaker(std::uint64_t seed) : FRng(seed) {}

  int Below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(FRng); }
  bool Chance(int percent) { return Below(100) < percent; }

  String RandomBytes(int maxLen) {
    String s;
    const int n = Below(maxLen + 1);
    for (int i = 0; i < n; ++i) s += static_cast<char>(Below(256));
    return s;
  }

  String Pick(const std::vector<const char*>& from) {
    return from[static_cast<size_t>(Below(static_cast<int>(from.size())))];
  }

  String Number() {
    static const std::vector<const char*> numbers = {
        "0",   "1",   "2",  "3.5", ".5", "1e308", "1e-320", "9999999999999999999",
        "2.5", "0.0", "1e", "1e+", "7.", "1.2.3", "00012"};
    return Pick(numbers);
  }

  String Expression(int depth = 0) {
    static const std::vector<const char*> ops = {"+",     "-",    "*",     "/",  "#", "^",
                                                 ">",     ">=",   "<",     "<=", "=", "<>",
                                                 " and ", " or ", " xor ", ","};
    static const std::vector<const char*> functions = {
        "sin",  "cos", "tan",   "arcsin", "arccos",  "arctan", "abs", "sign",
        "sqrt", "sqr", "round", "ndint",  "ndquant", "nddens", "sum", "mean",
        "var",  "exp", "ln",    "lg",     "rand",    "frac",   "int", "not"};
    static const std::vector<const char*> atoms = {"pi",    "true", "false", "gauss", "x",     "y",
                                                   "big",   "txt",  "nan",   "inf",   "Länge", "°",
                                                   "undef", "b",    "i",     "_z"};
    String s;
    const int parts = 1 + Below(5);
    for (int k = 0; k < parts; ++k) {
      switch (Below(depth >= 3 ? 4 : 7)) {
        case 0: s += Number(); break;
        case 1: s += Pick(atoms); break;
        case 2: s += Pick(ops); break;
        case 3:
          s += Chance(50) ? "x" + std::to_string(Below(4)) + ":" + std::to_string(Below(5))
                          : String(1, "()!:;' \t"[Below(8)]);
          break;
        case 4: s += Pick(functions) + "(" + Expression(depth + 1) + ")"; break;
        case 5: s += "(" + Expression(depth + 1) + ")"; break;
        default: s += Pick(functions) + " " + Expression(depth + 1); break;
      }
      if (Chance(30)) s += ' ';
    }
    if (Chance(3)) s = RandomBytes(40);
    if (Chance(1)) s = String(static_cast<size_t>(2001 + Below(100)), "(-1,"[Below(4)]) + s;
    return s;
  }

  String SearchExpression() {
    static const std::vector<const char*> pieces = {"fox", "quick", "QUICK", "ä", "°", "+",
                                                    ",",   "~",     "(",     ")", " ", "x_1",
                                                    "sin", "and",   "!",     "Ö", "1"};
    String s;
    const int n = Below(12);
    for (int i = 0; i < n; ++i) s += Pick(pieces);
    if (Chance(5)) s = RandomBytes(20);
    return s;
  }

  String Script() {
    static const std::vector<const char*> commands = {
        "pos",     "inc",    "find",      "copy",         "emit",   "calc", "makelc", "makeuc",
        "strcomp", "exiton", "copyuntil", "scandatetime", "assign", "foo",  "#",      ""};
    static const std::vector<const char*> params = {"1",
                                                    "-3",
                                                    "999999999",
                                                    "2147483647",
                                                    "-2147483648",
                                                    "0",
                                                    "a",
                                                    "x",
                                                    "'a'",
                                                    "',',v",
                                                    "2,'a'",
                                                    "3, v",
                                                    "v=1+2",
                                                    "v=x+1:etinteger",
                                                    "v = 'q'",
                                                    "r=v,'q'",
                                                    "$sourcestring",
                                                    "'yyyy-MM-dd',d",
                                                    "'HH:mm',t",
                                                    "= ",
                                                    "v=",
                                                    "'",
                                                    "(",
                                                    ")",
                                                    "v=sum(x1:3)",
                                                    "2147483647,v",
                                                    "v=undef*2",
                                                    "v=''"};
    String s;
    const int n = Below(10);
    for (int i = 0; i < n; ++i) {
      s += Pick(commands);
      if (!Chance(5)) s += "(";
      s += Pick(params);
      if (Chance(30)) s += "," + Pick(params);
      if (!Chance(5)) s += ")";
      s += Chance(50) ? ";" : "\n";
    }
    if (Chance(3)) s = RandomBytes(60);
    return s;
  }

  String Source() {
    static const std::vector<const char*> sources = {
        "", "a", "Graz,17.5;x 2024-03-05 12:30", "banana", "12:30 1.5e3 ÄÖÜ", "2024-13-45"};
    return Chance(20) ? RandomBytes(50) : Pick(sources);
  }

private:
  std::mt19937_64 FRng;
};

// Values a variable handler may give back, the hostile ones included.
Variant HandlerValue(const String& name) {
  if (name == "x" || name.rfind("x", 0) == 0) return Variant(2.0);
  if (name == "y") return Variant(-3.0);
  if (name == "big") return Variant(1.7976931348623157e308);
  if (name == "txt") return Variant(String("1,5"));
  if (name == "nan") return Variant(std::numeric_limits<double>::quiet_NaN());
  if (name == "inf") return Variant(std::numeric_limits<double>::infinity());
  if (name == "b") return Variant(true);
  if (name == "i") return Variant(std::numeric_limits<Int64>::min());
  if (name == "undef") return Null();
  return Variant(Integer(0));
}

// Evaluates one expression; false when anything but a value or the evaluator's error comes.
bool EvaluateSafely(TMathExpression& mex, const String& e, String& problem) {
  try {
    mex.SetExpression(e);
    const Variant v = mex.Evaluate();
    if (v.IsNull()) problem = "a Null result";
  } catch (const ESDLMathExp&) {
  } catch (const std::exception& x) {
    problem = x.what();
  } catch (...) {
    problem = "an unknown exception";
  }
  return problem.empty();
}

// Inputs that break the literal rules (an empty value stack, a character that starts no
// token, the variance of one value) and the hostile values at the ends of the number kinds.
const char* const kRegressions[] = {
    "-",      "sin()",     "sum(1,-2)",  "!",          "(",       ".",      "1e",
    "var(1)", "x1:3:5",    "sum(x1:3)x", "round(nan)", "not inf", "i * -1", "-i",
    "i # 3",  "big * big", "sum(,)",     "(,)",        ",,,",
};

TEST(Math2Fuzz, RegressionInputs) {
  TMathExpression mex(nullptr);
  mex.OnVarRequest = [](TObject*, const String& n, Variant& v, Integer) { v = HandlerValue(n); };
  for (const char* e : kRegressions) {
    String problem;
    EXPECT_TRUE(EvaluateSafely(mex, e, problem)) << e << ": " << problem;
  }
}

TEST(Math2Fuzz, Evaluator) {
  const std::uint64_t seed = FuzzSeed();
  TInputMaker make(seed);
  TMathExpression mex(nullptr);
  mex.OnVarRequest = [](TObject*, const String& n, Variant& v, Integer) { v = HandlerValue(n); };
  int done = 0;
  const auto end = TClock::now() + std::chrono::duration<double>(FuzzSeconds());
  for (int i = 0; i < MaxIterations && TClock::now() < end; ++i) {
    const String e = make.Expression();
    String problem;
    ASSERT_TRUE(EvaluateSafely(mex, e, problem))
        << "seed " << seed << ", iteration " << i << ": '" << e << "': " << problem;
    done = i + 1;
  }
  RecordProperty("iterations", done);
}

TEST(Math2Fuzz, StringSearch) {
  const std::uint64_t seed = FuzzSeed() + 1;
  TInputMaker make(seed);
  TStringSearch search(nullptr);
  search.InString = "The quick brown fox, Äpfel und Öl ° x_1";
  const auto end = TClock::now() + std::chrono::duration<double>(FuzzSeconds() / 2);
  for (int i = 0; i < MaxIterations && TClock::now() < end; ++i) {
    const String e = make.SearchExpression();
    search.SetIgnoreCase(make.Chance(50));
    search.SetSearchExp(e);
    try {
      search.DoSearch();
      for (Integer k = 1; k <= search.NumFoundItems(); ++k) {
        const Integer pos = search.GetItemPositions(k), len = search.GetItemLength(k);
        ASSERT_GE(pos, 1) << e;
        ASSERT_LE(static_cast<size_t>(pos - 1 + len), search.InString.size()) << e;
      }
    } catch (const ESDLMath2Error&) {
    } catch (const std::exception& x) {
      FAIL() << "seed " << seed << ", iteration " << i << ": '" << e << "': " << x.what();
    }
  }
}

TEST(Math2Fuzz, Extractor) {
  const std::uint64_t seed = FuzzSeed() + 2;
  TInputMaker make(seed);
  TExtractor ex(nullptr);
  const auto end = TClock::now() + std::chrono::duration<double>(FuzzSeconds());
  for (int i = 0; i < MaxIterations && TClock::now() < end; ++i) {
    const String source = make.Source(), script = make.Script();
    ex.SetSource(source);
    ex.SetExtCommands(script);
    try {
      ex.Execute();
      ASSERT_GE(ex.ReadPosition(), 0);
    } catch (const ESDLMath2Error&) {
    } catch (const ESDLMathExp&) {
    } catch (const std::exception& x) {
      FAIL() << "seed " << seed << ", iteration " << i << ": source '" << source << "', script '"
             << script << "': " << x.what();
    }
  }
}

}  // namespace
