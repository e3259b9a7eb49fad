#include <gtest/gtest.h>

#include <limits>

#include "DOV_dstruct.h"
#include "RtlRandom.h"

// ---- byte matrix ------------------------------------------------------------------------------

TEST(ByteMatrix, ResizeKeepsTheOverlapAndZeroesTheRest) {
  TByteMatrix m(nullptr);
  EXPECT_EQ(m.NrOfColumns(), 1);
  EXPECT_EQ(m.GetByte(1, 1), 0);
  int fired = 0;
  m.OnChange = [&](TObject*) { ++fired; };
  ASSERT_TRUE(m.Resize(2, 2));
  m.SetByte(1, 1, 11);
  m.SetByte(2, 1, 21);
  m.SetByte(1, 2, 12);
  m.SetByte(2, 2, 22);
  fired = 0;
  ASSERT_TRUE(m.Resize(3, 2));
  EXPECT_EQ(fired, 1);
  EXPECT_EQ(m.GetByte(1, 1), 11);
  EXPECT_EQ(m.GetByte(2, 2), 22);
  EXPECT_EQ(m.GetByte(3, 1), 0);
  EXPECT_EQ(m.GetByte(3, 2), 0);
  EXPECT_FALSE(m.Resize(3, 2));
  EXPECT_FALSE(m.Resize(0, 5));
  EXPECT_EQ(fired, 1);
  ASSERT_TRUE(m.Resize(1, 3));
  EXPECT_EQ(m.GetByte(1, 2), 12);
  EXPECT_EQ(m.GetByte(1, 3), 0);
  m.SetNrOfColumns(-4);  // becomes 1: unchanged
  m.SetNrOfRows(0);
  EXPECT_EQ(m.NrOfColumns(), 1);
  EXPECT_EQ(m.NrOfRows(), 1);
  EXPECT_EQ(m.GetByte(1, 1), 11);
}

TEST(ByteMatrix, OutsideAccessIsIgnored) {
  TByteMatrix m(nullptr);
  m.Resize(2, 3);
  int fired = 0;
  m.OnChange = [&](TObject*) { ++fired; };
  m.SetByte(0, 1, 5);
  m.SetByte(3, 1, 5);
  m.SetByte(1, 4, 5);
  m.SetBit(1, 1, 8, true);
  m.SetBit(1, 1, -1, true);
  m.ToggleBit(2, 0, 1);
  EXPECT_EQ(fired, 0);
  EXPECT_EQ(m.GetByte(0, 1), 0);
  m.Fill(0xFF);
  EXPECT_FALSE(m.GetBit(1, 1, 8));
  EXPECT_FALSE(m.GetBit(9, 1, 0));
  EXPECT_TRUE(m.GetBit(2, 3, 7));
}

TEST(ByteMatrix, BitsAndMirrors) {
  TByteMatrix m(nullptr);
  m.Resize(3, 2);
  m.SetBit(1, 1, 0, true);
  m.SetBit(1, 1, 7, true);
  m.ToggleBit(1, 1, 0);
  m.ToggleBit(1, 1, 3);
  EXPECT_EQ(m.GetByte(1, 1), 0x88);
  m.SetBit(1, 1, 7, false);
  EXPECT_EQ(m.GetByte(1, 1), 0x08);
  m.SetByte(3, 2, 32);
  m.MirrorColumns();
  EXPECT_EQ(m.GetByte(3, 1), 0x08);
  EXPECT_EQ(m.GetByte(1, 2), 32);
  m.MirrorRows();
  EXPECT_EQ(m.GetByte(3, 2), 0x08);
  EXPECT_EQ(m.GetByte(1, 1), 32);

  TByteMatrix one(nullptr);
  one.SetByte(1, 1, 7);
  int fired = 0;
  one.OnChange = [&](TObject*) { ++fired; };
  one.MirrorRows();
  EXPECT_EQ(fired, 1);
  EXPECT_EQ(one.GetByte(1, 1), 7);
}

TEST(ByteMatrix, CombineAndAssign) {
  struct Case {
    TLogicOp op;
    Byte result;  // of a = 0b1100, b = 0b1010
  };
  for (const Case c : {Case{loAND, 0x08}, Case{loOR, 0x0E}, Case{loXOR, 0x06}, Case{loANDNot, 0x04},
                       Case{loORNot, 0xFD}, Case{loXORNot, 0xF9}}) {
    TByteMatrix a(nullptr), b(nullptr);
    a.Resize(2, 1);
    b.Resize(2, 1);
    a.SetByte(2, 1, 0x0C);
    b.SetByte(2, 1, 0x0A);
    int fired = 0;
    a.OnChange = [&](TObject*) { ++fired; };
    a.CombineWith(&b, c.op);
    EXPECT_EQ(a.GetByte(2, 1), c.result) << c.op;
    EXPECT_EQ(fired, 0);
  }
  TByteMatrix a(nullptr), b(nullptr);
  a.Resize(2, 2);
  a.Fill(3);
  b.CombineWith(&a, loOR);  // sizes differ
  EXPECT_EQ(b.GetByte(1, 1), 0);
  int fired = 0;
  a.OnChange = [&](TObject*) { ++fired; };
  b.Assign(&a);
  EXPECT_EQ(b.NrOfColumns(), 2);
  EXPECT_EQ(b.GetByte(2, 2), 3);
  EXPECT_EQ(fired, 0);
  b.SetByte(1, 1, 9);  // b now calls a's handler
  EXPECT_EQ(fired, 1);
  TBitFld other(nullptr);
  EXPECT_THROW(b.Assign(&other), EAssignError);
}

// ---- bit field ----------------------------------------------------------------------------------

TEST(BitField, HasSizePlusOneBits) {
  TBitFld f(nullptr);
  EXPECT_EQ(f.Size(), 1000);
  EXPECT_EQ(f.FirstTrueBit(), -1);
  f.SetBit(1000, true);
  f.SetBit(1001, true);
  f.SetBit(-1, true);
  EXPECT_EQ(f.CountTrueBits(), 1);
  EXPECT_EQ(f.FirstTrueBit(), 1000);
  EXPECT_FALSE(f.GetBit(1001));
  f.Clear();
  f.Invert();
  EXPECT_EQ(f.CountTrueBits(), 1001);
  f.ToggleBit(0);
  EXPECT_EQ(f.FirstTrueBit(), 1);
}

TEST(BitField, ShrinkingDropsTheBitsOutside) {
  TBitFld f(nullptr);
  f.SetBit(15, true);
  f.SetBit(3, true);
  f.SetSize(10);
  EXPECT_EQ(f.CountTrueBits(), 1);
  f.SetSize(20);
  EXPECT_FALSE(f.GetBit(15));
  EXPECT_TRUE(f.GetBit(3));
  f.SetSize(0);
  EXPECT_EQ(f.Size(), 20);
}

TEST(BitField, ListsCombineAndClone) {
  TBitFld a(nullptr), b(nullptr);
  a.SetSize(9);
  b.SetSize(9);
  for (int i : {0, 2, 9}) a.SetBit(i, true);
  for (int i : {2, 3}) b.SetBit(i, true);
  TIntArray list;
  a.MakeListOfBits(list, true);
  EXPECT_EQ(list, (TIntArray{0, 2, 9}));
  a.MakeListOfBits(list, false);
  EXPECT_EQ(list.size(), 7u);
  a.CombineWith(&b, loXORNot);  // a xor not b over bits 0..9
  a.MakeListOfBits(list, true);
  EXPECT_EQ(list, (TIntArray{1, 2, 4, 5, 6, 7, 8}));
  EXPECT_EQ(a.CountTrueBits(), 7);
  TBitFld c(nullptr);
  c.CombineWith(&b, loOR);  // sizes differ
  EXPECT_EQ(c.CountTrueBits(), 0);
  c.Clone(&b);
  EXPECT_EQ(c.Size(), 9);
  EXPECT_TRUE(c.GetBit(3));
  c.Clone(nullptr);
  EXPECT_EQ(c.Size(), 9);
}

TEST(BitField, RandomFillSetsExactlyNBits) {
  InitRandomGenerator(8053);
  TBitFld f(nullptr);
  struct Case {
    Integer bits;
    Integer expected;
  };
  for (const Case c :
       {Case{5000, 1000}, Case{0, 0}, Case{-3, 0}, Case{1, 1}, Case{600, 600}, Case{499, 499}}) {
    f.RandomFill(c.bits);
    EXPECT_EQ(f.CountTrueBits(), c.expected) << c.bits;
  }
  f.RandomFill(50.0);
  EXPECT_EQ(f.CountTrueBits(), 500);
  f.RandomFill(250.0);
  EXPECT_EQ(f.CountTrueBits(), 1000);
  f.RandomFill(std::numeric_limits<Double>::quiet_NaN());
  EXPECT_EQ(f.CountTrueBits(), 0);
}
