#pragma once

#include <string>

namespace platform {

// How long a download may wait for the server: for the connection to be made, and for the next
// bytes of the response once it is (a server that accepts and then stays silent).
struct DownloadTimeouts {
    int connectMs = 15000;
    int receiveMs = 30000;
};

// Copies the body of an HTTP resource into a local file, block by block (at most 1024 bytes each,
// written as they arrive), and returns true when the whole body has arrived and is not empty.
//
// The local file is created (an existing one emptied) before the request is sent; when it cannot be
// created IoError is raised with the system's code and nothing is asked of the server. Every other
// outcome that is not a complete, non-empty body of a successful response returns false and leaves
// the file empty: an unreachable server or unresolvable host, a status other than 2xx, an empty
// body, a body shorter than the length the server announced, a transfer that breaks or stalls past
// the time-outs. A failed write raises IoError (the system's code, or 101 for a short write); the
// file then keeps what was written before. The server is identified by the executable's file name
// as agent; the system's proxy settings apply; a blank in the URL is sent encoded.
bool DownloadToFile(const std::string& url, const std::string& file, const DownloadTimeouts& timeouts = {});

} // namespace platform
