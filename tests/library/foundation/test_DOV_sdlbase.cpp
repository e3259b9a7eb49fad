#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstring>
#include <iterator>
#include <set>
#include <string>

#include "DOV_sdlbase.h"
#include "DOV_univconst.h"

TEST(CSVDelimiters, ResolveFindsEachDelimiterAndNothingElse) {
  struct Case {
    char ch;
    TCSVDelimiters want;
  };
  const Case cases[] = {{';', csvSemicolon}, {',', csvComma},   {':', csvColon},
                        {'\t', csvTab},      {'x', csvUnknown}, {'\0', csvUnknown}};
  for (const Case& c : cases) EXPECT_EQ(ResolveCSVDelimiter(c.ch), c.want) << int(c.ch);
  for (int d = csvSemicolon; d <= csvTab; ++d) EXPECT_EQ(ResolveCSVDelimiter(CSVDelimiters[d]), d);
}

TEST(ValueNames, TablesFollowTheEnumerationOrder) {
  EXPECT_STREQ(xmlVarKind[Bool], "bool");
  EXPECT_STREQ(xmlVarKind[strg], "strg");
  EXPECT_STREQ(xmlTxtLblMode[tlsimple], "tlsimple");
  EXPECT_STREQ(xmlDateForTime[dtOnePezOdoza], "dtOnePezOdoza");
  EXPECT_STREQ(xmlMouseActMode[maZoomPanColors], "maZoomPanColors");
  EXPECT_EQ(maZoomPanColors, 18);
  EXPECT_STREQ(xmlMouseActMode[maDragCrossH], "maDragCrossH");
  EXPECT_STREQ(xmlFrameStyle[fsEngraved], "fsEngraved");
  EXPECT_STREQ(xmlVerticalAlignment[vaBottom], "vaBottom");
  EXPECT_STREQ(xmlTxtLblAttachMode[tlamBoth], "tlamBoth");
  EXPECT_STREQ(xmlAlignment[2], "taCenter");
  EXPECT_STREQ(xmlFontStyle[3], "fsStrikeOut");
  EXPECT_STREQ(xmlZoomState[zsDrawWin], "zsDrawWin");
}

TEST(ValueNames, EveryTableHasOneNamePerValue) {
  EXPECT_EQ(std::size(xmlBkgFill), bfTile + 1u);
  EXPECT_EQ(std::size(xmlBoundingBox), bbFaces + 1u);
  EXPECT_EQ(std::size(xmlColorScheme), csSystem + 1u);
  EXPECT_EQ(std::size(xmlCrossHMode), chBox + 1u);
  EXPECT_EQ(std::size(xmlDateForTime), dtAllTicks + 1u);
  EXPECT_EQ(std::size(xmlDateOrder), doYYMMDD + 1u);
  EXPECT_EQ(std::size(xmlDirection), dirRightward + 1u);
  EXPECT_EQ(std::size(xmlFigType), ftUserText + 1u);
  EXPECT_EQ(std::size(xmlFrameStyle), fsEngraved + 1u);
  EXPECT_EQ(std::size(xmlLanguage), lgSpanish + 1u);
  EXPECT_EQ(std::size(xmlMouseActMode), maZoomPanColors + 1u);
  EXPECT_EQ(std::size(xmlMouseBoxState), msFinished + 1u);
  EXPECT_EQ(std::size(xmlScaleType), sctYR + 1u);
  EXPECT_EQ(std::size(xmlShadowStyle), ssBox + 1u);
  EXPECT_EQ(std::size(xmlTimeFormat), tfAMPM + 1u);
  EXPECT_EQ(std::size(xmlTxtLblAttachMode), tlamBoth + 1u);
  EXPECT_EQ(std::size(xmlTxtLblMode), tlShadow + 1u);
  EXPECT_EQ(std::size(xmlVarKind), strg + 1u);
  EXPECT_EQ(std::size(xmlVerticalAlignment), vaBottom + 1u);
  EXPECT_EQ(std::size(xmlYearLength), ylYYYY + 1u);
  EXPECT_EQ(std::size(xmlZoomState), zsDrawWin + 1u);
  // Ordinals the chart stores.
  EXPECT_EQ(fsEngraved, 5);
  EXPECT_EQ(orHoriz, 1);
  EXPECT_EQ(csvTab, 4);
  EXPECT_EQ(tsUndefined, 2);
  EXPECT_STREQ(xmlFigType[ftDateTime], "ftDateTime");
  EXPECT_STREQ(xmlScaleType[sctYL], "sctYL");
  EXPECT_STREQ(xmlTimeFormat[tfHHhMM], "tfHHhMM");
  EXPECT_STREQ(xmlYearLength[ylYYYY], "ylYYYY");
}

TEST(LanguageTables, KeepTheirEntriesAsGiven) {
  EXPECT_STREQ(MonthShort[lgEnglish][1], "Jan");
  EXPECT_STREQ(MonthShort[lgUnknown][12], "M12");
  EXPECT_STREQ(MonthShort[lgFrench][6], "juin");
  EXPECT_STREQ(MonthLong[lgFrench][2], "février ");
  EXPECT_STREQ(MonthLong[lgSpanish][5], "mai");
  EXPECT_STREQ(MonthLong[lgEnglish][12], "December");
  EXPECT_STREQ(WeekDayShort[lgEnglish][1], "Mon");
  EXPECT_STREQ(WeekDayLong[lgGerman][7], "Sonntag");
  EXPECT_STREQ(WeekDayLong[lgUnknown][7], "D07");
  EXPECT_STREQ(NumWords[lgFrench][1], "celui");
  EXPECT_STREQ(NumWords[lgEnglish][12], "twelve");
  EXPECT_STREQ(NumWords[lgUnknown][0], "N00");
  EXPECT_STREQ(LanguageID[lgGerman][lgFrench], "französisch");
  EXPECT_STREQ(LanguageID[lgEnglish][lgUnknown], "???");
  EXPECT_STREQ(LanguageID[lgUnknown][lgSpanish], "???");
  EXPECT_STREQ(ISO639_2Char[lgGerman], "de");
  EXPECT_STREQ(ISO639_3Char[lgFrench], "fre");
}

TEST(LanguageTables, HtmlEntitiesCoverLatin1InOrder) {
  EXPECT_STREQ(HTMLLat1Entities[0], "&nbsp;");
  EXPECT_STREQ(HTMLLat1Entities[0xE4 - 160], "&auml;");
  EXPECT_STREQ(HTMLLat1Entities[0xD7 - 160], "&times;");
  EXPECT_STREQ(HTMLLat1Entities[95], "&yuml;");
  std::set<std::string> distinct;
  for (const char* e : HTMLLat1Entities) {
    ASSERT_EQ(e[0], '&');
    ASSERT_EQ(e[std::strlen(e) - 1], ';');
    distinct.insert(e);
  }
  EXPECT_EQ(distinct.size(), 96u);
}

TEST(Constants, AreExtendedValues) {
  EXPECT_EQ(uc_LnFactorial[0], 0.0);
  EXPECT_EQ(uc_LnFactorial[1], 0.0);
  EXPECT_EQ(uc_LnFactorial[3], 1.79175946922806);
  EXPECT_EQ(uc_LnFactorial[4], 3.17805383034795);
  EXPECT_EQ(uc_LnFactorial[1000], 5912.12817848816);
  for (int n = 2; n <= 1000; ++n)
    EXPECT_NEAR(uc_LnFactorial[n], std::lgamma(n + 1.0), 1e-14 * uc_LnFactorial[n]) << n;
  // Each entry is ln n! correctly rounded to 15 significant digits. A running sum of extended
  // logarithms stays within 1e-17 of its value here, far below the last digit, so rounding it
  // gives the entry; only where ln n! lies that close to a half (n = 598) may it go either way.
  const auto round15 = [](long double v) {
    char text[40];
    const auto end =
        std::to_chars(text, text + sizeof text, v, std::chars_format::scientific, 14).ptr;
    double rounded = 0;
    std::from_chars(text, end, rounded, std::chars_format::scientific);
    return rounded;
  };
  long double lnFact = 0;
  for (int n = 2; n <= 1000; ++n) {
    lnFact += std::log(static_cast<long double>(n));
    const double below = round15(lnFact * (1 - 1e-17L)), above = round15(lnFact * (1 + 1e-17L));
    EXPECT_TRUE(uc_LnFactorial[n] == below || uc_LnFactorial[n] == above) << n;
  }
  EXPECT_EQ(uc_LnFactorial[598], 3229.48314412605);  // ln 598! = 3229.4831441260450003...

  // The limits that do not exist as doubles must really be extended.
  EXPECT_GT(uc_MaxExtended, static_cast<Extended>(std::numeric_limits<double>::max()));
  EXPECT_GT(uc_MinExtended, 0.0L);
  EXPECT_EQ(uc_MinExtended / 2, 0.0L);  // nothing smaller exists
  EXPECT_EQ(uc_MaxDouble, 1.7e308L);
  EXPECT_NE(uc_MaxDouble, static_cast<Extended>(1.7e308));  // not the rounded double
  EXPECT_EQ(uc_lnMinDouble, -744.4281322176367L);
  EXPECT_NEAR(uc_sqrt2 * uc_sqrt2, 2.0L, 1e-18L);
  EXPECT_NEAR(uc_sqrt2pi * uc_sqrt2pitom1, 1.0L, 1e-18L);
  EXPECT_NEAR(uc_e * uc_etom1, 1.0L, 1e-18L);
  EXPECT_NEAR(uc_lg2 + uc_lg5, 1.0L, 1e-18L);
  EXPECT_NEAR(uc_PiH * 2 * uc_Pitom1, 1.0L, 1e-18L);
  EXPECT_NEAR(uc_GoldenR * uc_GoldenR, uc_GoldenR + 1, 1e-18L);
  EXPECT_NEAR(std::exp(uc_ln10), 10.0L, 1e-17L);
}

TEST(Exceptions, UnitClassesDeriveFromTheRoot) {
  try {
    throw ESDLMatrixError("Component \"M\": not enough memory on heap");
  } catch (const ESDLError& e) {
    EXPECT_STREQ(e.what(), "Component \"M\": not enough memory on heap");
  }
  ESDLMathExp ex("bad", 17);
  EXPECT_EQ(ex.HelpContext, 17);
  TComponent c(nullptr);
  c.SetName("Matrix1");
  EXPECT_EQ(ComponentErrorMessage(&c, "not enough memory on heap"),
            "Component \"Matrix1\": not enough memory on heap");
}

TEST(Records, RectangleCornersOverlayItsSides) {
  TRectDouble r(1, 2, 3, 4);
  EXPECT_EQ(r.TopLeft.X, 1);
  EXPECT_EQ(r.TopLeft.Y, 2);
  EXPECT_EQ(r.BottomRight.X, 3);
  EXPECT_EQ(r.BottomRight.Y, 4);
  r.BottomRight.Y = 9;
  EXPECT_EQ(r.Bottom, 9);
}
