// What the wizard writes and the device stub reads: a program file followed by
// sections, each a u32 little-endian byte count and that many bytes. Nothing in
// the file names a section; its role is its position and the Project flags.
//
//   stub | SystemInfo.dat | project zip | [splash zip] | [EULA zip] | [read-me zip]
//        | one zip per cabinet, slot 0 first
#pragma once

#include <cstdint>

namespace zk {

// A device stub starts reading its own file at its own length. A Windows CE
// stub, ARM Thumb code, is 62464 bytes long.
inline constexpr std::uint32_t WINDOWS_CE_STUB_FIRST_SECTION_OFFSET = 62464;

// The stub this build makes runs on the emulated device: the same program as
// desktop x64 code with the emulated shell linked in, which does not fit in
// the Windows CE stub's length (a multiple of 4096 that holds it, with a few
// KiB to grow). The build pads the linked stub to exactly this length, and
// zk-device and the tests read packages from here.
inline constexpr std::uint32_t MOBILE_STUB_FIRST_SECTION_OFFSET = 196608;

// The desktop stub is padded the same way, to this length, and reads the one
// section carrying the device installer from here. The linked program is
// about 280 KiB; the rest leaves room for it to grow.
inline constexpr std::uint32_t DESKTOP_STUB_FIRST_SECTION_OFFSET = 393216;

inline constexpr std::uint32_t SECTION_HEADER_SIZE = 4;

// Sections are copied in blocks of this many bytes.
inline constexpr std::uint32_t SECTION_COPY_BLOCK = 1040;

inline constexpr const char* MOBILE_STUB_FILE_NAME = "MobileZephyrkit.exe";
inline constexpr const char* DESKTOP_STUB_FILE_NAME = "DesktopZephyrkit.exe";
inline constexpr const char* SYSTEM_INFO_SECTION_FILE_NAME = "SystemInfo.dat";
inline constexpr const char* SYSTEM_INFO_TOOL_MEMBER_NAME = "SystemInfo.exe";

}  // namespace zk
