#include "device/installer/browse_paths.h"

namespace zk {
namespace {

constexpr char16_t ROOT[] = u"\\";

}  // namespace

std::u16string FolderSearchPattern(const std::vector<std::u16string>& texts) {
    std::u16string path;
    for (const std::u16string& text : texts) {
        path += text;
        if (text != ROOT) path += u'\\';
    }
    if (path == ROOT) return u"\\*.*";
    return path + u"*.*";
}

std::u16string PickedFolderPath(const std::vector<std::u16string>& texts) {
    std::u16string path;
    for (std::size_t i = 1; i < texts.size(); ++i) {
        path += u'\\';
        path += texts[i];
    }
    return path.empty() ? std::u16string(ROOT) : path;
}

bool BrowseListsFile(std::u16string_view filter, std::u16string_view name) {
    if (filter.empty()) return false;
    if (filter == u"*.") return true;
    if (filter.size() < 4 || name.size() < 4) return false;
    for (std::size_t i = 0; i < 4; ++i) {
        if (filter[i] != name[name.size() - 1 - i]) return false;
    }
    return true;
}

bool IsBrowsableName(std::u16string_view name) { return name != u"." && name != u".."; }

bool ReturnPressesEndBrowse(std::uint32_t lastTick, std::uint32_t nowTick) {
    return lastTick != 0 && static_cast<std::uint32_t>(nowTick - lastTick) < 1000;
}

}  // namespace zk
