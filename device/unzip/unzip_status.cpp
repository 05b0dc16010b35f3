#include "device/unzip/unzip_status.h"

#include <atomic>
#include <string_view>

namespace zk {
namespace {

std::atomic<UnzipStatus> mostRecent{UNZIP_OK};

struct StatusMessage {
    UnzipStatus code;
    std::string_view text;
};

// The texts are part of the interface, spelling included.
constexpr StatusMessage MESSAGES[] = {
    {UNZIP_OK, "Success"},
    {UNZIP_NO_DUPLICATE, "Culdn't duplicate handle"},
    {UNZIP_NO_FILE, "Couldn't create/open file"},
    {UNZIP_NO_MEMORY, "Failed to allocate memory"},
    {UNZIP_WRITE_FAILED, "Error writing to file"},
    {UNZIP_NOT_FOUND, "File not found in the zipfile"},
    {UNZIP_MORE, "Still more data to unzip"},
    {UNZIP_CORRUPT, "Zipfile is corrupt or not a zipfile"},
    {UNZIP_READ_FAILED, "Error reading file"},
    {UNZIP_PASSWORD, "Correct password required"},
    {UNZIP_ARGUMENTS, "Caller: faulty arguments"},
    {UNZIP_NOT_MEMORY_ZIP, "Caller: can only get memory of a memory zipfile"},
    {UNZIP_MEMORY_SIZE, "Caller: not enough space allocated for memory zipfile"},
    {UNZIP_PREVIOUS_ERROR, "Caller: there was a previous error"},
    {UNZIP_ENDED, "Caller: additions to the zip have already been ended"},
    {UNZIP_SIZE_CHANGED, "Zip-bug: the anticipated size turned out wrong"},
    {UNZIP_PARTLY_UNZIPPED, "Caller: the file had already been partially unzipped"},
    {UNZIP_WRONG_MODE, "Caller: mixing creation and opening of zip"},
    {UNZIP_NOT_INITIALISED, "Zip-bug: internal initialisation not completed"},
    {UNZIP_SEEK_UNSEEKABLE, "Zip-bug: trying to seek the unseekable"},
    {UNZIP_NO_CHANGE, "Zip-bug: tried to change mind, but not allowed"},
    {UNZIP_FLATE, "Zip-bug: an internal error during flation"},
};

constexpr std::string_view UNKNOWN = "unknown zip result code";

}  // namespace

int DescribeStatus(UnzipStatus code, char16_t* buffer, std::size_t bufferUnits) {
    if (code == UNZIP_MOST_RECENT) code = mostRecent.load();
    std::string_view text = UNKNOWN;
    for (const StatusMessage& m : MESSAGES) {
        if (m.code == code) {
            text = m.text;
            break;
        }
    }
    if (buffer && bufferUnits > 0) {
        std::size_t n = text.size() < bufferUnits - 1 ? text.size() : bufferUnits - 1;
        for (std::size_t i = 0; i < n; ++i) buffer[i] = static_cast<char16_t>(text[i]);
        buffer[n] = 0;
    }
    return static_cast<int>(text.size());
}

UnzipStatus MostRecentStatus() { return mostRecent.load(); }

UnzipStatus RecordStatus(UnzipStatus code) {
    mostRecent.store(code);
    return code;
}

}  // namespace zk
