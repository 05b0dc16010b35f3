// The device zip reader, over a memory block without a password and over a
// device file with one. The input is the archive. Every item is described,
// looked up by its name, read into memory, into a file the caller holds and
// extracted under its own name: whatever the archive holds, nothing lands
// outside the extract folder, the two readings agree, and every result has a
// message that fits its buffer.
#include <algorithm>
#include <climits>
#include <cstdint>
#include <string>
#include <string_view>

#include "device/unzip/zip_archive.h"
#include "fuzz/support/fuzz_check.h"
#include "fuzz/support/memory_device_platform.h"

using namespace zk;

namespace {

// More items than this are described and looked up only; a few thousand
// tiny items would otherwise make one input take seconds.
constexpr std::int32_t EXTRACTED_ITEMS = 32;
constexpr std::uint32_t PIECE = 4096;

bool Described(UnzipStatus code) {
    char16_t text[64];
    const int length = DescribeStatus(code, text, 64);
    return length > 0 && fuzz::Terminated(text);
}

bool ReadingCode(UnzipStatus code) {
    if (!Described(code)) return false;
    switch (code) {
    case UNZIP_OK:
    case UNZIP_NO_FILE:
    case UNZIP_WRITE_FAILED:
    case UNZIP_NOT_FOUND:
    case UNZIP_MORE:
    case UNZIP_CORRUPT:
    case UNZIP_READ_FAILED:
    case UNZIP_PASSWORD:
    case UNZIP_ARGUMENTS:
    case UNZIP_WRONG_MODE:
    case UNZIP_NOT_INITIALISED:
    case UNZIP_SEEK_UNSEEKABLE:
    case UNZIP_FLATE: return true;
    }
    return false;
}

void Walk(fuzz::MemoryDevicePlatform& platform, ZipArchive* archive) {
    ZK_FUZZ_CHECK(ReadingCode(SetExtractFolder(archive, u"\\Out")));
    ZipItem query;
    ZK_FUZZ_CHECK(GetItem(archive, -1, &query) == UNZIP_OK);
    const std::int32_t count = query.index;
    ZK_FUZZ_CHECK(count >= 0);
    ZK_FUZZ_CHECK(GetItem(archive, count, &query) == UNZIP_ARGUMENTS);

    static unsigned char piece[PIECE];
    for (std::int32_t i = 0; i < count && i < 4 * EXTRACTED_ITEMS; ++i) {
        ZipItem item;
        const UnzipStatus described = GetItem(archive, i, &item);
        ZK_FUZZ_CHECK(ReadingCode(described));
        if (described != UNZIP_OK) continue;
        ZK_FUZZ_CHECK(fuzz::Terminated(item.name));
        ZK_FUZZ_CHECK(item.index == i);
        ZipItemStorage storage;
        ZK_FUZZ_CHECK(GetItemStorage(archive, i, &storage) == UNZIP_OK);
        ZK_FUZZ_CHECK(fuzz::Terminated(storage.storedName));
        ZK_FUZZ_CHECK(std::min<std::uint64_t>(storage.uncompressedSize, INT32_MAX) ==
                      static_cast<std::uint64_t>(item.uncompressedSize));

        // Looked up by its name, an item of the directory is found and
        // described. (Not always this one: the name is the one the device
        // writes, and a later item may be stored under it.)
        std::int32_t found = -2;
        ZipItem same;
        const UnzipStatus looked = FindItem(archive, item.name, false, &found, &same);
        ZK_FUZZ_CHECK(ReadingCode(looked));
        if (looked == UNZIP_OK) ZK_FUZZ_CHECK(found >= 0 && found < count && same.index == found);
        if (looked == UNZIP_NOT_FOUND) ZK_FUZZ_CHECK(found == -1);
        if (i >= EXTRACTED_ITEMS) continue;

        // Into memory, piece by piece: it ends, and within the store's size.
        UnzipStatus status = UNZIP_MORE;
        for (int pieces = 0; status == UNZIP_MORE; ++pieces) {
            ZK_FUZZ_CHECK(pieces <= (64 << 20) / static_cast<int>(PIECE) + 1);
            status = ExtractItemToMemory(archive, i, piece, PIECE);
            ZK_FUZZ_CHECK(ReadingCode(status));
        }
        ZK_FUZZ_CHECK(ReadingCode(ExtractItemToFile(archive, i, u"")));
        // Into a file the caller holds, and under its own name: the same bytes.
        std::string held;
        UnzipStatus heldStatus = UNZIP_WRITE_FAILED;
        if (auto file = platform.OpenFile(u"\\Out\\~held", DeviceOpenMode::CreateWrite)) {
            heldStatus = ExtractItemToHandle(archive, i, file.get());
            ZK_FUZZ_CHECK(ReadingCode(heldStatus));
            file->Close();
            held = *platform.FileBytes(u"\\Out\\~held");
            platform.RemoveFile(u"\\Out\\~held");
        }
        const UnzipStatus named = ExtractItemToFile(archive, i, item.name);
        ZK_FUZZ_CHECK(ReadingCode(named));
        const std::string* extracted = platform.FileBytes(u"\\Out\\" + std::u16string(item.name));
        if (named == UNZIP_OK && heldStatus == UNZIP_OK && extracted &&
            !(item.attributes & DEVICE_ATTR_DIRECTORY))
            ZK_FUZZ_CHECK(*extracted == held);
    }
    for (const std::u16string& written : platform.Written())
        ZK_FUZZ_CHECK(fuzz::Within<char16_t>(written, u"out", u'\\'));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    {
        fuzz::MemoryDevicePlatform platform;
        ZK_FUZZ_CHECK(platform.CreateFolder(u"\\Out"));
        ZipArchive* archive = OpenArchiveFromMemory(platform, data, size, nullptr);
        if (archive) {
            Walk(platform, archive);
            ZK_FUZZ_CHECK(CloseArchive(archive) == UNZIP_OK);
        } else {
            ZK_FUZZ_CHECK(MostRecentStatus() != UNZIP_OK);
        }
    }
    {
        fuzz::MemoryDevicePlatform platform;
        ZK_FUZZ_CHECK(platform.CreateFolder(u"\\Out"));
        platform.PutFile(u"\\Temp\\Cab.zip", data, size);
        ZipArchive* archive = OpenArchiveFromFile(platform, u"\\Temp\\Cab.zip", "zephyr");
        if (archive) {
            Walk(platform, archive);
            ZK_FUZZ_CHECK(CloseArchive(archive) == UNZIP_OK);
        }
    }
    return 0;
}
