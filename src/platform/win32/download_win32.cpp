#include "../download.h"
#include "../executablepath.h"
#include "../ioerror.h"
#include "../systemfile.h"

#include <windows.h>

#include <wininet.h>

namespace platform {

namespace {

constexpr DWORD BlockSize = 1024;

// An Internet handle, closed when it goes out of scope; a handle that failed to open is null and
// makes every later call fail.
class InternetHandle {
public:
    explicit InternetHandle(HINTERNET handle) : m_handle(handle) {}
    InternetHandle(const InternetHandle&) = delete;
    InternetHandle& operator=(const InternetHandle&) = delete;
    ~InternetHandle() { reset(); }
    HINTERNET get() const { return m_handle; }
    void reset() {
        if (m_handle != nullptr)
            ::InternetCloseHandle(m_handle);
        m_handle = nullptr;
    }

private:
    HINTERNET m_handle;
};

bool queryNumber(HINTERNET request, DWORD info, DWORD& value) {
    DWORD size = sizeof value;
    DWORD index = 0;
    return request != nullptr &&
           ::HttpQueryInfoA(request, info | HTTP_QUERY_FLAG_NUMBER, &value, &size, &index) != FALSE;
}

} // namespace

bool DownloadToFile(const std::string& url, const std::string& file, const DownloadTimeouts& timeouts) {
    const std::string agent = ExecutableName();
    InternetHandle root(::InternetOpenA(agent.c_str(), INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (root.get() != nullptr) {
        // Set on the root handle, they hold for every request made through it.
        DWORD connect = static_cast<DWORD>(timeouts.connectMs);
        DWORD receive = static_cast<DWORD>(timeouts.receiveMs);
        ::InternetSetOptionA(root.get(), INTERNET_OPTION_CONNECT_TIMEOUT, &connect, sizeof connect);
        ::InternetSetOptionA(root.get(), INTERNET_OPTION_RECEIVE_TIMEOUT, &receive, sizeof receive);
    }
    // Created before the request: a file that cannot be written costs no download.
    SystemFile target = SystemFile::createAlways(file);
    InternetHandle page(::InternetOpenUrlA(root.get(), url.c_str(), nullptr, 0, 0, 0));

    DWORD status = 0;
    const bool refused =
        queryNumber(page.get(), HTTP_QUERY_STATUS_CODE, status) && (status < 200 || status > 299);
    DWORD announced = 0;
    const bool lengthKnown = queryNumber(page.get(), HTTP_QUERY_CONTENT_LENGTH, announced);

    bool complete = !refused;
    unsigned long long received = 0;
    char buffer[BlockSize];
    for (bool first = true; complete; first = false) {
        DWORD count = 0;
        // The count alone says whether bytes came; the result tells a failed read from the end.
        const bool read = ::InternetReadFile(page.get(), buffer, BlockSize, &count) != FALSE;
        target.write(buffer, count);
        received += count;
        if (first && count == 0)
            complete = false;
        else if (!read)
            complete = false;
        else if (count == 0)
            break;
    }
    if (complete && lengthKnown && received != announced)
        complete = false;
    if (!complete) {
        target.truncate();
        target.close();
        return false;
    }
    target.closeReporting();
    return true;
}

} // namespace platform
