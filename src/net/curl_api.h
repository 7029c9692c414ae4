#pragma once

#include <curl/curl.h>

// libcurl, loaded on first use. libcurl pulls some two dozen libraries (TLS, Kerberos, LDAP,
// ...) into the process; linking it would make the program load all of them before its first
// window paints, although the first request runs later on a worker thread. So the program
// does not link libcurl: the first request loads it and initialises it once for the process.
namespace arlo::net::curlapi {

// True when libcurl could be loaded and initialised; requests fail cleanly otherwise.
bool available();

CURL* easyInit();
void easyCleanup(CURL* handle);
curl_slist* slistAppend(curl_slist* list, const char* line);
void slistFreeAll(curl_slist* list);
CURLU* urlNew();
CURLUcode urlSet(CURLU* url, CURLUPart part, const char* content, unsigned int flags);
void urlCleanup(CURLU* url);

// The multi interface: every transfer is driven step by step (net/transport.h).
CURLM* multiInit();
CURLMcode multiCleanup(CURLM* multi);
CURLMcode multiAddHandle(CURLM* multi, CURL* handle);
CURLMcode multiRemoveHandle(CURLM* multi, CURL* handle);
CURLMcode multiPerform(CURLM* multi, int* running);
CURLMcode multiPoll(CURLM* multi, int timeoutMs);
CURLMsg* multiInfoRead(CURLM* multi, int* queued);
CURLcode easyPause(CURL* handle, int bitmask);

using SetoptFn = CURLcode (*)(CURL*, CURLoption, ...);
SetoptFn setoptFunction();

// curl_easy_setopt with exactly one value, as libcurl reads it.
template <typename T>
CURLcode easySetopt(CURL* handle, CURLoption option, T value) {
    const SetoptFn fn = setoptFunction();
    return fn != nullptr ? fn(handle, option, value) : CURLE_FAILED_INIT;
}

}  // namespace arlo::net::curlapi
