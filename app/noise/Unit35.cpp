#include "Unit35.h"

#include <algorithm>
#include <cfloat>
#include <cstdio>

#include "Dialogs.h"
#include "InputNumbers.h"
#include "NoiseDatabase.h"
#include "NoisePlotLink.h"
#include "SunFluxDownload.h"
#include "SunFluxList.h"
#include "SysUtils.h"
#include "Unit1Config.h"
#include "MainWindow.h"
#include "Unit36.h"

TForm35* Form35 = nullptr;
std::array<std::array<float, 20>, 9> SunFluxTable{};
double SunFlux = 0, SunAntennaTemp = 0, SunYFactor = 0;
int NoiseRecordCount = 0;

namespace {

using namespace SunNoiseWindowTexts;

// Flux grid: header rows 1 and 2, data rows from 3, the chosen observatory in column 9.
constexpr int kFluxFirstRow = 3;
constexpr int kBestColumn = 9;

// Measurement grid: two header rows; record k in row k + 1; two empty rows after the last.
constexpr int kHeaderRows = 2;
constexpr int kTrailingRows = 2;
struct TNoiseColumn {
  const char* Title;
  const char* Unit;
  int Width;
};
constexpr std::array<TNoiseColumn, kRecordLines> kNoiseColumns = {{
    {"#", "", 35},
    {"Date", "", 80},
    {"Hour", "", 80},
    {"Frequency", "( Mhz )", 80},
    {"Antenna Gain", "( dBi )", 100},
    {"Tsys", "( K )", 60},
    {"SFU", "( Jy )", 65},
    {"Expected Noise", "( dB )", 100},
    {"Measured Noise", "( dB )", 110},
    {"Delta", "( dB )", 60},
    {"Comments", "", 238},
}};
constexpr double kJyPerKJy = 1000;
// The measured value is stored in single precision.
constexpr TNumberRange kMeasuredRange{-FLT_MAX, FLT_MAX};

// The flux list's bytes; false when it is missing or cannot be read, which the user is told.
bool ReadFluxList(String& Bytes) {
  String why;
  if (ReadUserFile(kSunFluxListFile, Bytes, why)) return true;
  ShowMessage(why.empty() ? String(SunNoiseTexts::NoListFile) : why);
  return false;
}

void ShowFluxList(TStringGrid* Grid, const TSunFluxList& L) {
  Grid->SetCells(0, 0, L.Date);
  for (int f = 0; f < kFluxHeaderFields; ++f) {
    Grid->SetCells(f + 1, 1, L.Header1[static_cast<size_t>(f)]);
    Grid->SetCells(f + 1, 2, L.Header2[static_cast<size_t>(f)]);
  }
  for (int r = 0; r < kFluxRows; ++r) {
    const size_t sr = static_cast<size_t>(r);
    Grid->SetCells(0, kFluxFirstRow + r, L.Labels[sr]);
    for (int k = 0; k < kObservatories; ++k)
      Grid->SetCells(k + 1, kFluxFirstRow + r, L.Fields[sr][static_cast<size_t>(k)]);
  }
  Grid->SetCells(kBestColumn, 1, "Best set ");
  Grid->SetCells(0, 2, "Mhz ");
  for (int r = 0; r < kFluxRows; ++r)
    Grid->SetCells(kBestColumn, kFluxFirstRow + r, L.BestColumn[static_cast<size_t>(r)]);
}

}  // namespace

TForm35::TForm35(TComponent* AOwner) : TForm(AOwner) {
  KESTAL_LOAD_PARTS("Unit35", KESTAL_UNIT35_PARTS);

  LoadIndex = 1;
  SetEnabled(true);
  Button1->SetEnabled(true);
  Button5->SetEnabled(false);
  SetMeasurementEntry(false);
  Label1->SetCaption("Sun flux data downloaded from :  " + SunFluxListAddress() +
                     "  ( -1 stands for  data not available )");
  const bool listOnFile = FileExists(kSunFluxListFile);
  Button4->SetEnabled(listOnFile);
  if (listOnFile) Button4->SetCaption(CalculateOnFile);
  LoadNoiseDatabase();
  Button3->SetEnabled(MainWindow != nullptr && MainWindow->InternetAvailable);
}

void TForm35::SetMeasurementEntry(bool Enabled) {
  Edit4->SetEnabled(Enabled);
  Edit5->SetEnabled(Enabled);
}

void TForm35::InvalidateResults() {
  FResultsValid = false;
  SetMeasurementEntry(false);
  Button5->SetEnabled(false);
}

// ---- flux list and sun Y-factor --------------------------------------------------------------

void TForm35::Button3Click(TObject* Sender) {
  Button4->SetEnabled(false);
  Button3->SetCaption(Downloading);
  Application->ProcessMessages();  // show the caption before the transfer blocks
  // A failed transfer is told and the calculation still runs, on the list already on file.
  const String reason = DownloadSunFluxList(*IdFTP1);
  if (!reason.empty()) ShowMessage(String(SunNoiseTexts::FtpError) + "\n\n" + reason);
  Button3->SetCaption(DownloadCaption);
  Button4->SetEnabled(true);
  Button4Click(Button4);
}

void TForm35::Button4Click(TObject* Sender) {
  Show();
  // Until this calculation succeeds, nothing may be saved against old expected values.
  InvalidateResults();
  Calculate();
}

void TForm35::Calculate() {
  String text;
  if (!ReadFluxList(text)) {
    Close();
    return;
  }
  TSunFluxList list;
  try {
    list = ParseSunFluxList(text);
  } catch (const ESunFluxFormat& e) {
    ShowMessage(e.Message);
    return;
  }
  for (size_t r = 0; r < kFluxRows; ++r)
    for (size_t k = 0; k < kObservatories; ++k) SunFluxTable[r][k] = list.Table[r][k];
  if (list.UsableReadings() < kFewReadings) ShowMessage(SunNoiseTexts::FewReadings);
  ShowFluxList(StringGrid1, list);
  if (list.AllMissing()) {
    ShowMessage(SunNoiseTexts::NotUpdated);
    return;
  }
  const double f = MainWindow->Receiver.Frequency;
  TSunNoise r;
  try {
    r = ComputeSunNoise(list.PointMHz, list.PointSfu, f, MainWindow->Figures.EffectiveAperture,
                        MainWindow->Figures.Tsys);
  } catch (const ESunNoise& e) {
    ShowMessage(e.Message);
    return;
  }
  SunFlux = r.SunFlux;
  SunAntennaTemp = r.SunAntennaTemp;
  SunYFactor = r.SunYFactor;
  Edit1->SetText(FormatFloat("###0", f));
  Edit2->SetText(FormatFloat("###0", SunFlux));
  Edit3->SetText(FormatFloat("###0.00", SunYFactor));
  FResultsValid = true;
  SetMeasurementEntry(true);
}

void TForm35::Button2Click(TObject* Sender) {
  Form36->SetEnabled(true);
  Form36->Show();
  Form36->Button1Click(Form36);
}

void TForm35::Button1Click(TObject* Sender) {
  Edit6->SetText("0");
  Hide();
  MainWindow->ShowMainWindow();
}

void TForm35::Button8Click(TObject* Sender) {
  if (FMainWindowShown) {
    MainWindow->HideMainWindow();
    Button8->SetCaption("Show main screen");
    Button1->SetEnabled(false);
  } else {
    MainWindow->ShowMainWindow();
    Button8->SetCaption("Hide main screen");
    Button1->SetEnabled(true);
  }
  FMainWindowShown = !FMainWindowShown;
}

// ---- measurement database --------------------------------------------------------------------

void TForm35::LoadNoiseDatabase() {
  const TNoiseDatabase db = ReadNoiseDatabase();
  StringGrid2->ClearCells();
  for (int c = 0; c < kRecordLines; ++c) {
    StringGrid2->SetCells(c, 0, kNoiseColumns[static_cast<size_t>(c)].Title);
    StringGrid2->SetCells(c, 1, kNoiseColumns[static_cast<size_t>(c)].Unit);
    StringGrid2->SetColWidths(c, kNoiseColumns[static_cast<size_t>(c)].Width);
  }
  NoiseRecordCount = 0;
  FStoredRecords = db.StoredRecords;
  FListedNumbers.clear();

  const size_t n = db.Records.size();
  for (auto* v : {&SampleFrequency, &SampleGain, &SampleTsys, &SampleFlux, &SampleMeasured,
                  &SampleExpected, &SampleDelta})
    v->assign(n + 1, 0.0F);
  SampleDate.assign(n + 1, String());
  SampleComment.assign(n + 1, String());
  LoadIndex = 1;
  GridRow = kHeaderRows;
  StringGrid2->SetRowCount(static_cast<int>(n) + kHeaderRows + kTrailingRows);
  for (const TNoiseRecord& rec : db.Records) {
    const size_t k = static_cast<size_t>(LoadIndex);
    const auto texts = NoiseGridTexts(rec);
    for (int c = 0; c < kRecordLines; ++c)
      StringGrid2->SetCells(c, GridRow, texts[static_cast<size_t>(c)]);
    SampleDate[k] = rec.Lines[nlDate];
    SampleFrequency[k] = static_cast<float>(rec.Frequency);
    SampleGain[k] = static_cast<float>(rec.Gain);
    SampleTsys[k] = static_cast<float>(rec.Tsys);
    SampleFlux[k] = static_cast<float>(rec.FluxJy / kJyPerKJy);
    SampleExpected[k] = static_cast<float>(rec.Expected);
    SampleMeasured[k] = static_cast<float>(rec.Measured);
    SampleDelta[k] = static_cast<float>(rec.Delta);
    SampleComment[k] = rec.Lines[nlComment];
    FListedNumbers.push_back(rec.Number);
    ++GridRow;
    ++NoiseRecordCount;
    ++LoadIndex;
  }
  SampleCount = static_cast<int>(n) + 1;
  if (!db.Problems.empty() && !(FActionDepth > 0 && FNoticeShown)) {
    FNoticeShown = FActionDepth > 0;
    // A file that could not be read at all has its reason alone.
    String text = db.Found ? String(DamagedRecords) : String();
    for (const String& p : db.Problems) text += (text.empty() ? "" : "\n") + p;
    ShowMessage(text);
  }
}

TForm35::TOneNotice::TOneNotice(TForm35& Form) : FForm(Form) {
  if (FForm.FActionDepth++ == 0) FForm.FNoticeShown = false;
}

TForm35::TOneNotice::~TOneNotice() { --FForm.FActionDepth; }

void TForm35::Edit4KeyPress(TObject* Sender, wchar_t& Key) {
  // Only typed characters are input to check: control characters are keys that edit or select
  // (backspace, Ctrl+A, Ctrl+C, Ctrl+V, ...) or leave the field (Enter, Escape). What a paste
  // brings is checked by Edit4Change.
  constexpr wchar_t kFirstPrintable = 32, kDelete = 127;
  if (Key < kFirstPrintable || Key == kDelete || (Key >= L'0' && Key <= L'9') || Key == L'.')
    return;
  Key = 0;
  ShowMessage(NumeralsOnly);
}

void TForm35::Edit4Change(TObject* Sender) {
  double v = 0;
  if (CheckNumberText(Edit4->Text(), v, kMeasuredRange) == TNumberCheck::Valid)
    Button5->SetEnabled(true);
  else
    ShowMessage(SunNoiseWindowTexts::DecimalSeparator);
}

void TForm35::Button5Click(TObject* Sender) {
  const TOneNotice once(*this);
  Button5->SetEnabled(false);
  if (!FResultsValid) {
    ShowMessage(CalculateFirst);
    return;
  }
  const double typed = NumberFromText(Edit4->Text(), "Measured noise", kMeasuredRange);
  if (typed > SunYFactor) {
    ShowMessage(AboveExpected);
    return;
  }
  const TDateTime now = Now();
  const TNoiseLines record = NewNoiseRecord(
      FStoredRecords + 1, DateToStr(now), TimeToStr(now), MainWindow->Receiver.Frequency,
      MainWindow->Figures.AntennaGain, MainWindow->Figures.Tsys, SunFlux, SunYFactor,
      static_cast<float>(typed), Edit5->Text());
  try {
    AppendNoiseRecord(record);
  } catch (const ENoiseDatabase& e) {
    ShowMessage(e.Message);
    return;
  }
  LoadIndex = 1;
  LoadNoiseDatabase();
  StringGrid2->SetRow(NoiseRecordCount + 1);
}

void TForm35::Button6Click(TObject* Sender) {
  const TOneNotice once(*this);
  Edit6->SetText("0");
  Show();
  if (MessageBox(ConfirmDeleteAll, ConfirmDeleteAllTitle, MB_YESNOCANCEL | MB_DEFBUTTON1) != IDYES)
    return;
  try {
    DeleteAllNoiseRecords();
  } catch (const ENoiseDatabase& e) {
    ShowMessage(e.Message);
  }
  LoadNoiseDatabase();
}

void TForm35::Button7Click(TObject* Sender) {
  const TOneNotice once(*this);
  if (Edit6->Text() == "0") {
    ShowMessage(RowZero);
    return;
  }
  // The row is the number the user reads in the "#" column, which differs from the grid
  // position once a damaged record is left out of the grid.
  const int row = StrToInt(Edit6->Text());
  if (std::find(FListedNumbers.begin(), FListedNumbers.end(), row) == FListedNumbers.end()) {
    ShowMessage(InvalidRow);
    Edit6->SetText("0");
    return;
  }
  try {
    DeleteNoiseRecord(row);
  } catch (const ENoiseDatabase& e) {
    ShowMessage(e.Message);
    return;
  }
  AfterDeletion();
  if (MessageBox(ConfirmUpdate, ConfirmUpdateTitle, MB_YESNO | MB_DEFBUTTON2) == IDNO) {
    try {
      RestoreNoiseDatabase();
    } catch (const ENoiseDatabase& e) {
      ShowMessage(e.Message);
    }
  }
  AfterDeletion();
}

void TForm35::AfterDeletion() {
  LoadIndex = 1;
  LoadNoiseDatabase();
  Button10Click(Button10);
  NoisePlot().RedrawShownSeries();
}

void TForm35::Button9Click(TObject* Sender) {
  Edit6->SetText("0");
  Word y = 0, m = 0, d = 0;
  DecodeDate(Now(), y, m, d);
  const String name = NoiseCsvName(y, m, d);
  std::vector<std::array<String, kRecordLines>> rows;
  rows.reserve(static_cast<size_t>(NoiseRecordCount));
  for (int r = kHeaderRows; r < kHeaderRows + NoiseRecordCount; ++r) {
    std::array<String, kRecordLines> cells;
    for (int c = 0; c < kRecordLines; ++c) cells[static_cast<size_t>(c)] = StringGrid2->Cells(c, r);
    rows.push_back(std::move(cells));
  }
  if (!WriteFileReplacing(name, NoiseCsv(rows))) {
    ShowMessage("ERROR : " + name + " could not be written.");
    return;
  }
  ShowMessage(Exported + name);
}

void TForm35::Button10Click(TObject* Sender) {
  const TOneNotice once(*this);
  if (!FileExists(kNoiseDatabaseFile)) {
    ShowMessage(NoDatabase);
    return;
  }
  NoisePlot().OpenPlot();
}
