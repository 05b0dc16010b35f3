#include "platform/source_date_platform.h"

namespace zk {
namespace {

// 9999-12-31 23:59:59 UTC.
constexpr std::int64_t LATEST_SOURCE_DATE = 253402300799LL;
constexpr std::uint64_t FILETIME_PER_SECOND = 10000000ULL;

}  // namespace

bool ParseSourceDateEpoch(std::string_view text, std::int64_t* seconds) {
    if (text.empty() || text.size() > 12) return false;
    std::int64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    if (value > LATEST_SOURCE_DATE) return false;
    *seconds = value;
    return true;
}

bool SourceDatePlatform::GetFileFacts(const std::string& path, FileFacts* out) {
    if (!inner_.GetFileFacts(path, out)) return false;
    const std::uint64_t latest =
        FILETIME_UNIX_EPOCH + static_cast<std::uint64_t>(sourceDate_) * FILETIME_PER_SECOND;
    for (std::uint64_t* time : {&out->creationTime, &out->lastAccessTime, &out->lastWriteTime})
        if (*time > latest) *time = latest;
    return true;
}

}  // namespace zk
