#include <gtest/gtest.h>

#include "Classes.h"
#include "DOV_streams.h"
#include "TestSupport.h"
#include "TextFile.h"

namespace {

const TStrArray kMatrixTags = {"cell", "matrix", "/matrix", "invalidtag"};

struct TagRead {
  Integer ix;
  String attributes;
  String contents;
  bool operator==(const TagRead&) const = default;
};

std::ostream& operator<<(std::ostream& os, const TagRead& t) {
  return os << t.ix << " [" << t.attributes << "] [" << t.contents << "]";
}

// Every tag of a document, read by each of the three readers; they must agree.
std::vector<TagRead> ReadAllFromStream(const String& doc, int maxTags = 20) {
  TStringStream s(doc);
  std::vector<TagRead> v;
  for (int i = 0; i < maxTags; ++i) {
    TagRead t;
    t.ix = ReadNextTagInStream(s, kMatrixTags, t.attributes, t.contents);
    v.push_back(t);
    if (s.Position() == s.Size()) break;
  }
  return v;
}

std::vector<TagRead> ReadAllFromString(const String& doc, int maxTags = 20) {
  std::vector<TagRead> v;
  Integer pos = 1;
  for (int i = 0; i < maxTags; ++i) {
    TagRead t;
    t.ix = ReadNextTagInString(doc, pos, kMatrixTags, t.attributes, t.contents);
    v.push_back(t);
    if (static_cast<size_t>(pos) > doc.size()) break;
  }
  return v;
}

std::vector<TagRead> ReadAllFromTextFile(const String& doc, int maxTags = 20) {
  testsupport::TempDir dir;
  dir.write("doc.xml", doc);
  TTextFile f("doc.xml");
  f.Reset();
  std::vector<TagRead> v;
  for (int i = 0; i < maxTags; ++i) {
    TagRead t;
    t.ix = ReadNextTagInTextFile(f, kMatrixTags, t.attributes, t.contents);
    v.push_back(t);
    if (f.Eof()) break;
  }
  f.CloseFile();
  return v;
}

}  // namespace

TEST(XmlTags, ReadersFollowOneContract) {
  struct Case {
    String doc;
    std::vector<TagRead> tags;
  };
  const Case cases[] = {
      {"<!-- c --><Cell x=\"1\"/>", {{0, "x=\"1\"", ""}}},
      {"<matrix id=\"a\">1 2</MATRIX>", {{1, "id=\"a\"", "1 2"}}},
      {"<foo>", {{3, "", ""}}},
      // A declaration is an unknown tag with content: it reads to its (missing) closing tag.
      {"<?xml version=\"1.0\"?>\r\n<matrix>x</matrix>",
       {{3, "version=\"1.0\"?", "\r\n<matrix>x</matrix>"}}},
      // Nested elements of the same name are not counted: the first closing tag ends it.
      {"<cell>a<cell>b</cell>c</cell>", {{0, "", "a<cell>b"}, {3, "", ""}}},
      // A closing tag reads no content; the end of the text is read as "/matrix".
      {"<cell ix=\"1\">2.5</cell></matrix>", {{0, "ix=\"1\"", "2.5"}, {2, "", ""}}},
      // A ">" inside the content does not end it.
      {"<cell>a > b</cell><cell/>", {{0, "", "a > b"}, {3, "cell", ""}}},
      // Without a blank before "/>" the name is never in the list.
      // Truncated: the content runs to the end, the next read reports the end.
      {"<matrix><cell ix=\"1\">5", {{1, "", "<cell ix=\"1\">5"}}},
      {"<cell ix=\"", {{3, "", ""}}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ReadAllFromStream(c.doc), c.tags) << c.doc;
    EXPECT_EQ(ReadAllFromString(c.doc), c.tags) << c.doc;
    EXPECT_EQ(ReadAllFromTextFile(c.doc), c.tags) << c.doc;
  }
}

TEST(XmlTags, ReadersStopBehindTheLastCharacterConsumed) {
  const String doc = "<numcols>3</numcols>\r\n<cell ix=\"2\"/>tail";
  TStringStream s(doc);
  String a, c;
  ReadNextTagInStream(s, kMatrixTags, a, c);
  EXPECT_EQ(s.Position(), 20);
  ReadNextTagInStream(s, kMatrixTags, a, c);
  EXPECT_EQ(StreamAsString(s), "tail");

  Integer pos = 1;
  ReadNextTagInString(doc, pos, kMatrixTags, a, c);
  EXPECT_EQ(pos, 21);
  // The end of the source gives the last index with nothing read.
  Integer end = static_cast<Integer>(doc.size()) + 1;
  EXPECT_EQ(ReadNextTagInString(doc, end, kMatrixTags, a, c), 3);
  EXPECT_EQ(a, "");
}

TEST(XmlTags, StreamTextComesBackAsCharacters) {
  TStringStream s(String("<cell n=\"\xE9\">\xFC</cell>"));
  String a, c;
  EXPECT_EQ(ReadNextTagInStream(s, kMatrixTags, a, c), 0);
  EXPECT_EQ(a, "n=\"\xC3\xA9\"");
  EXPECT_EQ(c, "\xC3\xBC");
}

TEST(XmlTags, ScanForXMLAttrib) {
  struct Case {
    String attributes, name, value;
  };
  const Case cases[] = {
      {"a=1 B=\"x y\" c", "b", "x y"},
      {"a=1", "z", ""},
      {"a==1", "a", ""},
      {"ix=\"3\" iy=\"1\"", "IY", "1"},
      {"  x = 5 y=6", "x", "5"},
      {"x=\"open", "x", "open"},  // the end of the text ends the pair
      {"a=1\"b=2", "b", "2"},     // a plain value ends at a quote
      {"\"x\"=1", "x", ""},       // a quote in a name is malformed
      {"", "x", ""},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ScanForXMLAttrib(c.attributes, c.name), c.value) << c.attributes;
}

TEST(XmlTags, DetectNextTagInString) {
  const String doc = "ab <Cell ix=\"1\" /> </matrix> <x";
  Integer start = 1, end = 0;
  String a;
  bool isEnd = true;
  EXPECT_EQ(DetectNextTagInString(doc, start, end, kMatrixTags, a, isEnd), 0);
  EXPECT_EQ(start, 4);
  EXPECT_EQ(end, 18);
  EXPECT_EQ(a, "ix=\"1\"");
  EXPECT_FALSE(isEnd);
  start = end;
  EXPECT_EQ(DetectNextTagInString(doc, start, end, kMatrixTags, a, isEnd), 1);
  EXPECT_TRUE(isEnd);
  EXPECT_EQ(doc.substr(static_cast<size_t>(start - 1), 2), "</");
  start = end;
  EXPECT_EQ(DetectNextTagInString(doc, start, end, kMatrixTags, a, isEnd), 3);
  EXPECT_EQ(end, static_cast<Integer>(doc.size()) + 1);  // no ">": the rest of the text
  start = end;
  EXPECT_EQ(DetectNextTagInString(doc, start, end, kMatrixTags, a, isEnd), 3);

  // A long tag text is cut to 255 characters, so its final "/>" is lost.
  const String longTag = "<cell a=\"" + String(300, 'x') + "\"/>";
  start = 1;
  EXPECT_EQ(DetectNextTagInString(longTag, start, end, kMatrixTags, a, isEnd), 0);
  EXPECT_EQ(a.size(), 255u - 5u);
}

TEST(XmlTags, ScanStreamForXMLTag) {
  struct Case {
    String doc;
    Integer result;
    String attributes, contents;
  };
  const Case cases[] = {
      {"<a/><!-- x --><CELL k=1>5</Cell>", 0, "k=1", "5"},
      {"<b><cell k=\"2\" /></b>", 0, "k=\"2\"", ""},
      {"<cell>5", -2, "", "5"},
      {"<a x=1>no cell here</a>", -1, "", ""},
      {"", -1, "", ""},
  };
  for (const Case& c : cases) {
    TStringStream s(c.doc);
    String a = "old", ct = "old";
    EXPECT_EQ(ScanStreamForXMLTag(s, "Cell", a, ct), c.result) << c.doc;
    if (c.result == 0) {
      EXPECT_EQ(a, c.attributes) << c.doc;
    }
    EXPECT_EQ(ct, c.contents) << c.doc;
  }
}

TEST(XmlTags, ReadStreamUntilTagList) {
  TStringStream s("head <B> mid <A> rest");
  Integer found = 7;
  EXPECT_EQ(ReadStreamUntilTagList(s, {"<a>", "<b>"}, found), "head <B>");
  EXPECT_EQ(found, 1);
  EXPECT_EQ(ReadStreamUntilTagList(s, {"<a>", "<b>"}, found), " mid <A>");
  EXPECT_EQ(found, 0);
  EXPECT_EQ(ReadStreamUntilTagList(s, {"<a>", ""}, found), " rest");
  EXPECT_EQ(found, -1);
}
