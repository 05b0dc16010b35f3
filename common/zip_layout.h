// The records of a zip archive that the builds write and the package
// inspector reads (PKWARE's APPNOTE.TXT, section 4.3): each record's
// signature, which is its first four bytes, its fixed size, and the offset of
// every other field from the start of the record, all little-endian. The member's
// name follows a local or central header at its fixed size, then its extra
// field; an archive ends with the end-of-central-directory record.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zk {

// Local file header, in front of each member's data.
inline constexpr std::uint32_t ZIP_LOCAL_HEADER_SIGNATURE = 0x04034B50;
inline constexpr std::size_t ZIP_LOCAL_HEADER_SIZE = 30;
inline constexpr std::size_t ZIP_LOCAL_VERSION_NEEDED = 4;
inline constexpr std::size_t ZIP_LOCAL_FLAGS = 6;
inline constexpr std::size_t ZIP_LOCAL_METHOD = 8;
inline constexpr std::size_t ZIP_LOCAL_TIME = 10;
inline constexpr std::size_t ZIP_LOCAL_DATE = 12;
inline constexpr std::size_t ZIP_LOCAL_CRC = 14;
inline constexpr std::size_t ZIP_LOCAL_COMPRESSED_SIZE = 18;
inline constexpr std::size_t ZIP_LOCAL_UNCOMPRESSED_SIZE = 22;
inline constexpr std::size_t ZIP_LOCAL_NAME_LENGTH = 26;
inline constexpr std::size_t ZIP_LOCAL_EXTRA_LENGTH = 28;

// Central directory header, one per member after all the data.
inline constexpr std::uint32_t ZIP_CENTRAL_HEADER_SIGNATURE = 0x02014B50;
inline constexpr std::size_t ZIP_CENTRAL_HEADER_SIZE = 46;
inline constexpr std::size_t ZIP_CENTRAL_VERSION_MADE_BY = 4;
inline constexpr std::size_t ZIP_CENTRAL_VERSION_NEEDED = 6;
inline constexpr std::size_t ZIP_CENTRAL_FLAGS = 8;
inline constexpr std::size_t ZIP_CENTRAL_METHOD = 10;
inline constexpr std::size_t ZIP_CENTRAL_TIME = 12;
inline constexpr std::size_t ZIP_CENTRAL_DATE = 14;
inline constexpr std::size_t ZIP_CENTRAL_CRC = 16;
inline constexpr std::size_t ZIP_CENTRAL_COMPRESSED_SIZE = 20;
inline constexpr std::size_t ZIP_CENTRAL_UNCOMPRESSED_SIZE = 24;
inline constexpr std::size_t ZIP_CENTRAL_NAME_LENGTH = 28;
inline constexpr std::size_t ZIP_CENTRAL_EXTRA_LENGTH = 30;
inline constexpr std::size_t ZIP_CENTRAL_COMMENT_LENGTH = 32;
inline constexpr std::size_t ZIP_CENTRAL_DISK = 34;
inline constexpr std::size_t ZIP_CENTRAL_INTERNAL_ATTRIBUTES = 36;
inline constexpr std::size_t ZIP_CENTRAL_EXTERNAL_ATTRIBUTES = 38;
inline constexpr std::size_t ZIP_CENTRAL_LOCAL_HEADER_OFFSET = 42;

// End of central directory record.
inline constexpr std::uint32_t ZIP_END_SIGNATURE = 0x06054B50;
inline constexpr std::size_t ZIP_END_SIZE = 22;
inline constexpr std::size_t ZIP_END_DISK = 4;
inline constexpr std::size_t ZIP_END_CENTRAL_DISK = 6;
inline constexpr std::size_t ZIP_END_DISK_ENTRIES = 8;
inline constexpr std::size_t ZIP_END_ENTRIES = 10;
inline constexpr std::size_t ZIP_END_CENTRAL_SIZE = 12;
inline constexpr std::size_t ZIP_END_CENTRAL_OFFSET = 16;
inline constexpr std::size_t ZIP_END_COMMENT_LENGTH = 20;

}  // namespace zk
