// The device installer's whole-package check over the sections after the
// project's, signed or not. The input's first byte says which sections the
// project announces (bit 0 splash, 1 EULA, 2 read-me, bits 3-5 the number of
// cabinets); the rest is the program, whose sections begin at SECTIONS_AT
// (the bytes before it stand for the stub and its PE header). A package the
// check calls whole is one whose sections, read plainly by their byte
// counts, end at the end of the file or at a certificate table the header
// points at, 8-byte aligned after zero padding.
#include <cstdint>
#include <cstring>
#include <string>

#include "common/little_endian.h"
#include "common/project_record.h"
#include "device/installer/package_check.h"
#include "fuzz/support/fuzz_check.h"
#include "fuzz/support/memory_device_platform.h"

using namespace zk;

namespace {

constexpr std::uint64_t SECTIONS_AT = 0x140;
constexpr char16_t PACKAGE[] = u"\\Demo.exe";

// Where the certificate table's directory entry says it lies and how long
// it is, read plainly from a PE32 or PE32+ header; 0, 0 when there is none.
void TableEntry(const std::uint8_t* p, std::uint64_t n, std::uint64_t* at, std::uint64_t* bytes) {
    *at = *bytes = 0;
    if (n < 64 || p[0] != 'M' || p[1] != 'Z') return;
    const std::uint64_t pe = GetU32(p + 0x3C);
    if (pe + 26 > n || GetU32(p + pe) != 0x4550) return;
    const std::uint64_t optional = pe + 24;
    const std::uint16_t magic = GetU16(p + optional);
    const std::uint64_t countAt = magic == 0x10B ? 92 : magic == 0x20B ? 108 : 0;
    if (!countAt || GetU16(p + pe + 20) < countAt + 4 + 40) return;
    if (optional + countAt + 44 > n || GetU32(p + optional + countAt) <= 4) return;
    *at = GetU32(p + optional + countAt + 4 + 32);
    *bytes = GetU32(p + optional + countAt + 4 + 36);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The check is handed a start within the file: where the project's
    // section ended.
    if (size < 1 + SECTIONS_AT) return 0;
    static Project project;
    const std::uint8_t shape = data[0];
    project.splashEnabled = shape & 1;
    project.eulaEnabled = (shape >> 1) & 1;
    project.readmeEnabled = (shape >> 2) & 1;
    project.cabinetCount = (shape >> 3) & 7;
    for (int i = 0; i < project.cabinetCount; ++i) {
        char* name = project.cabinets[i].fileName;
        std::memcpy(name, "a.cab", 6);
        name[0] = static_cast<char>('a' + i);
    }
    const std::uint8_t* program = data + 1;
    const std::uint64_t length = size - 1;

    fuzz::MemoryDevicePlatform platform;
    platform.PutFile(PACKAGE, program, length);
    auto file = platform.OpenFile(PACKAGE, DeviceOpenMode::Read);
    ZK_FUZZ_CHECK(file != nullptr);
    const PackageCheck check = CheckPackage(platform, *file, SECTIONS_AT, length, project, 3);
    ZK_FUZZ_CHECK(platform.Written().empty());
    if (!check.whole) {
        ZK_FUZZ_CHECK(!check.fault.empty() && check.cabinets.empty());
        return 0;
    }
    ZK_FUZZ_CHECK(check.fault.empty());

    // The sections read plainly: each byte count fits, and the cabinets'
    // are the last ones.
    const int sections =
        project.splashEnabled + project.eulaEnabled + project.readmeEnabled + project.cabinetCount;
    ZK_FUZZ_CHECK(check.cabinets.size() == static_cast<std::size_t>(project.cabinetCount));
    std::uint64_t at = SECTIONS_AT;
    for (int i = 0; i < sections; ++i) {
        ZK_FUZZ_CHECK(at + 4 <= length);
        const std::uint32_t bytes = GetU32(program + at);
        ZK_FUZZ_CHECK(bytes >= 22 && at + 4 + bytes <= length);  // an end record at least
        const int cabinet = i - (sections - project.cabinetCount);
        if (cabinet >= 0) {
            ZK_FUZZ_CHECK(check.cabinets[cabinet].offset == at);
            ZK_FUZZ_CHECK(check.cabinets[cabinet].bytes == bytes);
        }
        at += 4 + bytes;
    }
    if (check.signatureBytes == 0) {
        ZK_FUZZ_CHECK(at == length);
    } else {
        std::uint64_t tableAt = 0, tableBytes = 0;
        TableEntry(program, length, &tableAt, &tableBytes);
        ZK_FUZZ_CHECK(tableBytes == check.signatureBytes && tableAt == (at + 7) / 8 * 8);
        ZK_FUZZ_CHECK(at < length && tableAt + tableBytes == length);
        for (std::uint64_t p = at; p < tableAt; ++p) ZK_FUZZ_CHECK(program[p] == 0);
    }
    return 0;
}
