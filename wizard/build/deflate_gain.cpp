#include "wizard/build/deflate_gain.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

namespace zk {
namespace {

constexpr int HASH_BITS = 14;
constexpr std::uint32_t EMPTY = 0xFFFFFFFF;
constexpr std::size_t WINDOW = 32 * 1024;
constexpr std::size_t MIN_MATCH = 4;
constexpr std::size_t MAX_MATCH = 258;
// A match costs deflate about three bytes' worth of length and distance code.
constexpr std::size_t MATCH_COST = 3;
// The scan's step grows by one every 2^SKIP_SHIFT misses in a row.
constexpr int SKIP_SHIFT = 6;
// log2(e) / 2, in units of 1/65536: half a nat in bits.
constexpr std::uint64_t LOG2_E_HALF_Q16 = 47274;
// Worth deflating: expected size below 99 % of the piece.
constexpr std::uint64_t KEEP_PERCENT = 99;

// log2(x) in units of 1/65536, for x >= 1: the whole part from the bit
// width, each fractional bit by squaring the mantissa.
std::uint64_t Log2Q16(std::uint64_t x) {
    const int whole = std::bit_width(x) - 1;
    constexpr int ONE_SHIFT = 30;
    std::uint64_t m = whole >= ONE_SHIFT ? x >> (whole - ONE_SHIFT) : x << (ONE_SHIFT - whole);
    std::uint64_t fraction = 0;
    for (int bit = 15; bit >= 0; --bit) {
        m = (m * m) >> ONE_SHIFT;
        if (m >= (std::uint64_t{2} << ONE_SHIFT)) {
            m >>= 1;
            fraction |= std::uint64_t{1} << bit;
        }
    }
    return static_cast<std::uint64_t>(whole) << 16 | fraction;
}

// The bits an ideal order-0 code of the bytes would take.
std::uint64_t EntropyBits(const unsigned char* data, std::size_t size) {
    // Four tables, so that runs of one byte do not wait on one counter.
    std::array<std::array<std::uint32_t, 256>, 4> counts{};
    std::size_t i = 0;
    for (; i + 4 <= size; i += 4) {
        ++counts[0][data[i]];
        ++counts[1][data[i + 1]];
        ++counts[2][data[i + 2]];
        ++counts[3][data[i + 3]];
    }
    for (; i < size; ++i) ++counts[0][data[i]];
    const std::uint64_t logSize = Log2Q16(size);
    std::uint64_t bits = 0, seen = 0;
    for (int b = 0; b < 256; ++b) {
        const std::uint64_t c =
            std::uint64_t{counts[0][b]} + counts[1][b] + counts[2][b] + counts[3][b];
        if (c) bits += c * (logSize - Log2Q16(c));
        seen += c != 0;
    }
    // Counted on a sample, the entropy comes out low by about (seen - 1) / 2
    // nats (Miller and Madow): a few KiB of noise would otherwise look 2 %
    // compressible.
    return (bits + (seen - 1) * LOG2_E_HALF_Q16) >> 16;
}

std::uint32_t Load32(const unsigned char* p) {
    // Assembled byte by byte: the same value whatever the machine's order.
    return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 |
           std::uint32_t{p[3]} << 24;
}

std::uint32_t Hash(std::uint32_t v) { return (v * 2654435761U) >> (32 - HASH_BITS); }

// Bytes that matches would save: a greedy parse that looks up each 4 bytes
// at the last place they were seen. The dictionary is only indexed, every
// fourth position, which is enough to catch any long repeat of it.
std::size_t MatchSavings(const unsigned char* base, std::size_t dictionarySize, std::size_t size,
                         std::uint32_t* table) {
    std::fill_n(table, std::size_t{1} << HASH_BITS, EMPTY);
    for (std::size_t i = 0; i + MIN_MATCH <= dictionarySize; i += 4)
        table[Hash(Load32(base + i))] = static_cast<std::uint32_t>(i);
    const std::size_t end = dictionarySize + size;
    std::size_t saved = 0, misses = 0;
    for (std::size_t i = dictionarySize; i + MIN_MATCH <= end;) {
        const std::uint32_t v = Load32(base + i);
        std::uint32_t& slot = table[Hash(v)];
        const std::uint32_t candidate = slot;
        slot = static_cast<std::uint32_t>(i);
        if (candidate != EMPTY && i - candidate <= WINDOW && Load32(base + candidate) == v) {
            std::size_t length = MIN_MATCH;
            while (i + length < end && length < MAX_MATCH &&
                   base[candidate + length] == base[i + length])
                ++length;
            saved += length - MATCH_COST;
            i += length;
            misses = 0;
        } else {
            i += 1 + (misses++ >> SKIP_SHIFT);
        }
    }
    return saved;
}

}  // namespace

DeflateGainEstimate::DeflateGainEstimate() : table_(std::size_t{1} << HASH_BITS) {}

bool DeflateGainEstimate::WorthDeflating(const unsigned char* data, std::size_t dictionarySize,
                                         std::size_t size) {
    if (size == 0) return true;
    const std::uint64_t n = size;
    const std::uint64_t bits = EntropyBits(data, size);
    // Coding the bytes alone saves enough: matches can only add to it.
    if (bits * 100 < KEEP_PERCENT * 8 * n) return true;
    const std::uint64_t saved =
        MatchSavings(data - dictionarySize, dictionarySize, size, table_.data());
    // The bytes left after the matches, each at the entropy's cost.
    const std::uint64_t left = n - std::min<std::uint64_t>(saved, n);
    return bits * left / n * 100 < KEEP_PERCENT * 8 * n;
}

}  // namespace zk
