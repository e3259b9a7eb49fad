// TCurveFit's points as a two-column ASC table (the data table reads and writes the same
// format). The file is written whole beside its place and renamed over it; a file is read
// completely before it replaces the component's points, so a damaged file changes nothing.

#include <cerrno>
#include <cmath>
#include <cstring>
#include <vector>

#include "DOV_filesys.h"
#include "DOV_math1.h"
#include "DOV_math2.h"
#include "DOV_matrix.h"
#include "DOV_stringl.h"
#include "SysUtils.h"
#include "TextFile.h"

namespace {

constexpr char kEol[] = "\r\n";
constexpr char kNameQuote = '"';
constexpr Integer kAscBadAttribute = -5;
constexpr Integer kAscBadValue = -6;
constexpr Integer kAscNominal = -7;
constexpr Integer kAscBadRowCount = -2;

// The comment on one line: line breaks (LF, and CR too, which a reader would also end the
// line at) become blanks.
String OneLine(String s) {
  for (char& c : s)
    if (c == '\n' || c == '\r') c = ' ';
  return s;
}

// Skips one name, quoted with double quotes or ending at a blank, as the ASC writers put them.
void SkipName(TTextFile& f) {
  TQuotedStrState state = vsStart;
  String name;
  while (!f.Eof())
    if (ParseQuotedName(f.ReadChar(), kNameQuote, name, state)) return;
}

// The next number; false at the end of the file and for a token that is not a finite double.
bool ReadNumber(TTextFile& f, double& value) {
  if (f.SeekEof()) return false;
  return f.TryReadDouble(value) && std::isfinite(value);
}

}  // namespace

String TCurveFit::ExportAsASC(const String& FName, const String& Comment, Integer Precision) const {
  String text =
      (Comment.empty() ? "Exported by DOV TCurveFit component: " + FName : OneLine(Comment)) + kEol;
  text += String("2\t;nr. of columns") + kEol;
  text += IntToStr(FNumData) + "\t;nr. of rows" + kEol;
  text += String("FALSE TRUE FALSE\t;row attributes, column names, row names") + kEol;
  text += String("x   y") + kEol;
  const double* xs = FData->ColumnPtr(1);
  const double* ys = FData->ColumnPtr(2);
  // Every number is written so that ImportASC reads it back; a point that is not finite has no
  // such text, and nothing is written.
  for (Integer i = 0; i < FNumData; ++i) {
    const String x = TableFloatText(xs[i], 1, Precision), y = TableFloatText(ys[i], 1, Precision);
    if (x.empty() || y.empty())
      return "Cannot write point " + IntToStr(i + 1) + " to \"" + FName + "\": its " +
             (x.empty() ? "x" : "y") + " value is not a finite number";
    text += x + "\t" + y + kEol;
  }
  errno = 0;
  if (WriteFileReplacing(FName, text)) return "";
  const int err = errno;
  String reason = "Cannot create file \"" + FName + "\"";
  if (err != 0) reason += ": " + String(std::strerror(err));
  return reason;
}

Integer TCurveFit::ImportASC(const String& FName) {
  struct StaleOnExit {  // every outcome, exceptions included, leaves the caches stale
    TCurveFit* fit;
    ~StaleOnExit() { fit->MarkCachesStale(); }
  } stale{this};
  String comment;
  Integer cols = 0, rows = 0;
  bool rowAttributes = false, columnNames = false, rowNames = false, nominal = false;
  Integer result =
      ReadHeaderOfASC(FName, comment, cols, rows, rowAttributes, columnNames, rowNames, nominal);
  if (result == 0 && nominal) result = kAscNominal;
  if (result == 0 && rows < 0) result = kAscBadRowCount;
  if (result != 0) return result;
  if (cols != 2)
    throw ESDLMath2Error("TCurveFit.ImportASC: number of columns must be 2 (is actually " +
                         IntToStr(cols) + ").");
  TTextFile f(FName);
  f.Reset();
  for (int line = 0; line < 4; ++line) f.ReadLn();
  if (columnNames)
    for (int c = 0; c < 2; ++c) SkipName(f);
  // The rows go to scratch vectors that grow as values arrive, so a row count the file does
  // not hold costs nothing.
  std::vector<double> xs, ys;
  for (Integer r = 1; r <= rows; ++r) {
    double value = 0;
    if (rowAttributes && !ReadNumber(f, value)) return kAscBadAttribute;
    if (rowNames) SkipName(f);
    double x = 0, y = 0;
    if (!ReadNumber(f, x) || !ReadNumber(f, y)) return kAscBadValue;
    xs.push_back(x);
    ys.push_back(y);
  }
  f.CloseFile();
  Init();
  FData->Resize(2, rows);
  std::copy(xs.begin(), xs.end(), FData->ColumnPtr(1));
  std::copy(ys.begin(), ys.end(), FData->ColumnPtr(2));
  FData->Changed();
  for (Integer r = 0; r < rows; ++r) AdjustSums(xs[r], ys[r], +1);
  FNumData = rows;
  return 0;
}
