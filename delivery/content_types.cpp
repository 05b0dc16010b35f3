#include "delivery/content_types.h"

#include <cctype>

#include "delivery/site_names.h"

namespace zk {
namespace {

struct Extension {
    const char* extension;
    ContentType type;
};

constexpr Extension EXTENSIONS[] = {
    {".exe", {INSTALLER_CONTENT_TYPE, true}},
    {".cab", {"application/vnd.ms-cab-compressed", true}},
    {".html", {"text/html; charset=utf-8", false}},
    {".htm", {"text/html; charset=utf-8", false}},
    {".txt", {"text/plain; charset=utf-8", false}},
    {".conf", {"text/plain; charset=utf-8", false}},
    {".css", {"text/css", false}},
    {".png", {"image/png", false}},
};

bool EndsWithNoCase(const std::string& name, const std::string& end) {
    if (name.size() < end.size()) return false;
    for (std::size_t i = 0; i < end.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(name[name.size() - end.size() + i])) != end[i])
            return false;
    return true;
}

}  // namespace

ContentType ContentTypeOf(const std::string& fileName) {
    if (fileName == SUMS_FILE_NAME) return {"text/plain; charset=utf-8", false};
    for (const Extension& e : EXTENSIONS)
        if (EndsWithNoCase(fileName, e.extension)) return e.type;
    return {INSTALLER_CONTENT_TYPE, true};
}

}  // namespace zk
