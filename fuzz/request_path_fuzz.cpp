// Which file of the served folder a request names. The input is the
// request line's target. Whatever it holds, what it names lies inside the
// folder, is no file the folder keeps to itself, and would be written by
// Windows and by POSIX as the same file: no segment is empty, ".", "..",
// hidden or a partial download, none holds a separator, a drive's colon or
// a control character. A name it maps to is reached again through its own
// link, and a query changes nothing.
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "delivery/request_path.h"
#include "fuzz/support/fuzz_check.h"

using namespace zk;

namespace {

bool PlainSegment(std::string_view s) {
    if (s.empty() || s.size() > 255 || s[0] == '.') return false;
    if (s.size() >= 8 && s.substr(s.size() - 8) == ".partial") return false;
    for (unsigned char c : s)
        if (c < 0x20 || c == 0x7F || c == '/' || c == '\\' || c == ':') return false;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string target(reinterpret_cast<const char*>(data), size);
    std::string relative = "left over";
    const RequestedPath mapped = MapRequestPath(target, &relative);
    const std::string path = target.substr(0, target.find_first_of("?#"));
    ZK_FUZZ_CHECK((mapped == RequestedPath::Folder) == (path == "/"));
    if (mapped != RequestedPath::File) {
        ZK_FUZZ_CHECK(relative.empty());
        return 0;
    }

    std::string link;
    int depth = 0;
    for (std::size_t at = 0;;) {
        const std::size_t end = relative.find('/', at);
        const std::string_view segment =
            std::string_view(relative).substr(at, end == std::string::npos ? end : end - at);
        ZK_FUZZ_CHECK(PlainSegment(segment));
        ZK_FUZZ_CHECK(++depth <= 16);
        link += "/" + PercentEncoded(std::string(segment));
        if (end == std::string::npos) break;
        at = end + 1;
    }
    const std::filesystem::path folder = "/srv/site";
    const std::string served = (folder / relative).lexically_normal().string();
    ZK_FUZZ_CHECK(served.compare(0, 10, "/srv/site/") == 0 && served.size() > 10);

    std::string again;
    ZK_FUZZ_CHECK(MapRequestPath(link + "?from=link#top", &again) == RequestedPath::File);
    ZK_FUZZ_CHECK(again == relative);
    return 0;
}
