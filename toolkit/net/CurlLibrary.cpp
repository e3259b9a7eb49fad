#include "CurlLibrary.h"

#include <dlfcn.h>

#include "NetErrors.h"

namespace netdetail {

namespace {

template <class F>
void Bind(void* Library, const char* LibraryName, const char* Symbol, F& Slot) {
  void* p = dlsym(Library, Symbol);
  if (!p) {
    dlclose(Library);
    throw ENetError(String("The network library ") + LibraryName + " has no function " + Symbol);
  }
  Slot = reinterpret_cast<F>(p);
}

}  // namespace

TCurlApi LoadCurlApi(const char* LibraryName) {
  void* lib = dlopen(LibraryName, RTLD_NOW | RTLD_LOCAL);
  if (!lib) {
    const char* why = dlerror();
    throw ENetError(String("The network library ") + LibraryName + " could not be loaded" +
                    (why ? String(": ") + why : String()));
  }
  TCurlApi api;
  Bind(lib, LibraryName, "curl_global_init", api.global_init);
  Bind(lib, LibraryName, "curl_easy_init", api.easy_init);
  Bind(lib, LibraryName, "curl_easy_cleanup", api.easy_cleanup);
  Bind(lib, LibraryName, "curl_easy_setopt", api.easy_setopt);
  Bind(lib, LibraryName, "curl_easy_getinfo", api.easy_getinfo);
  Bind(lib, LibraryName, "curl_easy_perform", api.easy_perform);
  Bind(lib, LibraryName, "curl_easy_strerror", api.easy_strerror);
  Bind(lib, LibraryName, "curl_slist_append", api.slist_append);
  Bind(lib, LibraryName, "curl_slist_free_all", api.slist_free_all);
  return api;
}

const TCurlApi& Curl() {
  // A static initialised by a call runs it once, whichever thread comes first; when the call
  // raises, the next caller runs it again. libcurl wants its global set-up done once, before
  // any thread uses a handle.
  static const TCurlApi api = [] {
    TCurlApi a = LoadCurlApi("libcurl.so.4");
    if (a.global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK)
      throw ENetError("The network library libcurl.so.4 could not be initialised");
    return a;
  }();
  return api;
}

}  // namespace netdetail
