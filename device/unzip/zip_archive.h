// Reading zip archives on the device: open one from a file, from an open file
// or from memory, list and look up its items, extract an item to a file, to an
// open file or into memory.
//
// Every operation returns a code of unzip_status.h (the opens return a handle
// or null) and records it as the most recent result, so a failed open can be
// explained with DescribeStatus(UNZIP_MOST_RECENT, ...). Operations on a null
// handle give UNZIP_ARGUMENTS, on a handle that is not a reading handle
// UNZIP_WRONG_MODE.
//
// Item names are made safe as they are described: whatever an archive holds,
// an item extracted under its own name lands inside the extract folder. An
// archive serves one caller at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

#include "device/platform/device_platform.h"
#include "device/unzip/unzip_status.h"

namespace zk {

inline constexpr std::size_t ZIP_ITEM_NAME_UNITS = 260;
inline constexpr std::int32_t ZIP_ARCHIVE_KIND_READING = 1;

struct ZipItem {
    // The item's position in the archive; for the query index -1 the number
    // of items.
    std::int32_t index = 0;
    char16_t name[ZIP_ITEM_NAME_UNITS] = {};
    std::uint32_t attributes = 0;  // DEVICE_ATTR_* bits
    std::uint64_t accessTime = 0;  // file times, UTC
    std::uint64_t creationTime = 0;
    std::uint64_t modificationTime = 0;
    std::int32_t compressedSize = 0;
    std::int32_t uncompressedSize = 0;
};

// How an item is kept in the archive, as its central-directory entry says:
// what a listing shows beside the name. storedName is the name as stored,
// before it is made safe.
struct ZipItemStorage {
    std::uint32_t method = 0;  // 0 stored, 8 deflated
    std::uint32_t flags = 0;   // general-purpose bit flags; bit 0: encrypted
    std::uint32_t crc = 0;     // as stored, not checked here
    std::uint32_t dosDateTime = 0;
    std::uint64_t compressedSize = 0;
    std::uint64_t uncompressedSize = 0;
    char16_t storedName[ZIP_ITEM_NAME_UNITS] = {};
};

class ZipReader;

// The handle callers hold. kind is ZIP_ARCHIVE_KIND_READING for an archive
// opened here; anything else marks a handle of the wrong mode.
struct ZipArchive {
    ZipArchive();
    ~ZipArchive();
    std::int32_t kind = 0;
    std::unique_ptr<ZipReader> reader;
};

// Opens the named device file for reading. password: null for none; it is
// copied. Null on failure: UNZIP_NO_FILE when the file cannot be opened or is
// no zip archive.
ZipArchive* OpenArchiveFromFile(DevicePlatform& platform, std::u16string_view path,
                                const char* password);
// Uses the caller's open file as it stands: the archive starts at its current
// position, the file is neither duplicated nor closed here and must outlive
// the archive. UNZIP_SEEK_UNSEEKABLE when it cannot seek.
ZipArchive* OpenArchiveFromHandle(DevicePlatform& platform, DeviceFile* file, const char* password);
// The block must outlive the archive; it is not copied.
ZipArchive* OpenArchiveFromMemory(DevicePlatform& platform, const void* data, std::size_t length,
                                  const char* password);

// Relative item names are extracted below this folder ("\" after opening); a
// "\" is added unless the folder ends in "\" or "/".
UnzipStatus SetExtractFolder(ZipArchive* archive, std::u16string_view folder);

// Describes item `index`; index -1 asks for the count, given in item->index.
// UNZIP_ARGUMENTS for an index out of range, UNZIP_CORRUPT when the central
// directory entry cannot be read, UNZIP_READ_FAILED when its extra field
// cannot. The directory is read in order: past an entry that cannot be read
// no later one can be reached, and every later index is UNZIP_CORRUPT too (a
// walk over the items can stop there).
UnzipStatus GetItem(ZipArchive* archive, std::int32_t index, ZipItem* item);

// Describes how item `index` is stored. UNZIP_ARGUMENTS for an index out of
// range; otherwise as GetItem.
UnzipStatus GetItemStorage(ZipArchive* archive, std::int32_t index, ZipItemStorage* storage);

// Looks a stored name up in the central directory. On UNZIP_NOT_FOUND *index
// is -1 and the item is zeroed with its index -1. item may be null.
UnzipStatus FindItem(ZipArchive* archive, std::u16string_view name, bool ignoreCase,
                     std::int32_t* index, ZipItem* item);

// Extracts to `path`: a path starting with "\" or "/" or with a drive is used
// as it stands, anything else is taken below the extract folder; missing
// folders are made. A folder item makes the folder. An empty path writes
// nothing. UNZIP_NO_FILE when the file cannot be created, UNZIP_PASSWORD when
// the item is encrypted and the password is missing or wrong,
// UNZIP_WRITE_FAILED when a write fails, UNZIP_FLATE when the data cannot be
// decoded or fails its check. A file once created stays with what was written.
UnzipStatus ExtractItemToFile(ZipArchive* archive, std::int32_t index, std::u16string_view path);

// Writes the item's data at the caller's file's current position; the file
// stays open.
UnzipStatus ExtractItemToHandle(ZipArchive* archive, std::int32_t index, DeviceFile* file);

// Fills `buffer` with the next piece of the item: UNZIP_MORE while more
// remains (call again with the same index), UNZIP_OK with the last piece.
// Another index, or any other reading operation on the archive, starts the
// item over.
UnzipStatus ExtractItemToMemory(ZipArchive* archive, std::int32_t index, void* buffer,
                                std::uint32_t length);

// Closes the archive and frees the handle.
UnzipStatus CloseArchive(ZipArchive* archive);

}  // namespace zk
