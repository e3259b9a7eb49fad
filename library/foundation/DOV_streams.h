#pragma once
// The library's binary items and byte-wise text on a stream, and the XML tag scanner.
//
// Byte layouts (little-endian): extended 10 bytes (x87: 8-byte mantissa with explicit integer
// bit, then sign and 15-bit exponent), double 8, single 4, longint 4 (two's complement);
// a string is the low byte of each character, without length or terminator; a line adds
// CR LF. Texts are UTF-8: a character is written as the low byte of its code point (a byte
// that is not valid UTF-8 is written as it is), and every byte read comes back as the
// character of that code (0 ... 255, Latin-1), so "ü" goes to a stream as $FC and reads back
// as "ü".
//
// The readers take the stream byte by byte in principle; they read it in blocks and move the
// position back to just behind the last byte they consumed, so a caller sees the same
// positions as with single-byte reads while a file costs one system call per block.
// Write failures are the stream's own exceptions and pass to the caller.

#include <vector>

#include "Classes.h"
#include "DOV_sdlbase.h"

class TTextFile;

// ---- low bytes and characters ------------------------------------------------------------
// The bytes a text becomes on a stream: the low byte of each character.
std::string LowBytesOfString(const String& S);
// The text of bytes read from a stream: each byte the character of that code.
String StringOfLowBytes(const char* Bytes, size_t Count);
inline String StringOfLowBytes(const std::string& Bytes) {
  return StringOfLowBytes(Bytes.data(), Bytes.size());
}

// ---- buffered byte reader ----------------------------------------------------------------
// Reads a stream in growing blocks and hands out single bytes; Release (also run by the
// destructor) seeks the stream back to just behind the last byte handed out.
class TStreamByteReader {
public:
  explicit TStreamByteReader(TStream& Stream) : FStream(Stream) {}
  ~TStreamByteReader();
  TStreamByteReader(const TStreamByteReader&) = delete;
  TStreamByteReader& operator=(const TStreamByteReader&) = delete;

  // The next byte; false at the end of the stream.
  bool Next(Byte& b) {
    if (FPos == FLen && !Fill()) return false;
    b = FBuf[FPos++];
    return true;
  }
  void Release();

private:
  bool Fill();
  TStream& FStream;
  std::vector<Byte> FBuf;
  size_t FPos = 0;
  size_t FLen = 0;
  size_t FBlock = 256;
};

// ---- binary items ------------------------------------------------------------------------
void WriteStringStream(TStream& Stream, const String& S);
void WriteLnStream(TStream& Stream, const String& S);
void WriteExtendedToStream(TStream& Stream, Extended x);
void WriteDoubleToStream(TStream& Stream, Double x);
void WriteSingleToStream(TStream& Stream, Single x);
void WriteLongintToStream(TStream& Stream, Integer n);

// Error := false on success; any failure (a short read or the stream's exception) sets it
// true, and the value returned is then 0.
Extended ReadExtendedFromStream(TStream& Stream, bool& Error);
Double ReadDoubleFromStream(TStream& Stream, bool& Error);
Single ReadSingleFromStream(TStream& Stream, bool& Error);
Integer ReadLongintFromStream(TStream& Stream, bool& Error);

// ---- text --------------------------------------------------------------------------------
// One line. The line ends (Mode) after: 0 LF; 1 CR; 2 CR or LF; 3 a CR directly after a LF;
// 4 a LF directly after a CR; any other Mode never. Then at most two final CR/LF characters
// are removed. At the end of the stream EndOfStream := true and the text read is returned as
// it is.
String ReadLnStream(TStream& Stream, bool& EndOfStream, Integer Mode);
// Reads up to and including the first byte b (true), or to the end (false).
bool FindInStream(TStream& Stream, Byte b);
// The bytes from the position to the end.
String StreamAsString(TStream& Stream);
// The text up to and including the first occurrence of Delimiter (ASCII case ignored), the
// position just behind it, Found := 0. When it does not occur (or is empty): Found := -1, the
// whole rest of the stream is returned and the position is at the end.
String ReadStreamUntil(TStream& Stream, const String& Delimiter, Integer& Found);
// The number of LF bytes from the position to the end; the position ends at the end.
Int64 CountLinesInStream(TStream& Stream);
// Skips blanks, CR and LF; an optional sign; decimal digits (32-bit, wrapping). The byte
// that ends the number is consumed. No digits give 0.
Integer ScanStreamDecimal(TStream& Stream);
// A floating-point number by the library's number scanner: the decimal separator is "." for
// dsDot, "," for dsComma, either for dsBoth and none for dsSystem; leading white space
// (tab, LF, CR, blank) is skipped; the byte that ends the number is consumed. A malformed
// number gives 0; the digits are read to the nearest double (NearestDoubleOfText), which is
// clamped to +-uc_MaxDouble; exponent digits beyond the value 4200 are left out of the number.
Double ScanStreamFPNum(TStream& Stream, bool AllowExp, TDecPSep DecPSep);
// ---- XML tag scanning --------------------------------------------------------------------
// The library's documents are small XML-like texts read with a tag scanner, not a parser:
// no escaping, namespaces or CDATA. TagList holds lower-case names indexed from 0 and ends
// with a sentinel: a tag whose (lower-cased) name is not in the list, and the end of the
// source, give the index of the last entry.
//
// The readers skip to the next "<" and collect the tag text up to ">"; tags starting with "!"
// (comments) are skipped. An empty element ("/>") has Attributes but no Contents. Any other
// tag whose name does not start with "/" has its Contents read up to the first closing tag of
// the same name (ASCII case ignored; nesting is not counted). The position is left behind the
// last character consumed. A document cut short ends the content at its end.
Integer ReadNextTagInStream(TStream& Stream, const TStrArray& TagList, String& Attributes,
                            String& Contents);
Integer ReadNextTagInTextFile(TTextFile& TextFile, const TStrArray& TagList, String& Attributes,
                              String& Contents);
// CurrPos is 1-based and left behind the last character consumed.
Integer ReadNextTagInString(const String& Instring, Integer& CurrPos, const TStrArray& TagList,
                            String& Attributes, String& Contents);
// Finds the next "<" from StartPos (StartPos is left on it) and the next ">" (EndPos, not
// consumed); splits the tag text (at most 255 characters) without reading content. A name
// starting with "/" sets IsEndTag and is looked up without it. No "<": the last index, with
// StartPos and EndPos behind the text.
Integer DetectNextTagInString(const String& Instring, Integer& StartPos, Integer& EndPos,
                              const TStrArray& TagList, String& Attributes, bool& IsEndTag);
// The value of the attribute AttribName (ASCII case ignored) in an attribute text of
// name=value pairs (values plain or in double quotes); "" when absent or malformed.
String ScanForXMLAttrib(const String& Attributes, const String& AttribName);
// Reads tags until one named TagName: -1 not found; 0 found (Contents up to its closing tag
// for an element with content); -2 when the stream ends before the closing tag.
Integer ScanStreamForXMLTag(TStream& Stream, const String& TagName, String& Attributes,
                            String& Contents);
// Reads until the text read contains one of Tags (ASCII case ignored; FoundIx the index of
// the first of them in list order, -1 when the stream ended first); returns all text read.
String ReadStreamUntilTagList(TStream& Stream, const TStrArray& Tags, Integer& FoundIx);

// ---- pattern search and replace, extraction scripts ----------------------------------------
// Both work on the streams' bytes as they are: one byte is one character (Latin-1), in and
// out, so bytes that are not ASCII pass unchanged through matching and inserted token text.
class TStrings;

// A caller's hook for user tags ("@name@3" in a template): may change the inserted text.
using TSearchReplaceTagProc = std::function<void(const String& Tag, String& Text)>;

// Copies InStream (all of it) to OutStream (cleared first), replacing every match of RegExp
// (the TGrep pattern language) by Template: "@d" inserts the text of token d (1 ... 9), after
// the switched-on transforms "@Z" (A-Z 0-9 only), "@V" (file-name characters), "@Y"
// (diphthongs expanded), "@L", "@U" (case), "@I", "@D", "@B" (the integer + 1, - 1, x 2 in as
// many digits); "@@" is "@"; "@name@d" passes the text through TagProc; "\#hh" is the byte hh.
// With CondToken >= 1 a match is replaced only when token CondToken's text, compared with
// CondText, passes CondMode (0 equal, 1 not equal, 2 contains, 3 does not contain; others
// always). An empty match copies one byte and the search goes on behind it. True when at
// least one match was found; a bad pattern raises ESDLStringlError.
bool SearchAndReplace(TMemoryStream& InStream, TMemoryStream& OutStream, const String& RegExp,
                      const String& Template, bool IgnoreCase, Integer CondToken, Integer CondMode,
                      const String& CondText, const TSearchReplaceTagProc& TagProc = nullptr);

// Runs a line-oriented extraction script over InStream (from its position) and appends the
// selected, translated bytes to OutStream, whose position is 0 afterwards. Commands: incpos k,
// resetpos, find text, findwithin k text, insert text, insertbyte b, insertdate format,
// dellast k, copyrel k, copyabs a b, copyall, endpos, setmark m, moveto m, makeupper,
// makelower, noconversion, loadconvtab file, convertbyte a b, label m, loop m k,
// iffound / ifnotfound ... endif, and "#" comments; "$hh" in a line is the character hh.
// The ten marks keep their values from one run to the next. Positions never leave the source
// (0 on an empty one) and dellast never shrinks the output below empty; loadconvtab opens
// the file by the name as written, else by the name in lower case. A script that loops
// without moving the position ("loop m 0") runs for ever, as it always has.
void ExtractFromStream(TStream& InStream, TMemoryStream& OutStream, const TStrings& Script);
