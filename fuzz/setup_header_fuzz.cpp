// The set-up header reader. The input is the .000 member. The record is
// checked against a plain reading of the layout: the four version numbers
// where the file has them, each name the bytes it points at, cut so that its
// field keeps a terminator.
#include <cstdint>
#include <cstring>

#include "common/cabinet/setup_header.h"
#include "fuzz/support/fuzz_check.h"
#include "fuzz/support/memory_desktop_platform.h"

using namespace zk;

namespace {

std::uint32_t Le(const std::uint8_t* data, std::size_t size, std::size_t at, std::size_t width) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < width; ++i)
        if (at + i < size && at + i < SETUP_HEADER_SIZE)
            value |= std::uint32_t{data[at + i]} << (8 * i);
    return value;
}

void ExpectedName(const std::uint8_t* data, std::size_t size, std::size_t at, char (&field)[64]) {
    std::memset(field, 0, sizeof field);
    const int offset = static_cast<std::int16_t>(Le(data, size, at, 2));
    const int length = static_cast<std::int16_t>(Le(data, size, at + 2, 2));
    if (offset < 0 || length <= 0) return;
    const std::size_t take = length < 63 ? static_cast<std::size_t>(length) : 63;
    for (std::size_t i = 0; i < take && static_cast<std::size_t>(offset) + i < size; ++i)
        field[i] = static_cast<char>(data[offset + i]);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::MemoryDesktopPlatform platform;
    platform.PutFile("/tmp/info.dat", data, size);
    auto file = platform.OpenFile("/tmp/info.dat", FileMode::Read);
    ZK_FUZZ_CHECK(file != nullptr);

    SetupInfo info;
    std::memset(&info, 0xA5, sizeof info);
    const bool signed_ = ReadSetupHeader(*file, info);

    ZK_FUZZ_CHECK(fuzz::Terminated(info.appName) && fuzz::Terminated(info.provider));
    ZK_FUZZ_CHECK(signed_ == (size >= 4 && (std::memcmp(data, "MSCE", 4) == 0 ||
                                            std::memcmp(data, "CE4+", 4) == 0)));
    ZK_FUZZ_CHECK(info.osMinMajor == static_cast<std::int32_t>(Le(data, size, 24, 4)));
    ZK_FUZZ_CHECK(info.osMinMinor == static_cast<std::int32_t>(Le(data, size, 28, 4)));
    ZK_FUZZ_CHECK(info.osMaxMajor == static_cast<std::int32_t>(Le(data, size, 32, 4)));
    ZK_FUZZ_CHECK(info.osMaxMinor == static_cast<std::int32_t>(Le(data, size, 36, 4)));
    char name[64];
    ExpectedName(data, size, 84, name);
    ZK_FUZZ_CHECK(std::memcmp(name, info.appName, sizeof name) == 0);
    ExpectedName(data, size, 88, name);
    ZK_FUZZ_CHECK(std::memcmp(name, info.provider, sizeof name) == 0);

    // No bounds at all take in every span.
    const bool open = info.osMinMajor == 0 && info.osMinMinor == 0 && info.osMaxMajor == 0 &&
                      info.osMaxMinor == 0;
    for (OsSpan span : {OS_SPAN_2002, OS_SPAN_2003, OS_SPAN_2003SE, OS_SPAN_WM5}) {
        const bool supported = CabinetSupportsOs(info, span);
        if (open) ZK_FUZZ_CHECK(supported);
    }
    return 0;
}
