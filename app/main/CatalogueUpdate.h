#pragma once
// Checking the pulsar catalogue against the catalogue service and installing a newer one.
//
// The user's catalogue is never put at risk: a reply must be readable whole (no byte 26, which
// ends a text) and within its size cap, its table must end as the service ends it and hold
// no more rows than the program reads, it is converted into a file beside the catalogue,
// that file must pass the same import and band-table build the next start runs, the old
// catalogue is kept under a backup name no earlier file has, and only then does the new file take
// the name ATNF.csv, in one rename. Every failure is told to the user and leaves ATNF.csv as
// it was.

#include <vector>

#include "SysUtils.h"
#include "System.h"
#include "Unit1Catalogue.h"

class TButton;
class THTTPClient;

namespace CatalogueUpdate {

// Files in the working folder.
inline constexpr const char* VersionPageFile = "VersionPage.txt";
inline constexpr const char* RawReplyFile = "ATNFNew.txt";
inline constexpr const char* ReplyFromHeaderFile = "ATNFNewC.txt";
inline constexpr const char* UnusedTransferFile = "ATNFNew.csv";
inline constexpr const char* NewCatalogueFile = "ATNFNewC.csv";

inline constexpr const char* HeaderLine = CatalogueHeader;
inline constexpr const char* VersionLinePrefix = "Catalogue Version: ";
inline constexpr const char* StartPagePath = "/research/pulsar/psrcat/";

// The version the service's start page announces: the version run (VersionRunOf) of the last
// line that contains "Catalogue Version" in any case; empty when no line does.
String AnnouncedVersion(const std::vector<String>& PageLines);

// Path and query of the catalogue request for Version.
String QueryPath(const String& Version);

// The catalogue table of a reply, found without splitting or copying the reply: the header
// line, the units line after it and the pulsar rows that follow up to the first line that is
// none. The service closes the table (a blank line, the page's closing tags), so a table that
// stops without that end, a last row without its line end and a row with fewer fields than
// the header are the marks of a reply cut short, and are refused. So is a table of more
// pulsar rows than the program reads: the rows are counted before anything is copied. The
// service numbers its rows 1, 2, 3, ... and writes no control byte and no field longer than
// MaxReplyFieldLength: a table whose line after the header is a pulsar row (no units line),
// or with a row numbered otherwise (a gap, a repeat, rows swapped), or with such a byte or
// field in a line, is refused, naming the first such line.
inline constexpr size_t MaxReplyFieldLength = 64;
struct TReplyTable {
  std::vector<String> Lines;  // header, units line, rows; empty when refused
  String Problem;             // why the reply cannot be installed; empty when it can
};
TReplyTable TableOfReply(const String& Reply);

// The download's work on the reply of the catalogue query for Version: its table
// (TableOfReply), written into the transfer files with the version line in front, checked as
// the next start will read it (CatalogueProblem), then installed (Install). Empty on
// success, otherwise why ATNF.csv was left as it was. The transfer files are the caller's to
// delete.
String InstallReply(const String& Reply, const String& Version, const String& OldVersion);

// Empty when FileName is a catalogue of Version that the program can start with: the
// version line, and what the start-up reading accepts (ReadCatalogue: the header line, no
// line wider than it, no byte 26) giving at least one pulsar in a band table, every pulsar
// line read. Otherwise why it is not.
String CatalogueProblem(const String& FileName, const String& Version);

// Keeps ATNF.csv under the first free name of BackupNames and puts NewFile in its place in
// one rename, so that ATNF.csv exists with whole content at every moment. Without an
// ATNF.csv, NewFile simply takes the name. Empty on success, otherwise why nothing was
// changed.
String Install(const String& NewFile, const String& OldVersion);

// The names the old catalogue may be kept under, in the order tried: ATNF<OldVersion>.csv
// (not when the version is unknown), then ATNF<OldVersion>_yyyymmdd-hhnnss.csv of When, then
// that name with -2, -3, ... up to MaxDatedBackups.
inline constexpr int MaxDatedBackups = 99;
std::vector<String> BackupNames(const String& OldVersion, TDateTime When);

// Texts the check shows.
namespace Texts {
inline constexpr const char* Idle = "Check ATNF Catalogue version";
inline constexpr const char* Checking = "Checking ATNF site";
inline constexpr const char* Comparing = "Comparing versions";
inline constexpr const char* Downloading = "Downloading new ATNF Catalogue";
inline constexpr const char* NoPageFile = "Failed to open file.";
inline constexpr const char* Latest = "You have the latest version of ATNF Catalogue";
inline constexpr const char* NewOne = "There is a new version of ATNF Catalogue";
inline constexpr const char* AskDownload = "Do you want to download the latest ATNF Catalogue ?";
inline constexpr const char* AskDownloadTitle = "Pls confirm";
inline constexpr const char* AskRestart = "Please close Kestal and restart";
inline constexpr const char* AskRestartTitle = "Update ATNF catalogue";
inline constexpr const char* ErrorPrefix = "Error: ";
inline constexpr const char* NoVersionAnnounced = "the ATNF site announces no catalogue version";
}  // namespace Texts

// The whole check behind the button: fetch the start page through Client, compare its
// version with LocalVersion, offer the download, install. Button shows the progress and is
// enabled again on every way out. True when the user asked to close the program so that the
// next start reads the new catalogue.
bool CheckAndUpdate(THTTPClient& Client, TButton& Button, const String& LocalVersion);

}  // namespace CatalogueUpdate
