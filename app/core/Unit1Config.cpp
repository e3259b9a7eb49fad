#include "Unit1Config.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <functional>
#include <locale>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "InputNumbers.h"
#include "SysUtils.h"
#include "TextFile.h"

namespace {

bool ReadFileLines(const String& FileName, std::vector<String>& Lines) {
  String bytes;
  if (!ReadUserFile(FileName, bytes)) return false;
  Lines = SplitTextLines(bytes);
  return true;
}

// Line n (1-based) of the file, empty past its end.
String LineAt(const std::vector<String>& Lines, size_t n) {
  return n >= 1 && n <= Lines.size() ? Lines[n - 1] : String();
}

double PositionNumber(const String& FileName, const std::vector<String>& Lines, size_t n) {
  return NumberFromText(LineAt(Lines, n), FileName + ", line " + std::to_string(n));
}

}  // namespace

bool ReadUserFileBlocks(const String& FileName,
                        const std::function<bool(std::string_view)>& Consume) {
  const int fd = ::open(FileName.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    if (errno == ENOENT) return false;
    throw EInOutError("Cannot read " + FileName + ": " + std::strerror(errno));
  }
  struct Closer {
    int fd;
    ~Closer() { ::close(fd); }
  } closer{fd};
  const auto tooLarge = [&FileName] {
    return EInOutError("Cannot read " + FileName +
                       ": it is larger than any file the program reads (more than " +
                       IntToStr(MaxReadFileBytes >> 20) + " MB)");
  };
  struct stat st;
  if (::fstat(fd, &st) == 0) {
    if (S_ISDIR(st.st_mode))
      throw EInOutError("Cannot read " + FileName + ": it is a folder, not a file");
    // Refused before a byte is read; a file that grows, or no plain file, is held to the same
    // bound as it is read.
    if (S_ISREG(st.st_mode) && st.st_size > MaxReadFileBytes) throw tooLarge();
  }
  std::vector<char> block(1 << 16);
  Int64 total = 0;
  Int64 line = 1;
  size_t lineLength = 0;  // bytes of the current line so far
  for (;;) {
    const ssize_t n = ::read(fd, block.data(), block.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) throw EInOutError("Cannot read " + FileName + ": " + std::strerror(errno));
    if (n == 0) break;
    total += n;
    if (total > MaxReadFileBytes) throw tooLarge();
    const std::string_view bytes(block.data(), static_cast<size_t>(n));
    for (size_t at = 0; at < bytes.size();) {
      const size_t lf = bytes.find('\n', at);
      const size_t end = lf == std::string_view::npos ? bytes.size() : lf;
      lineLength += end - at;
      if (lineLength > MaxReadLineBytes)
        throw EInOutError("Cannot read " + FileName + ", line " + IntToStr(line) +
                          ": it is longer than any line the program reads (more than " +
                          IntToStr(static_cast<Int64>(MaxReadLineBytes >> 20)) + " MB)");
      if (lf == std::string_view::npos) break;
      ++line;
      lineLength = 0;
      at = lf + 1;
    }
    if (!Consume(bytes)) break;
  }
  return true;
}

bool ReadUserFile(const String& FileName, String& Bytes) {
  String bytes;
  if (!ReadUserFileBlocks(FileName, [&bytes](std::string_view Block) {
        bytes.append(Block);
        return true;
      }))
    return false;
  Bytes = std::move(bytes);
  return true;
}

bool ReadUserFile(const String& FileName, String& Bytes, String& Why) {
  Why.clear();
  try {
    return ReadUserFile(FileName, Bytes);
  } catch (const EInOutError& e) {
    Why = e.Message;
    return false;
  }
}

TConfigReadResult ReadConfigFile(const String& FileName, TKestalConfig& Config) {
  std::vector<String> lines;
  if (!ReadFileLines(FileName, lines)) return TConfigReadResult::Missing;
  if (LineAt(lines, 1) != ConfigHeader) return TConfigReadResult::WrongHeader;

  TKestalConfig c;
  TLocationRecord& at = c.Location;
  at.Name = LineAt(lines, 2);
  at.Latitude = PositionNumber(FileName, lines, 3);
  at.Longitude = PositionNumber(FileName, lines, 4);
  at.LatitudeDeg = PositionNumber(FileName, lines, 5);
  at.LatitudeMin = PositionNumber(FileName, lines, 6);
  at.LatitudeSec = PositionNumber(FileName, lines, 7);
  at.NorthSouth = LineAt(lines, 8);
  at.LongitudeDeg = PositionNumber(FileName, lines, 9);
  at.LongitudeMin = PositionNumber(FileName, lines, 10);
  at.LongitudeSec = PositionNumber(FileName, lines, 11);
  at.EastWest = LineAt(lines, 12);
  at.Locator = LineAt(lines, 13);
  c.ModeCode = LineAt(lines, 14);
  for (size_t i = 0; i < cfFieldCount; ++i) c.Fields[i] = LineAt(lines, 15 + i);
  // Line 29 came later than the rest: older files go straight to the locations heading.
  // A file that simply ends there means the same.
  if (lines.size() < 29 || lines[28] == LocationsHeading)
    c.ReceiverBandwidth = "3000";
  else
    c.ReceiverBandwidth = lines[28];
  Config = std::move(c);
  return TConfigReadResult::Read;
}

TReceiverInputs ReceiverInputsOf(const std::array<double, cfFieldCount>& Values, bool DishAntenna) {
  TReceiverInputs in;
  in.DishAntenna = DishAntenna;
  if (DishAntenna) {
    in.DishDiameter = Values[cfFirstInput];
    in.DishEfficiency = Values[cfEfficiency] / 100;
    in.SensitivityKs = Values[cfKs];
  } else {
    in.AntennaGain = Values[cfFirstInput];
    in.SensitivityKs = 1;
  }
  in.Frequency = Values[cfFrequency];
  in.LnaNoiseFigure = Values[cfLnaNoiseFigure];
  in.LnaGain = Values[cfLnaGain];
  in.LossBeforeLna = Values[cfLossBeforeLna];
  in.LossAfterLna = Values[cfLossAfterLna];
  in.ReceiverNoiseFigure = Values[cfReceiverNoiseFigure];
  in.IntegrationTime = Values[cfIntegrationTime];
  in.IntegrationBandwidth = Values[cfIntegrationBandwidth];
  in.SkyTemperature = Values[cfSkyTemperature];
  in.SpilloverTemperature = Values[cfSpilloverTemperature];
  in.AtmosphereTemperature = Values[cfAtmosphereTemperature];
  return in;
}

String ModeCodeOf(bool DishAntenna, bool PulsarMode) {
  return String(DishAntenna ? "D" : "O") + (PulsarMode ? "P" : "E");
}

bool ModeCodeIsDish(const String& Code) { return Code == "D" || Code == "DP" || Code == "DE"; }

bool ModeCodeIsPulsarMode(const String& Code) {
  return Code == "D" || Code == "DP" || Code == "O" || Code == "OP";
}

String ConfigNumberText(double Value) {
  // "inf" or "nan" in the file would stop the next start.
  if (!std::isfinite(Value))
    throw EConvertError("A value that is not a finite number cannot be saved");
  std::ostringstream os;
  os.imbue(std::locale::classic());
  os << Value;
  return os.str();
}

std::vector<String> ReadSavedLocationLines(const String& FileName) {
  std::vector<String> lines;
  if (!ReadFileLines(FileName, lines)) return {};
  for (size_t i = 0; i < lines.size(); ++i)
    if (lines[i] == LocationsHeading)
      return std::vector<String>(lines.begin() + static_cast<std::ptrdiff_t>(i) + 1, lines.end());
  return {};
}

String ComposeConfigText(const TKestalConfig& Config,
                         const std::array<double, cfFieldCount>& Numbers,
                         double ReceiverBandwidthHz, const std::vector<String>& Locations) {
  String out;
  auto line = [&out](const String& s) {
    out += s;
    out += '\n';
  };
  auto number = [&line](double v) { line(ConfigNumberText(v)); };
  const TLocationRecord& at = Config.Location;
  line(ConfigHeader);
  line(at.Name);
  number(at.Latitude);
  number(at.Longitude);
  number(at.LatitudeDeg);
  number(at.LatitudeMin);
  number(at.LatitudeSec);
  line(at.NorthSouth);
  number(at.LongitudeDeg);
  number(at.LongitudeMin);
  number(at.LongitudeSec);
  line(at.EastWest);
  line(at.Locator);
  line(Config.ModeCode);
  for (size_t i = 0; i < cfFieldCount; ++i) number(i == cfAtmosphereTemperature ? 0.0 : Numbers[i]);
  number(ReceiverBandwidthHz);
  line(LocationsHeading);
  for (const String& s : Locations) line(s);
  return out;
}
