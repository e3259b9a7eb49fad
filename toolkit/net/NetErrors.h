#pragma once
// Failures of the network clients. Callers that only care that "the network did not work"
// catch ENetError; the windows that tell a dead connection apart from a refusal by the
// server catch ESocketError.

#include "System.h"

// Any failure of a network request.
class ENetError : public Exception {
  using Exception::Exception;
};

// The connection could not be made or broke down: host not found, connection refused,
// timed out, connection dropped in the middle of a transfer, a server too slow to finish in
// the time a request may take.
class ESocketError : public ENetError {
  using ENetError::ENetError;
};
// The name the windows' handlers catch a socket failure under.
using EIdSocketError = ESocketError;

// The TLS handshake failed, the server's certificate among other things, or a secure request
// was sent on to an address that is not secure.
class ETLSError : public ENetError {
  using ENetError::ENetError;
};

// The HTTP server answered with a status that is no success (300 and above, once redirects
// have been followed). Message is the status line, ErrorCode the status.
class EHTTPProtocolError : public ENetError {
public:
  EHTTPProtocolError(String msg, int code) : ENetError(std::move(msg)), ErrorCode(code) {}
  int ErrorCode;
};

// The reply is larger than the client was told to accept; the transfer was stopped there.
class EReplyTooLarge : public ENetError {
  using ENetError::ENetError;
};

// The FTP server refused a command: login denied, no such folder or file, and the like.
class EFTPError : public ENetError {
  using ENetError::ENetError;
};
