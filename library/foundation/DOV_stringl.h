#pragma once
// The library's string unit: field and word extraction, searching, counting, trimming, padding,
// replacing, character tests, case changes, tokenizing, a parser for optionally quoted names,
// line reading from a text value, two small text codes, a byte scrambler, and the formatting of
// numbers, Booleans, tri-state values, times and number lists.
//
// Texts are UTF-8 and positions count bytes, from 1 (0 means "not found"). Case-insensitive
// comparisons fold only A-Z/a-z unless a routine says otherwise; the few "locale-aware" ones
// (EqualAnsiStrings, ChangeCase, the empty-field test of ExtractSubString) also fold the
// Latin letters of the Western 8-bit code page. Routines that look at whole characters beyond
// ASCII (ReverseString, ChangeCase, ExpandDiphthongs, the two Reduce... routines) work on
// UTF-8 sequences, so that one character stays one character; widths and lengths of the padding
// and cutting routines (LeftString, RightString, CenterString, AbbrevString) count characters,
// so "ä" is one character wide. No routine raises.

#include <bitset>
#include <initializer_list>

#include "DOV_sdlbase.h"

// The word separators: #0, LF, CR, blank and " # % ' ( ) * + , - . / : ; < = > [ \ ] { },
// as a set indexed by the byte value (bytes of 128 and above are never separators).
extern const std::bitset<256> WordSeps;
inline bool IsWordSep(char Ch) { return WordSeps.test(static_cast<unsigned char>(Ch)); }

// State of ParseQuotedName; the caller keeps one per name and starts it at vsStart.
enum TQuotedStrState { vsStart, vs1stQuote, vsQuote, vsNormal, vsEnd };

// ---- extraction and search ----------------------------------------------------------------
// Field ix (0-based) of Instring split at Delimiter. A field that begins with the delimiter
// (compared ignoring case) is empty: 'a;b;;d' gives a, b, "", d.
String ExtractSubString(const String& Instring, Integer ix, const String& Delimiter);
// The value assigned to ParamName in a list such as 'a=1;b="x y"', scanning from StartPos;
// double quotes delimit quoted names and values. Empty when the name is not found.
String ExtractParam(const String& ParamName, Integer StartPos, char AssignChar, char SepChar,
                    const String& ParamList);
// The word around Pos (or the single character at Pos when it is a separator); empty and
// WordStart = WordEnd = 0 for Pos outside the text.
String ExtractWordFromString(const String& S, Integer Pos);
String ExtractWordFromString(const String& S, Integer Pos, Integer& WordStart, Integer& WordEnd);
// Splits S at every Delimiter (at most 999 splits, the last token keeps the rest); returns the
// number of tokens, at least 1.
Integer Tokenize(const String& S, const String& Delimiter, TStrArray& Tokens);
// As above; a Delimiter directly behind EscapeChar does not split (the search goes on behind
// that whole occurrence), and afterwards each doubled EscapeChar becomes one and each
// EscapeChar + Delimiter becomes Delimiter.
Integer Tokenize(const String& S, const String& Delimiter, char EscapeChar, TStrArray& Tokens);
// Position of the Num-th non-overlapping occurrence of SubStr counted from StartAt; 0 when
// there are fewer or Num < 1.
Integer NumberedPos(const String& SubStr, const String& S, Integer StartAt, Integer Num,
                    bool IgnoreCase);
// The sum of the positions of successive finds, each in the rest behind the previous one.
// For a one-character SubStr that is the position of its last occurrence; for longer ones it
// is not (4, not 5, for "ab" in 'xabyab'), which callers have always got.
Integer PosLast(const String& SubStr, const String& S);
Integer CountStringInString(const String& SubStr, const String& S, bool CaseSensitive);
Integer CountCharInString(char Ch, const String& S, bool CaseSensitive);
// 1-based index of the first element equal to S; 0 when none.
Integer StringIx(const String& S, const std::vector<String>& Strings);
Integer StringIx(const String& S, bool CaseSensitive, const std::vector<String>& Strings);
// Runs of at least two non-separator characters followed by a separator (a run at the very
// end is not counted).
Integer CountWords(const String& S);
// The next line from Pos (which advances); only characters of code 32 or more go into the
// line. Mode 0 ends a line after LF, 1 after CR, 2 after either, 3 after a CR directly behind
// a LF, 4 after a LF directly behind a CR; any other mode never ends a line.
String ReadLnString(const String& S, Integer& Pos, bool& EndOfString, Integer Mode);
// Line (0-based) and column (1-based, characters of code 32 or more since the last LF) of
// Pos; both -1 for Pos outside the text.
void TextLineCoords(const String& S, Integer Pos, Integer& Column, Integer& Line);
// Feeds one character into the name parser; true when a name is complete (Name holds it and
// State is back at vsStart).
bool ParseQuotedName(char Ch, char QuoteChar, String& Name, TQuotedStrState& State);
Integer FindFirstNonBlank(const String& S);
Integer FindFirstDigit(const String& S);

// ---- editing ------------------------------------------------------------------------------
String StripLTBlanks(const String& S);
// Blanks-only text keeps one blank.
String StripLeadingBlanks(const String& S);
String StripTrailingBlanks(const String& S);
String StripLeadingChars(char Ch, const String& S);
// Never removes the first character.
String StripTrailingChars(char Ch, const String& S);
String RemoveControlChars(const String& S);
String RemoveCharInString(const String& S, char Ch);
String RemoveMultiChars(const String& S, char Ch);
String ReplaceCharInString(const String& S, char OldCh, char NewCh);
// Left to right; inserted text is not searched again; an empty SearchStr changes nothing.
String ReplaceStringInString(const String& S, const String& SearchStr, const String& ReplaceStr,
                             bool IgnoreCase);
String EnsureTrailingBkSlash(const String& S);
String EnsureTrailingChar(char Ch, const String& S);
String EnsureLeadingChar(char Ch, const String& S);
// Padded with blanks to Width characters (0 ... 255) or cut to its first Width characters.
String LeftString(const String& S, Byte Width);
String RightString(const String& S, Byte Width);
String CenterString(const String& S, Byte Width);
// Longer than MaxLen characters: its first MaxLen - 2 characters and "..".
String AbbrevString(const String& S, Integer MaxLen);
String SortableNumericString(const String& S, char DecimalChar, Integer Pos);
// Ch repeated Count times, Count clamped to 1 ... 255.
String MultiChar(char Ch, Integer Count);
String ReverseString(const String& S);
String ChangeCase(const String& S);
String CapitalizeString(const String& S);
String ExpandDiphthongs(const String& S);
String ReduceStringToAZ09(const String& S);
String ReduceStringToFN83CompliantChars(const String& S);
// "\#hh" becomes the character of code hh (Latin-1, written as UTF-8; #0 when hh is not
// hexadecimal), "\\" becomes "\"; a "\#" without two characters behind it stays.
String ProcessHexChars(const String& S);

// ---- tests --------------------------------------------------------------------------------
bool IsDigit(char Ch);
bool IsLetter(char Ch);
bool IsDigitLetter(char Ch);
bool IsHexChar(char Ch);
// One of ä ö ü Ä Ö Ü ß (a Unicode code point).
bool IsUmlaut(char32_t Ch);
bool IsAbbreviation(const String& S);
bool TestAllChar(const String& S, char Ch);
// CharSet is a text of characters with the shorthands "//dig", "//lc", "//uc", "//31dwn" and
// "//128up" (the codes 128 ... 255). Both texts are taken as characters; only characters of
// codes 0 ... 255 can be members of a set.
bool StringContains(const String& S, const String& CharSet);
bool StringContainsOtherThan(const String& S, const String& CharSet);
bool EqualAnsiStrings(const String& S1, const String& S2);

// ---- codes --------------------------------------------------------------------------------
// For texts shorter than 96 bytes; longer ones give empty text.
String UUEncodeStr(const String& S);
String UUDecodeStr(const String& S);
// Seeds the process-wide random generator with Seed and builds the scramble tables from it.
void InitScramble(Cardinal Seed);
// Byte-wise substitution through the current tables; #0 maps to itself.
String Scramble(const String& S);
String DeScramble(const String& S);

// ---- number and value formatting ----------------------------------------------------------
// All of them build on the run-time's Str(x : w : d); "." is always the decimal separator.
// Infinite and NaN values give Str's special texts ("+Inf", "-Inf", "Nan") in the routine's
// width.
String strff(Extended x, Integer Width, Integer Decimals);
String strffForcePlus(Extended x, Integer Width, Integer Decimals);
String FormatData(Extended x, Integer Width, Integer Decimals);
String SigDigStr(Extended x, Integer Width, Integer SigDigits);
String SigDigStr(Extended x, Integer Width, Integer SigDigits, bool Trim);
String AutoFormatData(Extended x, Integer SigDigits);
String AutoFormatData(Extended x, Integer SigDigits, bool UseComma);
// Style 0 TRUE/FALSE, 1 T/F, 2 .T./.F., 3 1/0, 4 -1/0, 5 FF/00, 6 YES/NO, 7 GOOD/BAD.
String BoolToStr(bool b, Integer Style);
String BinString(bool b, const String& TrueText, const String& FalseText);
TTriState StrToTriState(const String& S);
String TriStateToStr(TTriState t, Integer Mode);
String TimeString(Extended Seconds, Integer Format);
String CreateParList(const TIntArray& IntArray, bool AddComma, Integer MaxElems);
String CreateParList(std::initializer_list<Integer> Ints, bool AddComma);
String CreateParList(const TDoubleArray& DoubleArray, bool AddComma, Integer MaxElems,
                     Integer SigDigits);
String CreateParList(std::initializer_list<Double> Doubles, bool AddComma);

// ---- regular-expression search ------------------------------------------------------------
#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

// A small pattern language of its own (not that of other engines): literal runs, "." any
// character, sets "[a-z]" and "[^0-9]", groups "(abc)" without alternation, the multipliers
// "*", "+" and "?", the anchors "^" and "$", and "\#hh" for the byte of hexadecimal code hh;
// a backslash takes the next character literally. A pattern compiles to at most 64 tokens.
// Literals compare bytes (IgnoreCase folds A-Z only); "." and sets take one character (a
// UTF-8 sequence, or a byte that starts none), so "[ä]" does not match "ö" and "a.b" matches
// "aüb". Positions are 1-based byte positions. Inner multipliers take the fewest repetitions
// first, a final one the most. The recursion goes one level per token, never per repetition,
// so its depth stays at most 64. Work is bounded by tokens x text length: a multiplier that
// found no way to finish the match from a position never tries from there again during one
// search, so patterns such as ".*x.*x.*x.*xy" cannot take exponential or polynomial time.
enum TGrepTokenAct { taNormal, taAnyByte, taEol, taBol, taSet, taMult0, taMult1, taOpti };

struct TGrepToken {
  TGrepTokenAct Action = taNormal;
  // taNormal: the run's length; taSet: -1; multipliers: 0 any character, -1 the set in
  // Params, n > 0 the literal run Params[1 ... n].
  Integer NumChars = 0;
  std::array<char, 256> Params{};  // a set: Params[c] == '*' for every member code c < 256
  // A set's members above code 255 as ranges of code points; when Negated, the set holds
  // every code above 255 outside them instead.
  std::vector<std::pair<char32_t, char32_t>> Wide;
  bool Negated = false;
  Integer ValidFrom = 0;  // where the token matched in the last successful match
};

inline constexpr Integer MaxGrepTokens = 64;
// Compile errors: 1 ... 9 as the pattern language has always had them; 10 when a pattern
// needs more than 64 tokens or a literal run longer than 255 characters.
inline constexpr Integer GrepErrTooLong = 10;
String GrepErrorText(Integer Code);

class TGrep : public TComponent {
public:
  explicit TGrep(TComponent* AOwner);
  String ClassName() const override { return "TGrep"; }

  Integer NrOfRegExpTokens() const { return FLengRegExp; }
  bool StopOnError() const { return FStopOnError; }
  void SetStopOnError(bool Value) { FStopOnError = Value; }
  const String& RegExp() const { return FRegExpStr; }
  // Stores and compiles the pattern; a compile error raises ESDLStringlError while
  // StopOnError is set ('Component "Name": error in regular expression - ...').
  void SetRegExp(const String& Value);
  bool IgnoreCase() const { return FIgnoreCase; }
  void SetIgnoreCase(bool Value);  // recompiles, never raises
  Integer LastError() const { return FError; }
  Integer MatchEndPos() const { return FMatchEndPos; }
  Integer MatchStartPos() const { return FMatchStartPos; }
  Integer SearchStartPos = 1;

  // The error code (0 none), also kept in LastError; tokens before an error stay.
  Integer CompileRegExp(const String& Pattern);
  // The first match from SearchStartPos on; MatchPos = MatchStartPos, MatchEndPos the last
  // byte matched (MatchStartPos - 1 for an empty match). Never raises.
  bool MatchString(const String& Instring, Integer& MatchPos);
  // As MatchString on a text already folded to lower case when IgnoreCase is set; lets a
  // caller that searches one large text many times fold it only once.
  bool MatchFolded(std::string_view Text, Integer& MatchPos);
  // A copy of token ix, ix limited to 1 ... NrOfRegExpTokens.
  TGrepToken GetRegExpToken(Integer ix) const;
  // Writes the tokens, one per line, and "no errors" or the error text; raises EInOutError
  // when the file cannot be written.
  void PrintRegExp(const String& FName) const;

private:
  bool MatchFrom(Integer k, Integer p);
  bool RepeatLoop(Integer k, Integer q);
  // The bytes one repetition of t takes at p; 0 when none starts there.
  Integer RepeatAt(const TGrepToken& t, Integer p) const;
  Integer CharLenAt(Integer p) const;
  bool InSet(const TGrepToken& t, Integer p, Integer& Bytes) const;
  bool Dead(Integer k, Integer q) const;
  void MarkDead(Integer k, Integer q);
  Integer FLengRegExp = 0;
  bool FStopOnError = true;
  std::array<TGrepToken, MaxGrepTokens> FregExp{};
  String FRegExpStr;
  bool FIgnoreCase = false;
  Integer FError = 0;
  Integer FMatchEndPos = 0;
  Integer FMatchStartPos = 0;
  std::string_view FText;  // the text of the running match
  // Per multiplier token, a bit per text position from which its repetitions and the rest of
  // the pattern are known to fail during the running search; FDirty lists the words to clear
  // before the next one, so a search pays only for what it marked.
  std::array<std::vector<std::uint64_t>, MaxGrepTokens> FDead;
  std::vector<std::pair<Integer, std::size_t>> FDirty;
};
