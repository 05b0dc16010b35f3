// The installer's log: one line per event, appended to a file that is opened
// and closed for every line, so a change of the log path applies to the next
// line and nothing is lost when the device resets. The log is written
// whatever the preferences say.
//
// A line is cut to LOG_LINE_UNITS - 1 units (never inside a surrogate pair)
// and stored as UTF-8 followed by "\n". The unpacking thread, the
// installation thread and the window all write here; one lock keeps their
// lines whole and in order. A line that cannot be written is dropped.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "device/platform/device_platform.h"
#include "device/platform/device_threads.h"

namespace zk {

inline constexpr std::size_t LOG_LINE_UNITS = 16384;

class InstallerLog {
public:
    explicit InstallerLog(DevicePlatform& platform);

    // The line as given, already formatted.
    void LogLine(std::u16string_view line);

    void SetPath(std::u16string_view path);
    std::u16string Path() const;

private:
    DevicePlatform& platform_;
    mutable DeviceLock lock_;
    std::u16string path_;
};

}  // namespace zk
