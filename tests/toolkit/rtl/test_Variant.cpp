#include <gtest/gtest.h>

#include "SysUtils.h"
#include "Variant.h"

namespace {

TEST(Variant, KindCodes) {
  EXPECT_EQ(VarType(Variant()), varEmpty);
  EXPECT_EQ(VarType(Null()), varNull);
  EXPECT_EQ(VarType(Variant(Integer{3})), 3);
  EXPECT_EQ(VarType(Variant(Int64{3})), 20);
  EXPECT_EQ(VarType(Variant(2.5)), 5);
  EXPECT_EQ(VarType(Variant(2.5f)), 4);
  EXPECT_EQ(VarType(Variant::FromDate(45306.5)), 7);
  EXPECT_EQ(VarType(Variant(true)), 11);
  EXPECT_EQ(VarType(Variant("text")), varUString);  // every stored text
  EXPECT_EQ(VarType(Variant::OfType(varByte, 200)), 17);
  EXPECT_EQ(VarType(Variant::OfType(varCurrency, 1.25)), 6);
  EXPECT_THROW(Variant::OfType(varUString, 1), EVariantError);
}

TEST(Variant, ConversionsAsThePlatform) {
  EXPECT_EQ(Variant(true).AsDouble(), -1.0);  // True is -1 as a number
  EXPECT_EQ(Variant(true).AsInt64(), -1);
  EXPECT_EQ(Variant(false).AsInteger(), 0);
  EXPECT_EQ(Variant("1.5").AsDouble(), 1.5);
  EXPECT_EQ(Variant(" 42").AsInteger(), 42);
  EXPECT_EQ(Variant(2.5).AsInt64(), 2);  // halves to even
  EXPECT_TRUE(Variant("TRUE").AsBoolean());
  EXPECT_TRUE(Variant(Integer{5}).AsBoolean());
  EXPECT_EQ(Variant().AsDouble(), 0.0);
  EXPECT_THROW(Variant("1,5").AsDouble(), EVariantError);
  EXPECT_THROW(Null().AsDouble(), EVariantError);
  EXPECT_THROW(Null().AsString(), EVariantError);
  EXPECT_THROW(Variant(Int64{1} << 40).AsInteger(), EVariantError);
}

TEST(Variant, Text) {
  EXPECT_EQ(VarToStr(Null()), "");
  EXPECT_EQ(VarToStr(Variant()), "");
  EXPECT_EQ(VarToStr(Variant(true)), "True");
  EXPECT_EQ(VarToStr(Variant(false)), "False");
  EXPECT_EQ(VarToStr(Variant(Integer{-7})), "-7");
  EXPECT_EQ(VarToStr(Variant(0.1)), "0.1");
  EXPECT_EQ(VarToStr(Variant(0.1f)), "0.1");
  EXPECT_EQ(VarToStr(Variant("abc")), "abc");
  EXPECT_EQ(VarToStr(Variant::FromDate(EncodeDate(2024, 1, 15) + 0.5)), "2024-01-15 12:00:00");
  EXPECT_TRUE(VarIsNull(Null()));
  EXPECT_TRUE(VarIsEmpty(Variant()));
  EXPECT_EQ(Variant(Integer{3}), Variant(Integer{3}));
  EXPECT_FALSE(Variant(Integer{3}) == Variant(Int64{3}));
}

}  // namespace
