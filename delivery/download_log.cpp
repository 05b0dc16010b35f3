#include "delivery/download_log.h"

namespace zk {

RangeFit FitRanges(std::vector<ByteRange>* ranges, std::uint64_t size, std::uint64_t* bytes) {
    const auto end = static_cast<std::int64_t>(size);
    *bytes = size;
    if (ranges->empty() || ranges->size() > MAX_BYTE_RANGES) {
        ranges->clear();
        return RangeFit::Whole;
    }
    std::vector<ByteRange> fitted;
    std::uint64_t total = 0;
    for (ByteRange r : *ranges) {
        if (r.first < 0 && r.last < 0) {
            r = {0, end - 1};
        } else if (r.first < 0) {  // the last r.last bytes
            if (r.last == 0) continue;
            r = {r.last >= end ? 0 : end - r.last, end - 1};
        } else if (r.last < 0 || r.last >= end) {
            r.last = end - 1;
        }
        if (r.first >= end || r.first > r.last) continue;
        total += static_cast<std::uint64_t>(r.last - r.first + 1);
        fitted.push_back(r);
    }
    *ranges = fitted;
    if (fitted.empty()) {
        *bytes = 0;
        return RangeFit::Unsatisfiable;
    }
    *bytes = total;
    return RangeFit::Partial;
}

std::string Printable(const std::string& text) {
    std::string printable = text;
    for (char& c : printable)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
    return printable;
}

std::string DownloadLine(const DownloadRecord& r) {
    std::string line = Printable(r.client) + " " + Printable(r.file);
    if (r.ranges.size() == 1)
        line += " (bytes " + std::to_string(r.ranges[0].first) + "-" +
                std::to_string(r.ranges[0].last) + " of " + std::to_string(r.size) + ")";
    else if (r.ranges.size() > 1)
        line +=
            " (" + std::to_string(r.ranges.size()) + " ranges of " + std::to_string(r.size) + ")";
    line += ": " + std::to_string(r.sent) + " of " + std::to_string(r.length) + " bytes, " +
            (r.complete ? "complete" : "cut");
    return line;
}

}  // namespace zk
