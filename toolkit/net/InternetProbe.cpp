#include "InternetProbe.h"

#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "NetConfig.h"

namespace {

using TClock = std::chrono::steady_clock;

struct TProbeTarget {
  String Host;  // without the brackets of an IPv6 address
  String Port;  // decimal, 1 to 65535
};

bool IsHostNameChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '.' || c == '_';
}

bool IsIPv6Char(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F') || c == ':' ||
         c == '.';
}

bool ParseTarget(const String& URL, TProbeTarget& T) {
  const size_t sep = URL.find("://");
  if (sep == String::npos) return false;
  String scheme = URL.substr(0, sep);
  std::transform(scheme.begin(), scheme.end(), scheme.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (scheme == "http")
    T.Port = "80";
  else if (scheme == "https")
    T.Port = "443";
  else
    return false;

  const size_t start = sep + 3;
  const size_t end = URL.find_first_of("/?#", start);
  const String authority = URL.substr(start, end == String::npos ? String::npos : end - start);
  // The probe sends no credentials; an address that carries them is a mistake, and
  // "name@host" is also the classic way to make one host look like another.
  if (authority.find('@') != String::npos) return false;

  String portText;
  bool hasPort = false;
  if (!authority.empty() && authority.front() == '[') {
    const size_t close = authority.find(']');
    if (close == String::npos) return false;
    T.Host = authority.substr(1, close - 1);
    if (T.Host.empty() || !std::all_of(T.Host.begin(), T.Host.end(), IsIPv6Char)) return false;
    const String rest = authority.substr(close + 1);
    if (!rest.empty()) {
      if (rest.front() != ':') return false;
      hasPort = true;
      portText = rest.substr(1);
    }
  } else {
    const size_t colon = authority.find(':');
    T.Host = authority.substr(0, colon);
    if (colon != String::npos) {
      hasPort = true;
      portText = authority.substr(colon + 1);
    }
    if (T.Host.empty() || !std::all_of(T.Host.begin(), T.Host.end(), IsHostNameChar)) return false;
  }
  if (hasPort) {
    if (portText.empty() || portText.size() > 5 ||
        !std::all_of(portText.begin(), portText.end(), [](char c) { return c >= '0' && c <= '9'; }))
      return false;
    const int port = std::stoi(portText);
    if (port < 1 || port > 65535) return false;
    T.Port = std::to_string(port);
  }
  return true;
}

struct TAddrInfoFree {
  void operator()(addrinfo* A) const { freeaddrinfo(A); }
};
using TAddresses = std::unique_ptr<addrinfo, TAddrInfoFree>;

// A name lookup on a thread of its own. getaddrinfo cannot be given a timeout, so the caller
// stops waiting at its deadline; the thread owns a share of the state and frees an answer that
// arrives after that.
struct TLookup {
  std::mutex Lock;
  std::condition_variable Done;
  bool Finished = false;
  TAddresses Result;
};

TAddresses Resolve(const TProbeTarget& T, TClock::time_point Deadline) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_protocol = IPPROTO_TCP;
  hints.ai_flags = AI_NUMERICSERV | AI_NUMERICHOST;
  addrinfo* found = nullptr;
  // An address written as numbers needs no lookup and no thread.
  const int numeric = getaddrinfo(T.Host.c_str(), T.Port.c_str(), &hints, &found);
  if (numeric == 0) return TAddresses(found);
  if (numeric != EAI_NONAME) return nullptr;

  hints.ai_flags = AI_NUMERICSERV;
  auto lookup = std::make_shared<TLookup>();
  std::thread([lookup, hints, host = T.Host, port = T.Port] {
    addrinfo* answer = nullptr;
    const int rc = getaddrinfo(host.c_str(), port.c_str(), &hints, &answer);
    std::lock_guard<std::mutex> guard(lookup->Lock);
    if (rc == 0) lookup->Result.reset(answer);
    lookup->Finished = true;
    lookup->Done.notify_all();
  }).detach();

  std::unique_lock<std::mutex> guard(lookup->Lock);
  if (!lookup->Done.wait_until(guard, Deadline, [&] { return lookup->Finished; })) return nullptr;
  return std::move(lookup->Result);
}

class TSockets {
public:
  ~TSockets() {
    for (const pollfd& p : Polled) ::close(p.fd);
  }
  void Drop(size_t I) {
    ::close(Polled[I].fd);
    Polled.erase(Polled.begin() + static_cast<std::ptrdiff_t>(I));
  }
  std::vector<pollfd> Polled;
};

int MillisecondsLeft(TClock::time_point Deadline) {
  const auto left =
      std::chrono::ceil<std::chrono::milliseconds>(Deadline - TClock::now()).count();
  return left > 0 ? static_cast<int>(left) : 0;
}

// Starts a connection to every address at once, so that an address that does not answer
// (an IPv6 route that goes nowhere, say) cannot use up the time of one that would.
bool ConnectAny(const addrinfo* Addresses, TClock::time_point Deadline) {
  TSockets sockets;
  for (const addrinfo* a = Addresses; a; a = a->ai_next) {
    const int s = ::socket(a->ai_family, a->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC,
                           a->ai_protocol);
    if (s < 0) continue;
    if (::connect(s, a->ai_addr, a->ai_addrlen) == 0) {
      ::close(s);
      return true;
    }
    if (errno != EINPROGRESS) {
      ::close(s);
      continue;
    }
    sockets.Polled.push_back(pollfd{s, POLLOUT, 0});
  }
  while (!sockets.Polled.empty()) {
    const int left = MillisecondsLeft(Deadline);
    if (left == 0) return false;
    for (pollfd& p : sockets.Polled) p.revents = 0;
    const int n = ::poll(sockets.Polled.data(), sockets.Polled.size(), left);
    if (n < 0 && errno != EINTR) return false;
    for (size_t i = sockets.Polled.size(); i-- > 0;) {
      if (sockets.Polled[i].revents == 0) continue;
      int error = 0;
      socklen_t len = sizeof error;
      if (::getsockopt(sockets.Polled[i].fd, SOL_SOCKET, SO_ERROR, &error, &len) == 0 &&
          error == 0 && (sockets.Polled[i].revents & POLLOUT))
        return true;
      sockets.Drop(i);
    }
  }
  return false;
}

}  // namespace

bool InternetCheckConnection(const String& URL, int TimeoutMs) {
  if (TimeoutMs <= 0 || TimeoutMs > 5000) TimeoutMs = 5000;
  const TClock::time_point deadline = TClock::now() + std::chrono::milliseconds(TimeoutMs);
  try {
    TProbeTarget target;
    if (!ParseTarget(URL, target)) return false;
    const TAddresses addresses = Resolve(target, deadline);
    return addresses && ConnectAny(addresses.get(), deadline);
  } catch (...) {
    return false;
  }
}

bool InternetCheckConnection() {
  return InternetCheckConnection(NetConfig().ProbeURL, NetConfig().ProbeTimeoutMs);
}
