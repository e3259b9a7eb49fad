#pragma once
// The start-up check "is the network there?".

#include "System.h"

// Opens a TCP connection to URL's host and port and closes it again: no TLS handshake, no
// request, nothing sent. True when the connection came up within TimeoutMs; false otherwise,
// never an exception, never longer than the timeout plus a little, name lookup included. The
// timeout is capped at 5 s (zero or less means 5 s) so that start-up cannot stall.
//
// URL is "http://" or "https://" (either case) followed by a host name, an IPv4 address or an
// IPv6 address in brackets, and optionally ":port" (1 to 65535; else 80 for http, 443 for
// https); a path, query or fragment after it is ignored. Any other scheme, an empty or
// malformed host or port, and user information ("user@host") give false without a lookup.
bool InternetCheckConnection(const String& URL, int TimeoutMs = 5000);

// The same for the configured probe address and timeout.
bool InternetCheckConnection();
