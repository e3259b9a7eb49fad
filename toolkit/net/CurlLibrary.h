#pragma once
// Private to the network clients: libcurl, opened the first time a request needs it. Most
// starts of the program transfer nothing, and a linked libcurl would load it, its TLS library
// and some twenty more into every start. Not for use outside this folder.

#include <curl/curl.h>

#include <type_traits>

namespace netdetail {

// The libcurl functions the clients call.
struct TCurlApi {
  CURLcode (*global_init)(long) = nullptr;
  CURL* (*easy_init)() = nullptr;
  void (*easy_cleanup)(CURL*) = nullptr;
  CURLcode (*easy_setopt)(CURL*, CURLoption, ...) = nullptr;
  CURLcode (*easy_getinfo)(CURL*, CURLINFO, ...) = nullptr;
  CURLcode (*easy_perform)(CURL*) = nullptr;
  const char* (*easy_strerror)(CURLcode) = nullptr;
  curl_slist* (*slist_append)(curl_slist*, const char*) = nullptr;
  void (*slist_free_all)(curl_slist*) = nullptr;
};

// Opens LibraryName and looks up every function of TCurlApi. Raises ENetError naming the
// library (and the function it lacks) when that fails. A library that was opened stays loaded
// for the life of the process.
TCurlApi LoadCurlApi(const char* LibraryName);

// libcurl.so.4, loaded and globally initialised on the first call. Raises as LoadCurlApi
// does; a later call tries again.
const TCurlApi& Curl();

// Sets an option through the variadic call with the value in the type libcurl reads: integers
// and enumerators as long (an int where a long is read leaves its upper half undefined), null
// as a null pointer.
template <class T>
CURLcode SetOption(CURL* Handle, CURLoption Option, T Value) {
  if constexpr (std::is_integral_v<T> || std::is_enum_v<T>)
    return Curl().easy_setopt(Handle, Option, static_cast<long>(Value));
  else if constexpr (std::is_null_pointer_v<T>)
    return Curl().easy_setopt(Handle, Option, static_cast<void*>(nullptr));
  else
    return Curl().easy_setopt(Handle, Option, Value);
}

template <class T>
CURLcode GetInfo(CURL* Handle, CURLINFO Info, T* Out) {
  return Curl().easy_getinfo(Handle, Info, Out);
}

}  // namespace netdetail
