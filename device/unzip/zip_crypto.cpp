#include "device/unzip/zip_crypto.h"

#include <zlib.h>

namespace zk {
namespace {

std::uint32_t Crc32Byte(std::uint32_t crc, unsigned char byte) {
    static const z_crc_t* table = get_crc_table();
    return static_cast<std::uint32_t>(table[(crc ^ byte) & 0xFF]) ^ (crc >> 8);
}

}  // namespace

ZipDecryptor::ZipDecryptor(const char* password) : keys_{0x12345678, 0x23456789, 0x34567890} {
    for (const char* p = password; p && *p; ++p) Update(static_cast<unsigned char>(*p));
}

void ZipDecryptor::Update(unsigned char plain) {
    keys_[0] = Crc32Byte(keys_[0], plain);
    keys_[1] = (keys_[1] + (keys_[0] & 0xFF)) * 134775813u + 1;
    keys_[2] = Crc32Byte(keys_[2], static_cast<unsigned char>(keys_[1] >> 24));
}

void ZipDecryptor::Decrypt(unsigned char* data, std::size_t length) {
    for (std::size_t i = 0; i < length; ++i) {
        std::uint32_t t = (keys_[2] & 0xFFFF) | 2;
        auto plain = static_cast<unsigned char>(data[i] ^ (((t * (t ^ 1)) >> 8) & 0xFF));
        Update(plain);
        data[i] = plain;
    }
}

bool ZipDecryptor::CheckHeader(unsigned char (&header)[ZIP_CRYPTO_HEADER_SIZE],
                               unsigned char expected) {
    Decrypt(header, ZIP_CRYPTO_HEADER_SIZE);
    return header[ZIP_CRYPTO_HEADER_SIZE - 1] == expected;
}

}  // namespace zk
