// The desktop zip writer: the small archives that make up an installer's
// sections. Members are read from files, deflated (raw deflate, level 8, on
// every core, with the pieces that would not shrink stored inside the stream:
// see block_deflate.h) unless their name marks them as already compressed, and
// described by a central directory at the close. The
// archives follow the PKWARE application note with no extension beyond the
// "UT" extended-timestamp extra field and the UTF-8 name flag, so the
// device's reader and any ordinary unzip can open them.
//
// Quirks worth knowing:
//  - No data descriptor is used: the local header is first written with flag
//    bit 3 and zero sizes, then rewritten in place once the sizes are known.
//  - No ZIP64: a source of 4 GiB or more, or an archive that would grow past
//    4 GiB, is refused with ZIP_ERR_WRITE rather than written with sizes that
//    lie.
//  - DOS date and time are the last-write time in UTC, not local time.
#pragma once

#include <cstdint>

namespace zk {

class DesktopPlatform;
class FileHandle;
struct ZipWriter;

// Result codes of the writer; 0 is success.
inline constexpr std::uint32_t ZIP_OK = 0;
inline constexpr std::uint32_t ZIP_ERR_READ = 0x00000100;        // source not read whole
inline constexpr std::uint32_t ZIP_ERR_OPEN = 0x00000200;        // archive or source not opened
inline constexpr std::uint32_t ZIP_ERR_WRITE = 0x00000400;       // write or deflate failed
inline constexpr std::uint32_t ZIP_ERR_ARGUMENTS = 0x00010000;   // no writer, empty name
inline constexpr std::uint32_t ZIP_ERR_FAILED = 0x00040000;      // an earlier failure stands
inline constexpr std::uint32_t ZIP_ERR_CLOSED = 0x00050000;      // already closed
inline constexpr std::uint32_t ZIP_ERR_NOT_WRITER = 0x00080000;  // handle is not a writer
inline constexpr std::uint32_t ZIP_ERR_SEEK = 0x02000000;        // repositioning failed

// Creates or truncates the archive. Returns null when the file cannot be
// created; *result (when given) is then ZIP_ERR_OPEN.
ZipWriter* ZipCreate(DesktopPlatform& platform, const char* archivePath,
                     std::uint32_t* result = nullptr);

// Writes an archive into `file` from its current position on, as a section
// of a larger file: the archive's offsets count from that position, and
// ZipClose leaves `file` open, positioned at the archive's end. `file` must
// outlive the writer.
ZipWriter* ZipCreateOn(DesktopPlatform& platform, FileHandle& file);

// The number of threads later members are deflated on (1 to 8; the default
// follows the machine, see DeflateThreadCount). The archive's bytes do not
// depend on it.
void ZipSetDeflateThreads(ZipWriter* writer, int threads);

// Adds the file at `sourcePath` under `memberName` (backslashes become
// slashes). Both are in the desktop's code page (1252); a name beyond ASCII is
// stored as UTF-8 with general purpose flag bit 11 set. Returns ZIP_OK, or
// ZIP_ERR_FAILED / ZIP_ERR_CLOSED when the writer cannot take members,
// ZIP_ERR_ARGUMENTS for an empty name, ZIP_ERR_OPEN when the source cannot be
// opened (the writer stays usable), ZIP_ERR_READ when the source could not be
// read to the length it had when opened — a read error, or a file changing
// meanwhile (the member is left out; the writer stays usable), ZIP_ERR_WRITE
// when the member could not be written, ZIP_ERR_SEEK when the local header
// could not be rewritten (the writer then refuses every later add). On
// ZIP_OK, *sourceSize (when given) is the number of bytes the member holds.
std::uint32_t ZipAddFile(ZipWriter* writer, const char* memberName, const char* sourcePath,
                         std::uint64_t* sourceSize = nullptr);

// Writes the central directory and the end record, closes the file (one the
// writer opened) and
// releases the writer. Returns ZIP_OK, or ZIP_ERR_WRITE when any of it did not
// reach the file.
std::uint32_t ZipClose(ZipWriter* writer);

}  // namespace zk
