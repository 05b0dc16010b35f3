// The result codes of the device zip reader, with their fixed messages.
//
// The bits 0xFF000000 hold internal faults, 0x00FF0000 caller errors and the
// low 16 bits run-time conditions. The table is shared with the zip writer's
// family of codes, so it lists codes that reading never produces; reading
// gives only 0, 0x200, 0x400, 0x500, 0x600, 0x700, 0x800, 0x1000, 0x10000,
// 0x80000, 0x1000000, 0x2000000 and 0x5000000.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zk {

using UnzipStatus = std::int32_t;

inline constexpr UnzipStatus UNZIP_OK = 0x00000000;
inline constexpr UnzipStatus UNZIP_NO_DUPLICATE = 0x00000100;  // handle not duplicated
inline constexpr UnzipStatus UNZIP_NO_FILE = 0x00000200;       // not created / opened
inline constexpr UnzipStatus UNZIP_NO_MEMORY = 0x00000300;     // allocation failed
inline constexpr UnzipStatus UNZIP_WRITE_FAILED = 0x00000400;  // write to the target
inline constexpr UnzipStatus UNZIP_NOT_FOUND = 0x00000500;     // no item of that name
inline constexpr UnzipStatus UNZIP_MORE = 0x00000600;          // buffer full, more remains
inline constexpr UnzipStatus UNZIP_CORRUPT = 0x00000700;       // structure unreadable
inline constexpr UnzipStatus UNZIP_READ_FAILED = 0x00000800;   // read from the archive
inline constexpr UnzipStatus UNZIP_PASSWORD = 0x00001000;      // password missing or wrong
inline constexpr UnzipStatus UNZIP_ARGUMENTS = 0x00010000;     // bad arguments
inline constexpr UnzipStatus UNZIP_NOT_MEMORY_ZIP = 0x00020000;
inline constexpr UnzipStatus UNZIP_MEMORY_SIZE = 0x00030000;
inline constexpr UnzipStatus UNZIP_PREVIOUS_ERROR = 0x00040000;
inline constexpr UnzipStatus UNZIP_ENDED = 0x00050000;
inline constexpr UnzipStatus UNZIP_SIZE_CHANGED = 0x00060000;
inline constexpr UnzipStatus UNZIP_PARTLY_UNZIPPED = 0x00070000;
inline constexpr UnzipStatus UNZIP_WRONG_MODE = 0x00080000;  // not a reading handle
inline constexpr UnzipStatus UNZIP_NOT_INITIALISED = 0x01000000;
inline constexpr UnzipStatus UNZIP_SEEK_UNSEEKABLE = 0x02000000;
inline constexpr UnzipStatus UNZIP_NO_CHANGE = 0x04000000;
inline constexpr UnzipStatus UNZIP_FLATE = 0x05000000;  // inflating failed

// Not a result: asks DescribeStatus for the most recent result.
inline constexpr UnzipStatus UNZIP_MOST_RECENT = 0x00000001;

// The message of a code: the full length in units. When buffer is non-null
// and bufferUnits non-zero, at most bufferUnits - 1 units are copied and the
// copy is zero-terminated. UNZIP_MOST_RECENT describes the most recent result;
// a code in no row gives "unknown zip result code".
int DescribeStatus(UnzipStatus code, char16_t* buffer, std::size_t bufferUnits);

// The most recent result of any public zip-reading operation, process-wide.
UnzipStatus MostRecentStatus();
// Records and returns `code`.
UnzipStatus RecordStatus(UnzipStatus code);

}  // namespace zk
