#include "DOV_dstruct.h"

#include <cstring>
#include <new>

#include "SysUtils.h"

// ---- TRLEncoder ----------------------------------------------------------------------------

namespace {

constexpr Byte MaxRun = 255;

}  // namespace

TRLEncoder::TRLEncoder(TComponent* AOwner) : TComponent(AOwner) {}

void TRLEncoder::SetBufLeng(Integer Value) {
  if (Value >= 1) FBufLeng = Value;
}

void TRLEncoder::Reset() {
  FBuffer.clear();
  FCount = 0;
  FLastB = 0;
  FDecodeSt = rlData;
  FDecoding = false;
  FFinished = false;
}

void TRLEncoder::FlushRun() {
  if (FCount <= 2 && FLastB != LeadInByte) {
    for (Integer i = 0; i < FCount; ++i) Put(FLastB);
  } else {
    Put(LeadInByte);
    Put(static_cast<Byte>(FCount));
    Put(FLastB);
  }
}

bool TRLEncoder::Encode(const Byte* InBuf, Integer NumBytes) {
  FDecoding = false;
  FFinished = false;
  try {
    for (Integer i = 0; i < NumBytes; ++i) {
      const Byte b = InBuf[i];
      if (FCount == 0) {
        FCount = 1;
        FLastB = b;
      } else if (b == FLastB) {
        if (++FCount == MaxRun) {
          FlushRun();
          FCount = 0;
        }
      } else {
        FlushRun();
        FCount = 1;
        FLastB = b;
      }
    }
  } catch (const std::bad_alloc&) {
    throw ESDLDStructError(ComponentErrorMessage(this, "not enough memory on heap"));
  }
  return Pending() >= FBufLeng;
}

bool TRLEncoder::Decode(Byte InByte) {
  FDecoding = true;
  FFinished = false;
  try {
    switch (FDecodeSt) {
      case rlData:
        if (InByte == LeadInByte)
          FDecodeSt = rlLeadin;
        else
          Put(InByte);
        break;
      case rlLeadin:
        FCount = InByte;
        FDecodeSt = rlCnt;
        break;
      case rlCnt:
        FBuffer.insert(FBuffer.end(), static_cast<size_t>(FCount), InByte);
        FCount = 0;
        FDecodeSt = rlData;
        break;
    }
  } catch (const std::bad_alloc&) {
    throw ESDLDStructError(ComponentErrorMessage(this, "not enough memory on heap"));
  }
  return Pending() >= FBufLeng;
}

void TRLEncoder::GetResult(Byte* OutBuf) {
  if (Pending() < FBufLeng) return;
  std::memcpy(OutBuf, FBuffer.data(), static_cast<size_t>(FBufLeng));
  FBuffer.erase(FBuffer.begin(), FBuffer.begin() + FBufLeng);
}

Integer TRLEncoder::Finish(Byte* OutBuf) {
  // The closing triple belongs to a coded stream only, once; a decoded one ends as it is.
  if (!FDecoding && !FFinished) {
    Put(LeadInByte);
    Put(static_cast<Byte>(FCount));
    Put(FLastB);
    FCount = 0;
  }
  FFinished = true;
  const Integer n = std::min(Pending(), FBufLeng);
  if (n > 0) std::memcpy(OutBuf, FBuffer.data(), static_cast<size_t>(n));
  FBuffer.erase(FBuffer.begin(), FBuffer.begin() + n);
  return n;
}

// ---- TFifo ---------------------------------------------------------------------------------

TFifo::TFifo(TComponent* AOwner) : TComponent(AOwner), FData(static_cast<size_t>(FLength)) {}

void TFifo::SetSize(Integer Value) {
  if (Value <= 0 || Value == FLength) return;
  const String tooLarge = ComponentErrorMessage(this, "FIFO structure too large");
  if (static_cast<std::uint64_t>(Value) > ObtainableMemoryBytes()) throw ESDLDStructError(tooLarge);
  std::vector<Byte> ring;
  try {
    ring.resize(static_cast<size_t>(Value));
  } catch (const std::bad_alloc&) {
    throw ESDLDStructError(tooLarge);
  }
  // The oldest bytes that fit stay queued, in their order.
  const Integer keep = std::min(CountBytes(), Value - 1);
  for (Integer i = 0; i < keep; ++i) SenseByte(i, ring[static_cast<size_t>(i)]);
  FData.swap(ring);
  FLength = Value;
  FOutPoi = 0;
  FInPoi = keep;
}

bool TFifo::PutByte(Byte InByte) {
  if (Next(FInPoi) == FOutPoi) return false;
  FData[static_cast<size_t>(FInPoi)] = InByte;
  FInPoi = Next(FInPoi);
  return true;
}

bool TFifo::ForceByte(Byte InByte) {
  const bool full = Next(FInPoi) == FOutPoi;
  if (full) FOutPoi = Next(FOutPoi);
  FData[static_cast<size_t>(FInPoi)] = InByte;
  FInPoi = Next(FInPoi);
  return full;
}

bool TFifo::LoadBack(Byte InByte) {
  // On a full queue the read position would land on the write position, and the queue would
  // look empty: every byte in it would be lost.
  if (Next(FInPoi) == FOutPoi) return false;
  FOutPoi = FOutPoi == 0 ? FLength - 1 : FOutPoi - 1;
  FData[static_cast<size_t>(FOutPoi)] = InByte;
  return true;
}

bool TFifo::GetByte(Byte& OutByte) {
  if (FInPoi == FOutPoi) return false;
  OutByte = FData[static_cast<size_t>(FOutPoi)];
  FOutPoi = Next(FOutPoi);
  return true;
}

bool TFifo::SenseByte(Integer ix, Byte& OutByte) const {
  if (ix < 0 || ix >= CountBytes()) return false;
  OutByte = FData[static_cast<size_t>((FOutPoi + ix) % FLength)];
  return true;
}

Integer TFifo::CountBytes() const { return (FInPoi - FOutPoi + FLength) % FLength; }

// ---- TStringAccu ---------------------------------------------------------------------------

void TStringAccu::Add(const String& AString) {
  const auto [it, added] = FIndex.try_emplace(AString, Size());
  if (added) {
    FStrArray.push_back(AString);
    FCntArray.push_back(1);
  } else {
    ++FCntArray[static_cast<size_t>(it->second)];
  }
}

String TStringAccu::GetString(Integer ix) const {
  return ix >= 1 && ix <= Size() ? FStrArray[static_cast<size_t>(ix - 1)] : String();
}

Integer TStringAccu::GetCount(Integer ix) const {
  return ix >= 1 && ix <= Size() ? FCntArray[static_cast<size_t>(ix - 1)] : 0;
}

void TStringAccu::Clear() {
  FStrArray.clear();
  FCntArray.clear();
  FIndex.clear();
}
