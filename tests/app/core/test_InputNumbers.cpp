// Typed numbers that are not finished yet, and decimal commas: what a field waits on, what it
// refuses, and the message that names the fault.
#include "InputNumbers.h"

#include <gtest/gtest.h>

TEST(TypedNumbers, UnfinishedTextsAndDecimalCommas) {
  struct Case {
    const char* text;
    bool incomplete;    // still becomes a number as more is typed
    bool decimalComma;  // a number (or the start of one) written with a comma
    const char* message;
  };
  const Case cases[] = {
      {"", true, false, "Latitude: the number is missing"},
      {" \t ", true, false, "Latitude: the number is missing"},
      {"-", true, false, "Latitude: '-' is an incomplete number"},
      {"+", true, false, "Latitude: '+' is an incomplete number"},
      {".", true, false, "Latitude: '.' is an incomplete number"},
      {" -.", true, false, "Latitude: ' -.' is an incomplete number"},
      {"2e", true, false, "Latitude: '2e' is an incomplete number"},
      {"-2.5E+", true, false, "Latitude: '-2.5E+' is an incomplete number"},
      // A blank ends a number; an exponent needs digits before it; one sign, one point.
      {"- ", false, false, "Latitude: '- ' is not a number (use . as decimal separator)"},
      {"e5", false, false, "Latitude: 'e5' is not a number (use . as decimal separator)"},
      {".e", false, false, "Latitude: '.e' is not a number (use . as decimal separator)"},
      {"--", false, false, "Latitude: '--' is not a number (use . as decimal separator)"},
      {"1..", false, false, "Latitude: '1..' is not a number (use . as decimal separator)"},
      {"nan", false, false, "Latitude: 'nan' is not a number (use . as decimal separator)"},
      {"1,5", false, true, "Latitude: '1,5' is not a number (use . as decimal separator)"},
      {"-31,", false, true, "Latitude: '-31,' is not a number (use . as decimal separator)"},
      {",", false, true, "Latitude: ',' is not a number (use . as decimal separator)"},
      {"1,5,2", false, false, "Latitude: '1,5,2' is not a number (use . as decimal separator)"},
      {"1.5,", false, false, "Latitude: '1.5,' is not a number (use . as decimal separator)"},
      {"a,b", false, false, "Latitude: 'a,b' is not a number (use . as decimal separator)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    double value = 7;
    ASSERT_EQ(CheckNumberText(c.text, value), TNumberCheck::NotANumber);
    EXPECT_EQ(value, 7);
    EXPECT_EQ(IncompleteNumberText(c.text), c.incomplete);
    EXPECT_EQ(DecimalCommaText(c.text), c.decimalComma);
    EXPECT_EQ(NumberTextMessage(TNumberCheck::NotANumber, c.text, "Latitude"), c.message);
    try {
      NumberFromText(c.text, "Latitude");
      ADD_FAILURE() << "converted";
    } catch (const EConvertError& e) {
      EXPECT_EQ(e.what(), std::string(c.message));
    }
  }
  // Numbers are neither.
  for (const char* number : {"0", "-1.", "+.5", " 2e-3 ", "1e400"}) {
    SCOPED_TRACE(number);
    EXPECT_FALSE(IncompleteNumberText(number));
    EXPECT_FALSE(DecimalCommaText(number));
  }
}
