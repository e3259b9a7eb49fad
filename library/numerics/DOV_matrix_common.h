#pragma once
// Small pieces shared by the integer, 3-D and 4-D matrices: the range rule, the lane digest,
// the block-file header and a guard that keeps a change event silent during a bulk operation.
// Internal to the numerics library.

#include <cmath>
#include <cstdint>
#include <cstring>
#include <utility>

#include "DOV_dstruct.h"
#include "DOV_math1.h"
#include "DOV_sdlbase.h"
#include "DOV_streams.h"

namespace dov_matrix {

// Both 0: the whole extent 1..N; else each bound clamped to 1..N, a reversed pair exchanged.
inline void MakeValidRange(Integer N, Integer& Low, Integer& High) {
  if (Low == 0 && High == 0) {
    Low = 1;
    High = N;
    return;
  }
  if (Low < 1) Low = 1;
  if (Low > N) Low = N;
  if (High < 1) High = 1;
  if (High > N) High = N;
  if (High < Low) std::swap(Low, High);
}

// CRC-32 lanes fed with byte k of every value in lane k; the digest is the complemented lanes
// in upper-case hexadecimal.
template <int Lanes>
class TLaneDigest {
public:
  TLaneDigest() {
    for (auto& l : FLane) l = 0xFFFFFFFFu;
  }
  template <class T>
  void Add(const T& Value) {
    static_assert(sizeof(T) == Lanes);
    unsigned char bytes[Lanes];
    std::memcpy(bytes, &Value, Lanes);  // little-endian memory order on our targets
    for (int k = 0; k < Lanes; ++k) FLane[k] = CalcNextCRC32(bytes[k], FLane[k]);
  }
  String Text() const {
    String s;
    for (auto l : FLane) s += Hex(~l, 8);
    return s;
  }

private:
  Cardinal FLane[Lanes];
};

// ---- block files: 4096-byte records, block 0 the header ------------------------------------
inline constexpr std::size_t kBlockSize = 4096;
inline constexpr std::size_t kOffWord0 = 0;   // columns
inline constexpr std::size_t kOffWord1 = 4;   // rows
inline constexpr std::size_t kOffWord2 = 8;   // reserved (2-D) or layers (4-D)
inline constexpr std::size_t kOffWord3 = 12;  // reserved (2-D) or time slots (4-D)
inline constexpr std::size_t kOffIdLength = 16;
inline constexpr std::size_t kOffId = 17;
inline constexpr std::size_t kIdMax = 255;

inline void PutInt32(unsigned char* p, std::int32_t v) {
  const auto u = static_cast<std::uint32_t>(v);
  for (int k = 0; k < 4; ++k) p[k] = static_cast<unsigned char>(u >> (8 * k));
}

inline std::int32_t GetInt32(const unsigned char* p) {
  std::uint32_t u = 0;
  for (int k = 0; k < 4; ++k) u |= static_cast<std::uint32_t>(p[k]) << (8 * k);
  return static_cast<std::int32_t>(u);
}

struct TBlockHeader {
  Integer Word[4] = {0, 0, 0, 0};
  String ID;
};

inline void EncodeBlockHeader(unsigned char* b, const TBlockHeader& h) {
  std::memset(b, 0, kBlockSize);
  for (int k = 0; k < 4; ++k) PutInt32(b + 4 * k, h.Word[k]);
  std::string id = LowBytesOfString(h.ID);
  if (id.size() > kIdMax) id.resize(kIdMax);
  b[kOffIdLength] = static_cast<unsigned char>(id.size());
  std::memcpy(b + kOffId, id.data(), id.size());
}

inline TBlockHeader DecodeBlockHeader(const unsigned char* b) {
  TBlockHeader h;
  for (int k = 0; k < 4; ++k) h.Word[k] = GetInt32(b + 4 * k);
  h.ID = StringOfLowBytes(reinterpret_cast<const char*>(b + kOffId), b[kOffIdLength]);
  return h;
}

// Keeps an event silent while a bulk operation runs, and gives it back on every path.
template <class Event>
class TSilentEvent {
public:
  explicit TSilentEvent(Event& E) : FEvent(E), FSaved(std::exchange(E, nullptr)) {}
  ~TSilentEvent() { FEvent = std::move(FSaved); }
  TSilentEvent(const TSilentEvent&) = delete;
  TSilentEvent& operator=(const TSilentEvent&) = delete;

private:
  Event& FEvent;
  Event FSaved;
};

// The integer that follows Name (e.g. 'ix="') in an attribute text; 0 when it is missing.
inline Integer IntAfter(const String& Attribs, const char* Name) {
  const size_t p = Attribs.find(Name);
  if (p == String::npos) return 0;
  Integer pos = static_cast<Integer>(p + std::strlen(Name)) + 1;
  return ScanDecimal(Attribs, pos);
}

inline Integer LeadingInteger(const String& Text) {
  Integer pos = 1;
  return ScanDecimal(Text, pos);
}

}  // namespace dov_matrix
