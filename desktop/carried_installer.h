// Finding the device installer that a desktop installer carries.
//
// The desktop installer is this program's own file followed by one section:
// a u32 little-endian byte count, then the whole device installer. The
// program is padded to DESKTOP_STUB_FIRST_SECTION_OFFSET bytes, so the count
// sits at that offset.
//
// Nothing says where a damaged file was cut, so the checks are about sizes
// first: the count must describe exactly the bytes that follow it. Then the
// carried installer must look like a device installer: a program ("MZ") at
// least as long as the device stub, whose second section is a zip archive
// holding one project record, and whose sections are exactly the ones that
// project announces. Either installer may end in the certificate table code
// signing appends (common/certificate_table.h); other bytes after the
// sections are damage. Only then is anything copied anywhere, so a damaged
// file never leaves a partial installer behind.
#pragma once

#include <cstdint>
#include <string>

namespace zk {

class FileHandle;

// Results of FindCarriedInstaller.
inline constexpr int CARRIED_OK = 0;
inline constexpr int CARRIED_UNREADABLE = 1;        // the file could not be read
inline constexpr int CARRIED_NO_SECTION = 2;        // the file ends before the count
inline constexpr int CARRIED_CUT = 3;               // the count runs past the end
inline constexpr int CARRIED_EXTRA_BYTES = 4;       // bytes follow the carried installer
inline constexpr int CARRIED_NOT_AN_INSTALLER = 5;  // what is carried is no device installer

struct CarriedInstaller {
    std::uint64_t offset = 0;  // of the installer's first byte in the file
    std::uint32_t length = 0;
    // From the project record, ANSI as the record keeps them.
    std::string title;
    std::string company;
};

// Reads and checks the section of `file`, which starts at `sectionOffset`
// (the stub's length). `deviceStubLength` is where the carried installer's
// own sections start. On CARRIED_OK fills `out`.
int FindCarriedInstaller(FileHandle& file, std::uint64_t sectionOffset,
                         std::uint64_t deviceStubLength, CarriedInstaller* out);

// A sentence for a result other than CARRIED_OK, naming the file.
std::string DescribeCarriedResult(int result, const std::string& path);

// "<title>.[MOBILE].exe", the name the wizard gave the installer.
std::string MobileInstallerName(const CarriedInstaller& carried);

}  // namespace zk
