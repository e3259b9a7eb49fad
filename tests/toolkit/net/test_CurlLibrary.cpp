#include <dlfcn.h>
#include <gtest/gtest.h>

#include <string>

#include "CurlLibrary.h"
#include "FTPClient.h"
#include "HTTPClient.h"
#include "NetErrors.h"

// No test in this program transfers anything, so libcurl is loaded only if something loads
// it before the first request.
TEST(CurlLibrary, ClientsThatTransferNothingLeaveTheLibraryUnloaded) {
  {
    THTTPClient http(nullptr);
    TFTPClient ftp(nullptr);
    TSSLIOHandler tls(nullptr);
    ftp.Disconnect();
  }
  void* loaded = dlopen("libcurl.so.4", RTLD_NOW | RTLD_NOLOAD);
  EXPECT_EQ(loaded, nullptr);
  if (loaded) dlclose(loaded);
}

TEST(CurlLibrary, ALibraryThatCannotServeIsANetworkErrorNamingIt) {
  struct TCase {
    const char* Library;
    const char* Named;  // what the message must name
  };
  const TCase cases[] = {
      {"libkestal-no-such-library.so.4", "libkestal-no-such-library.so.4"},
      // Loads, but is not libcurl.
      {"libm.so.6", "curl_global_init"},
  };
  for (const TCase& c : cases) {
    try {
      netdetail::LoadCurlApi(c.Library);
      ADD_FAILURE() << c.Library << " was accepted";
    } catch (const ENetError& e) {
      const std::string message = e.Message;
      EXPECT_NE(message.find(c.Library), std::string::npos) << message;
      EXPECT_NE(message.find(c.Named), std::string::npos) << message;
    }
  }
}
