#pragma once

#include <cstdint>

namespace zk {

// source × 100 ÷ (source + archive), rounded down: about 50 for data that does
// not shrink, 99 for data that shrinks to almost nothing. 64-bit throughout,
// so sections of several gigabytes give exact figures.
inline int CompressionFigure(std::uint64_t sourceSize, std::uint64_t archiveSize) {
    const std::uint64_t whole = sourceSize + archiveSize;
    return whole == 0 ? 0 : static_cast<int>(sourceSize * 100 / whole);
}

}  // namespace zk
