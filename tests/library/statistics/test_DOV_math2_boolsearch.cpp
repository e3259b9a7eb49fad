// The Boolean string search: rewriting, results, found positions and refused expressions.
#include "DOV_math2_expr.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct TSearchCase {
  const char* expression;
  bool ignoreCase;
  bool expected;
  std::vector<std::pair<Integer, Integer>> found;  // position, length
};

const char* const kFox = "The quick brown fox";

const TSearchCase kSearchCases[] = {
    {"", true, true, {}},
    {"quick+fox", true, true, {{5, 5}, {17, 3}}},
    {"QUICK", true, true, {{5, 5}}},
    {"QUICK", false, false, {}},
    {"Th+quick", false, true, {{1, 2}, {5, 5}}},
    {"cat,fox", true, true, {{17, 3}}},
    {"~cat", true, true, {}},
    {"~fox", true, false, {{17, 3}}},
    {"quick +fox", true, true, {{5, 5}, {17, 3}}},
    {"quick+(cat,brown)", true, true, {{5, 5}, {11, 5}}},
    {"(cat,dog)+quick", true, false, {{5, 5}}},
    {"quick+~(cat,dog)", true, true, {{5, 5}}},
    // Terms are looked up once per occurrence, left to right, without short cuts.
    {"fox,fox", true, true, {{17, 3}, {17, 3}}},
    {"cat+fox", true, false, {{17, 3}}},
    // Keywords of the evaluator are plain terms here.
    {"sin,brown", true, true, {{11, 5}}},
    {"o", true, true, {{13, 1}}},
};

class StringSearchCases : public testing::TestWithParam<TSearchCase> {};

TEST_P(StringSearchCases, ResultAndFoundItems) {
  const TSearchCase& c = GetParam();
  TStringSearch s(nullptr);
  s.InString = kFox;
  s.SetIgnoreCase(c.ignoreCase);
  s.SetSearchExp(c.expression);
  EXPECT_EQ(s.DoSearch(), c.expected) << c.expression;
  ASSERT_EQ(s.NumFoundItems(), static_cast<Integer>(c.found.size())) << c.expression;
  for (size_t i = 0; i < c.found.size(); ++i) {
    EXPECT_EQ(s.GetItemPositions(static_cast<Integer>(i + 1)), c.found[i].first) << c.expression;
    EXPECT_EQ(s.GetItemLength(static_cast<Integer>(i + 1)), c.found[i].second) << c.expression;
  }
}

INSTANTIATE_TEST_SUITE_P(Table, StringSearchCases, testing::ValuesIn(kSearchCases));

TEST(StringSearch, RefusedExpressions) {
  for (const char* e : {"quick+ fox", "quick brown", " quick", "(quick", "quick)", "quick+",
                        "quick!", "+", "quick,,fox", "~"}) {
    TStringSearch s(nullptr);
    s.InString = kFox;
    s.SetSearchExp(e);
    try {
      s.DoSearch();
      ADD_FAILURE() << e << " did not raise";
    } catch (const ESDLMath2Error& x) {
      EXPECT_EQ(x.Message, "invalid search expression") << e;
    }
  }
}

TEST(StringSearch, RewritingPrefixesTermsAndSpellsOperators) {
  TStringSearch s(nullptr);
  s.SetSearchExp("alpha+beta,~gamma");
  EXPECT_EQ(s.InternalExpression(), "V_alpha and V_beta or  not V_gamma");
  s.SetSearchExp("Äpfel+(X,~y)");
  EXPECT_EQ(s.InternalExpression(), "V_äpfel and (V_x or  not V_y)");
  s.SetIgnoreCase(false);
  EXPECT_EQ(s.InternalExpression(), "V_Äpfel and (V_X or  not V_y)");
}

TEST(StringSearch, SettersRewriteOnlyOnChange) {
  TStringSearch s(nullptr);
  s.SetSearchExp("Fox");
  ASSERT_EQ(s.InternalExpression(), "V_fox");
  // The same values again leave the rewritten text as it is; a changed flag rewrites it.
  s.SetIgnoreCase(true);
  s.SetSearchExp("Fox");
  EXPECT_EQ(s.InternalExpression(), "V_fox");
  s.SetIgnoreCase(false);
  EXPECT_EQ(s.InternalExpression(), "V_Fox");
}

TEST(StringSearch, UmlautsFoldAndPositionsCountBytes) {
  TStringSearch s(nullptr);
  s.InString = "Grüße aus ÖSTERREICH";
  s.SetSearchExp("österreich+grüße");
  EXPECT_TRUE(s.DoSearch());
  ASSERT_EQ(s.NumFoundItems(), 2);
  EXPECT_EQ(s.GetItemPositions(1), 13);  // "Grüße " is 8 bytes, "aus " 4 more
  EXPECT_EQ(s.GetItemLength(1), 11);
  EXPECT_EQ(s.GetItemPositions(2), 1);
  EXPECT_EQ(s.GetItemLength(2), 7);
}

TEST(StringSearch, ItemIndexesOutsideGiveMinusOne) {
  TStringSearch s(nullptr);
  s.InString = kFox;
  s.SetSearchExp("quick+fox");
  ASSERT_TRUE(s.DoSearch());
  EXPECT_EQ(s.GetItemPositions(0), -1);
  EXPECT_EQ(s.GetItemLength(3), -1);
  EXPECT_EQ(s.GetItemPositions(-5), -1);
  // A new search starts without items.
  s.SetSearchExp("cat");
  EXPECT_FALSE(s.DoSearch());
  EXPECT_EQ(s.NumFoundItems(), 0);
}

}  // namespace
