// The open archive behind a ZipArchive handle: the byte source, minizip's
// handle, the item last described, the memory-extraction stream and the
// extract folder. The public operations of zip_archive.h check the handle and
// record the result; everything else happens here.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include <unzip.h>

#include "device/platform/device_platform.h"
#include "device/unzip/byte_source.h"
#include "device/unzip/item_stream.h"
#include "device/unzip/unzip_status.h"
#include "device/unzip/zip_archive.h"

namespace zk {

class ZipReader {
public:
    ZipReader(DevicePlatform& platform, std::unique_ptr<ByteSource> source, const char* password);
    ~ZipReader();
    ZipReader(const ZipReader&) = delete;
    ZipReader& operator=(const ZipReader&) = delete;

    // Reads the end record and the central directory.
    UnzipStatus Open();
    void SetExtractFolder(std::u16string_view folder);
    UnzipStatus GetItem(std::int32_t index, ZipItem* item);
    UnzipStatus GetItemStorage(std::int32_t index, ZipItemStorage* storage);
    UnzipStatus FindItem(std::u16string_view name, bool ignoreCase, std::int32_t* index,
                         ZipItem* item);
    UnzipStatus ExtractToFile(std::int32_t index, std::u16string_view path);
    UnzipStatus ExtractToHandle(std::int32_t index, DeviceFile* file);
    UnzipStatus ExtractToMemory(std::int32_t index, void* buffer, std::uint32_t length);
    void Close();

private:
    struct Described {
        ZipItem item;
        ItemData data;
        std::u16string storedName;
    };

    UnzipStatus Describe(std::int32_t index, Described* out);
    UnzipStatus PositionOn(std::int32_t index);
    UnzipStatus OpenStream(std::int32_t index, const Described& described,
                           std::unique_ptr<ItemStream>* stream);
    UnzipStatus CopyToTarget(ItemStream& stream, DeviceFile* target);
    UnzipStatus EnsureCopyBuffer();
    void MakeFolders(std::u16string_view folder);
    void CloseMemoryStream();
    const char* password() const { return password_ ? password_->c_str() : nullptr; }

    DevicePlatform& platform_;
    std::unique_ptr<ByteSource> source_;
    std::optional<std::string> password_;
    unzFile zip_ = nullptr;
    std::int32_t count_ = 0;
    // The item minizip stands on; -1 when unknown.
    std::int32_t position_ = -1;
    // The first item the directory walk could not reach: neither it nor any
    // after it can be, and walking there again for each of them would make a
    // directory that claims millions of items take hours.
    std::int32_t unreachable_ = INT32_MAX;
    // The item whose memory-extraction stream is open; -1 when none.
    std::int32_t currentItem_ = -1;
    std::unique_ptr<ItemStream> memoryStream_;
    std::int32_t cachedIndex_ = -1;
    Described cached_;
    std::u16string extractFolder_ = u"\\";
    std::unique_ptr<unsigned char[]> copyBuffer_;
};

}  // namespace zk
