#pragma once
// The one conversion of the numbers a user types into the main window or keeps in its
// configuration file. The field checks, the configuration reader, CALCULATE and SAVE all read
// through it, so a text that one of them refuses is refused by every one: a text that is no
// finite number of the program's range never reaches a computation or the file.

#include <limits>

#include "System.h"

enum class TNumberCheck {
  Valid,
  NotANumber,  // no number at all ("1,5", "", "3 kHz", "inf", "nan")
  NotFinite,   // written as a number, but too large for the program ("1e400")
  OutOfRange   // a finite number outside the field's range
};

// Closed range, or open at Low (a dish diameter must be more than 0).
struct TNumberRange {
  double Low = std::numeric_limits<double>::lowest();
  double High = std::numeric_limits<double>::max();
  bool LowIncluded = true;
  bool Contains(double Value) const {
    return (LowIncluded ? Value >= Low : Value > Low) && Value <= High;
  }
};

inline constexpr TNumberRange AnyFiniteNumber{};

// What a field that holds no number says: the usual slip is a decimal comma.
inline constexpr const char* UseDecimalPointText = "ERROR: Please use . as decimal separator";
inline constexpr TNumberRange PositiveNumber{0.0, std::numeric_limits<double>::max(), false};

// Text to a finite double within Range: "." as decimal separator whatever the locale, blanks
// around the number allowed, an exponent allowed. Value is set only when the result is Valid.
TNumberCheck CheckNumberText(const String& Text, double& Value,
                             const TNumberRange& Range = AnyFiniteNumber);

// The same, raising EConvertError with a message that names what was read (a field, or a
// file and its line): "Frequency: '1e400' is too large a number".
double NumberFromText(const String& Text, const String& What,
                      const TNumberRange& Range = AnyFiniteNumber);

// A text that is no number yet but still becomes one as more is typed: empty or blanks, a sign
// or a point alone ("-", "+", ".", "-."), a number whose exponent has no digit yet ("2e",
// "2.5e-"). A field being typed waits on such a text; once its value is used, the text is
// refused like any other that is no number.
bool IncompleteNumberText(const String& Text);

// A number typed with a decimal comma: the text with its one comma made a point is a number, or
// still becomes one ("1,5", "-31,", ",5").
bool DecimalCommaText(const String& Text);

// The message of a refused text, as NumberFromText raises it. An incomplete text is named as
// such ("Latitude: '-' is an incomplete number", "Latitude: the number is missing").
String NumberTextMessage(TNumberCheck Check, const String& Text, const String& What,
                         const TNumberRange& Range = AnyFiniteNumber);
