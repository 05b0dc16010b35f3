// zephyrkit-project serve: a folder over HTTP on the local network, so that a
// device installs from it with no web server about. Each file the folder
// holds goes with its type and length, and in byte ranges, so that a download
// that dropped resumes; the request path is mapped by request_path.h, and a
// link that resolves outside the folder is refused as well. Every download is
// logged as it ends: who, which file, bytes sent of its length, complete or
// cut. It runs until Ctrl+C (or SIGTERM), or for the seconds asked.
#pragma once

#include <ostream>
#include <string>

namespace zk {

inline constexpr int SERVE_DONE = 0;
inline constexpr int SERVE_FAILED = 1;  // the folder, or the address cannot be listened on
inline constexpr int DEFAULT_SERVE_PORT = 8080;
// Every address of the machine: devices on the local network reach it.
inline constexpr const char* DEFAULT_SERVE_BIND = "0.0.0.0";

struct ServeOptions {
    std::string folder;             // in the record's code page, as the shell holds paths
    int port = DEFAULT_SERVE_PORT;  // 0: one the system picks, printed
    std::string bind = DEFAULT_SERVE_BIND;
    int seconds = 0;  // 0: until interrupted
};

// Prints the address to type on a device, one per local IPv4 address, then a
// line per download, each flushed as written (the log is read as it grows).
// `out` and `err` take text as the file system and the network give it.
int RunServe(const ServeOptions& options, std::ostream& out, std::ostream& err);

// Whether `text` is an IPv4 or IPv6 address the server can listen on.
bool IsListenAddress(const std::string& text);

}  // namespace zk
