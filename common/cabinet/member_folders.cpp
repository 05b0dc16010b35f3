// The parts of a cabinet read here: the header (signature "MSCF" at 0, the
// offset of the first file entry at 16, the number of entries at 28) and the
// file entries, each 16 fixed bytes (the folder index at 8) followed by a
// NUL-terminated name of at most 256 bytes.
#include "common/cabinet/member_folders.h"

#include <cstring>
#include <memory>

#include "common/little_endian.h"
#include "platform/desktop_platform.h"

namespace zk {
namespace {

constexpr std::size_t HEADER_BYTES = 36;
constexpr std::size_t OFF_FIRST_FILE = 16;
constexpr std::size_t OFF_FILE_COUNT = 28;
constexpr std::size_t FILE_ENTRY_BYTES = 16;
constexpr std::size_t OFF_ENTRY_FOLDER = 8;
constexpr std::size_t MAX_NAME_BYTES = 257;  // 256 and the NUL

// Sequential reads in 16 KiB blocks.
class BlockReader {
public:
    explicit BlockReader(FileHandle& file) : file_(file) {}
    bool Get(unsigned char& byte) {
        if (at_ == end_) {
            end_ = file_.Read(block_, sizeof block_);
            at_ = 0;
            if (end_ == 0) return false;
        }
        byte = block_[at_++];
        return true;
    }
    bool Get(unsigned char* bytes, std::size_t count) {
        for (std::size_t i = 0; i < count; ++i)
            if (!Get(bytes[i])) return false;
        return true;
    }

private:
    FileHandle& file_;
    unsigned char block_[16 * 1024];
    std::size_t at_ = 0;
    std::size_t end_ = 0;
};

}  // namespace

bool ReadMemberFolderIndexes(DesktopPlatform& platform, const std::string& cabinetPath,
                             std::vector<std::uint16_t>& indexes) {
    indexes.clear();
    std::unique_ptr<FileHandle> file = platform.OpenFile(cabinetPath, FileMode::Read);
    if (!file) return false;
    auto reader = std::make_unique<BlockReader>(*file);
    unsigned char header[HEADER_BYTES];
    if (!reader->Get(header, sizeof header) || std::memcmp(header, "MSCF", 4) != 0) return false;
    const std::uint32_t firstFile = GetU32(header + OFF_FIRST_FILE);
    const std::uint16_t count = GetU16(header + OFF_FILE_COUNT);
    if (firstFile < HEADER_BYTES || !file->Seek(firstFile)) return false;
    reader = std::make_unique<BlockReader>(*file);
    for (std::uint16_t i = 0; i < count; ++i) {
        unsigned char entry[FILE_ENTRY_BYTES];
        if (!reader->Get(entry, sizeof entry)) return false;
        std::size_t nameBytes = 0;
        unsigned char c = 1;
        while (c != 0) {
            if (!reader->Get(c) || ++nameBytes > MAX_NAME_BYTES) return false;
        }
        indexes.push_back(GetU16(entry + OFF_ENTRY_FOLDER));
    }
    return true;
}

}  // namespace zk
