#pragma once
// The start-up check "is the network there?".

#include "System.h"

// Tries to connect to URL's host (for https with the TLS handshake, certificates checked as
// the clients check them) within TimeoutMs, then hangs up. Sends no request. True when the
// connection came up; false on any failure, never an exception, never longer than the
// timeout plus a little. The timeout is capped at 5 s so that start-up cannot stall.
bool InternetCheckConnection(const String& URL, int TimeoutMs = 5000);

// The same for the configured probe address and timeout.
bool InternetCheckConnection();
