#include "delivery/serve.h"

#include <arpa/inet.h>
#include <dirent.h>
#include <fcntl.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <httplib.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "common/ansi_text.h"
#include "delivery/content_types.h"
#include "delivery/download_log.h"
#include "delivery/download_page.h"
#include "delivery/request_path.h"
#include "delivery/site_names.h"
#include "platform/interruption.h"

namespace zk {
namespace {

constexpr std::size_t SEND_BLOCK_BYTES = 64 * 1024;
constexpr auto POLL_INTERVAL = std::chrono::milliseconds(100);
// A device on a weak wireless network stalls for a while before it drops.
constexpr time_t WRITE_TIMEOUT_SECONDS = 30;
// How much of a refused request's target the log shows.
constexpr std::size_t LOGGED_TARGET_BYTES = 200;

// Lines from the server's threads, each whole and flushed as it is written.
class Log {
public:
    explicit Log(std::ostream& out) : out_(out) {}

    void Line(const std::string& text) {
        const std::time_t now = std::time(nullptr);
        std::tm local{};
        localtime_r(&now, &local);
        char clock[16];
        std::strftime(clock, sizeof clock, "%H:%M:%S", &local);
        std::lock_guard<std::mutex> hold(mutex_);
        out_ << clock << " " << text << std::endl;
    }

private:
    std::ostream& out_;
    std::mutex mutex_;
};

// A file being sent and what became of it; one connection's thread uses it.
struct Sending {
    int fd = -1;
    DownloadRecord record;

    ~Sending() {
        if (fd >= 0) close(fd);
    }
};

bool KeptToItself(const std::string& name) {
    std::string relative;
    return MapRequestPath("/" + PercentEncoded(name), &relative) != RequestedPath::File;
}

class Site {
public:
    Site(std::string root, Log& log) : root_(std::move(root)), log_(log) {
        prefix_ = root_.back() == '/' ? root_ : root_ + "/";
    }

    void Answer(const httplib::Request& req, httplib::Response& res) {
        std::string relative;
        const RequestedPath what = MapRequestPath(req.target, &relative);
        if (what == RequestedPath::Folder) {
            struct stat st;
            if (stat((prefix_ + INDEX_FILE_NAME).c_str(), &st) != 0)
                return SendFolderPage(req, res);
            relative = INDEX_FILE_NAME;
        } else if (what == RequestedPath::NotFound) {
            return NotFound(req, res);
        }
        std::string path;
        if (!Resolve(relative, &path)) return NotFound(req, res);
        SendFile(req, res, relative, path);
    }

private:
    // The file's own path with every link resolved, when it is a file of the
    // folder that the folder does not keep to itself.
    bool Resolve(const std::string& relative, std::string* path) const {
        char resolved[PATH_MAX];
        if (!realpath((prefix_ + relative).c_str(), resolved)) return false;
        const std::string whole = resolved;
        if (whole.compare(0, prefix_.size(), prefix_) != 0) return false;
        for (std::size_t at = prefix_.size(); at <= whole.size();) {
            const std::size_t end = std::min(whole.find('/', at), whole.size());
            if (KeptToItself(whole.substr(at, end - at))) return false;
            at = end + 1;
        }
        *path = whole;
        return true;
    }

    void NotFound(const httplib::Request& req, httplib::Response& res) {
        res.status = 404;
        res.set_content("Not found\n", "text/plain; charset=utf-8");
        log_.Line(Printable(req.remote_addr) + " " +
                  Printable(req.target.substr(0, LOGGED_TARGET_BYTES)) + ": not found");
    }

    void SendFolderPage(const httplib::Request& req, httplib::Response& res) {
        std::vector<std::string> names;
        if (DIR* folder = opendir(root_.c_str())) {
            while (const dirent* entry = readdir(folder)) {
                std::string path;
                struct stat st;
                if (!KeptToItself(entry->d_name) && Resolve(entry->d_name, &path) &&
                    stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode))
                    names.push_back(entry->d_name);
            }
            closedir(folder);
        }
        std::sort(names.begin(), names.end());
        res.set_content(FolderPageHtml(names), "text/html; charset=utf-8");
        log_.Line(Printable(req.remote_addr) + " /: the list of files");
    }

    void SendFile(const httplib::Request& req, httplib::Response& res, const std::string& relative,
                  const std::string& path) {
        auto sending = std::make_shared<Sending>();
        struct stat st;
        sending->fd = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
        if (sending->fd < 0 || fstat(sending->fd, &st) != 0 || !S_ISREG(st.st_mode))
            return NotFound(req, res);
        DownloadRecord& record = sending->record;
        record.client = req.remote_addr;
        record.file = relative;
        record.size = static_cast<std::uint64_t>(st.st_size);

        // httplib 0.11 takes a range past the end of the file as it stands and
        // promises bytes the file does not have: the ranges are brought within
        // the file before it reads them. The request is httplib's own object,
        // handed to us as constant only by its signature.
        for (const auto& r : req.ranges) record.ranges.push_back({r.first, r.second});
        const RangeFit fit = FitRanges(&record.ranges, record.size, &record.length);
        auto& ranges = const_cast<httplib::Ranges&>(req.ranges);
        ranges.clear();
        for (const ByteRange& r : record.ranges) ranges.emplace_back(r.first, r.last);
        if (fit == RangeFit::Unsatisfiable) {
            res.status = 416;
            res.set_header("Content-Range", "bytes */" + std::to_string(record.size));
            log_.Line(Printable(record.client) + " " + Printable(relative) +
                      ": no byte of the range asked for, the file has " +
                      std::to_string(record.size));
            return;
        }

        const std::size_t slash = relative.rfind('/');
        const ContentType type =
            ContentTypeOf(slash == std::string::npos ? relative : relative.substr(slash + 1));
        if (type.attachment) res.set_header("Content-Disposition", "attachment");
        // httplib says so itself for HEAD only; a client resuming a download
        // looks for it in the answer to its GET.
        const bool logged = req.method == "GET";
        if (logged) res.set_header("Accept-Ranges", "bytes");
        res.set_content_provider(
            static_cast<std::size_t>(record.size), type.mime,
            [sending](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
                std::vector<char> block(std::min(length, SEND_BLOCK_BYTES));
                const ssize_t got =
                    pread(sending->fd, block.data(), block.size(), static_cast<off_t>(offset));
                // A file that shrank while it was sent is cut short.
                if (got <= 0 || !sink.write(block.data(), static_cast<std::size_t>(got)))
                    return false;
                sending->record.sent += static_cast<std::uint64_t>(got);
                return true;
            },
            [sending, logged, this](bool success) {
                if (!logged) return;
                DownloadRecord& r = sending->record;
                r.complete = success && r.sent == r.length;
                log_.Line(DownloadLine(r));
            });
    }

    std::string root_;
    std::string prefix_;  // root_ with one '/' after it
    Log& log_;
};

std::string UrlHost(const std::string& address) {
    return address.find(':') == std::string::npos ? address : "[" + address + "]";
}

// What a device on the network can type: for a server on every address,
// each IPv4 address of an interface that is up (the loopback one only when
// there is no other).
std::vector<std::string> AddressesToType(const std::string& bind) {
    if (bind != "0.0.0.0" && bind != "::") return {UrlHost(bind)};
    std::vector<std::string> found;
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) == 0) {
        for (const ifaddrs* a = list; a; a = a->ifa_next) {
            if (!a->ifa_addr || a->ifa_addr->sa_family != AF_INET || !(a->ifa_flags & IFF_UP) ||
                (a->ifa_flags & IFF_LOOPBACK))
                continue;
            char text[INET_ADDRSTRLEN];
            const auto* in = reinterpret_cast<const sockaddr_in*>(a->ifa_addr);
            if (inet_ntop(AF_INET, &in->sin_addr, text, sizeof text)) found.push_back(text);
        }
        freeifaddrs(list);
    }
    if (found.empty()) found.push_back("127.0.0.1");
    return found;
}

}  // namespace

bool IsListenAddress(const std::string& text) {
    unsigned char address[sizeof(in6_addr)];
    return inet_pton(AF_INET, text.c_str(), address) == 1 ||
           inet_pton(AF_INET6, text.c_str(), address) == 1;
}

int RunServe(const ServeOptions& options, std::ostream& out, std::ostream& err) {
    const std::string folder = AnsiToUtf8(options.folder);
    char resolved[PATH_MAX];
    struct stat st;
    if (!realpath(folder.c_str(), resolved) || stat(resolved, &st) != 0) {
        err << "zephyrkit-project: " << folder << ": " << std::strerror(errno) << "\n";
        return SERVE_FAILED;
    }
    if (!S_ISDIR(st.st_mode)) {
        err << "zephyrkit-project: " << folder << ": not a folder\n";
        return SERVE_FAILED;
    }
    // A client that goes away must cut its download, not end the server.
    std::signal(SIGPIPE, SIG_IGN);

    Log log(out);
    Site site(resolved, log);
    httplib::Server server;
    server.set_write_timeout(WRITE_TIMEOUT_SECONDS, 0);
    // httplib's own options share the port (SO_REUSEPORT): a second server
    // on it would start as if alone and take half the connections. Only a
    // port left waiting by a server that ended is taken over.
    server.set_socket_options([](int sock) {
        int yes = 1;
        setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    });
    server.Get(".*", [&site](const httplib::Request& req, httplib::Response& res) {
        site.Answer(req, res);
    });
    errno = 0;
    int port = options.port;
    if (port == 0)
        port = server.bind_to_any_port(options.bind);
    else if (!server.bind_to_port(options.bind, port))
        port = -1;
    if (port <= 0) {
        const int why = errno;
        err << "zephyrkit-project: cannot listen on " << UrlHost(options.bind) << ":"
            << options.port << (why ? std::string(": ") + std::strerror(why) : std::string())
            << "\n";
        return SERVE_FAILED;
    }

    out << "Serving " << resolved << "\n";
    for (const std::string& host : AddressesToType(options.bind))
        out << "On the device, type: http://" << host
            << (port == 80 ? "" : ":" + std::to_string(port)) << "/\n";
    out << "Ctrl+C stops the server." << std::endl;

    std::thread listener([&server] { server.listen_after_bind(); });
    const auto start = std::chrono::steady_clock::now();
    while (InterruptionSignal() == 0 &&
           (options.seconds <= 0 ||
            std::chrono::steady_clock::now() - start < std::chrono::seconds(options.seconds)))
        std::this_thread::sleep_for(POLL_INTERVAL);
    server.stop();
    listener.join();
    out << "Stopped." << std::endl;
    return SERVE_DONE;
}

}  // namespace zk
