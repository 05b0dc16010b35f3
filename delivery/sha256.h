// SHA-256 (FIPS 180-4), the digest a download page and SHA256SUMS give for
// each installer, so that `sha256sum -c` on any machine can tell a whole
// download from a cut or altered one. Our own few lines rather than a
// library: both builds compile it, and the Windows one has no crypto library
// to link.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace zk {

class Sha256 {
public:
    Sha256();
    void Update(const void* data, std::size_t bytes);
    // The digest of everything given; the object is spent afterwards.
    std::array<std::uint8_t, 32> Finish();

private:
    void Block(const std::uint8_t* block);

    std::array<std::uint32_t, 8> state_;
    std::array<std::uint8_t, 64> pending_{};
    std::size_t pendingBytes_ = 0;
    std::uint64_t totalBytes_ = 0;
};

// The digest in lower-case hexadecimal, as sha256sum prints it.
std::string HexDigest(const std::array<std::uint8_t, 32>& digest);

}  // namespace zk
