#include "delivery/request_path.h"

namespace zk {
namespace {

constexpr std::size_t MAX_SEGMENT_BYTES = 255;
constexpr int MAX_DEPTH = 16;

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// False for a bad escape or a byte no file name below the folder may hold.
bool DecodeSegment(const std::string& raw, std::string* segment) {
    segment->clear();
    for (std::size_t i = 0; i < raw.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(raw[i]);
        if (c == '%') {
            if (i + 2 >= raw.size()) return false;
            const int high = HexValue(raw[i + 1]), low = HexValue(raw[i + 2]);
            if (high < 0 || low < 0) return false;
            c = static_cast<unsigned char>(high * 16 + low);
            i += 2;
        }
        // '\\' and ':' name folders and drives (and streams) on Windows.
        if (c < 0x20 || c == 0x7F || c == '/' || c == '\\' || c == ':') return false;
        segment->push_back(static_cast<char>(c));
    }
    return true;
}

// Also an empty segment, which "//" and a trailing '/' give.
bool Hidden(const std::string& segment) {
    static const std::string PARTIAL = ".partial";
    return segment.empty() || segment[0] == '.' ||
           (segment.size() >= PARTIAL.size() &&
            segment.compare(segment.size() - PARTIAL.size(), PARTIAL.size(), PARTIAL) == 0);
}

}  // namespace

RequestedPath MapRequestPath(const std::string& target, std::string* relative) {
    relative->clear();
    const std::string path = target.substr(0, target.find_first_of("?#"));
    if (path.empty() || path[0] != '/') return RequestedPath::NotFound;
    if (path == "/") return RequestedPath::Folder;
    int depth = 0;
    for (std::size_t start = 1;;) {
        const std::size_t end = path.find('/', start);
        std::string segment;
        if (!DecodeSegment(path.substr(start, end - start), &segment) || Hidden(segment) ||
            segment.size() > MAX_SEGMENT_BYTES || ++depth > MAX_DEPTH) {
            relative->clear();
            return RequestedPath::NotFound;
        }
        if (!relative->empty()) *relative += '/';
        *relative += segment;
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return RequestedPath::File;
}

std::string PercentEncoded(const std::string& name) {
    static constexpr char HEX[] = "0123456789ABCDEF";
    std::string encoded;
    for (unsigned char c : name) {
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
            c == '-' || c == '.' || c == '_' || c == '~') {
            encoded += static_cast<char>(c);
        } else {
            encoded += '%';
            encoded += HEX[c >> 4];
            encoded += HEX[c & 15];
        }
    }
    return encoded;
}

}  // namespace zk
