#include "CatalogueUpdate.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <system_error>
#include <unistd.h>

#include "Classes.h"
#include "DOV_datatable.h"
#include "DOV_matrix.h"
#include "Dialogs.h"
#include "HTTPClient.h"
#include "NetConfig.h"
#include "StdCtrls.h"
#include "SysUtils.h"
#include "TextFile.h"
#include "Unit1Catalogue.h"
#include "Unit1Config.h"

namespace CatalogueUpdate {

namespace {

constexpr const char* Accept = "text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8";
constexpr const char* UserAgent = "Mozilla/3.0 (compatible; Indy Library)";
constexpr const char* QueryText =
    "&Name=Name&RaJD=RaJD&DecJD=DecJD&P0=P0&DM=DM&W50=W50&S400=S400&S1400=S1400&Dist=Dist"
    "&Age=Age&startUserDefined=true&c1_val=&c2_val=&c3_val=&c4_val=&sort_attr=jname"
    "&sort_order=asc&condition=&pulsar_names=&ephemeris=short&coords_unit=raj%2Fdecj&radius="
    "&coords_1=&coords_2=&style=Short+csv+without+errors&no_value=-999.99&fsize=3&x_axis="
    "&x_scale=linear&y_axis=&y_scale=linear&state=query&table_bottom.x=87&table_bottom.y=35";

std::vector<String> ReadLines(const String& FileName, bool& Opened, String& Why) {
  String bytes;
  Opened = ReadUserFile(FileName, bytes, Why);
  return SplitTextLines(bytes);
}

bool WriteLines(const String& FileName, const std::vector<String>& Lines) {
  String bytes;
  for (const String& l : Lines) bytes += l + "\n";
  return WriteFileReplacing(FileName, bytes);
}

// Replies are held in memory only up to a size no genuine one comes near (the catalogue of
// 5000 pulsars is under 1 MB): a server cannot make the program swallow any amount.
constexpr Int64 MaxPageBytes = 4 * 1024 * 1024;
constexpr Int64 MaxCatalogueBytes = 32 * 1024 * 1024;

// The reply, whole: a byte 26 ends a text for every reader of the program, so a reply that
// holds one would be read only up to there (a catalogue cut short, a page without its version).
String Fetch(THTTPClient& Client, const String& URL, Int64 Cap) {
  Client.MaxBytes = Cap;
  String reply = Client.Get(URL);
  const size_t end = ReadableTextLength(reply);
  if (end < reply.size()) {
    const auto line =
        std::count(reply.begin(), reply.begin() + static_cast<std::ptrdiff_t>(end), '\n') + 1;
    throw Exception("the reply of the ATNF site cannot be read whole: its line " +
                    IntToStr(static_cast<Int64>(line)) +
                    " holds a byte 26, which ends a text file");
  }
  return reply;
}

// A failure's message with the addresses it quotes cut to their host and path: the query of
// the catalogue request is hundreds of characters long and tells the user nothing.
String WithoutQueries(String Message) {
  for (size_t at = Message.find("://"); at != String::npos; at = Message.find("://", at + 3)) {
    const size_t end = std::min(Message.find_first_of(" \t\r\n\"'<>", at), Message.size());
    const size_t query = Message.find_first_of("?#", at);
    if (query < end) Message.erase(query, end - query);
  }
  return Message;
}

void DeleteTransferFiles() {
  for (const char* f :
       {RawReplyFile, ReplyFromHeaderFile, UnusedTransferFile, NewCatalogueFile, VersionPageFile})
    DeleteFile(f);
}

// A failure of the download that the user is told about; the catalogue stays as it was.
struct TDownloadFailure {
  String Reason;
};

void Download(THTTPClient& Client, const String& Version, const String& OldVersion) {
  const String reply =
      Fetch(Client, NetConfig().CatalogueURL + QueryPath(Version), MaxCatalogueBytes);
  const String problem = InstallReply(reply, Version, OldVersion);
  if (!problem.empty()) throw TDownloadFailure{problem};
}

void Idle(TButton& Button) {
  Button.SetCaption(Texts::Idle);
  Button.SetEnabled(true);
}

void Busy(TButton& Button, const char* Caption) {
  Button.SetEnabled(false);
  Button.SetCaption(Caption);
}

// Downloads and installs; false when it failed (the user has been told why).
bool DownloadAndInstall(THTTPClient& Client, TButton& Button, const String& Version,
                        const String& OldVersion) {
  DeleteFile(RawReplyFile);
  DeleteFile(UnusedTransferFile);
  Busy(Button, Texts::Downloading);
  bool done = false;
  try {
    Download(Client, Version, OldVersion);
    done = true;
  } catch (const TDownloadFailure& f) {
    ShowMessage(Texts::ErrorPrefix + f.Reason);
  } catch (const Exception& e) {
    ShowMessage(Texts::ErrorPrefix + WithoutQueries(e.Message));
  } catch (const std::exception& e) {
    ShowMessage(Texts::ErrorPrefix + WithoutQueries(e.what()));
  }
  DeleteTransferFiles();
  Idle(Button);
  return done;
}

}  // namespace

String AnnouncedVersion(const std::vector<String>& PageLines) {
  const String wanted = UpperCase("Catalogue Version");
  const String* last = nullptr;
  for (const String& line : PageLines)
    if (UpperCase(line).find(wanted) != String::npos) last = &line;
  return last ? VersionRunOf(*last) : String();
}

String QueryPath(const String& Version) {
  return String(StartPagePath) + "proc_form.php?version=" + Version + QueryText;
}

namespace {

// What is wrong with a line of the reply's table, from its bytes as they came (up to its line
// feed): a control byte (a carriage return only as its line end), or a field longer than any
// the catalogue holds. Empty when nothing is.
String LineFault(std::string_view RawLine) {
  if (!RawLine.empty() && RawLine.back() == '\r') RawLine.remove_suffix(1);
  size_t field = 0;
  for (const char ch : RawLine) {
    const auto byte = static_cast<unsigned char>(ch);
    if (byte < ' ' || byte == 0x7F)
      return "holds a control character (byte " + IntToStr(static_cast<Int64>(byte)) + ")";
    field = ch == ';' ? 0 : field + 1;
    if (field > MaxReplyFieldLength)
      return "has a field longer than any the catalogue holds (more than " +
             IntToStr(static_cast<Int64>(MaxReplyFieldLength)) + " characters)";
  }
  return String();
}

// The running number of a row (CouldBePulsarRow): the text before its first ";" without the
// blanks around it.
std::string_view RunningNumber(std::string_view Row) {
  std::string_view number = Row.substr(0, Row.find(';'));
  const size_t first = number.find_first_not_of(' ');
  if (first == std::string_view::npos) return std::string_view();
  number.remove_prefix(first);
  return number.substr(0, number.find_last_not_of(' ') + 1);
}

}  // namespace

TReplyTable TableOfReply(const String& Reply) {
  TReplyTable table;
  TTextLines walk(std::string_view(Reply.data(), ReadableTextLength(Reply)));
  bool header = false;
  while (!header && walk.Next()) header = walk.Line() == HeaderLine;
  if (!header) {
    table.Problem = "the reply of the ATNF site holds no catalogue";
    return table;
  }
  const std::string_view headerLine = HeaderLine;
  const auto fields = std::count(headerLine.begin(), headerLine.end(), ';');
  std::vector<String> lines{String(HeaderLine)};
  int rows = 0;
  String firstFault;  // the first line that cannot be taken, with what is wrong with it
  bool faultIsShortRow = false;  // that line has fewer fields: a mark of a reply cut short
  bool unitsMissing = false;
  bool lastRowEnded = true;
  bool closed = false;
  if (walk.Next()) {
    // The units line. A pulsar row in its place means the reply lacks it.
    unitsMissing = CouldBePulsarRow(walk.Line());
    if (const String fault = LineFault(walk.RawLine()); !fault.empty())
      firstFault = "its units line " + fault;
    lines.emplace_back(walk.Line());
    while (walk.Next()) {
      const std::string_view line = walk.Line();
      if (!CouldBePulsarRow(line)) {
        // What follows the table. A row cut inside its running number is no row either, but
        // it is the reply's last line and has no line end.
        const size_t textStart = line.find_first_not_of(" \t");
        closed =
            walk.HasLineEnd() || (textStart != std::string_view::npos && line[textStart] == '<');
        break;
      }
      ++rows;
      lastRowEnded = walk.HasLineEnd();
      if (rows > MaxPulsarLines) continue;  // only counted
      lines.emplace_back(line);
      if (!firstFault.empty()) continue;
      const String row = "its pulsar line " + IntToStr(rows);
      const std::string_view number = RunningNumber(line);
      if (const String fault = LineFault(walk.RawLine()); !fault.empty())
        firstFault = row + " " + fault;
      else if (number != std::to_string(rows))
        firstFault = row + " is numbered " + String(number) + ", not " + IntToStr(rows);
      else if (std::count(line.begin(), line.end(), ';') < fields) {
        firstFault = row + " has fewer fields than the header";
        faultIsShortRow = true;
      }
    }
  }
  const String cut = "the reply of the ATNF site is cut short: ";
  if (rows > MaxPulsarLines)
    table.Problem = "the downloaded catalogue has " + IntToStr(rows) +
                    " pulsar lines, of which the program reads only " + IntToStr(MaxPulsarLines);
  else if (!closed && !lastRowEnded)
    table.Problem = cut + "its pulsar line " + IntToStr(rows) + " has no line end";
  else if (!closed)
    table.Problem = cut + "its catalogue table stops after " +
                    (rows == 0 ? String("the header") : "pulsar line " + IntToStr(rows)) +
                    " without the end the ATNF site gives it";
  else if (unitsMissing)
    table.Problem = "the reply of the ATNF site lacks the units line after the header: "
                    "pulsar line 1 stands in its place";
  else if (faultIsShortRow)
    table.Problem = cut + firstFault;
  else if (!firstFault.empty())
    table.Problem = "the reply of the ATNF site cannot be taken: " + firstFault;
  if (table.Problem.empty()) table.Lines = std::move(lines);
  return table;
}

String InstallReply(const String& Reply, const String& Version, const String& OldVersion) {
  TReplyTable table = TableOfReply(Reply);
  if (!table.Problem.empty()) return table.Problem;
  if (!WriteFileReplacing(RawReplyFile, Reply)) return String("cannot write ") + RawReplyFile;
  if (!WriteLines(ReplyFromHeaderFile, table.Lines))
    return String("cannot write ") + ReplyFromHeaderFile;
  table.Lines.insert(table.Lines.begin(), VersionLinePrefix + Version);
  if (!WriteLines(NewCatalogueFile, table.Lines)) return String("cannot write ") + NewCatalogueFile;
  const String problem = CatalogueProblem(NewCatalogueFile, Version);
  if (!problem.empty()) return "the downloaded catalogue " + problem;
  return Install(NewCatalogueFile, OldVersion);
}

String CatalogueProblem(const String& FileName, const String& Version) {
  String bytes;
  String why;
  if (!ReadUserFile(FileName, bytes, why))
    return "cannot be read" + (why.empty() ? "" : ": " + why);
  TTextLines first(bytes);
  if (!first.Next() || first.Line() != VersionLinePrefix + Version ||
      CatalogueVersionOf(String(first.Line())) != Version)
    return "lacks the line \"" + String(VersionLinePrefix) + Version + "\"";

  // What the next start will make of it: the same reading and the same band tables.
  TDataTable table(nullptr);
  table.Resize(11, MaxPulsars);
  TMatrix m400(nullptr), m1400(nullptr);
  m400.Resize(11, MaxPulsars);
  m1400.Resize(11, MaxPulsars);
  const TCatalogueReading reading = ReadCatalogue(bytes, table, m400, m1400);
  if (reading.ByteTwentySixLine != 0)
    return "cannot be read whole: its line " + IntToStr(reading.ByteTwentySixLine) +
           " holds a byte 26";
  if (!reading.HeaderValid) return "lacks the header line";
  if (reading.TooWideLine != 0)
    return "has more fields than the header in line " + IntToStr(reading.TooWideLine);
  const TBandTableResult& bands = reading.Bands;
  if (bands.RowsRead != bands.PulsarLines)
    return "has " + IntToStr(bands.PulsarLines) +
           " pulsar lines, of which the program reads only " + IntToStr(bands.RowsRead);
  if (bands.Count400 + bands.Count1400 == 0) return "holds no pulsar the program can use";
  return String();
}

String Install(const String& NewFile, const String& OldVersion) {
  if (!FileExists(CatalogueFileName)) {
    if (RenameFile(NewFile, CatalogueFileName)) return String();
    return String("cannot rename ") + NewFile + " to " + CatalogueFileName;
  }
  // The backup is a second name of the old file, so ATNF.csv never goes missing. link()
  // refuses an existing name, which keeps an earlier backup as it was; the next name is then
  // tried, so that a catalogue whose version cannot be read, or one whose backup exists
  // already, can still be replaced.
  String backup;
  const std::vector<String> names = BackupNames(OldVersion, Now());
  for (const String& name : names) {
    if (link(CatalogueFileName, name.c_str()) == 0) {
      backup = name;
      break;
    }
    if (errno == EEXIST) continue;
    // A file system without hard links: a copy does as well.
    if (!FileExists(name) && CopyFileBytes(CatalogueFileName, name, true)) {
      backup = name;
      break;
    }
    return "cannot keep the old catalogue as " + name;
  }
  if (backup.empty())
    return names.back() +
           " and the other backup names exist already; the catalogue was not "
           "replaced";
  if (std::rename(NewFile.c_str(), CatalogueFileName) != 0) {
    const String reason = std::system_category().message(errno);
    DeleteFile(backup);
    return String("cannot install the new catalogue: ") + reason;
  }
  return String();
}

std::vector<String> BackupNames(const String& OldVersion, TDateTime When) {
  std::vector<String> names;
  if (!OldVersion.empty()) names.push_back("ATNF" + OldVersion + ".csv");
  const String dated = "ATNF" + OldVersion + "_" + FormatDateTime("yyyymmdd-hhnnss", When);
  names.push_back(dated + ".csv");
  for (int n = 2; n <= MaxDatedBackups; ++n) names.push_back(dated + "-" + IntToStr(n) + ".csv");
  return names;
}

bool CheckAndUpdate(THTTPClient& Client, TButton& Button, const String& LocalVersion) {
  Client.Request.Accept = Accept;
  Client.Request.UserAgent = UserAgent;

  DeleteFile(VersionPageFile);
  Busy(Button, Texts::Checking);
  try {
    const String page = Fetch(Client, NetConfig().CatalogueURL + StartPagePath, MaxPageBytes);
    if (!WriteLines(VersionPageFile, SplitTextLines(page)))
      ShowMessage(String(Texts::ErrorPrefix) + "cannot write " + VersionPageFile);
  } catch (const Exception& e) {
    ShowMessage(Texts::ErrorPrefix + e.Message);
  } catch (const std::exception& e) {
    ShowMessage(Texts::ErrorPrefix + String(e.what()));
  }

  Button.SetCaption(Texts::Comparing);
  bool opened = false;
  String why;
  const std::vector<String> page = ReadLines(VersionPageFile, opened, why);
  if (!opened) {
    ShowMessage(why.empty() ? String(Texts::NoPageFile) : Texts::ErrorPrefix + why);
    Idle(Button);
    return false;
  }
  const String announced = AnnouncedVersion(page);
  if (announced.empty()) {
    ShowMessage(String(Texts::ErrorPrefix) + Texts::NoVersionAnnounced);
    Idle(Button);
    return false;
  }
  if (announced == LocalVersion) {
    ShowMessage(Texts::Latest);
    Idle(Button);
    return false;
  }

  ShowMessage(Texts::NewOne);
  if (MessageBox(Texts::AskDownload, Texts::AskDownloadTitle, MB_YESNO | MB_DEFBUTTON2) == IDYES) {
    // After a failed download there is nothing new to restart for.
    if (!DownloadAndInstall(Client, Button, announced, LocalVersion)) return false;
  } else {
    Idle(Button);
  }
  return MessageBox(Texts::AskRestart, Texts::AskRestartTitle, MB_YESNO | MB_DEFBUTTON2) == IDYES;
}

}  // namespace CatalogueUpdate
