// The traditional PKWARE zip encryption ("ZipCrypto"), decrypting side.
//
// An encrypted item's data starts with a 12-byte header that decrypts to 11
// random bytes and one check byte: the high byte of the item's CRC-32, or,
// when the sizes and CRC follow the data (general-purpose bit 3), the high
// byte of the DOS time. A wrong password shows there 255 times in 256; the
// rest is caught by the inflate or by the CRC at the end.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zk {

inline constexpr std::size_t ZIP_CRYPTO_HEADER_SIZE = 12;

class ZipDecryptor {
public:
    explicit ZipDecryptor(const char* password);

    void Decrypt(unsigned char* data, std::size_t length);

    // Decrypts the header in place and compares its check byte.
    bool CheckHeader(unsigned char (&header)[ZIP_CRYPTO_HEADER_SIZE], unsigned char expected);

private:
    void Update(unsigned char plain);

    std::uint32_t keys_[3];
};

}  // namespace zk
