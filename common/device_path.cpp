#include "common/device_path.h"

#include <system_error>

#include "common/utf16_text.h"

namespace zk {
namespace {

namespace fs = std::filesystem;

bool IsSeparator(char16_t c) { return c == u'\\' || c == u'/'; }

}  // namespace

bool SplitDevicePath(std::u16string_view path, std::vector<std::u16string>* levels) {
    if (path.find(u'\0') != std::u16string_view::npos) return false;
    if (path.size() >= 2 && path[1] == u':') path.remove_prefix(2);
    std::size_t i = 0;
    while (i < path.size()) {
        while (i < path.size() && IsSeparator(path[i])) ++i;
        std::size_t start = i;
        while (i < path.size() && !IsSeparator(path[i])) ++i;
        std::u16string_view level = path.substr(start, i - start);
        if (level.empty() || level == u".") continue;
        if (level == u"..") {
            if (!levels->empty()) levels->pop_back();
            continue;
        }
        levels->emplace_back(level);
    }
    return true;
}

fs::path HostName(std::u16string_view name) {
    std::string utf8 = Utf16ToUtf8(name);
    return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

std::u16string DeviceName(const fs::path& hostName) {
    std::u8string utf8 = hostName.u8string();
    return Utf8ToUtf16(std::string(utf8.begin(), utf8.end()));
}

fs::path MatchDeviceLevel(const fs::path& folder, std::u16string_view level) {
    fs::path given = HostName(level);
    std::error_code error;
    if (fs::exists(fs::symlink_status(folder / given, error))) return given;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        fs::path name = it->path().filename();
        if (EqualsIgnoringCase(DeviceName(name), level)) return name;
    }
    return given;
}

}  // namespace zk
