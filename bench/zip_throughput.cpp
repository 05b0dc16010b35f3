// Packs the same 64 MiB file with our zip writer and with Info-ZIP's `zip -8`,
// side by side, and prints the throughput of each and their ratio.
//
//   zk-zip-bench [SIZE_MIB]
//
// The data mixes text-like runs with noise, so deflate has real work to do.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "platform/desktop_platform_posix.h"
#include "wizard/build/zip_writer.h"

namespace {

double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

void MakeInput(const std::string& path, std::size_t bytes) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    std::mt19937 random(42);
    static const char* const words[] = {"cabinet ", "installer ", "device ", "Windows ",
                                        "Mobile ", "section ", "zip ", "\r\n"};
    std::vector<char> block(16384);
    for (std::size_t written = 0; written < bytes; written += block.size()) {
        std::size_t i = 0;
        while (i < block.size()) {
            if (random() % 4 == 0) {
                block[i++] = static_cast<char>(random());
            } else {
                for (const char* w = words[random() % 8]; *w && i < block.size(); ++w)
                    block[i++] = *w;
            }
        }
        std::fwrite(block.data(), 1, block.size(), f);
    }
    std::fclose(f);
}

}  // namespace

int main(int argc, char** argv) {
    const std::size_t mib = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 64;
    const std::string dir = std::string(std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp");
    const std::string input = dir + "/zk-bench-input.bin";
    const std::string ours = dir + "/zk-bench-ours.zip";
    const std::string theirs = dir + "/zk-bench-zip.zip";
    MakeInput(input, mib << 20);

    zk::PosixDesktopPlatform platform;
    auto start = std::chrono::steady_clock::now();
    zk::ZipWriter* w = zk::ZipCreate(platform, ours.c_str());
    const std::uint32_t added = zk::ZipAddFile(w, "input.bin", input.c_str());
    const std::uint32_t closed = zk::ZipClose(w);
    const double oursSeconds = Seconds(start);
    if (added || closed) {
        std::fprintf(stderr, "zip writer failed: %#x %#x\n", added, closed);
        return 1;
    }

    std::remove(theirs.c_str());
    start = std::chrono::steady_clock::now();
    const std::string command = "zip -8 -q -j '" + theirs + "' '" + input + "'";
    if (std::system(command.c_str()) != 0) {
        std::fprintf(stderr, "zip -8 failed\n");
        return 1;
    }
    const double zipSeconds = Seconds(start);

    const double size = static_cast<double>(mib);
    std::printf("input                %zu MiB\n", mib);
    std::printf("zk zip writer        %.2f s  %.1f MiB/s\n", oursSeconds, size / oursSeconds);
    std::printf("Info-ZIP zip -8      %.2f s  %.1f MiB/s\n", zipSeconds, size / zipSeconds);
    std::printf("throughput ratio     %.2f (ours / zip -8)\n", zipSeconds / oursSeconds);
    std::remove(input.c_str());
    std::remove(ours.c_str());
    std::remove(theirs.c_str());
    return 0;
}
