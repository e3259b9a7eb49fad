#pragma once
// Where the program's network services live, and how long a request may take.
//
// Every host is configuration so that a test (or a user behind a mirror) can point the
// program elsewhere. The defaults are in code; each can be overridden by an environment
// variable read the first time NetConfig() is called:
//   KESTAL_CATALOGUE_URL  base URL of the pulsar catalogue service  (scheme://host[:port])
//   KESTAL_VERSION_URL    base URL of the program's own web site    (scheme://host[:port])
//   KESTAL_FTP_HOST       host of the solar flux list, host or host:port ([v6]:port)
//   KESTAL_PROBE_URL      URL the start-up connection check tries
//   KESTAL_CA_FILE        extra CA certificates (PEM) trusted besides the system's store

#include "System.h"

struct TNetConfig {
  String CatalogueURL = "https://www.atnf.csiro.au";
  // The program's own site has no public address yet; ".invalid" never resolves, so the
  // update check fails cleanly instead of reaching a stranger's host.
  String VersionURL = "http://kestal.invalid";
  String FtpHost = "ftp.swpc.noaa.gov";
  int FtpPort = 21;
  // The probe asks "can we reach the services we need?", so by default it tries the
  // catalogue service itself.
  String ProbeURL = "https://www.atnf.csiro.au/";
  String CAFile;  // empty: the system's store only

  int ConnectTimeoutMs = 15000;  // connection, TLS handshake, FTP greeting and login
  // A request is abandoned when less than MinimumRate bytes a second arrive for ReadTimeoutMs
  // (silence included), and when it has not finished after TransferTimeoutMs, however fast.
  int ReadTimeoutMs = 60000;
  int MinimumRate = 1024;
  int TransferTimeoutMs = 120000;
  int ProbeTimeoutMs = 5000;
};

// The defaults overridden by the environment variables above; trailing "/" of the base URLs
// removed so that callers append absolute paths.
TNetConfig NetConfigFromEnvironment();

// The process's configuration, read from the environment on first use. Writable, so that a
// test or the program can change it before the components that read it are created.
TNetConfig& NetConfig();

// Splits "host", "host:port" or "[v6]:port"; Port keeps its value when no port is given.
// Raises EConvertError for a port that is not a number from 1 to 65535.
void SplitHostPort(const String& Text, String& Host, int& Port);
