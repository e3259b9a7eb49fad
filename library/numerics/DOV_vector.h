#pragma once
// TVector and TIntVector: the library's dense 1-based vectors of doubles and of 32-bit
// integers, components that a window may own or that code creates with a null owner.
//
// A vector always holds at least one element. Reads outside 1..NrOfElem give 0 and writes
// there are ignored. Windows (LowElem, HighElem) follow one rule: both 0 select the whole
// vector, otherwise each bound is clamped to 1..NrOfElem and a reversed pair is exchanged.
//
// The integer vector's arithmetic is 32-bit and wraps on overflow, products and squares
// included (each is formed in 32 bits and then summed as a double where the result is a
// double).
//
// The statistics that need sorted copies sort them with SortArray, so they advance ProcStat.
// Standardize, QNormalize, MeanCenter and ShuffleElems change elements without OnChange.

#include <vector>

#include "Classes.h"
#include "DOV_sdlbase.h"
#include "System.h"

class TIntVector;

enum TIntegMethod { imSimple, imTrapezoidal, imSimpson };

// What the two vector classes share: storage, access, events, windows, copies, sorting,
// searching and the order statistics. T is Double or Integer.
template <class T>
class TVectorStore : public TComponent {
public:
  using TArray = std::vector<T>;

  explicit TVectorStore(TComponent* AOwner);

  // ---- size and elements ---------------------------------------------------------------
  Integer NrOfElem() const { return FNElem; }
  // NE equal to the size: true, nothing else; NE < 1: false, nothing changed; else the first
  // values are kept, new ones are 0, OnChange. ESDLVectorError "not enough memory" when the
  // memory cannot be had (the vector stays as it was).
  bool Resize(Integer NE);
  T GetVal(Integer Elem) const {
    return (Elem < 1 || Elem > FNElem) ? T(0) : FVec[static_cast<std::size_t>(Elem - 1)];
  }
  void SetVal(Integer Elem, T Value) {
    if (Elem < 1 || Elem > FNElem) return;
    FVec[static_cast<std::size_t>(Elem - 1)] = Value;
    FIsEmpty = false;
    if (OnChange) OnChange(this);
  }
  T Elem(Integer ix) const { return GetVal(ix); }
  // The values, element 1 first, for bulk loops that fire OnChange once themselves.
  T* DataPtr() { return FVec.data(); }
  const T* DataPtr() const { return FVec.data(); }

  bool IsEmpty() const { return FIsEmpty; }
  void SetIsEmpty(bool Value) { FIsEmpty = Value; }

  TNotifyEvent OnChange;
  TSortExchgEvent OnSortExchange;  // ExchgWhat 0, index1 and index2 the exchanged elements
  void Changed();

  // Both 0: the whole vector; else each bound clamped to 1..NrOfElem, a reversed pair
  // exchanged.
  void MakeValidElemRange(Integer& LowElem, Integer& HighElem) const;

  // ---- copies ----------------------------------------------------------------------------
  void Assign(TPersistent* Source) override;
  // Size and values through SetVal, then OnChange; handlers and IsEmpty stay this vector's.
  void Clone(const TVectorStore* VecSource);
  // Source window clamped to the source; element i goes to DestElem + (i - SourceElemLo)
  // through SetVal (positions outside are dropped); OnChange at the end.
  void CopyFrom(const TVectorStore* VecSource, Integer SourceElemLo, Integer SourceElemHi,
                Integer DestElem);
  void CopyToArray(TArray& DestArray, Integer LowElem, Integer HighElem) const;
  void CopyFromArray(const TArray& SrcArray, Integer Elem);
  // Lane digest: one CRC-32 lane per byte of an element (8 for doubles, 4 for integers).
  String CRCofData() const;

  // ---- whole-vector operations -----------------------------------------------------------
  void Fill(T Value);
  void Clear();
  void Add(const TVectorStore* OtherVec);
  void Subtract(const TVectorStore* OtherVec);
  void SMult(T Scalar);
  void AbsVal();
  void Mirror();
  // Reseeds the process-wide generator from the clock, then NrOfElem random exchanges.
  void ShuffleElems();
  // Comb sort of a window (0, 0: whole vector), OnSortExchange per exchange, OnChange once.
  void SortElems(bool Ascending, Integer RangeFirst, Integer RangeLast);

  // ---- products, distances, searches -----------------------------------------------------
  double Leng() const { return CalcVecLeng(); }
  double CalcVecLeng() const;
  T DotProduct(const TVectorStore* OtherVec) const;
  double EuclideanDistance(const TVectorStore* OtherVec) const;
  // Sum over this vector's elements of x[i] * other[i + ElemShift] (outside the other: 0).
  T Correlate(const TVectorStore* OtherVec, Integer ElemShift) const;
  double PearsonCorrCoeff(const TVectorStore* OtherVec) const;
  // Nearest element of the window (first on ties); 0 when none is nearer than 1.7e308.
  Integer Find(Integer LowElem, Integer HighElem, T Value) const;
  // Bisection in a sorted vector; the nearer of the last two candidates, the higher on a tie.
  Integer FindInSortedVector(bool Ascending, T Value) const;

  // ---- statistics over a window ----------------------------------------------------------
  T Sum(Integer LowElem, Integer HighElem) const;
  // Variance 1 for fewer than three values.
  void MeanVar(Integer LowElem, Integer HighElem, double& Mean, double& Variance) const;
  void MinMax(Integer LowElem, Integer HighElem, T& Minimum, T& Maximum) const;
  void MinMax(Integer LowElem, Integer HighElem, T& Minimum, T& Maximum, Integer& MinIx,
              Integer& MaxIx) const;
  double GeometricMean(Integer LowElem, Integer HighElem) const;
  double HarmonicMean(Integer LowElem, Integer HighElem) const;
  // Ties between equally long runs go to the smaller value.
  T Mode(Integer LowElem, Integer HighElem) const;
  // prob in percent (clamped to 0..100, NaN counting as 0), interpolated between the sorted
  // values; NaN when a value is NaN. Quartiles are then refused (false, quartiles NaN).
  double Percentile(double prob, Integer LowElem, Integer HighElem) const;
  bool Quartiles(Integer LowElem, Integer HighElem, double& Q1, double& Q2, double& Q3) const;
  void SkewKurt(Integer LowElem, Integer HighElem, double& Skewness, double& Kurtosis) const;
  void SkewKurtSample(Integer LowElem, Integer HighElem, double& Skewness, double& Kurtosis) const;

protected:
  void AssignTo(TPersistent* Dest) override;
  [[noreturn]] void RaiseDimensions() const;
  TArray SortedCopy(Integer LowElem, Integer HighElem) const;
  // The window's values as doubles, sorted ascending.
  std::vector<double> SortedValues(Integer LowElem, Integer HighElem) const;
  // The values of a valid window for the shared figures of DOV_math1.h.
  auto Window(Integer LowElem, Integer HighElem) const {
    return [=, this](auto f) {
      for (Integer i = LowElem; i <= HighElem; ++i) f(static_cast<double>(FVec[i - 1]));
    };
  }

  Integer FNElem = 1;
  TArray FVec;
  bool FIsEmpty = true;
};

extern template class TVectorStore<Double>;
extern template class TVectorStore<Integer>;

class TVector : public TVectorStore<Double> {
public:
  explicit TVector(TComponent* AOwner) : TVectorStore<Double>(AOwner) {}
  String ClassName() const override { return "TVector"; }

  void SetVecSize(Integer NE);
  // Every element times Value / current length, then OnChange; ESDLVectorError "vector has
  // zero length" when the length is 0.
  void SetVecLeng(double Value);

  void FillRandomUniform(double RangeLow, double RangeHigh);
  void FillRandomGauss(double Mean, double StdDev);

  // Counts of the window FirstElem..LastElem (indexes outside read 0) in bins of BinWidth from
  // FirstBin; false (Histo untouched) for more than 500 bins or a width that is not positive.
  bool Histogram(Integer FirstElem, Integer LastElem, double FirstBin, double LastBin,
                 double BinWidth, TIntVector* Histo, Integer& Underflow, Integer& Overflow,
                 Integer& MaxCnt) const;
  double MeanCenter();
  void Standardize(double& Mean, double& StdDev);
  void QNormalize(double RefQuant, double& Median, double& QuantDiff);
  // The elements as samples at abscissas 1..NrOfElem, integrated from BoundLow to BoundHigh.
  double Integrate(double BoundLow, double BoundHigh, TIntegMethod Method) const;

  // ---- files -----------------------------------------------------------------------------
  // A header line "FirstElem LastElem", then one value per line (Str with Precision decimals;
  // -1 and -2 give the exponent form in 13 and 26 characters). The file is replaced only
  // when all was written; false when it could not be.
  bool StoreOnFile(Integer FirstElem, Integer LastElem, Integer Precision,
                   const String& FileName) const;
  // False when the file cannot be opened, its header read, the vector is too small for it or
  // the values end early (those read stay). Tokens that are not numbers leave their element.
  bool LoadFromFile(const String& FileName, bool AdjustVectorSize);
  // AutoDetect: a file of bare values, one per line that holds a digit.
  bool LoadFromFile(const String& FileName, bool AdjustVectorSize, bool AutoDetect);

  // ---- streams ---------------------------------------------------------------------------
  // At the stream's position: LowElem, HighElem and the window's values, each a 10-byte
  // extended number. The memory-stream form creates the stream when OutStream is null (the
  // caller owns it); a null file stream writes nothing.
  void SaveToStream(TMemoryStream*& OutStream, Integer LowElem, Integer HighElem) const;
  void SaveToStream(TFileStream* OutStream, Integer LowElem, Integer HighElem) const;
  // False for a null stream or a short or damaged header (nothing changed, no event); with
  // AdjustVectorSize the vector is resized to HighElem. False when the vector is smaller than
  // HighElem (nothing read) or the values end early (those read stay); OnChange at the end.
  bool LoadFromStream(TStream* InStream, bool AdjustVectorSize);
};

class TIntVector : public TVectorStore<Integer> {
public:
  explicit TIntVector(TComponent* AOwner) : TVectorStore<Integer>(AOwner) {}
  String ClassName() const override { return "TIntVector"; }

  void SetIntVecSize(Integer NE);
  // The first index of the window holding Value; 0 when none.
  Integer FindExact(Integer LowElem, Integer HighElem, Integer Value) const;
  // BinWidth <= 0 is taken as 1; more than 500 bins (or none) raise ESDLVectorError
  // 'Component "Name.Histogram": invalid number of bins'.
  bool Histogram(Integer FirstElem, Integer LastElem, Integer FirstBin, Integer LastBin,
                 Integer BinWidth, TIntVector* Histo, Integer& Underflow, Integer& Overflow,
                 Integer& MaxCnt) const;

  // ---- files -----------------------------------------------------------------------------
  bool StoreOnFile(Integer FirstElem, Integer LastElem, const String& FileName) const;
  // Values are read as reals and rounded to the nearest integer (halves to even); a value
  // outside the 32-bit range counts as a token that is not a number.
  bool LoadFromFile(const String& FileName, bool AdjustVectorSize);

  // ---- streams: as TVector's, every number a 4-byte integer ------------------------------
  void SaveToStream(TMemoryStream*& OutStream, Integer LowElem, Integer HighElem) const;
  void SaveToStream(TFileStream* OutStream, Integer LowElem, Integer HighElem) const;
  bool LoadFromStream(TStream* InStream, bool AdjustVectorSize);
};
