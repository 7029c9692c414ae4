#include "net/curl_api.h"

#include <dlfcn.h>

#include <mutex>

namespace arlo::net::curlapi {
namespace {

struct Api {
    CURLcode (*globalInit)(long) = nullptr;
    CURL* (*easyInit)() = nullptr;
    void (*easyCleanup)(CURL*) = nullptr;
    SetoptFn easySetopt = nullptr;
    curl_slist* (*slistAppend)(curl_slist*, const char*) = nullptr;
    void (*slistFreeAll)(curl_slist*) = nullptr;
    CURLU* (*urlNew)() = nullptr;
    CURLUcode (*urlSet)(CURLU*, CURLUPart, const char*, unsigned int) = nullptr;
    void (*urlCleanup)(CURLU*) = nullptr;
    CURLM* (*multiInit)() = nullptr;
    CURLMcode (*multiCleanup)(CURLM*) = nullptr;
    CURLMcode (*multiAddHandle)(CURLM*, CURL*) = nullptr;
    CURLMcode (*multiRemoveHandle)(CURLM*, CURL*) = nullptr;
    CURLMcode (*multiPerform)(CURLM*, int*) = nullptr;
    CURLMcode (*multiPoll)(CURLM*, curl_waitfd[], unsigned int, int, int*) = nullptr;
    CURLMsg* (*multiInfoRead)(CURLM*, int*) = nullptr;
    CURLcode (*easyPause)(CURL*, int) = nullptr;
    bool ready = false;
};

template <typename Fn>
bool resolve(void* library, const char* name, Fn& out) {
    out = reinterpret_cast<Fn>(dlsym(library, name));
    return out != nullptr;
}

Api load() {
    Api api;
    // The library stays loaded for the rest of the process.
    void* library = dlopen("libcurl.so.4", RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        return api;
    }
    const bool all = resolve(library, "curl_global_init", api.globalInit) &&
                     resolve(library, "curl_easy_init", api.easyInit) &&
                     resolve(library, "curl_easy_cleanup", api.easyCleanup) &&
                     resolve(library, "curl_easy_setopt", api.easySetopt) &&
                     resolve(library, "curl_slist_append", api.slistAppend) &&
                     resolve(library, "curl_slist_free_all", api.slistFreeAll) &&
                     resolve(library, "curl_url", api.urlNew) &&
                     resolve(library, "curl_url_set", api.urlSet) &&
                     resolve(library, "curl_url_cleanup", api.urlCleanup) &&
                     resolve(library, "curl_multi_init", api.multiInit) &&
                     resolve(library, "curl_multi_cleanup", api.multiCleanup) &&
                     resolve(library, "curl_multi_add_handle", api.multiAddHandle) &&
                     resolve(library, "curl_multi_remove_handle", api.multiRemoveHandle) &&
                     resolve(library, "curl_multi_perform", api.multiPerform) &&
                     resolve(library, "curl_multi_poll", api.multiPoll) &&
                     resolve(library, "curl_multi_info_read", api.multiInfoRead) &&
                     resolve(library, "curl_easy_pause", api.easyPause);
    // curl_global_init is not safe to race; call_once in api() serialises it.
    api.ready = all && api.globalInit(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    return api;
}

const Api& api() {
    static std::once_flag once;
    static Api loaded;
    std::call_once(once, [] { loaded = load(); });
    return loaded;
}

}  // namespace

bool available() {
    return api().ready;
}

CURL* easyInit() {
    return available() ? api().easyInit() : nullptr;
}

void easyCleanup(CURL* handle) {
    if (handle != nullptr && available()) {
        api().easyCleanup(handle);
    }
}

curl_slist* slistAppend(curl_slist* list, const char* line) {
    return available() ? api().slistAppend(list, line) : nullptr;
}

void slistFreeAll(curl_slist* list) {
    if (list != nullptr && available()) {
        api().slistFreeAll(list);
    }
}

CURLU* urlNew() {
    return available() ? api().urlNew() : nullptr;
}

CURLUcode urlSet(CURLU* url, CURLUPart part, const char* content, unsigned int flags) {
    return available() ? api().urlSet(url, part, content, flags) : CURLUE_OUT_OF_MEMORY;
}

void urlCleanup(CURLU* url) {
    if (url != nullptr && available()) {
        api().urlCleanup(url);
    }
}

CURLM* multiInit() {
    return available() ? api().multiInit() : nullptr;
}

CURLMcode multiCleanup(CURLM* multi) {
    return multi != nullptr && available() ? api().multiCleanup(multi) : CURLM_BAD_HANDLE;
}

CURLMcode multiAddHandle(CURLM* multi, CURL* handle) {
    return available() ? api().multiAddHandle(multi, handle) : CURLM_BAD_HANDLE;
}

CURLMcode multiRemoveHandle(CURLM* multi, CURL* handle) {
    return available() ? api().multiRemoveHandle(multi, handle) : CURLM_BAD_HANDLE;
}

CURLMcode multiPerform(CURLM* multi, int* running) {
    return available() ? api().multiPerform(multi, running) : CURLM_BAD_HANDLE;
}

CURLMcode multiPoll(CURLM* multi, int timeoutMs) {
    return available() ? api().multiPoll(multi, nullptr, 0, timeoutMs, nullptr) : CURLM_BAD_HANDLE;
}

CURLMsg* multiInfoRead(CURLM* multi, int* queued) {
    return available() ? api().multiInfoRead(multi, queued) : nullptr;
}

CURLcode easyPause(CURL* handle, int bitmask) {
    return available() ? api().easyPause(handle, bitmask) : CURLE_FAILED_INIT;
}

SetoptFn setoptFunction() {
    return available() ? api().easySetopt : nullptr;
}

}  // namespace arlo::net::curlapi
