#include <gtest/gtest.h>

#include "DOV_xmlenvelope.h"

TEST(XmlEnvelope, Lines) {
  EXPECT_EQ(XMLCommentLine("TCustomTextLabel"), "<!-- TCustomTextLabel / RIZ Ovavavude Rarev -->");
  EXPECT_EQ(XMLRootLine("strarray", "1.0", 0, "S"),
            "<strarray sig=\"ZUDUZidad\" vers=\"1.0\" id=\"S\">");
  EXPECT_EQ(XMLRootLine("matrix", "6.0", 3, ""),
            "<matrix sig=\"ZUDUZidad\" vers=\"6.0\" dim=\"3\" id=\"\">");
}

TEST(XmlEnvelope, RootLineRules) {
  struct Case {
    String line;
    Integer dim;
    String dataID;
    bool match;
    String id;
  };
  const Case cases[] = {
      {"<MATRIX sig=\"zuduzidad\" dim=\"2\" id=\" Ab \">", 2, "aB", true, "ab"},
      {"<matrix sig=\"ZUDUZidad\" dim=\"2\" id=\"a\">", 3, "", false, ""},
      {"<matrix sig=\"ZUDUZidad\" id=\"a\">", 2, "", false, ""},  // no dim at all
      {"<matrix sig=\"other\" dim=\"2\" id=\"a\">", 2, "", false, ""},
      {"<matrix sig=\"ZUDUZidad\" dim=\"2\">", 2, "", true, ""},  // no id: empty
      {"<matrix sig=\"ZUDUZidad\" dim=\"2\">", 2, "x", false, ""},
      {"<datatable sig=\"ZUDUZidad\" vers=\"1.0\" id=\"t", 0, "t", true, "t"},  // no closing quote
  };
  for (const Case& c : cases) {
    String id = "unchanged";
    const String tag = c.line.find("datatable") != String::npos ? "datatable" : "matrix";
    EXPECT_EQ(IsXMLRootLine(c.line, tag, c.dim, c.dataID, id), c.match) << c.line;
    if (c.match) {
      EXPECT_EQ(id, c.id) << c.line;
    }
  }
}

TEST(XmlEnvelope, FindInString) {
  const String text = "junk\r\n<strarray sig=\"ZUDUZidad\" vers=\"1.0\" id=\"s1\">\r\n<x/>\r\n";
  Integer pos = 1;
  String id;
  ASSERT_TRUE(FindXMLRootInString(text, pos, "strarray", 0, "S1", id));
  EXPECT_EQ(id, "s1");
  EXPECT_EQ(text.substr(static_cast<size_t>(pos - 1)), "<x/>\r\n");
  EXPECT_FALSE(FindXMLRootInString(text, pos, "strarray", 0, "", id));
}
