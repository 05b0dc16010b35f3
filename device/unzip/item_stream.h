// The decoded data of the item minizip is positioned on.
//
// Plain items are read through minizip. The minizip copy that the device
// build takes from zlib's contrib folder is compiled without decryption, so
// an encrypted item is read raw through minizip and decrypted and inflated
// here. Either way the data ends exactly at the item's size, and the CRC-32 is
// checked when the stream is finished.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include <unzip.h>
#include <zlib.h>

#include "device/unzip/unzip_status.h"
#include "device/unzip/zip_crypto.h"

namespace zk {

// What the central directory says about an item's data.
struct ItemData {
    std::uint32_t flags = 0;   // general-purpose bit flags
    std::uint32_t method = 0;  // 0 stored, 8 deflated
    std::uint32_t crc = 0;
    std::uint32_t dosDateTime = 0;
    std::uint64_t compressedSize = 0;
    std::uint64_t uncompressedSize = 0;

    bool encrypted() const { return (flags & 1) != 0; }
};

class ItemStream {
public:
    ItemStream(unzFile file, const ItemData& data);
    ~ItemStream();
    ItemStream(const ItemStream&) = delete;
    ItemStream& operator=(const ItemStream&) = delete;

    // UNZIP_PASSWORD when the item is encrypted and the password is null or
    // fails the header check; UNZIP_FLATE when the item's data cannot be
    // opened or uses a method other than stored or deflated.
    UnzipStatus Open(const char* password);

    // Up to `length` bytes into `buffer`; *got says how many. UNZIP_OK with
    // nothing read happens only at the end. A failure to decode gives
    // UNZIP_FLATE, or UNZIP_PASSWORD for an encrypted item.
    UnzipStatus Read(void* buffer, std::uint32_t length, std::uint32_t* got);

    bool AtEnd() const;

    // Closes the stream; after the end, a CRC mismatch is reported as a
    // decoding failure.
    UnzipStatus Finish();

private:
    UnzipStatus ReadEncrypted(unsigned char* out, std::uint32_t length, std::uint32_t* got);
    std::uint32_t ReadRaw(unsigned char* buffer, std::uint32_t length, bool* failed);
    UnzipStatus DecodeFailure() const;

    unzFile file_;
    ItemData data_;
    bool open_ = false;
    // Encrypted items only.
    std::optional<ZipDecryptor> decryptor_;
    std::unique_ptr<unsigned char[]> input_;
    z_stream inflater_{};
    bool inflaterReady_ = false;
    std::uint64_t produced_ = 0;
    std::uint32_t crc_ = 0;
};

}  // namespace zk
