#pragma once
// The FTP exchange that fetches the day's solar flux list: anonymous login to the configured
// host (NetConfig().FtpHost, KESTAL_FTP_HOST), folder /pub/lists/radio, passive mode, file
// rad.txt into the local list file.

#include "FTPClient.h"

inline constexpr const char* kSunFluxListFile = "SunFlowNoaa.txt";
inline constexpr const char* kSunFluxFolder = "/pub/lists/radio";
inline constexpr const char* kSunFluxRemoteFile = "rad.txt";
// The mail-address-shaped password of an anonymous login, a blank before and after.
inline constexpr const char* kAnonymousPassword = " obs@kestal.org ";

// "host/pub/lists/radio/rad.txt", as the window names the list's source.
String SunFluxListAddress();

// The list is some 2 KB; a reply is held in memory only up to this size.
inline constexpr Int64 kSunFluxMaxBytes = 1024 * 1024;

// Fetches the list. Returns "" when a whole list arrived and replaced the local file;
// otherwise what went wrong, and the local file is as it was, byte for byte. The reply must
// read as a list (CheckReceivedSunFluxList) before it takes the local file's name. Every
// failure (no connection, timeout, a server too slow, refusal, missing file, broken transfer,
// a reply too large or no list, local file) is reported here, never thrown, and the
// connection is always closed.
String DownloadSunFluxList(TFTPClient& Client, const String& LocalFile = kSunFluxListFile);
