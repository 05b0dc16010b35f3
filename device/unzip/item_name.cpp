#include "device/unzip/item_name.h"

namespace zk {
namespace {

bool IsSeparator(char16_t c) { return c == u'\\' || c == u'/'; }

std::u16string_view CleanFront(std::u16string_view name) {
    static constexpr std::u16string_view CLIMBS[] = {u"\\..\\", u"\\../", u"/../", u"/..\\"};
    for (;;) {
        if (name.size() >= 2 && name[1] == u':') {
            name.remove_prefix(2);
            continue;
        }
        if (!name.empty() && IsSeparator(name[0])) {
            name.remove_prefix(1);
            continue;
        }
        bool cut = false;
        for (std::u16string_view climb : CLIMBS) {
            std::size_t at = name.find(climb);
            if (at != std::u16string_view::npos) {
                name.remove_prefix(at + climb.size());
                cut = true;
                break;
            }
        }
        if (!cut) return name;
    }
}

bool IsDotLevel(std::u16string_view level) {
    if (level.find(u'.') == std::u16string_view::npos) return false;
    for (char16_t c : level)
        if (c != u'.' && c != u' ') return false;
    return true;
}

// Removes each dot level together with the separator after it (or, for a
// last level, nothing more: a trailing separator before it stays).
std::u16string DropDotLevels(std::u16string_view name) {
    std::u16string out;
    std::size_t i = 0;
    while (i < name.size()) {
        std::size_t end = i;
        while (end < name.size() && !IsSeparator(name[end])) ++end;
        std::u16string_view level = name.substr(i, end - i);
        bool hasSeparator = end < name.size();
        if (!IsDotLevel(level)) {
            out += level;
            if (hasSeparator) out += name[end];
        }
        i = hasSeparator ? end + 1 : end;
    }
    return out;
}

}  // namespace

std::u16string SafeItemName(std::u16string_view stored) {
    std::u16string name(CleanFront(stored));
    for (;;) {
        std::u16string next(CleanFront(DropDotLevels(name)));
        if (next == name) return name;
        name = std::move(next);
    }
}

}  // namespace zk
