#include "platform/download.h"
#include "platform/executablepath.h"
#include "platform/ioerror.h"
#include "platform/systemfile.h"

// Only the types and constants come from the header: the library itself is loaded on the first
// download (see Curl below).
#define CURL_DISABLE_TYPECHECK
#include <curl/curl.h>

#include <dlfcn.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <optional>
#include <type_traits>

namespace platform {

namespace {

constexpr std::size_t BlockSize = 1024;

// libcurl, loaded when the first download starts rather than with the program: it brings some thirty
// libraries of its own, whose loading would cost every start of the program about 17 ms for a
// download that most runs never make.
struct Curl {
    CURLcode (*global_init)(long) = nullptr;
    CURL* (*easy_init)() = nullptr;
    void (*easy_cleanup)(CURL*) = nullptr;
    CURLcode (*easy_setopt)(CURL*, CURLoption, ...) = nullptr;
    CURLcode (*easy_getinfo)(CURL*, CURLINFO, ...) = nullptr;
    CURLcode (*easy_perform)(CURL*) = nullptr;
    CURLU* (*url)() = nullptr;
    CURLUcode (*url_set)(CURLU*, CURLUPart, const char*, unsigned int) = nullptr;
    void (*url_cleanup)(CURLU*) = nullptr;

    // The library, loaded and started once; nullptr when it is not there.
    static const Curl* Get() {
        static const Curl* const loaded = []() -> const Curl* {
            void* library = dlopen("libcurl.so.4", RTLD_NOW | RTLD_LOCAL);
            if (!library)
                return nullptr;
            static Curl curl;
            const auto find = [library](auto& function, const char* name) {
                function =
                    reinterpret_cast<std::remove_reference_t<decltype(function)>>(dlsym(library, name));
                return function != nullptr;
            };
            const bool complete =
                find(curl.global_init, "curl_global_init") && find(curl.easy_init, "curl_easy_init") &&
                find(curl.easy_cleanup, "curl_easy_cleanup") && find(curl.easy_setopt, "curl_easy_setopt") &&
                find(curl.easy_getinfo, "curl_easy_getinfo") &&
                find(curl.easy_perform, "curl_easy_perform") && find(curl.url, "curl_url") &&
                find(curl.url_set, "curl_url_set") && find(curl.url_cleanup, "curl_url_cleanup");
            if (!complete || curl.global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK)
                return nullptr;
            return &curl;
        }();
        return loaded;
    }
};

struct CurlDeleter {
    const Curl* curl;
    void operator()(CURL* handle) const { curl->easy_cleanup(handle); }
    void operator()(CURLU* url) const { curl->url_cleanup(url); }
};

// What the transfer does with the body: every block goes to the file as it arrives.
struct Sink {
    const Curl* curl = nullptr;
    SystemFile* file = nullptr;
    CURL* handle = nullptr;
    std::size_t written = 0;
    bool refused = false;          // the response is not a success: nothing of it is stored
    std::optional<IoError> failed; // the write error, raised once the transfer has stopped
    // The receive time-out: since the connection was made or the last bytes came.
    std::chrono::milliseconds receiveTimeout{0};
    std::chrono::steady_clock::time_point lastData;
    curl_off_t lastCount = 0;
};

bool isSuccess(long status) {
    return status >= 200 && status <= 299;
}

// libcurl is C: an exception must not pass through it, so a failure stops the transfer (by taking
// fewer bytes than offered) and is raised after it.
std::size_t receive(char* data, std::size_t size, std::size_t count, void* context) {
    auto* sink = static_cast<Sink*>(context);
    const std::size_t total = size * count;
    long status = 0;
    sink->curl->easy_getinfo(sink->handle, CURLINFO_RESPONSE_CODE, &status);
    if (!isSuccess(status)) {
        sink->refused = true;
        return 0;
    }
    try {
        for (std::size_t offset = 0; offset < total; offset += BlockSize) {
            const std::size_t block = std::min(BlockSize, total - offset);
            sink->file->write(data + offset, block);
            sink->written += block;
        }
    } catch (const IoError& error) {
        sink->failed = error;
        return 0;
    }
    return total;
}

// Called at least once a second while the transfer runs; a non-zero answer ends it.
int watch(void* context, curl_off_t, curl_off_t received, curl_off_t, curl_off_t) {
    auto* sink = static_cast<Sink*>(context);
    const auto now = std::chrono::steady_clock::now();
    curl_off_t connectedAfter = 0;
    sink->curl->easy_getinfo(sink->handle, CURLINFO_CONNECT_TIME_T, &connectedAfter);
    if (connectedAfter == 0) {
        sink->lastData = now; // still connecting: the connect time-out applies
        return 0;
    }
    if (received != sink->lastCount) {
        sink->lastCount = received;
        sink->lastData = now;
        return 0;
    }
    return now - sink->lastData > sink->receiveTimeout ? 1 : 0;
}

} // namespace

bool DownloadToFile(const std::string& url, const std::string& file, const DownloadTimeouts& timeouts) {
    const Curl* curl = Curl::Get();
    SystemFile target = SystemFile::createAlways(file);
    // Without the library no transfer can be made: as when the server cannot be reached.
    if (!curl)
        return false;
    const std::unique_ptr<CURL, CurlDeleter> handle(curl->easy_init(), CurlDeleter{curl});
    if (!handle)
        return false;

    // The URL goes as it is given; a blank in it (the program's name has one) is sent as %20.
    const std::unique_ptr<CURLU, CurlDeleter> parsed(curl->url(), CurlDeleter{curl});
    if (!parsed ||
        curl->url_set(parsed.get(), CURLUPART_URL, url.c_str(), CURLU_ALLOW_SPACE | CURLU_URLENCODE))
        return false;

    Sink sink;
    sink.curl = curl;
    sink.file = &target;
    sink.handle = handle.get();
    CURL* h = handle.get();
    const std::string agent = ExecutableName();
    curl->easy_setopt(h, CURLOPT_CURLU, parsed.get());
    curl->easy_setopt(h, CURLOPT_USERAGENT, agent.c_str());
    curl->easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
    curl->easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl->easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
    curl->easy_setopt(h, CURLOPT_MAXREDIRS, 10L);
    curl->easy_setopt(h, CURLOPT_BUFFERSIZE, static_cast<long>(BlockSize));
    curl->easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl->easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(timeouts.connectMs));
    // No byte for the receive time-out ends the transfer, whether the server is silent before its
    // answer or in the middle of the body.
    sink.receiveTimeout = std::chrono::milliseconds(timeouts.receiveMs);
    sink.lastData = std::chrono::steady_clock::now();
    curl->easy_setopt(h, CURLOPT_NOPROGRESS, 0L);
    curl->easy_setopt(h, CURLOPT_XFERINFOFUNCTION, &watch);
    curl->easy_setopt(h, CURLOPT_XFERINFODATA, &sink);
    curl->easy_setopt(h, CURLOPT_WRITEFUNCTION, &receive);
    curl->easy_setopt(h, CURLOPT_WRITEDATA, &sink);

    const CURLcode outcome = curl->easy_perform(h);
    if (sink.failed)
        throw *sink.failed;
    long status = 0;
    curl->easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status);
    // A transfer cut short (CURLE_PARTIAL_FILE when fewer bytes came than announced), a refused
    // answer or an empty body: nothing half-done stays behind.
    if (outcome != CURLE_OK || sink.refused || !isSuccess(status) || sink.written == 0) {
        target.truncate();
        target.close();
        return false;
    }
    target.closeReporting();
    return true;
}

} // namespace platform
