// TMat4D block file (save, load, append, stream, one layer, header) and the layer reductions.
// Every file is closed on every path; a header is believed only as far as the file can hold
// the values it announces.

#include <algorithm>
#include <cmath>
#include <mutex>
#include <new>
#include <vector>

#include "DOV_matrix4d.h"
#include "DOV_matrix_common.h"
#include "DOV_progress.h"
#include "DOV_univconst.h"
#include "DOV_workpool.h"
#include "SysUtils.h"
#include "TextFile.h"
#include "Threads.h"

using namespace dov_matrix;

namespace {

constexpr std::size_t kValuesPerBlock = kBlockSize / sizeof(double);  // 512

// The values of a block file read from a given value number on, one block at a time.
class TValueReader {
public:
  explicit TValueReader(TBinaryFile& F) : FFile(F), FBuf(kValuesPerBlock) {}
  void Seek(Int64 Number) {
    FFile.Seek(1 + Number / static_cast<Int64>(kValuesPerBlock));
    FSlot = static_cast<std::size_t>(Number % static_cast<Int64>(kValuesPerBlock));
    FLoaded = false;
  }
  // The next value; false when the file ends first.
  bool Next(double& v) {
    if (!FLoaded || FSlot == kValuesPerBlock) {
      if (FLoaded) FSlot = 0;
      if (FFile.BlockRead(FBuf.data(), 1) != 1) return false;
      FLoaded = true;
    }
    v = FBuf[FSlot++];
    return true;
  }

private:
  TBinaryFile& FFile;
  std::vector<double> FBuf;
  std::size_t FSlot = 0;
  bool FLoaded = false;
};

struct T4DHeader {
  Integer X = 0, Y = 0, Z = 0, T = 0;
  String ID;
  Int64 SlotValues() const { return static_cast<Int64>(X) * Y * Z; }
};

T4DHeader ReadHeader(TBinaryFile& F, bool& Complete) {
  std::vector<unsigned char> head(kBlockSize);
  Complete = F.BlockRead(head.data(), 1) == 1;
  const TBlockHeader h = DecodeBlockHeader(head.data());
  return {h.Word[0], h.Word[1], h.Word[2], h.Word[3], h.ID};
}

// OnPercentDone every step-th value: round(count * 100 / total).
class TPercentProgress {
public:
  TPercentProgress(TMat4D& M, Int64 Total)
      : FM(M), FTotal(Total), FStep(std::max<Int64>(1, Total / 100)) {}
  void Value() {
    if (++FCount % FStep == 0)
      FM.PercDone(&FM, static_cast<Integer>(std::llround(static_cast<double>(FCount) * 100 /
                                                         static_cast<double>(FTotal))));
  }

private:
  TMat4D& FM;
  Int64 FTotal, FStep, FCount = 0;
};

// Only one reduction at a time in the process (the progress totals of two at once would mix);
// one mutex for the life of the process, never created or released per call.
std::mutex& ReductionLock() {
  static std::mutex m;
  return m;
}

}  // namespace

// ---- time-slot rule ------------------------------------------------------------------------
namespace {
void SlotRange(const TMat4D& M, Integer Start, Integer End, Integer N, Integer& First,
               Integer& Last) {
  auto beyond = [&] {
    throw ESDLMatrixError(ComponentErrorMessage(&M, "specified time slot beyond data range"));
  };
  if (Start > N) beyond();
  Last = std::min(End, N);
  First = Start;
  if (Start <= 0 || End <= 0) {
    First = 1;
    Last = N;
  }
  if (Last < First) beyond();
}
}  // namespace

void TMat4D::SaveBinary(const String& FName, Integer TSlotStart, Integer TSlotEnd) {
  Integer first, last;
  SlotRange(*this, TSlotStart, TSlotEnd, FNumT, first, last);
  const std::size_t slot = TimeSlotSize();
  const std::size_t values = slot * static_cast<std::size_t>(last - first + 1);
  const std::size_t blocks =
      std::max<std::size_t>(1, (values + kValuesPerBlock - 1) / kValuesPerBlock);
  std::string bytes;
  try {
    bytes.assign((1 + blocks) * kBlockSize, '\0');
  } catch (const std::bad_alloc&) {
    Raise("not enough memory on heap");
  }
  auto* b = reinterpret_cast<unsigned char*>(bytes.data());
  TBlockHeader h;
  h.Word[0] = FNumX;
  h.Word[1] = FNumY;
  h.Word[2] = FNumZ;
  h.Word[3] = last - first + 1;
  h.ID = FDataID;
  EncodeBlockHeader(b, h);
  std::memcpy(b + kBlockSize, &FData[slot * static_cast<std::size_t>(first - 1)],
              values * sizeof(double));
  TPercentProgress progress(*this, static_cast<Int64>(values));
  for (std::size_t i = 0; i < values; ++i) progress.Value();
  if (!WriteFileReplacing(FName, bytes)) throw EInOutError("Cannot write file " + FName);
}

void TMat4D::LoadBinary(const String& FName, Integer TSlotStart, Integer TSlotEnd) {
  TBinaryFile F(FName);
  F.Reset(static_cast<int>(kBlockSize), true);
  bool complete = false;
  const T4DHeader h = ReadHeader(F, complete);
  auto fail = [this] { Raise("cannot resize, memory low"); };
  if (!complete || h.X < 1 || h.Y < 1 || h.Z < 1 || h.T < 0) fail();
  Integer first, last;
  SlotRange(*this, TSlotStart, TSlotEnd, h.T, first, last);
  const Int64 skip = static_cast<Int64>(first - 1) * h.SlotValues();
  const Int64 count = static_cast<Int64>(last - first + 1) * h.SlotValues();
  const Int64 needBlocks = (skip + count + static_cast<Int64>(kValuesPerBlock) - 1) /
                           static_cast<Int64>(kValuesPerBlock);
  if (F.FileSize() < 1 + needBlocks) fail();  // the header promises more than the file holds
  try {
    Resize(h.X, h.Y, h.Z, last - first + 1);
  } catch (const ESDLMatrixError&) {
    fail();
  }
  FDataID = h.ID;
  TValueReader reader(F);
  reader.Seek(skip);
  TPercentProgress progress(*this, count);
  for (Int64 i = 0; i < count; ++i) {
    if (!reader.Next(FData[static_cast<std::size_t>(i)])) fail();
    progress.Value();
  }
}

void TMat4D::ReadBinary(const String& FName, Integer TSlotStart, Integer TSlotEnd) {
  TBinaryFile F(FName);
  F.Reset(static_cast<int>(kBlockSize), true);
  bool complete = false;
  const T4DHeader h = ReadHeader(F, complete);
  if (!complete) throw EInOutError("Read beyond end of file " + FName);
  Integer first, last;
  SlotRange(*this, TSlotStart, TSlotEnd, h.T, first, last);
  if (h.X < 1 || h.Y < 1 || h.Z < 1) return;
  TValueReader reader(F);
  reader.Seek(static_cast<Int64>(first - 1) * h.SlotValues());
  TPercentProgress progress(*this, static_cast<Int64>(last - first + 1) * h.SlotValues());
  for (Integer t = first; t <= last; ++t)
    for (Integer z = 1; z <= h.Z; ++z)
      for (Integer y = 1; y <= h.Y; ++y)
        for (Integer x = 1; x <= h.X; ++x) {
          double v;
          if (!reader.Next(v)) throw EInOutError("Read beyond end of file " + FName);
          ReadElement(this, x, y, z, t - first + 1, v);
          progress.Value();
        }
}

void TMat4D::ReadLayer(const String& FName, Integer Layer, Integer TSlot) {
  TDouble2DArray data;
  TBinaryFile F(FName);
  F.Reset(static_cast<int>(kBlockSize), true);
  bool complete = false;
  const T4DHeader h = ReadHeader(F, complete);
  if (!complete) throw EInOutError("Read beyond end of file " + FName);
  if (TSlot < 1 || TSlot > h.T) Raise("specified time slot beyond data range");
  if (Layer < 1 || Layer > h.Z || Layer > FNumZ) Raise("specified layer beyond data range");
  // The matrix must hold the layer the file has; writing past it would leave the storage.
  if (TSlot > FNumT) Raise("specified time slot beyond data range");
  if (h.X > FNumX) Raise("specified column beyond data range");
  if (h.Y > FNumY) Raise("specified row beyond data range");
  TValueReader reader(F);
  reader.Seek((static_cast<Int64>(TSlot - 1) * h.Z + (Layer - 1)) * h.X * h.Y);
  TPercentProgress progress(*this, static_cast<Int64>(h.X) * h.Y);
  for (Integer y = 1; y <= h.Y; ++y)
    for (Integer x = 1; x <= h.X; ++x) {
      double v;
      if (!reader.Next(v)) throw EInOutError("Read beyond end of file " + FName);
      FData[Index(x, y, Layer, TSlot)] = v;
      progress.Value();
    }
}

void TMat4D::ReadLayer(const String& FName, Integer Layer, Integer TSlot, TDouble2DArray& Data) {
  TBinaryFile F(FName);
  F.Reset(static_cast<int>(kBlockSize), true);
  bool complete = false;
  const T4DHeader h = ReadHeader(F, complete);
  if (!complete) throw EInOutError("Read beyond end of file " + FName);
  if (TSlot < 1 || TSlot > h.T) Raise("specified time slot beyond data range");
  if (Layer < 1 || Layer > h.Z) Raise("specified layer beyond data range");
  if (h.X < 1 || h.Y < 1) return;
  const Int64 start = (static_cast<Int64>(TSlot - 1) * h.Z + (Layer - 1)) * h.X * h.Y;
  const Int64 needBlocks = (start + static_cast<Int64>(h.X) * h.Y + 511) / 512;
  if (F.FileSize() < 1 + needBlocks) throw EInOutError("Read beyond end of file " + FName);
  Data.assign(static_cast<std::size_t>(h.X), TDoubleArray(static_cast<std::size_t>(h.Y), 0.0));
  TValueReader reader(F);
  reader.Seek(start);
  TPercentProgress progress(*this, static_cast<Int64>(h.X) * h.Y);
  for (Integer y = 1; y <= h.Y; ++y)
    for (Integer x = 1; x <= h.X; ++x) {
      if (!reader.Next(Data[x - 1][y - 1])) throw EInOutError("Read beyond end of file " + FName);
      progress.Value();
    }
}

bool TMat4D::ReadBinaryHeader(const String& FName, Integer& NrColumns, Integer& NrRows,
                              Integer& NrLayers, Integer& NrTimeSlots, String& DataID) {
  TBinaryFile F(FName);
  F.Reset(static_cast<int>(kBlockSize), true);
  bool complete = false;
  const T4DHeader h = ReadHeader(F, complete);
  NrColumns = h.X;
  NrRows = h.Y;
  NrLayers = h.Z;
  NrTimeSlots = h.T;
  DataID = h.ID;
  return complete && h.Z > 0 && h.T > 0;
}

void TMat4D::AppendToBinaryFile(const String& FName, Integer TSlotStart, Integer TSlotEnd) {
  TBinaryFile F(FName);
  F.Reset(static_cast<int>(kBlockSize), false);
  std::vector<unsigned char> head(kBlockSize);
  if (F.BlockRead(head.data(), 1) != 1) throw EInOutError("Read beyond end of file " + FName);
  TBlockHeader h = DecodeBlockHeader(head.data());
  if (h.Word[0] != FNumX || h.Word[1] != FNumY || h.Word[2] != FNumZ)
    Raise("X,Y,Z of matrices do not match");
  Integer first, last;
  SlotRange(*this, TSlotStart, TSlotEnd, FNumT, first, last);
  const Int64 V = TimeSlotSize() * static_cast<Int64>(std::max<Integer>(h.Word[3], 0));
  const Int64 full = V / static_cast<Int64>(kValuesPerBlock);
  const std::size_t partial = static_cast<std::size_t>(V % static_cast<Int64>(kValuesPerBlock));
  std::vector<double> buf(kValuesPerBlock, 0.0);
  if (partial > 0) {
    F.Seek(1 + full);
    if (F.BlockRead(buf.data(), 1) != 1) throw EInOutError("Read beyond end of file " + FName);
  }
  // The values go in first and the header last, so a failure on the way leaves the file
  // announcing only the time slots it held before.
  F.Seek(1 + full);
  std::size_t at = partial;
  const std::size_t slot = TimeSlotSize();
  const double* src = &FData[slot * static_cast<std::size_t>(first - 1)];
  const std::size_t count = slot * static_cast<std::size_t>(last - first + 1);
  TPercentProgress progress(*this, static_cast<Int64>(count));
  for (std::size_t i = 0; i < count; ++i) {
    buf[at++] = src[i];
    if (at == kValuesPerBlock) {
      F.BlockWrite(buf.data(), 1);
      at = 0;
    }
    progress.Value();
  }
  if (at > 0) F.BlockWrite(buf.data(), 1);
  h.Word[3] += last - first + 1;
  for (int k = 0; k < 4; ++k) PutInt32(head.data() + 4 * k, h.Word[k]);
  F.Seek(0);
  F.BlockWrite(head.data(), 1);
  F.CloseFile();
}

// ---- layer reductions ----------------------------------------------------------------------

template <class Reduce>
void TMat4D::Reduction(TMatrix* DestMat, Integer LowCol, Integer HighCol, Integer LowRow,
                       Integer HighRow, Integer LowLayer, Integer HighLayer, Integer LowTimeSlot,
                       Integer HighTimeSlot, Integer NThreads, Reduce reduce) {
  if (DestMat == nullptr) return;
  MakeValidColRange(LowCol, HighCol);
  MakeValidRowRange(LowRow, HighRow);
  MakeValidLayerRange(LowLayer, HighLayer);
  MakeValidTSlotRange(LowTimeSlot, HighTimeSlot);
  std::lock_guard<std::mutex> one(ReductionLock());
  const Integer cols = HighCol - LowCol + 1, rows = HighRow - LowRow + 1;
  DestMat->Resize(cols, rows);
  DestMat->Fill(0);
  const double nTotal = static_cast<double>(HighLayer - LowLayer + 1) *
                        static_cast<double>(HighTimeSlot - LowTimeSlot + 1);
  auto cell = [&](Integer x, Integer y) {
    // Layers outer, time slots inner: every cell one sequential sum, whatever the threads.
    typename Reduce::State s;
    for (Integer z = LowLayer; z <= HighLayer; ++z)
      for (Integer t = LowTimeSlot; t <= HighTimeSlot; ++t) reduce.Add(s, FData[Index(x, y, z, t)]);
    DestMat->SetVal(x - LowCol + 1, y - LowRow + 1, reduce.Result(s, nTotal));
  };
  if (NThreads < 1) return;
  if (NThreads == 1) {
    const Int64 step = static_cast<Int64>(cols) * rows / 100 + 1;
    Int64 count = 0;
    for (Integer x = LowCol; x <= HighCol; ++x)
      for (Integer y = LowRow; y <= HighRow; ++y) {
        cell(x, y);
        if (++count % step == 0) ProgressStep();
      }
    return;
  }
  const double share = 100.0 / cols;
  RunWorkItems(
      cols, NThreads,
      [&](Integer k) {
        for (Integer y = LowRow; y <= HighRow; ++y) cell(LowCol + k, y);
        ProcStat.fetch_add(share, std::memory_order_relaxed);
      },
      false);
  if (MathFeedBackProc != nullptr) MathFeedBackProc(ProcStat.load());
}

namespace {
struct TMeanReduce {
  struct State {
    double sum = 0;
  };
  void Add(State& s, double v) const { s.sum += v; }
  double Result(const State& s, double n) const { return s.sum / n; }
};
struct TMaxReduce {
  struct State {
    double m = -static_cast<double>(uc_MaxReal);
  };
  void Add(State& s, double v) const {
    if (v > s.m) s.m = v;
  }
  double Result(const State& s, double) const { return s.m; }
};
struct TMinReduce {
  struct State {
    double m = static_cast<double>(uc_MaxReal);
  };
  void Add(State& s, double v) const {
    if (!(v >= s.m)) s.m = v;
  }
  double Result(const State& s, double) const { return s.m; }
};
struct TStdDevReduce {
  struct State {
    double sum = 0, sq = 0;
  };
  void Add(State& s, double v) const {
    s.sum += v;
    s.sq += v * v;
  }
  double Result(const State& s, double n) const {
    const double m = s.sum / n;
    double var = s.sq / n - m * m;
    if (var < 0) var = 0;
    return std::sqrt(var);
  }
};
}  // namespace

#define KESTAL_MAT4D_REDUCTION_BODY(Name, Reducer)                                             \
  void TMat4D::Name(TMatrix* DestMat, Integer LowCol, Integer HighCol, Integer LowRow,         \
                    Integer HighRow, Integer LowLayer, Integer HighLayer, Integer LowTimeSlot, \
                    Integer HighTimeSlot, Integer NThreads) {                                  \
    Reduction(DestMat, LowCol, HighCol, LowRow, HighRow, LowLayer, HighLayer, LowTimeSlot,     \
              HighTimeSlot, NThreads, Reducer{});                                              \
  }                                                                                            \
  void TMat4D::Name(TMatrix* DestMat, Integer LowCol, Integer HighCol, Integer LowRow,         \
                    Integer HighRow, Integer LowLayer, Integer HighLayer, Integer LowTimeSlot, \
                    Integer HighTimeSlot) {                                                    \
    Name(DestMat, LowCol, HighCol, LowRow, HighRow, LowLayer, HighLayer, LowTimeSlot,          \
         HighTimeSlot, ProcessorCount());                                                      \
  }
KESTAL_MAT4D_REDUCTION_BODY(MeanOfLayersToMatrix, TMeanReduce)
KESTAL_MAT4D_REDUCTION_BODY(MaximumOfLayersToMatrix, TMaxReduce)
KESTAL_MAT4D_REDUCTION_BODY(MinimumOfLayersToMatrix, TMinReduce)
KESTAL_MAT4D_REDUCTION_BODY(StdDevOfLayersToMatrix, TStdDevReduce)
#undef KESTAL_MAT4D_REDUCTION_BODY
