#pragma once
// The lowest layer of the numerics and charting library: the root exception class and the
// exception class of every library unit, the progress and abort hooks of long computations,
// the shared records, arrays, event types and enumerations with their value-name tables, the
// CSV delimiter table and the small language tables.
//
// The enumerations are plain (unscoped) enums: their value names are part of the interface,
// the XML formats write them and the chart stores several of them by ordinal, so the order of
// the values is binding.

#include <array>
#include <atomic>
#include <functional>
#include <vector>

#include "DOV_univconst.h"
#include "System.h"
#include "Types.h"
#include "Variant.h"

// ---- exceptions --------------------------------------------------------------------------
// Every library failure is an ESDLError or one of the unit classes below. A component raises
// with the message made by ComponentErrorMessage; free routines name themselves at the head of
// the message ("Polynomial: invalid order of polynomial").
class ESDLError : public Exception {
  using Exception::Exception;
};

class ESDLMath1Error : public ESDLError {
  using ESDLError::ESDLError;
};  // DOV_math1
class ESDLVectorError : public ESDLError {
  using ESDLError::ESDLError;
};  // DOV_vector
class ESDLMatrixError : public ESDLError {
  using ESDLError::ESDLError;
};  // DOV_matrix
class ESDLDataTableError : public ESDLError {
  using ESDLError::ESDLError;
};  // DOV_datatable
class ESDLStatisError : public ESDLError {
  using ESDLError::ESDLError;
};  // DOV_statis
class ESDLMath2Error : public ESDLError {
  using ESDLError::ESDLError;
};  // DOV_math2
// The expression evaluator's failure carries a help-context number besides its message.
class ESDLMathExp : public ESDLError {  // DOV_math2
public:
  explicit ESDLMathExp(String msg, int AHelpContext = 0)
      : ESDLError(std::move(msg)), HelpContext(AHelpContext) {}
  int HelpContext;
};
class ESDLColArrayError : public ESDLError {
  using ESDLError::ESDLError;
};  // DOV_sdlcolors
class ESDLStringlError : public ESDLError {
  using ESDLError::ESDLError;
};  // DOV_stringl
class ESDLDStructError : public ESDLError {
  using ESDLError::ESDLError;
};  // DOV_dstruct
class ESDLFileSysError : public ESDLError {
  using ESDLError::ESDLError;
};  // DOV_filesys
class ESDLZOdozaError : public ESDLError {
  using ESDLError::ESDLError;
};  // DOV_zodoza

// 'Component "Name": Reason', the message form of every component's failure.
String ComponentErrorMessage(const TComponent* Component, const String& Reason);

// ---- progress and abort hooks ------------------------------------------------------------
// A plain procedure (no object) that receives the progress counter.
using FeedBackProcType = void (*)(Double StateCnt);

// The worker threads of the matrix squaring and of the 4-D layer reductions advance the
// counter and read the abort flag while the calling thread does the same, so both are atomic
// (relaxed use is enough: they carry no other data). ProcStat starts at 0 and nothing resets it.
extern std::atomic<Double> ProcStat;
// Set by the host before a computation starts; called on the thread that advanced ProcStat.
extern FeedBackProcType MathFeedBackProc;
// Set only by the host (typically from inside MathFeedBackProc); the library never sets it.
extern std::atomic<bool> AbortMathProc;

// ---- library start-up ----------------------------------------------------------------------
// The library's start-up, run once by main (after InitRuntime) and by every test fixture that
// depends on process-wide state: sets ProcStat to 0, unsets MathFeedBackProc, clears
// AbortMathProc, and seeds the process-wide random generator by building the string unit's
// scramble tables with InitScramble(8053), then runs the start-ups that the library's units
// registered (the scalar-math unit draws its own seeds there). Every later unseeded draw of the
// run-time generator follows from that seed, so sequences are reproducible. Calling it again
// restarts from the same state.
void InitLibrary();

// A unit above the base layer registers its start-up here from a static initialiser of its
// own source file, so that InitLibrary runs it in every program that links the unit. The
// start-ups run after the seeding, in the order they were registered. Returns true.
using TLibraryStartUp = void (*)();
bool AddLibraryStartUp(TLibraryStartUp StartUp);

// ---- shared records ----------------------------------------------------------------------
struct TPointDouble {
  Double X;
  Double Y;
};

// TopLeft and BottomRight overlay Left/Top and Right/Bottom, so a rectangle can be handled as
// four numbers or as two points.
struct TRectDouble {
  union {
    struct {
      Double Left;
      Double Top;
      Double Right;
      Double Bottom;
    };
    struct {
      TPointDouble TopLeft;
      TPointDouble BottomRight;
    };
  };
  TRectDouble() { Left = Top = Right = Bottom = 0; }
  TRectDouble(Double ALeft, Double ATop, Double ARight, Double ABottom) {
    Left = ALeft;
    Top = ATop;
    Right = ARight;
    Bottom = ABottom;
  }
};
static_assert(sizeof(TRectDouble) == 4 * sizeof(Double));

struct TColoredPoint {
  Double X = 0;
  Double Y = 0;
  Word Flag = 0;
  Cardinal Color = 0;  // colour value: red in the low byte, then green, then blue
};

// Column, row, layer and time slot of a 4-D matrix cell.
struct TCellPosition4D {
  Integer X = 0;
  Integer Y = 0;
  Integer L = 0;
  Integer T = 0;
};

using TQuad = std::array<TPoint, 4>;
using TBuf4096 = std::array<Byte, 4096>;
using TBuf16K = std::array<Byte, 16384>;
// An unbounded view of memory, used only through pointers.
using TDataBuffer = Byte[];
using PDataBuffer = Byte*;

// ---- dynamic arrays (0-based) ------------------------------------------------------------
using TDoubleArray = std::vector<Double>;
using TSingleArray = std::vector<Single>;
using TIntArray = std::vector<Integer>;
using TBoolArray = std::vector<bool>;
using TStrArray = std::vector<String>;
using TVariantArray = std::vector<Variant>;
using TBytes = std::vector<Byte>;
using TPDblArray = std::vector<TPointDouble>;
using TDouble2DArray = std::vector<TDoubleArray>;
using TDouble3DArray = std::vector<TDouble2DArray>;
using TDouble4DArray = std::vector<TDouble3DArray>;
using TInt2DArray = std::vector<TIntArray>;
using TInt3DArray = std::vector<TInt2DArray>;
using TInt4DArray = std::vector<TInt3DArray>;
using TBool2DArray = std::vector<TBoolArray>;

// ---- event and procedure types -----------------------------------------------------------
// Every event is optional and called only when assigned.
// ExchgWhat: 1 columns, 2 rows.
using TSortExchgEvent = std::function<void(TObject* Sender, Byte ExchgWhat, Integer index1,
                                           Integer index2, Integer first, Integer last)>;
using TOnPercentDoneEvent = std::function<void(TObject* Sender, Integer PercentDone)>;
using TOnCheckAbortEvent = std::function<void(TObject* Sender, bool& Abort)>;
using TOnRubberBandActionEvent = std::function<void(TObject* Sender, TPoint APoint)>;
using TFeedbackProc = std::function<void(TObject* Sender, Double StateCnt, Double PercentDone)>;

// ---- enumerations ------------------------------------------------------------------------
enum TAxis { atXAxis, atYAxis, atZAxis };
enum TBkgFill { bfSimple, bfStretch, bfTile };
enum TBoundingBox { bbNone, bbFrame, bbFaces };
enum TCSVDelimiters { csvUnknown, csvSemicolon, csvComma, csvColon, csvTab };
enum TColorScheme { csBWG, csSystem };
enum TCrossHMode { chOff, chHoriz, chVert, chBoth, chCrossBox, chBox };
enum TDateForTime { dtNone, dtOnePezOdoza, dtOnePerDay, dtAllTicks };
enum TDateOrder { doMMDDYY, doDDMMYY, doYYMMDD };
enum TDecPSep { dsSystem, dsDot, dsComma, dsBoth };
enum TDegreeFormat { dfDeg, dfDegMin, dfDegMinSec, dfNumeric };
enum TDims { dimX, dimY, dimL, dimT };
enum TDirection { dirUpward, dirDownward, dirLeftward, dirRightward };
enum TFigType { ftNoFigs, ftNum, ftTime, ftDateTime, ftUserText };
enum TFrameStyle { fsNone, fsSimple, fsLowered, fsRaised, fsEmbossed, fsEngraved };
enum TLanguage { lgUnknown, lgEnglish, lgGerman, lgFrench, lgSpanish };
enum TMouseActMode {
  maNone,
  maPan,
  maPanHoriz,
  maPanVert,
  maPanGrid,
  maRubberBand,
  maZoom,
  maZoomWind,
  maZoomWindPos,
  maZoomDrag,
  maDragCrossH,
  maDragLabel,
  maRotate,
  maRotAndZoom,
  maRotXOnly,
  maRotZOnly,
  maSelectRect,
  maDrawMTrace,
  maZoomPanColors
};
enum TMouseBoxState { msNormal, msFirstCorner, msRectDraw, msFinished };
enum TOrientation { orVert, orHoriz };
enum TScaleType { sctXB, sctXT, sctYL, sctYR };
enum TShadowStyle { ssFlying, ssBox };
enum TTimeFormat { tfHHMMSS, tfHHhMM, tfAMPM };
enum TTriState { tsFalse, tsTrue, tsUndefined };
enum TTxtLblAttachMode { tlamNone, tlamXOnly, tlamYOnly, tlamBoth };
enum TTxtLblMode { tlOff, tlsimple, tlBox, tlUnderline, tlShadow };
enum TVarKind { rnum, dnum, snum, inum, lnum, Bool, strg };
enum TVerticalAlignment { vaTop, vaCenter, vaBottom };
enum TYearLength { ylNone, ylYY, ylYYYY };
enum TZoomPanMode { zpmPan, zpmColZoomLeft, zpmColZoomRight };
enum TZoomState { zsNormal, zsDrawWin };

// ---- value-name tables -------------------------------------------------------------------
// Indexed by the enumeration; each entry is the value's name. xmlAlignment names the toolkit's
// horizontal alignment and xmlFontStyle its font style flags, in their ordinal order.
inline constexpr const char* xmlAlignment[3] = {"taLeftJustify", "taRightJustify", "taCenter"};
inline constexpr const char* xmlBkgFill[3] = {"bfSimple", "bfStretch", "bfTile"};
inline constexpr const char* xmlBoundingBox[3] = {"bbNone", "bbFrame", "bbFaces"};
inline constexpr const char* xmlColorScheme[2] = {"csBWG", "csSystem"};
inline constexpr const char* xmlCrossHMode[6] = {"chOff",  "chHoriz",    "chVert",
                                                 "chBoth", "chCrossBox", "chBox"};
inline constexpr const char* xmlDateForTime[4] = {"dtNone", "dtOnePezOdoza", "dtOnePerDay",
                                                  "dtAllTicks"};
inline constexpr const char* xmlDateOrder[3] = {"doMMDDYY", "doDDMMYY", "doYYMMDD"};
inline constexpr const char* xmlDirection[4] = {"dirUpward", "dirDownward", "dirLeftward",
                                                "dirRightward"};
inline constexpr const char* xmlFigType[5] = {"ftNoFigs", "ftNum", "ftTime", "ftDateTime",
                                              "ftUserText"};
inline constexpr const char* xmlFontStyle[4] = {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"};
inline constexpr const char* xmlFrameStyle[6] = {"fsNone",   "fsSimple",   "fsLowered",
                                                 "fsRaised", "fsEmbossed", "fsEngraved"};
inline constexpr const char* xmlLanguage[5] = {"lgUnknown", "lgEnglish", "lgGerman", "lgFrench",
                                               "lgSpanish"};
inline constexpr const char* xmlMouseActMode[19] = {
    "maNone",       "maPan",        "maPanHoriz",   "maPanVert",      "maPanGrid",
    "maRubberBand", "maZoom",       "maZoomWind",   "maZoomWindPos",  "maZoomDrag",
    "maDragCrossH", "maDragLabel",  "maRotate",     "maRotAndZoom",   "maRotXOnly",
    "maRotZOnly",   "maSelectRect", "maDrawMTrace", "maZoomPanColors"};
inline constexpr const char* xmlMouseBoxState[4] = {"msNormal", "msFirstCorner", "msRectDraw",
                                                    "msFinished"};
inline constexpr const char* xmlScaleType[4] = {"sctXB", "sctXT", "sctYL", "sctYR"};
inline constexpr const char* xmlShadowStyle[2] = {"ssFlying", "ssBox"};
inline constexpr const char* xmlTimeFormat[3] = {"tfHHMMSS", "tfHHhMM", "tfAMPM"};
inline constexpr const char* xmlTxtLblAttachMode[4] = {"tlamNone", "tlamXOnly", "tlamYOnly",
                                                       "tlamBoth"};
inline constexpr const char* xmlTxtLblMode[5] = {"tlOff", "tlsimple", "tlBox", "tlUnderline",
                                                 "tlShadow"};
// The sixth entry is spelt in lower case; files written with it must keep reading back.
inline constexpr const char* xmlVarKind[7] = {"rnum", "dnum", "snum", "inum",
                                              "lnum", "bool", "strg"};
inline constexpr const char* xmlVerticalAlignment[3] = {"vaTop", "vaCenter", "vaBottom"};
inline constexpr const char* xmlYearLength[3] = {"ylNone", "ylYY", "ylYYYY"};
inline constexpr const char* xmlZoomState[2] = {"zsNormal", "zsDrawWin"};

// ---- CSV delimiters ----------------------------------------------------------------------
// csvUnknown (#0) means "detect" to the data table's CSV import and export.
inline constexpr char CSVDelimiters[5] = {'\0', ';', ',', ':', '\t'};

// The delimiter value whose character is Ch; csvUnknown when none (#0 included).
TCSVDelimiters ResolveCSVDelimiter(char Ch);

// ---- language tables ---------------------------------------------------------------------
// First index TLanguage, second the 1-based item number (index 0 is unused and empty);
// NumWords is indexed by the number itself (0 ... 12). The weekday tables start with Monday.
// The texts are UTF-8, the program's 8-bit code page. Some entries look odd ("février " with a
// trailing blank, Spanish "mai", French "celui"); the date scanner relies on equal tables, so
// they stay as they are.
extern const char* const MonthShort[5][13];
extern const char* const MonthLong[5][13];
extern const char* const WeekDayShort[5][8];
extern const char* const WeekDayLong[5][8];
extern const char* const NumWords[5][13];
// LanguageID[written in][named].
extern const char* const LanguageID[5][5];
extern const char* const ISO639_2Char[5];
extern const char* const ISO639_3Char[5];
// The HTML 4 Latin-1 character entity references of the characters 160 ... 255, in code order.
extern const char* const HTMLLat1Entities[96];
