#include "device/unzip/item_stream.h"

#include <climits>
#include <new>

namespace zk {
namespace {

constexpr std::uint32_t METHOD_STORED = 0;
constexpr std::uint32_t METHOD_DEFLATED = 8;
constexpr std::uint32_t DATA_DESCRIPTOR_FLAG = 0x08;
constexpr std::uint32_t RAW_INPUT_SIZE = 16384;

}  // namespace

ItemStream::ItemStream(unzFile file, const ItemData& data) : file_(file), data_(data) {}

ItemStream::~ItemStream() {
    if (open_) unzCloseCurrentFile(file_);
    if (inflaterReady_) inflateEnd(&inflater_);
}

UnzipStatus ItemStream::DecodeFailure() const {
    return data_.encrypted() ? UNZIP_PASSWORD : UNZIP_FLATE;
}

UnzipStatus ItemStream::Open(const char* password) {
    if (data_.method != METHOD_STORED && data_.method != METHOD_DEFLATED) return UNZIP_FLATE;
    if (!data_.encrypted()) {
        if (unzOpenCurrentFile(file_) != UNZ_OK) return UNZIP_FLATE;
        open_ = true;
        return UNZIP_OK;
    }
    if (!password) return UNZIP_PASSWORD;
    if (unzOpenCurrentFile2(file_, nullptr, nullptr, 1) != UNZ_OK) return UNZIP_FLATE;
    open_ = true;
    decryptor_.emplace(password);
    unsigned char header[ZIP_CRYPTO_HEADER_SIZE];
    bool failed = false;
    if (ReadRaw(header, sizeof header, &failed) != sizeof header) return UNZIP_FLATE;
    auto expected = static_cast<unsigned char>(
        (data_.flags & DATA_DESCRIPTOR_FLAG) ? (data_.dosDateTime >> 8) & 0xFF : data_.crc >> 24);
    if (!decryptor_->CheckHeader(header, expected)) return UNZIP_PASSWORD;
    input_.reset(new (std::nothrow) unsigned char[RAW_INPUT_SIZE]);
    if (!input_) return UNZIP_NO_MEMORY;
    if (data_.method == METHOD_DEFLATED) {
        if (inflateInit2(&inflater_, -MAX_WBITS) != Z_OK) return UNZIP_FLATE;
        inflaterReady_ = true;
    }
    return UNZIP_OK;
}

std::uint32_t ItemStream::ReadRaw(unsigned char* buffer, std::uint32_t length, bool* failed) {
    std::uint32_t done = 0;
    while (done < length) {
        int n = unzReadCurrentFile(file_, buffer + done, length - done);
        if (n < 0) *failed = true;
        if (n <= 0) break;
        done += static_cast<std::uint32_t>(n);
    }
    return done;
}

UnzipStatus ItemStream::Read(void* buffer, std::uint32_t length, std::uint32_t* got) {
    *got = 0;
    if (!open_) return UNZIP_FLATE;
    if (length > INT_MAX) length = INT_MAX;
    if (data_.encrypted()) return ReadEncrypted(static_cast<unsigned char*>(buffer), length, got);
    int n = unzReadCurrentFile(file_, buffer, length);
    if (n < 0) return UNZIP_FLATE;
    if (n == 0 && !AtEnd()) return UNZIP_FLATE;
    *got = static_cast<std::uint32_t>(n);
    return UNZIP_OK;
}

UnzipStatus ItemStream::ReadEncrypted(unsigned char* out, std::uint32_t length,
                                      std::uint32_t* got) {
    std::uint64_t left = data_.uncompressedSize - produced_;
    if (length > left) length = static_cast<std::uint32_t>(left);
    std::uint32_t done = 0;
    bool failed = false;
    if (data_.method == METHOD_STORED) {
        done = ReadRaw(out, length, &failed);
        decryptor_->Decrypt(out, done);
    } else {
        inflater_.next_out = out;
        inflater_.avail_out = length;
        while (inflater_.avail_out > 0) {
            if (inflater_.avail_in == 0) {
                std::uint32_t n = ReadRaw(input_.get(), RAW_INPUT_SIZE, &failed);
                decryptor_->Decrypt(input_.get(), n);
                inflater_.next_in = input_.get();
                inflater_.avail_in = n;
            }
            uInt before = inflater_.avail_out;
            int z = inflate(&inflater_, Z_SYNC_FLUSH);
            if (z == Z_STREAM_END) break;
            if (z != Z_OK && !(z == Z_BUF_ERROR && inflater_.avail_out < before)) {
                failed = true;
                break;
            }
            if (inflater_.avail_out == before && inflater_.avail_in == 0) break;
        }
        done = length - inflater_.avail_out;
    }
    crc_ = static_cast<std::uint32_t>(crc32(crc_, out, done));
    produced_ += done;
    *got = done;
    if (failed || (done < length)) return DecodeFailure();
    return UNZIP_OK;
}

bool ItemStream::AtEnd() const {
    if (!open_) return false;
    if (data_.encrypted()) return produced_ == data_.uncompressedSize;
    return unzeof(file_) == 1;
}

UnzipStatus ItemStream::Finish() {
    if (!open_) return UNZIP_OK;
    bool atEnd = AtEnd();
    int closed = unzCloseCurrentFile(file_);
    open_ = false;
    if (inflaterReady_) {
        inflateEnd(&inflater_);
        inflaterReady_ = false;
    }
    if (!atEnd) return UNZIP_OK;
    if (data_.encrypted()) return crc_ == data_.crc ? UNZIP_OK : UNZIP_PASSWORD;
    return closed == UNZ_CRCERROR ? UNZIP_FLATE : UNZIP_OK;
}

}  // namespace zk
