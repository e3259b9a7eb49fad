#pragma once
// The two band tables built from the imported pulsar catalogue.
//
// A pulsar enters the 400 MHz table when its position, period and DM are known and it has a
// pulse width and an S400 flux; the 1400 MHz table wants a positive DM and an S1400 flux
// instead. Both need a period longer than the pulse width. Rows hold
// (RAJD, DECJD, DM, W50, S400, S1400, P0, name index, expected S/N = -1, DIST, AGE).

#include <string_view>
#include <vector>

#include "DOV_matrix.h"
#include "System.h"
#include "TextFile.h"

class TDataTable;

inline constexpr const char* CatalogueFileName = "ATNF.csv";
// Line 2 of the catalogue, exactly: the columns every later step reads by position.
inline constexpr const char* CatalogueHeader = "#;NAME;RAJD;DECJD;P0;DM;W50;S400;S1400;DIST;AGE;";
// The band tables and the name store hold at most this many pulsars.
inline constexpr int MaxPulsars = 5000;
// A missing value in the catalogue's numeric columns.
inline constexpr double MissingCatalogueValue = -999.99;
// The band passes read file lines 4 to MaxPulsars: at most this many pulsar lines.
inline constexpr int MaxPulsarLines = MaxPulsars - 3;

struct TBandTableResult {
  int Count400 = 0;
  int Count1400 = 0;
  std::vector<String> Names400;  // name of row j at j - 1
  std::vector<String> Names1400;
  // The pulsar lines the passes examined, and the pulsar lines the file has (lines that could
  // be pulsar rows, CouldBePulsarRow): the passes stop at the first blank line and after file
  // line 5000.
  int RowsRead = 0;
  int PulsarLines = 0;
};

// True when Line could be a pulsar row: it starts with a running number (digits, blanks
// around allowed) followed by ";". Blank lines and the closing tags of a downloaded page are
// none. Carriage returns count as absent, as the line reader drops them.
bool CouldBePulsarRow(std::string_view Line);

// Checks of the raw lines before anything is imported. The header must be line 2 exactly
// (a missing or extra column would shift every column silently). No line may have more fields
// than the header: one hostile line of a million separators would make the table that wide.
bool CatalogueHeaderValid(const std::vector<String>& Lines);
// The first line (1-based) with more ";" than the header, 0 when there is none.
int FirstTooWideCatalogueLine(const std::vector<String>& Lines);

// Builds both tables from the catalogue's numbers (Numbers: the data table's NumericData,
// row r holding file line r + 1) and its raw lines (Lines[i] = file line i + 1).
// Matrix400 keeps its size; Matrix1400 is resized to 11 x Count1400. A value of a numeric
// column that is not a finite number in the file ("nan", "inf", "*", "1e400", "12abc", any
// text) is a missing value, as -999.99 is: the data table would give it a category number.
TBandTableResult BuildBandTables(const TMatrix& Numbers, const std::vector<String>& Lines,
                                 TMatrix& Matrix400, TMatrix& Matrix1400);

// What the start-up reading makes of a catalogue file. It keeps the file's lines up to where
// the band passes stop (its first empty line from line 4 on, or line MaxPulsars) and only
// counts the pulsar lines after them, block by block, so that a file of any length costs the
// memory of the catalogue it holds and one scan of the rest.
struct TCatalogueReading {
  bool HeaderValid = false;
  int TooWideLine = 0;  // the first line wider than the header (1-based), 0 when none
  // The line that holds a byte 26 with bytes after it: every reading of a text ends there,
  // so the catalogue cannot be read whole. 0 when there is none.
  int ByteTwentySixLine = 0;
  String Version;
  // Empty unless the header is valid and no line is too wide. PulsarLines counts every
  // pulsar line before a byte 26, those after the lines read included.
  TBandTableResult Bands;

  bool Usable() const { return HeaderValid && TooWideLine == 0; }
};

// Reads a catalogue from its bytes into Table (the data table's CSV import of the lines kept)
// and, when the header is valid and no line is too wide, builds both band tables from it.
// Table is left as it was when the catalogue is not usable.
TCatalogueReading ReadCatalogue(const String& Bytes, TDataTable& Table, TMatrix& Matrix400,
                                TMatrix& Matrix1400);
// The same, reading the file FileName block by block. False when it does not exist; a file
// that cannot be read raises EInOutError saying which and why, as ReadUserFile does.
bool ReadCatalogueFile(const String& FileName, TCatalogueReading& Reading, TDataTable& Table,
                       TMatrix& Matrix400, TMatrix& Matrix1400);

// A version text is a run that starts with a decimal digit and goes on with digits and
// points ("2.6.3", "2.10.1"). Longer than this it is no version: a page or a file cannot make
// the program build file names and addresses of any length from it.
inline constexpr int MaxVersionLength = 20;

// The first version run in Text (characters before its first digit are skipped); empty when
// there is none or it is too long.
String VersionRunOf(const String& Text);

// The whole version of the catalogue's first line "Catalogue Version: 2.10.1": the version run
// from character 20 on, after a UTF-8 byte-order mark if any.
String CatalogueVersionOf(const String& FirstLine);
