#include "delivery/checksums.h"

#include <memory>
#include <sstream>

#include "delivery/sha256.h"
#include "platform/desktop_platform.h"

namespace zk {
namespace {

constexpr std::size_t BLOCK_BYTES = 16 * 1024;
constexpr std::size_t HASH_DIGITS = 64;

}  // namespace

bool HashFile(DesktopPlatform& platform, const std::string& path, SiteFile* file) {
    std::unique_ptr<FileHandle> in = platform.OpenFile(path, FileMode::Read);
    FileFacts facts;
    if (!in || !platform.GetFileFacts(path, &facts)) return false;
    Sha256 hash;
    std::uint64_t total = 0;
    std::unique_ptr<unsigned char[]> block(new unsigned char[BLOCK_BYTES]);
    for (;;) {
        const std::size_t got = in->Read(block.get(), BLOCK_BYTES);
        if (got == 0) break;
        hash.Update(block.get(), got);
        total += got;
    }
    // A read that failed looks like the end: the count tells them apart.
    if (total != facts.size) return false;
    file->size = total;
    file->sha256 = HexDigest(hash.Finish());
    return true;
}

std::string SumsFileText(const std::vector<SiteFile>& files) {
    std::string text;
    for (const SiteFile& f : files) text += f.sha256 + "  " + f.name + "\n";
    return text;
}

std::vector<std::string> NamesInSums(const std::string& text) {
    std::vector<std::string> names;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        if (line.size() < HASH_DIGITS + 3 || line[HASH_DIGITS] != ' ') continue;
        if (line.find_first_not_of("0123456789abcdefABCDEF") != HASH_DIGITS) continue;
        const char mode = line[HASH_DIGITS + 1];
        if (mode != ' ' && mode != '*') continue;
        names.push_back(line.substr(HASH_DIGITS + 2));
    }
    return names;
}

}  // namespace zk
