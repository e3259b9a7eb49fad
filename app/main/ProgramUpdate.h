#pragma once
// Is this build the latest? The program's web site publishes the current version text on its
// version page; the check fetches that page into Release.txt and looks for the text.
// Also opening the user manual.

#include "System.h"

class THTTPClient;

namespace ProgramUpdate {

inline constexpr const char* ReleaseFile = "Release.txt";
inline constexpr const char* ThisVersion = "VERSION=9.3.3";
inline constexpr const char* VersionPagePath = "/index.php/12-kestal-version";
inline constexpr const char* DownloadsPath = "/index.php/downloads";
inline constexpr const char* ManualFile = "KestalManual.pdf";
// The version page is held in memory only up to this size, which no genuine page comes near:
// a larger reply stops the request with a message, and Release.txt is not written.
inline constexpr Int64 MaxPageBytes = 4 * 1024 * 1024;

// Where the page's version text is looked for: the first "V" from this byte on, before
// ScanLimit, with "9" eight bytes later and the whole 13-byte text inside the page.
inline constexpr std::size_t ScanStart = 3500;
inline constexpr std::size_t ScanLimit = 100000;
inline constexpr std::size_t VersionTextLength = 13;
inline constexpr std::size_t NinePosition = 8;

// Offset of the page's version text, or String::npos when the page has none where it is
// looked for. Never looks past the page's end.
std::size_t FindVersionText(const String& Page);
// The 13 bytes at Offset with blanks and control characters removed at both ends.
String VersionTextAt(const String& Page, std::size_t Offset);

namespace Texts {
inline constexpr const char* Latest = "You have the latest version of Kestal ";
inline constexpr const char* Newer =
    "There is a newer version of Kestal \n Please download at : \n ";
inline constexpr const char* SecondRequestFailed =
    "Error in connectiong to Kestal web site. Please try later.";
inline constexpr const char* NoVersionText =
    "The Kestal web site did not say which version is the latest. Please try later.";
inline constexpr const char* CannotOpen = "Error in file opening";
// Followed by the manual's full path.
inline constexpr const char* ManualMissing =
    "The user manual could not be opened: it is missing. It belongs at ";
inline constexpr const char* ManualNoViewer =
    "The user manual could not be opened: no program to show PDF documents could be started. "
    "Open it with a PDF viewer: ";
}  // namespace Texts

// The whole check behind "Check for updates": fetches the version page twice through Client
// (a failure of the first request reaches the caller, a reply larger than MaxPageBytes among
// them; a failure of the second is told and the first reply is used), keeps the reply in
// Release.txt while it is read and tells the user what it found, also when the page holds no
// version text. Release.txt is gone afterwards, whatever the outcome.
void CheckForUpdate(THTTPClient& Client);

// Opens KestalManual.pdf of the working folder with the desktop's viewer; when that cannot be
// done, says so and where the manual is (or belongs). Returns at once: when the desktop gives
// its verdict only later, the window goes on meanwhile and the message comes then.
void OpenManual();
// True while the desktop's verdict on a manual handed over by OpenManual is still awaited.
bool ManualVerdictPending();

}  // namespace ProgramUpdate
