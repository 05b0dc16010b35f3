#include "tests/support/temp_folder.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <algorithm>
#include <random>
#include <stdexcept>

namespace zk::test {

TempFolder::TempFolder() {
    // create_directory reports whether it made the folder, so a name that
    // another test took meanwhile is never shared.
    std::filesystem::path base = std::filesystem::temp_directory_path();
    std::random_device seed;
    std::mt19937_64 pick(seed());
    for (int attempt = 0; attempt < 100; ++attempt) {
        char name[32];
        std::snprintf(name, sizeof name, "zk-test-%012llx",
                      static_cast<unsigned long long>(pick() & 0xffffffffffffULL));
        std::error_code ec;
        if (std::filesystem::create_directory(base / name, ec)) {
            path_ = (base / name).string();
            return;
        }
    }
    throw std::runtime_error("no temporary folder could be made");
}

TempFolder::~TempFolder() {
    std::error_code ec;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(path_, ec);
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool FileExists(const std::string& path) { return std::filesystem::exists(path); }

std::uint64_t FileSize(const std::string& path) {
    std::error_code ec;
    auto size = std::filesystem::file_size(path, ec);
    return ec ? 0 : size;
}

std::vector<std::string> ListFolder(const std::string& path) {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(path, ec))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::uint32_t ReadU32(const std::string& b, std::size_t o) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(b.at(o))) |
           static_cast<std::uint32_t>(static_cast<unsigned char>(b.at(o + 1))) << 8 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(b.at(o + 2))) << 16 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(b.at(o + 3))) << 24;
}

std::string SmallBitmap(int width, int height) {
    const std::uint32_t row = static_cast<std::uint32_t>((width * 3 + 3) / 4 * 4);
    const std::uint32_t pixels = row * static_cast<std::uint32_t>(height);
    std::string b(54 + pixels, '\x80');
    auto put = [&b](std::size_t at, std::uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i) b[at + i] = static_cast<char>(value >> (8 * i));
    };
    b[0] = 'B';
    b[1] = 'M';
    put(2, 54 + pixels, 4);
    put(6, 0, 4);
    put(10, 54, 4);
    put(14, 40, 4);
    put(18, static_cast<std::uint32_t>(width), 4);
    put(22, static_cast<std::uint32_t>(height), 4);
    put(26, 1, 2);
    put(28, 24, 2);
    for (std::size_t at = 30; at < 54; at += 4) put(at, at == 34 ? pixels : 0, 4);
    return b;
}

std::uint16_t ReadU16(const std::string& b, std::size_t o) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(b.at(o)) |
                                      static_cast<unsigned char>(b.at(o + 1)) << 8);
}

}  // namespace zk::test
