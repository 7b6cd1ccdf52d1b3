#include "platform/download.h"
#include "platform/executablepath.h"
#include "platform/ioerror.h"
#include "platform/systemfile.h"

#include <windows.h>

#include <wininet.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>

namespace platform {

namespace {

using Clock = std::chrono::steady_clock;

constexpr DWORD BlockSize = 1024;
// How long an abandoned transfer is given to notice that its handles were closed before the caller
// stops waiting for it.
constexpr std::chrono::milliseconds CancelGrace{2000};

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

// One download, shared by the thread that transfers it and the caller that watches it: the
// transfer may outlive the caller's wait when the system does not end a silent request.
struct Transfer {
    std::mutex lock;
    std::condition_variable changed;
    Clock::time_point lastHeard = Clock::now();
    bool done = false;
    bool abandoned = false; // the caller has given up: nothing more counts, the file ends empty
    bool complete = false;
    std::exception_ptr error;
    HINTERNET root = nullptr;
    SystemFile target;

    // Closes the root handle once, whether the transfer has ended or the caller cancels it.
    void closeRoot() {
        if (root != nullptr && !rootClosed.exchange(true))
            ::InternetCloseHandle(root);
    }

    void heard() {
        std::lock_guard<std::mutex> guard(lock);
        lastHeard = Clock::now();
    }
    bool isAbandoned() {
        std::lock_guard<std::mutex> guard(lock);
        return abandoned;
    }

private:
    std::atomic<bool> rootClosed{false};
};

// The request and the copy of its body, on the transferring thread. The file keeps every block as
// it arrives; anything but a complete, non-empty body of a successful response leaves it empty.
void transfer(const std::shared_ptr<Transfer>& state, const std::string& url) {
    bool complete = false;
    std::exception_ptr error;
    try {
        InternetHandle page(::InternetOpenUrlA(state->root, url.c_str(), nullptr, 0, 0, 0));
        state->heard();
        DWORD status = 0;
        const bool refused =
            queryNumber(page.get(), HTTP_QUERY_STATUS_CODE, status) && (status < 200 || status > 299);
        DWORD announced = 0;
        const bool lengthKnown = queryNumber(page.get(), HTTP_QUERY_CONTENT_LENGTH, announced);

        complete = !refused;
        unsigned long long received = 0;
        char buffer[BlockSize];
        for (bool first = true; complete; first = false) {
            DWORD count = 0;
            // The count alone says whether bytes came; the result tells a failed read from the end.
            const bool read = ::InternetReadFile(page.get(), buffer, BlockSize, &count) != FALSE;
            {
                // Under the lock: once the caller has given up, not one more byte is written.
                std::lock_guard<std::mutex> guard(state->lock);
                if (state->abandoned) {
                    complete = false;
                    break;
                }
                state->lastHeard = Clock::now();
                state->target.write(buffer, count);
            }
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
        if (state->isAbandoned())
            complete = false;
        if (complete) {
            state->target.closeReporting();
        } else {
            state->target.truncate();
            state->target.close();
        }
    } catch (...) {
        error = std::current_exception();
        complete = false;
        state->target.close();
    }
    state->closeRoot();
    std::lock_guard<std::mutex> guard(state->lock);
    state->complete = complete;
    state->error = error;
    state->done = true;
    state->changed.notify_all();
}

} // namespace

// The transfer runs on a thread of its own while this one watches for silence: the time-out options
// of the Internet functions do not hold everywhere (a server that accepts the request and sends
// nothing kept it waiting for minutes), so the silence limit is kept here. At the limit the root
// handle is closed, the documented way to end a call that waits on it, and the caller returns
// without waiting any longer than a short grace for the transfer to notice.
bool DownloadToFile(const std::string& url, const std::string& file, const DownloadTimeouts& timeouts) {
    const std::string agent = ExecutableName();
    const HINTERNET root = ::InternetOpenA(agent.c_str(), INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    if (root != nullptr) {
        // Set on the root handle, they hold for every request made through it.
        DWORD connect = static_cast<DWORD>(timeouts.connectMs);
        DWORD receive = static_cast<DWORD>(timeouts.receiveMs);
        ::InternetSetOptionA(root, INTERNET_OPTION_CONNECT_TIMEOUT, &connect, sizeof connect);
        ::InternetSetOptionA(root, INTERNET_OPTION_RECEIVE_TIMEOUT, &receive, sizeof receive);
    }
    auto state = std::make_shared<Transfer>();
    state->root = root;
    try {
        // Created before the request: a file that cannot be written costs no download.
        state->target = SystemFile::createAlways(file);
    } catch (...) {
        if (root != nullptr)
            ::InternetCloseHandle(root);
        throw;
    }

    // The connection may take its own time-out before the first silence counts.
    const std::chrono::milliseconds silence(std::max(timeouts.connectMs, timeouts.receiveMs));
    std::thread worker(transfer, state, url);
    std::unique_lock<std::mutex> guard(state->lock);
    while (!state->done) {
        const Clock::time_point deadline = state->lastHeard + silence;
        if (Clock::now() >= deadline) {
            state->abandoned = true;
            break;
        }
        state->changed.wait_until(guard, deadline);
    }
    if (state->abandoned) {
        guard.unlock();
        state->closeRoot();
        guard.lock();
        state->changed.wait_for(guard, CancelGrace, [&] { return state->done; });
    }
    if (!state->done) {
        // Still held by the system: it ends on its own and writes nothing more; what it wrote goes.
        guard.unlock();
        worker.detach();
        try {
            SystemFile::openExistingReadWrite(file).truncate();
        } catch (const IoError&) {
        }
        return false;
    }
    guard.unlock();
    worker.join();
    if (state->error)
        std::rethrow_exception(state->error);
    return state->complete && !state->abandoned;
}

} // namespace platform
