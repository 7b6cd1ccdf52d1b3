#include "../download.h"
#include "../executablepath.h"
#include "../ioerror.h"
#include "../systemfile.h"

#include <curl/curl.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <optional>

namespace platform {

namespace {

constexpr std::size_t BlockSize = 1024;

struct CurlDeleter {
    void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
    void operator()(CURLU* url) const { curl_url_cleanup(url); }
};

// What the transfer does with the body: every block goes to the file as it arrives.
struct Sink {
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
    curl_easy_getinfo(sink->handle, CURLINFO_RESPONSE_CODE, &status);
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
    curl_easy_getinfo(sink->handle, CURLINFO_CONNECT_TIME_T, &connectedAfter);
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

void startLibrary() {
    static const bool started = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    (void)started;
}

} // namespace

bool DownloadToFile(const std::string& url, const std::string& file, const DownloadTimeouts& timeouts) {
    startLibrary();
    const std::unique_ptr<CURL, CurlDeleter> handle(curl_easy_init());
    SystemFile target = SystemFile::createAlways(file);
    if (!handle)
        return false;

    // The URL goes as it is given; a blank in it (the program's name has one) is sent as %20.
    const std::unique_ptr<CURLU, CurlDeleter> parsed(curl_url());
    if (!parsed ||
        curl_url_set(parsed.get(), CURLUPART_URL, url.c_str(), CURLU_ALLOW_SPACE | CURLU_URLENCODE))
        return false;

    Sink sink;
    sink.file = &target;
    sink.handle = handle.get();
    CURL* h = handle.get();
    const std::string agent = ExecutableName();
    curl_easy_setopt(h, CURLOPT_CURLU, parsed.get());
    curl_easy_setopt(h, CURLOPT_USERAGENT, agent.c_str());
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(h, CURLOPT_MAXREDIRS, 10L);
    curl_easy_setopt(h, CURLOPT_BUFFERSIZE, static_cast<long>(BlockSize));
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(timeouts.connectMs));
    // No byte for the receive time-out ends the transfer, whether the server is silent before its
    // answer or in the middle of the body.
    sink.receiveTimeout = std::chrono::milliseconds(timeouts.receiveMs);
    sink.lastData = std::chrono::steady_clock::now();
    curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, &watch);
    curl_easy_setopt(h, CURLOPT_XFERINFODATA, &sink);
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &receive);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &sink);

    const CURLcode outcome = curl_easy_perform(h);
    if (sink.failed)
        throw *sink.failed;
    long status = 0;
    curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status);
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
