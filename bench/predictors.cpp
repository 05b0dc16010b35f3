// How well cheap looks at a 128 KiB piece foretell whether level 8 will shrink
// it by 1 %, and what each look costs: the measurement behind
// wizard/build/deflate_gain.h. For each whole piece of each file, level 8
// with the 32 KiB before the piece as dictionary (what the writer does) gives
// the truth; each predictor says "store" or "deflate".
//
//   g++ -std=c++20 -O2 -I. -o build/predictors bench/predictors.cpp
//       wizard/build/deflate_gain.cpp -lz        (one line)
//   build/predictors FILE...
#include <zlib.h>

#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "wizard/build/deflate_gain.h"

namespace {

constexpr std::size_t PIECE = 128 * 1024;
constexpr std::size_t DICTIONARY = 32 * 1024;
constexpr double KEEP = 0.99;  // deflate is worth it below 99 % of the piece

std::vector<unsigned char> Load(const char* path) {
    std::vector<unsigned char> bytes;
    if (FILE* f = std::fopen(path, "rb")) {
        unsigned char buffer[1 << 16];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) != 0;)
            bytes.insert(bytes.end(), buffer, buffer + n);
        std::fclose(f);
    }
    return bytes;
}

// Deflated size over input size, at `level`, of `size` bytes after
// `dictionarySize` bytes of dictionary.
double Ratio(int level, const unsigned char* data, std::size_t dictionarySize, std::size_t size) {
    z_stream z{};
    deflateInit2(&z, level, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    if (dictionarySize)
        deflateSetDictionary(&z, data - dictionarySize, static_cast<uInt>(dictionarySize));
    std::vector<unsigned char> out(size * 2 + 1024);
    z.next_in = const_cast<unsigned char*>(data);
    z.avail_in = static_cast<uInt>(size);
    z.next_out = out.data();
    z.avail_out = static_cast<uInt>(out.size());
    deflate(&z, Z_SYNC_FLUSH);
    const double ratio = static_cast<double>(out.size() - z.avail_out) / static_cast<double>(size);
    deflateEnd(&z);
    return ratio;
}

double Entropy(const unsigned char* data, std::size_t size) {
    std::array<double, 256> counts{};
    for (std::size_t i = 0; i < size; ++i) ++counts[data[i]];
    double bits = 0;
    for (double c : counts)
        if (c) bits -= c * std::log2(c / static_cast<double>(size));
    return bits / 8 / static_cast<double>(size);
}

struct Predictor {
    const char* name;
    // True: store the piece.
    std::function<bool(const unsigned char*, std::size_t)> store;
};

}  // namespace

int main(int argc, char** argv) {
    zk::DeflateGainEstimate estimate;
    const Predictor predictors[] = {
        {"level 1 on a 16 KiB slice",
         [](const unsigned char* d, std::size_t) { return Ratio(1, d, 0, 16384) > KEEP; }},
        {"level 1, 16 KiB slice + dictionary",
         [](const unsigned char* d, std::size_t n) { return Ratio(1, d, n, 16384) > KEEP; }},
        {"level 1 on 4 slices of 4 KiB",
         [](const unsigned char* d, std::size_t) {
             double sum = 0;
             for (std::size_t q = 0; q < 4; ++q) sum += Ratio(1, d + q * PIECE / 4, 0, 4096);
             return sum / 4 > KEEP;
         }},
        {"level 1 on the whole piece",
         [](const unsigned char* d, std::size_t n) { return Ratio(1, d, n, PIECE) > KEEP; }},
        {"byte entropy alone",
         [](const unsigned char* d, std::size_t) { return Entropy(d, PIECE) > KEEP; }},
        {"byte entropy + match scan (ours)",
         [&](const unsigned char* d, std::size_t n) {
             return !estimate.WorthDeflating(d, n, PIECE);
         }},
    };
    for (int a = 1; a < argc; ++a) {
        const std::vector<unsigned char> bytes = Load(argv[a]);
        const std::size_t pieces = bytes.size() / PIECE;
        std::vector<double> truth(pieces);
        double truthSeconds = 0, deflated = 0;
        for (std::size_t p = 0; p < pieces; ++p) {
            const auto start = std::chrono::steady_clock::now();
            truth[p] = Ratio(8, bytes.data() + p * PIECE, p ? DICTIONARY : 0, PIECE);
            truthSeconds +=
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            deflated += std::min(truth[p], 1.0) * PIECE;
        }
        std::printf("%s: %zu pieces; level 8 takes %.0f us a piece\n", argv[a], pieces,
                    truthSeconds / static_cast<double>(pieces) * 1e6);
        std::printf("  %-36s %9s %7s %14s %16s %10s\n", "predictor", "us/piece", "stored",
                    "stored, shrink", "deflated, won't", "bytes lost");
        for (const Predictor& predictor : predictors) {
            int stored = 0, wronglyStored = 0, wronglyDeflated = 0;
            double lost = 0, seconds = 0;
            for (std::size_t p = 0; p < pieces; ++p) {
                const auto start = std::chrono::steady_clock::now();
                const bool store = predictor.store(bytes.data() + p * PIECE, p ? DICTIONARY : 0);
                seconds +=
                    std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
                const bool shouldStore = truth[p] > KEEP;
                stored += store;
                wronglyStored += store && !shouldStore;
                wronglyDeflated += !store && shouldStore;
                if (store) lost += (1 - std::min(truth[p], 1.0)) * PIECE;
            }
            std::printf("  %-36s %9.0f %7d %14d %16d %9.3f%%\n", predictor.name,
                        seconds / static_cast<double>(pieces) * 1e6, stored, wronglyStored,
                        wronglyDeflated, lost / deflated * 100);
        }
    }
}
