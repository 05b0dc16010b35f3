#include "common/certificate_table.h"

#include "common/little_endian.h"

namespace zk {
namespace {

constexpr std::uint32_t PE_SIGNATURE = 0x00004550;  // "PE\0\0"
constexpr std::uint16_t PE32_MAGIC = 0x10B;
constexpr std::uint16_t PE32_PLUS_MAGIC = 0x20B;
constexpr std::uint32_t SECURITY_DIRECTORY = 4;
constexpr std::uint32_t COFF_HEADER_BYTES = 20;
constexpr std::uint64_t CERTIFICATE_ALIGNMENT = 8;

}  // namespace

bool ReadCertificateTableEntry(ProgramReader read, void* context, std::uint64_t programLength,
                               std::uint64_t* tableAt, std::uint64_t* tableBytes) {
    unsigned char dos[64];
    if (programLength < sizeof dos || !read(context, 0, dos, sizeof dos) || dos[0] != 'M' ||
        dos[1] != 'Z')
        return false;
    const std::uint64_t pe = GetU32(dos + 0x3C);
    unsigned char head[4 + COFF_HEADER_BYTES + 2];
    if (pe >= programLength || programLength - pe < sizeof head ||
        !read(context, pe, head, sizeof head) || GetU32(head) != PE_SIGNATURE)
        return false;
    const std::uint32_t optionalBytes = GetU16(head + 4 + 16);
    const std::uint16_t magic = GetU16(head + 4 + COFF_HEADER_BYTES);
    std::uint32_t countAt = 0, directoriesAt = 0;
    if (magic == PE32_MAGIC) {
        countAt = 92;
        directoriesAt = 96;
    } else if (magic == PE32_PLUS_MAGIC) {
        countAt = 108;
        directoriesAt = 112;
    } else {
        return false;
    }
    const std::uint32_t entryAt = directoriesAt + SECURITY_DIRECTORY * 8;
    if (optionalBytes < entryAt + 8) return false;
    const std::uint64_t optional = pe + 4 + COFF_HEADER_BYTES;
    unsigned char count[4], entry[8];
    if (!read(context, optional + countAt, count, sizeof count) ||
        GetU32(count) <= SECURITY_DIRECTORY ||
        !read(context, optional + entryAt, entry, sizeof entry))
        return false;
    *tableAt = GetU32(entry);
    *tableBytes = GetU32(entry + 4);
    return *tableAt != 0 && *tableBytes != 0;
}

bool EndsInCertificateTable(ProgramReader read, void* context, std::uint64_t sectionsEnd,
                            std::uint64_t programLength, std::uint64_t* tableBytes) {
    if (sectionsEnd >= programLength) return false;
    std::uint64_t tableAt = 0, size = 0;
    if (!ReadCertificateTableEntry(read, context, programLength, &tableAt, &size)) return false;
    const std::uint64_t aligned =
        (sectionsEnd + CERTIFICATE_ALIGNMENT - 1) / CERTIFICATE_ALIGNMENT * CERTIFICATE_ALIGNMENT;
    if (tableAt != aligned || tableAt + size != programLength) return false;
    unsigned char padding[CERTIFICATE_ALIGNMENT] = {};
    const std::size_t pad = static_cast<std::size_t>(tableAt - sectionsEnd);
    if (pad > 0 && !read(context, sectionsEnd, padding, pad)) return false;
    for (std::size_t i = 0; i < pad; ++i)
        if (padding[i] != 0) return false;
    *tableBytes = size;
    return true;
}

}  // namespace zk
