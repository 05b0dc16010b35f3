// Builds that come out the same byte for byte, the reproducible-builds way:
// with SOURCE_DATE_EPOCH set, "now" is that instant, and no file is older
// than a file made at it. The build's own clock reading (the date subfolder)
// and the times of every file it packs (the project file it has just
// written, inputs copied after that instant) then stop depending on when the
// build ran; file times before it are kept as they are.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/forwarding_desktop_platform.h"

namespace zk {

// The variable's text as seconds since 1970: decimal digits only, at most
// the year 9999. False for anything else.
bool ParseSourceDateEpoch(std::string_view text, std::int64_t* seconds);

class SourceDatePlatform : public ForwardingDesktopPlatform {
public:
    SourceDatePlatform(DesktopPlatform& inner, std::int64_t sourceDate)
        : ForwardingDesktopPlatform(inner), sourceDate_(sourceDate) {}

    std::int64_t CurrentUnixTime() override { return sourceDate_; }
    // The three times, each at most the source date.
    bool GetFileFacts(const std::string& path, FileFacts* out) override;

private:
    std::int64_t sourceDate_;
};

}  // namespace zk
