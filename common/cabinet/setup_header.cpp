// The set-up header, as far as the wizard reads it (little-endian, offsets
// from the start of the member):
//
//   0   4  signature "MSCE" (or "CE4+")
//   24  4  lowest OS version, major     28  4  its minor
//   32  4  highest OS version, major    36  4  its minor
//   84  2  application name offset      86  2  its length in bytes
//   88  2  provider name offset         90  2  its length in bytes
//
// CabWiz stores each string with its NUL and pads it to four bytes, and the
// lengths count the padding; the text is what comes before the first NUL.
// The offsets and lengths are signed 16-bit values, so a header can only
// point at the first 32 KiB of its member.
#include "common/cabinet/setup_header.h"

#include <cstddef>
#include <cstring>

#include "common/little_endian.h"
#include "platform/desktop_platform.h"

namespace zk {
namespace {

constexpr std::size_t OFF_OS_MIN_MAJOR = 24;
constexpr std::size_t OFF_OS_MIN_MINOR = 28;
constexpr std::size_t OFF_OS_MAX_MAJOR = 32;
constexpr std::size_t OFF_OS_MAX_MINOR = 36;
constexpr std::size_t OFF_APP_NAME = 84;
constexpr std::size_t OFF_PROVIDER = 88;

std::int32_t GetI32(const unsigned char* p) { return static_cast<std::int32_t>(GetU32(p)); }
std::int16_t GetI16(const unsigned char* p) { return static_cast<std::int16_t>(GetU16(p)); }

// Fills a 64-byte name field from the string the header points at. The
// field is cleared first, so bytes past the end of the file stay zero.
void ReadName(FileHandle& file, const unsigned char* header, std::size_t at, char (&field)[64]) {
    std::memset(field, 0, sizeof field);
    const int offset = GetI16(header + at);
    const int length = GetI16(header + at + 2);
    if (offset < 0 || length <= 0) return;
    const std::size_t take = static_cast<std::size_t>(length) < sizeof field - 1
                                 ? static_cast<std::size_t>(length)
                                 : sizeof field - 1;
    if (!file.Seek(static_cast<std::uint64_t>(offset))) return;
    ReadFull(file, field, take);
}

}  // namespace

bool ReadSetupHeader(FileHandle& file, SetupInfo& info) {
    unsigned char header[SETUP_HEADER_SIZE] = {};
    if (file.Seek(0)) ReadFull(file, header, sizeof header);

    ReadName(file, header, OFF_APP_NAME, info.appName);
    ReadName(file, header, OFF_PROVIDER, info.provider);
    info.osMinMajor = GetI32(header + OFF_OS_MIN_MAJOR);
    info.osMinMinor = GetI32(header + OFF_OS_MIN_MINOR);
    info.osMaxMajor = GetI32(header + OFF_OS_MAX_MAJOR);
    info.osMaxMinor = GetI32(header + OFF_OS_MAX_MINOR);

    return std::memcmp(header, "MSCE", 4) == 0 || std::memcmp(header, "CE4+", 4) == 0;
}

bool CabinetSupportsOs(const SetupInfo& info, OsSpan span) {
    const OsVersion lowest{info.osMinMajor, info.osMinMinor};
    const OsVersion highest{info.osMaxMajor, info.osMaxMinor};
    const bool lowBound = lowest.major != 0 || lowest.minor != 0;
    const bool highBound = highest.major != 0 || highest.minor != 0;
    if (lowBound && highBound && VersionBefore(highest, lowest)) return false;
    if (lowBound && VersionBefore(span.high, lowest)) return false;
    if (highBound && VersionBefore(highest, span.low)) return false;
    return true;
}

}  // namespace zk
