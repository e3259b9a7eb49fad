// The Boolean string search: the search expression is rewritten into an evaluator expression
// whose variables are the terms, and the component answers those variables itself.

#include "DOV_math2_expr.h"
#include "DOV_stringl.h"

namespace {

// Lower case of A-Z and of the Latin-1 capitals U+00C0..U+00DE (but the multiplication sign):
// each keeps its UTF-8 length, so positions found in the folded text are positions in the
// original.
String FoldCase(const String& s) {
  String r = s;
  for (size_t i = 0; i < r.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(r[i]);
    if (c >= 'A' && c <= 'Z') {
      r[i] = static_cast<char>(c + 32);
    } else if (c == 0xC3 && i + 1 < r.size()) {
      const unsigned char c2 = static_cast<unsigned char>(r[i + 1]);
      if ((c2 & 0xC0) != 0x80) continue;
      if (c2 <= 0x9E && c2 != 0x97) r[i + 1] = static_cast<char>(c2 + 0x20);
      ++i;
    }
  }
  return r;
}

String ReplaceAll(const String& s, char From, const char* To) {
  String r;
  r.reserve(s.size());
  for (char c : s) {
    if (c == From)
      r += To;
    else
      r += c;
  }
  return r;
}

constexpr const char* TermPrefix = "V_";

}  // namespace

TStringSearch::TStringSearch(TComponent* AOwner) : TMathExpression(AOwner) {
  OnVarRequest = [this](TObject* Sender, const String& VarName, Variant& Value, Integer TkPos) {
    MexVarRequestHandler(Sender, VarName, Value, TkPos);
  };
}

void TStringSearch::SetIgnoreCase(bool Value) {
  if (Value == FIgnoreCase) return;
  FIgnoreCase = Value;
  PrepareSearchExp();
}

void TStringSearch::SetSearchExp(const String& Value) {
  if (Value == FSearchExp) return;
  FSearchExp = Value;
  PrepareSearchExp();
}

void TStringSearch::PrepareSearchExp() {
  const String source = FIgnoreCase ? FoldCase(FSearchExp) : FSearchExp;
  String prefixed;
  bool termStart = true;
  for (char c : source) {
    if (c == '(' || c == ')' || c == '+' || c == ',' || c == '~') {
      termStart = true;
    } else if (termStart) {
      prefixed += TermPrefix;
      termStart = false;
    }
    prefixed += c;
  }
  FInternSE = ReplaceAll(ReplaceAll(ReplaceAll(prefixed, ',', " or "), '+', " and "), '~', " not ");
}

void TStringSearch::MexVarRequestHandler(TObject*, const String& VarName, Variant& Value, Integer) {
  const String term = VarName.size() > 2 ? VarName.substr(2) : String();
  const size_t found =
      term.empty() ? String::npos : (FIgnoreCase ? FoldCase(InString) : InString).find(term);
  if (found == String::npos) {
    Value = Variant(false);
    return;
  }
  Value = Variant(true);
  FPositions.push_back(static_cast<Integer>(found) + 1);
  FPositions.push_back(static_cast<Integer>(term.size()));
}

bool TStringSearch::DoSearch() {
  FPositions.clear();
  if (FInternSE.empty()) return true;
  try {
    SetExpression(FInternSE);
    return Evaluate().AsBoolean();
  } catch (...) {
    throw ESDLMath2Error("invalid search expression");
  }
}

Integer TStringSearch::GetItemPositions(Integer ix) const {
  if (ix < 1 || ix > NumFoundItems()) return -1;
  return FPositions[static_cast<size_t>(2 * (ix - 1))];
}

Integer TStringSearch::GetItemLength(Integer ix) const {
  if (ix < 1 || ix > NumFoundItems()) return -1;
  return FPositions[static_cast<size_t>(2 * (ix - 1) + 1)];
}
