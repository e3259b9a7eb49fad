#include <gtest/gtest.h>

#include <vector>

#include "DOV_dstruct.h"

namespace {

using Bytes = std::vector<Byte>;

// Moves every full block the component holds to Out.
void TakeFullBlocks(TRLEncoder& rle, Bytes& block, Bytes& out) {
  while (rle.Pending() >= rle.BufLeng()) {
    rle.GetResult(block.data());
    out.insert(out.end(), block.begin(), block.end());
  }
}

// Ends the coding and moves what is left to Out.
void TakeRest(TRLEncoder& rle, Bytes& block, Bytes& out) {
  Integer got;
  while ((got = rle.Finish(block.data())) > 0)
    out.insert(out.end(), block.begin(), block.begin() + got);
}

// Codes Input in calls of at most BufLeng bytes, draining as the component asks.
Bytes EncodeAll(TRLEncoder& rle, const Bytes& input) {
  Bytes out, block(static_cast<size_t>(rle.BufLeng()));
  for (size_t at = 0; at < input.size(); at += static_cast<size_t>(rle.BufLeng())) {
    const size_t n = std::min(input.size() - at, static_cast<size_t>(rle.BufLeng()));
    if (rle.Encode(input.data() + at, static_cast<Integer>(n))) TakeFullBlocks(rle, block, out);
  }
  TakeRest(rle, block, out);
  return out;
}

Bytes DecodeAll(TRLEncoder& rle, const Bytes& coded) {
  Bytes out, block(static_cast<size_t>(rle.BufLeng()));
  for (Byte b : coded)
    if (rle.Decode(b)) TakeFullBlocks(rle, block, out);
  TakeRest(rle, block, out);
  return out;
}

TEST(TRLEncoder, CodesOfTheFormat) {
  const std::pair<Bytes, Bytes> cases[] = {
      {{0x41, 0x41, 0x41}, {0xA5, 0x03, 0x41}},
      {{0x41, 0x42}, {0x41, 0xA5, 0x01, 0x42}},
      {{}, {0xA5, 0x00, 0x00}},
      {{0xA5}, {0xA5, 0x01, 0xA5}},
      {{0x41, 0x41, 0x42}, {0x41, 0x41, 0xA5, 0x01, 0x42}},
      {Bytes(300, 7), {0xA5, 0xFF, 7, 0xA5, 0x2D, 7}},
  };
  for (const auto& [input, want] : cases) {
    TRLEncoder rle(nullptr);
    EXPECT_EQ(EncodeAll(rle, input), want);
  }
  TRLEncoder rle(nullptr);
  EXPECT_EQ(DecodeAll(rle, {0xA5, 0x00, 'x', 'y'}), Bytes{'y'});
}

class RLERoundTrip : public ::testing::TestWithParam<std::pair<Integer, Bytes>> {};

TEST_P(RLERoundTrip, DecodesWhatItCoded) {
  const auto& [bufLeng, input] = GetParam();
  TRLEncoder coder(nullptr), decoder(nullptr);
  coder.SetBufLeng(bufLeng);
  decoder.SetBufLeng(bufLeng);
  EXPECT_EQ(DecodeAll(decoder, EncodeAll(coder, input)), input);
}

Bytes Mixed() {
  Bytes b;
  for (int i = 0; i < 2000; ++i) b.push_back(static_cast<Byte>((i / 7) % 3 == 0 ? 0xA5 : i % 11));
  return b;
}

// A count-255 triple decodes to more bytes than four small blocks: the buffer must grow.
INSTANTIATE_TEST_SUITE_P(Inputs, RLERoundTrip,
                         ::testing::Values(std::make_pair(256, Mixed()), std::make_pair(3, Mixed()),
                                           std::make_pair(1, Bytes(1000, 0xA5)),
                                           std::make_pair(16, Bytes(1000, 0)),
                                           std::make_pair(256, Bytes{})));

TEST(TRLEncoder, PendingBytesSurviveANewBlockLength) {
  TRLEncoder rle(nullptr);
  const Bytes input = {1, 2, 3, 4, 5, 6};
  EXPECT_FALSE(rle.Encode(input));
  rle.SetBufLeng(2);
  rle.SetBufLeng(0);  // ignored
  EXPECT_EQ(rle.BufLeng(), 2);
  Bytes out(2);
  rle.GetResult(out.data());
  EXPECT_EQ(out, (Bytes{1, 2}));
}

TEST(TFifo, HoldsSizeMinusOneBytes) {
  TFifo fifo(nullptr);
  for (int i = 0; i < 255; ++i) EXPECT_TRUE(fifo.PutByte(static_cast<Byte>(i)));
  EXPECT_FALSE(fifo.PutByte(255));
  EXPECT_EQ(fifo.CountBytes(), 255);
  EXPECT_TRUE(fifo.ForceByte(200));  // drops byte 0
  Byte b = 0;
  EXPECT_TRUE(fifo.SenseByte(0, b));
  EXPECT_EQ(b, 1);
  EXPECT_TRUE(fifo.GetByte(b));
  EXPECT_EQ(b, 1);
  EXPECT_FALSE(fifo.ForceByte(201));  // room again: nothing dropped
  EXPECT_FALSE(fifo.SenseByte(-1, b));
  EXPECT_FALSE(fifo.SenseByte(255, b));
  fifo.Clear();
  EXPECT_FALSE(fifo.GetByte(b));
}

TEST(TFifo, LoadBackNeverEmptiesAFullQueue) {
  TFifo fifo(nullptr);
  fifo.SetSize(4);
  EXPECT_TRUE(fifo.PutByte(1));
  EXPECT_TRUE(fifo.LoadBack(9));
  Byte b = 0;
  EXPECT_TRUE(fifo.SenseByte(0, b));
  EXPECT_EQ(b, 9);
  EXPECT_TRUE(fifo.PutByte(2));
  EXPECT_FALSE(fifo.LoadBack(8));  // full: refused, the queue keeps its three bytes
  EXPECT_EQ(fifo.CountBytes(), 3);
  for (Byte want : {9, 1, 2}) {
    ASSERT_TRUE(fifo.GetByte(b));
    EXPECT_EQ(b, want);
  }
}

TEST(TFifo, ResizingKeepsTheOldestBytesInOrder) {
  TFifo fifo(nullptr);
  fifo.SetSize(5);
  for (Byte i = 1; i <= 6; ++i) fifo.ForceByte(i);  // wraps the ring: holds 3 4 5 6
  fifo.SetSize(3);                                  // room for two
  EXPECT_EQ(fifo.CountBytes(), 2);
  Byte b = 0;
  fifo.GetByte(b);
  EXPECT_EQ(b, 3);
  fifo.GetByte(b);
  EXPECT_EQ(b, 4);
  fifo.SetSize(100);
  fifo.SetSize(-3);
  EXPECT_EQ(fifo.Size(), 100);
}

TEST(TStringAccu, CountsInOrderOfFirstAdding) {
  TStringAccu accu(nullptr);
  for (const char* s : {"a", "b", "a", "A"}) accu.Add(s);
  ASSERT_EQ(accu.Size(), 3);
  EXPECT_EQ(accu.GetString(1), "a");
  EXPECT_EQ(accu.GetCount(1), 2);
  EXPECT_EQ(accu.GetString(2), "b");
  EXPECT_EQ(accu.GetCount(3), 1);
  EXPECT_EQ(accu.GetString(4), "");
  EXPECT_EQ(accu.GetCount(0), 0);
  accu.Clear();
  accu.Add("a");
  EXPECT_EQ(accu.GetCount(1), 1);
}

}  // namespace
