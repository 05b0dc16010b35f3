// Whether deflating a piece is worth its time. Much of what an installer
// carries is compressed already (MSZIP and LZX cabinets, images): level 8
// spends nearly all its time searching such data for matches and then saves
// a fraction of a percent, on the desktop that builds and on the device that
// must inflate it. A piece that would not shrink by at least 1 % is better
// written as stored blocks.
//
// The estimate is two cheap looks at the piece, about a fortieth of the cost
// of deflating it:
//  - the order-0 entropy of its bytes: what coding each byte alone could
//    save. Compressed data sits within half a percent of 8 bits a byte.
//  - a greedy scan for repeats of 4 bytes or more, within the piece and back
//    into its dictionary (what deflate's matches would save), which skips
//    ahead faster the longer it finds nothing, as LZ4 does, so that noise
//    costs little to scan. Byte-uniform data that repeats (a table, a ramp,
//    the same compressed blob twice) is found here.
// A fast trial deflate of a slice of the piece was measured too and is both
// dearer and worse: it misses what the rest of the piece holds.
//
// Integer arithmetic only: the answer, and with it every archive's bytes,
// must be the same on every machine and with every compiler.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace zk {

class DeflateGainEstimate {
public:
    DeflateGainEstimate();

    // True when deflating the `size` bytes at `data`, with the
    // `dictionarySize` bytes right before them as the preset dictionary, is
    // expected to save at least 1 %. An empty piece is always deflated.
    // `size` is a piece's: at most a few MiB.
    bool WorthDeflating(const unsigned char* data, std::size_t dictionarySize, std::size_t size);

private:
    std::vector<std::uint32_t> table_;  // the scan's last position per hash
};

}  // namespace zk
