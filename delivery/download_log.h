// What the local server tells of each download: the byte ranges a client
// asked for brought within the file, and the line logged once the response
// ends — who, which file, how many bytes of how many, complete or cut.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zk {

// A range as a Range header gives it: first and last byte, -1 where the
// header leaves one out ("bytes=-500" is {-1, 500}, the last 500 bytes).
struct ByteRange {
    std::int64_t first;
    std::int64_t last;
};

// More ranges than this in one request are answered with the whole file.
inline constexpr std::size_t MAX_BYTE_RANGES = 16;

enum class RangeFit { Whole, Partial, Unsatisfiable };

// Brings `ranges` within a file of `size` bytes, in place: each with both
// ends, the last byte at most the file's last; ranges that start past the
// end are dropped. Whole for none (or too many), Unsatisfiable when none is
// left (answered 416). `*bytes` gets the count of file bytes to send.
RangeFit FitRanges(std::vector<ByteRange>* ranges, std::uint64_t size, std::uint64_t* bytes);

struct DownloadRecord {
    std::string client;  // address
    std::string file;    // as named below the folder
    std::uint64_t size = 0;
    std::vector<ByteRange> ranges;  // fitted; empty for the whole file
    std::uint64_t length = 0;       // bytes the response promised
    std::uint64_t sent = 0;
    bool complete = false;
};

// "192.168.1.7 demo-mobile.exe: 412000 of 412000 bytes, complete", with
// " (bytes 100-199 of 412000)" after the name for one range and " (3 ranges
// of 412000)" for more. Control characters in the name show as '?'.
std::string DownloadLine(const DownloadRecord& record);

// Text from the network or the file system made safe for a terminal: bytes
// below 0x20 and 0x7F become '?'.
std::string Printable(const std::string& text);

}  // namespace zk
