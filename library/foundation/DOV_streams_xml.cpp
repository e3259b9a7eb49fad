// The XML tag scanner of DOV_streams: one reader contract over a stream, a text file and a
// text, plus the attribute scanner and three helpers of the same family.

#include "DOV_streams.h"
#include "SysUtils.h"
#include "TextFile.h"

namespace {

std::string StripBlanks(const std::string& s) {
  const size_t a = s.find_first_not_of(' ');
  if (a == std::string::npos) return std::string();
  const size_t b = s.find_last_not_of(' ');
  return s.substr(a, b - a + 1);
}

// True when Text ends with Tail (Tail already lower case), ignoring ASCII case.
bool EndsWithNoCase(const std::string& Text, const std::string& Tail) {
  if (Tail.empty() || Text.size() < Tail.size()) return false;
  const size_t off = Text.size() - Tail.size();
  for (size_t i = 0; i < Tail.size(); ++i)
    if (LowerCaseChar(Text[off + i]) != Tail[i]) return false;
  return true;
}

Integer LastIndex(const TStrArray& TagList) { return static_cast<Integer>(TagList.size()) - 1; }

Integer LookUp(const std::string& Name, const TStrArray& TagList) {
  for (size_t i = 0; i < TagList.size(); ++i)
    if (TagList[i] == Name) return static_cast<Integer>(i);
  return LastIndex(TagList);
}

// A tag text ("name attr=...>" or "name .../>", the "<" already dropped) split into its
// lower-cased name and its attribute text. Empty reports an empty element.
struct TTagParts {
  std::string Name;
  std::string Attributes;
  bool Empty = false;
};

TTagParts SplitTag(const std::string& TagText) {
  TTagParts t;
  const size_t blank = TagText.find(' ');
  const size_t close = TagText.find("/>");
  if (close != std::string::npos) {
    t.Empty = true;
    if (blank == std::string::npos || blank > close) {
      // No blank before "/>": the library's writers never do this; the name cannot match.
      t.Attributes = TagText.substr(0, close);
      t.Name = LowerCase(TagText);
    } else {
      t.Attributes = StripBlanks(TagText.substr(blank + 1, close - blank - 1));
      t.Name = LowerCase(TagText.substr(0, blank));
    }
    return t;
  }
  std::string body = TagText;
  if (!body.empty() && body.back() == '>') body.pop_back();
  if (blank != std::string::npos && blank < body.size()) {
    t.Attributes = StripBlanks(body.substr(blank + 1));
    t.Name = LowerCase(body.substr(0, blank));
  } else {
    t.Name = LowerCase(body);
  }
  return t;
}

// ---- character sources --------------------------------------------------------------------

struct TStreamSource {
  TStreamByteReader In;
  explicit TStreamSource(TStream& S) : In(S) {}
  bool Next(char& c) {
    Byte b;
    if (!In.Next(b)) return false;
    c = static_cast<char>(b);
    return true;
  }
};

struct TFileSource {
  TTextFile& F;
  bool Next(char& c) {
    if (F.Eof()) return false;
    c = F.ReadChar();
    return true;
  }
};

struct TStringSource {
  const String& S;
  Integer& Pos;  // 1-based, the next character to read
  bool Next(char& c) {
    if (Pos < 1) Pos = 1;
    if (static_cast<size_t>(Pos) > S.size()) return false;
    c = S[static_cast<size_t>(Pos - 1)];
    ++Pos;
    return true;
  }
};

// Skips to the next "<" and collects the tag text up to and including ">". False when the
// source ends first.
template <class Src>
bool ReadTagText(Src& src, std::string& TagText) {
  TagText.clear();
  char c;
  do {
    if (!src.Next(c)) return false;
  } while (c != '<');
  for (;;) {
    if (!src.Next(c)) return false;
    TagText.push_back(c);
    if (c == '>') return true;
  }
}

// Appends characters until Contents ends with the closing tag (only a ">" just added can
// complete one, so only the tail is compared); then cuts the closing tag. False when the
// source ends first (Contents keeps what was read).
template <class Src>
bool ReadContent(Src& src, const std::string& Name, std::string& Contents) {
  const std::string closing = "</" + Name + ">";
  char c;
  while (src.Next(c)) {
    Contents.push_back(c);
    if (c == '>' && EndsWithNoCase(Contents, closing)) {
      Contents.resize(Contents.size() - closing.size());
      return true;
    }
  }
  return false;
}

template <class Src>
Integer ReadNextTag(Src& src, const TStrArray& TagList, std::string& Attributes,
                    std::string& Contents) {
  Attributes.clear();
  Contents.clear();
  std::string text;
  do {
    if (!ReadTagText(src, text)) return LastIndex(TagList);
  } while (!text.empty() && text[0] == '!');
  TTagParts t = SplitTag(text);
  Attributes = std::move(t.Attributes);
  if (!t.Empty && !t.Name.empty() && t.Name[0] != '/') ReadContent(src, t.Name, Contents);
  return LookUp(t.Name, TagList);
}

}  // namespace

Integer ReadNextTagInStream(TStream& Stream, const TStrArray& TagList, String& Attributes,
                            String& Contents) {
  TStreamSource src(Stream);
  std::string a, c;
  const Integer ix = ReadNextTag(src, TagList, a, c);
  Attributes = StringOfLowBytes(a);
  Contents = StringOfLowBytes(c);
  return ix;
}

Integer ReadNextTagInTextFile(TTextFile& TextFile, const TStrArray& TagList, String& Attributes,
                              String& Contents) {
  TFileSource src{TextFile};
  return ReadNextTag(src, TagList, Attributes, Contents);
}

Integer ReadNextTagInString(const String& Instring, Integer& CurrPos, const TStrArray& TagList,
                            String& Attributes, String& Contents) {
  TStringSource src{Instring, CurrPos};
  return ReadNextTag(src, TagList, Attributes, Contents);
}

Integer DetectNextTagInString(const String& Instring, Integer& StartPos, Integer& EndPos,
                              const TStrArray& TagList, String& Attributes, bool& IsEndTag) {
  constexpr size_t kMaxTagText = 255;
  Attributes.clear();
  IsEndTag = false;
  const size_t from = StartPos < 1 ? 0 : static_cast<size_t>(StartPos - 1);
  const size_t lt = from < Instring.size() ? Instring.find('<', from) : std::string::npos;
  if (lt == std::string::npos) {
    StartPos = EndPos = static_cast<Integer>(Instring.size()) + 1;
    return LastIndex(TagList);
  }
  const size_t gt = Instring.find('>', lt + 1);
  StartPos = static_cast<Integer>(lt) + 1;
  EndPos = gt == std::string::npos ? static_cast<Integer>(Instring.size()) + 1
                                   : static_cast<Integer>(gt) + 1;
  const size_t innerEnd = gt == std::string::npos ? Instring.size() : gt;
  std::string text = Instring.substr(lt + 1, std::min(innerEnd - lt - 1, kMaxTagText));
  text.push_back('>');
  TTagParts t = SplitTag(text);
  Attributes = std::move(t.Attributes);
  if (!t.Name.empty() && t.Name[0] == '/') {
    IsEndTag = true;
    t.Name.erase(0, 1);
  }
  return LookUp(t.Name, TagList);
}

String ScanForXMLAttrib(const String& Attributes, const String& AttribName) {
  enum { stName, stValueStart, stQuoted, stPlain } st;
  const std::string wanted = LowerCase(AttribName);
  size_t pos = 0;
  while (pos < Attributes.size()) {
    std::string name, value;
    st = stName;
    bool pairEnded = false;
    while (pos < Attributes.size() && !pairEnded) {
      const char c = Attributes[pos++];
      switch (st) {
        case stName:
          if (c == '"') return String();
          if (c == '=')
            st = stValueStart;
          else
            name.push_back(c);
          break;
        case stValueStart:
          if (c == '=') return String();
          if (c == '"')
            st = stQuoted;
          else if (c != ' ') {
            value.push_back(c);
            st = stPlain;
          }
          break;
        case stQuoted:
          if (c == '"')
            pairEnded = true;
          else
            value.push_back(c);
          break;
        case stPlain:
          if (c == '=') return String();
          if (c == ' ' || c == '"')
            pairEnded = true;
          else
            value.push_back(c);
          break;
      }
    }
    if (LowerCase(StripBlanks(name)) == wanted) return value;
  }
  return String();
}

Integer ScanStreamForXMLTag(TStream& Stream, const String& TagName, String& Attributes,
                            String& Contents) {
  const std::string wanted = LowerCase(LowBytesOfString(TagName));
  TStreamSource src(Stream);
  Attributes.clear();
  Contents.clear();
  std::string text;
  for (;;) {
    if (!ReadTagText(src, text)) return -1;
    TTagParts t = SplitTag(text);
    Attributes = StringOfLowBytes(t.Attributes);
    if (t.Name != wanted) continue;
    if (t.Empty) return 0;
    std::string c;
    const bool closed = ReadContent(src, wanted, c);
    Contents = StringOfLowBytes(c);
    return closed ? 0 : -2;
  }
}

String ReadStreamUntilTagList(TStream& Stream, const TStrArray& Tags, Integer& FoundIx) {
  FoundIx = -1;
  std::vector<std::string> tags;
  for (const String& t : Tags) tags.push_back(LowerCase(LowBytesOfString(t)));
  TStreamByteReader in(Stream);
  std::string text;
  Byte b;
  while (FoundIx < 0 && in.Next(b)) {
    text.push_back(static_cast<char>(b));
    // A new occurrence can only end at the byte just read.
    for (size_t i = 0; i < tags.size(); ++i)
      if (EndsWithNoCase(text, tags[i])) {
        FoundIx = static_cast<Integer>(i);
        break;
      }
  }
  return StringOfLowBytes(text);
}
