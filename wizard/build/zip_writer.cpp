#include "wizard/build/zip_writer.h"

#include <zlib.h>

#include <algorithm>
#include <cctype>
#include <memory>
#include <string>
#include <vector>

#include "common/ansi_text.h"
#include "common/little_endian.h"
#include "common/zip_layout.h"
#include "platform/desktop_platform.h"
#include "wizard/build/block_deflate.h"
#include "wizard/build/dos_time.h"

namespace zk {
namespace {

constexpr std::uint32_t WRITER_TAG = 0x5A4B5A57;  // "WZKZ"
constexpr std::size_t BLOCK = 16384;
constexpr std::uint16_t VERSION_MADE_BY = 0x0B17;
constexpr std::uint16_t VERSION_NEEDED = 20;
constexpr std::uint16_t FLAG_DATA_DESCRIPTOR = 0x0008;
constexpr std::uint16_t FLAG_MAXIMUM_COMPRESSION = 0x0002;
constexpr std::uint16_t FLAG_UTF8_NAME = 0x0800;
constexpr std::uint16_t METHOD_STORED = 0;
constexpr std::uint16_t METHOD_DEFLATE = 8;
constexpr std::size_t LOCAL_EXTRA_SIZE = 17;
constexpr std::size_t CENTRAL_EXTRA_SIZE = 9;
constexpr std::uint64_t ZIP32_LIMIT = 0xFFFFFFFFULL;

struct ZipMemberRecord {
    std::uint16_t flags = 0;
    std::uint16_t method = 0;
    std::uint16_t dosTime = 0;
    std::uint16_t dosDate = 0;
    std::uint32_t crc = 0;
    std::uint32_t compressedSize = 0;
    std::uint32_t uncompressedSize = 0;
    std::string name;
    std::uint32_t modificationTime = 0;
    std::uint32_t accessTime = 0;
    std::uint32_t creationTime = 0;
    std::uint32_t externalAttributes = 0;
    std::uint32_t localHeaderOffset = 0;
};

// Names whose suffix says the data is compressed already.
bool IsStoredSuffix(const std::string& name) {
    static const char* const STORED[] = {".z",   ".zip", ".zoo", ".arc",
                                         ".lzh", ".arj", ".gz",  ".tgz"};
    const std::size_t dot = name.rfind('.');
    if (dot == std::string::npos) return false;
    std::string suffix = name.substr(dot);
    std::transform(suffix.begin(), suffix.end(), suffix.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return std::find(std::begin(STORED), std::end(STORED), suffix) != std::end(STORED);
}

// A program file: "MZ", and a new-executable header whose signature the DOS
// header points at.
bool IsExecutable(FileHandle& source, std::uint64_t size) {
    if (size <= 40) return false;
    unsigned char head[64];
    if (!source.Seek(0) || source.Read(head, sizeof head) < 2) return false;
    bool executable = false;
    if (head[0] == 'M' && head[1] == 'Z' && size >= 64) {
        const std::uint64_t h = GetU32(head + 60);
        unsigned char sig[4];
        if (h + 52 < size && source.Seek(h) && source.Read(sig, 4) == 4 && sig[2] == 0 &&
            sig[3] == 0) {
            executable = (sig[0] == 'P' && sig[1] == 'E') || (sig[0] == 'N' && sig[1] == 'E') ||
                         (sig[0] == 'L' && sig[1] == 'E') || (sig[0] == 'M' && sig[1] == 'Z');
        }
    }
    return executable;
}

std::uint32_t ExternalAttributes(std::uint32_t attributes, bool executable) {
    std::uint32_t mode = (attributes & FILE_ATTR_DIRECTORY) ? 0x4000 : 0x8000;
    mode |= (attributes & FILE_ATTR_READONLY) ? 0x0100 : 0x0180;
    if (executable) mode |= 0x0040;
    return mode << 16 | (attributes & 0x37);
}

std::uint32_t UnixTime32(std::uint64_t filetime) {
    return static_cast<std::uint32_t>(FiletimeToUnixSeconds(filetime));
}

}  // namespace

struct ZipWriter {
    std::uint32_t tag = WRITER_TAG;
    DesktopPlatform* platform = nullptr;
    std::unique_ptr<FileHandle> ownArchive;  // null when the caller's file is written
    FileHandle* archive = nullptr;
    std::uint64_t base = 0;         // where the archive starts in that file
    std::uint64_t writeOffset = 0;  // from `base`
    int threads = 1;
    std::vector<ZipMemberRecord> members;
    std::uint32_t lastError = 0;
    bool closed = false;
};

namespace {

bool WriteAll(ZipWriter& w, const void* data, std::size_t size) {
    return w.archive->Write(data, size) == size;
}

bool WriteLocalHeader(ZipWriter& w, const ZipMemberRecord& m) {
    std::vector<unsigned char> b(ZIP_LOCAL_HEADER_SIZE + m.name.size() + LOCAL_EXTRA_SIZE);
    unsigned char* p = b.data();
    PutU32(p, ZIP_LOCAL_HEADER_SIGNATURE);
    PutU16(p + ZIP_LOCAL_VERSION_NEEDED, VERSION_NEEDED);
    PutU16(p + ZIP_LOCAL_FLAGS, m.flags);
    PutU16(p + ZIP_LOCAL_METHOD, m.method);
    PutU16(p + ZIP_LOCAL_TIME, m.dosTime);
    PutU16(p + ZIP_LOCAL_DATE, m.dosDate);
    PutU32(p + ZIP_LOCAL_CRC, m.crc);
    PutU32(p + ZIP_LOCAL_COMPRESSED_SIZE, m.compressedSize);
    PutU32(p + ZIP_LOCAL_UNCOMPRESSED_SIZE, m.uncompressedSize);
    PutU16(p + ZIP_LOCAL_NAME_LENGTH, static_cast<std::uint16_t>(m.name.size()));
    PutU16(p + ZIP_LOCAL_EXTRA_LENGTH, LOCAL_EXTRA_SIZE);
    std::copy(m.name.begin(), m.name.end(), p + ZIP_LOCAL_HEADER_SIZE);
    unsigned char* x = p + ZIP_LOCAL_HEADER_SIZE + m.name.size();
    x[0] = 'U';
    x[1] = 'T';
    PutU16(x + 2, 13);
    x[4] = 0x07;
    PutU32(x + 5, m.modificationTime);
    PutU32(x + 9, m.accessTime);
    PutU32(x + 13, m.creationTime);
    return WriteAll(w, b.data(), b.size());
}

bool WriteCentralHeader(ZipWriter& w, const ZipMemberRecord& m) {
    std::vector<unsigned char> b(ZIP_CENTRAL_HEADER_SIZE + m.name.size() + CENTRAL_EXTRA_SIZE);
    unsigned char* p = b.data();
    PutU32(p, ZIP_CENTRAL_HEADER_SIGNATURE);
    PutU16(p + ZIP_CENTRAL_VERSION_MADE_BY, VERSION_MADE_BY);
    PutU16(p + ZIP_CENTRAL_VERSION_NEEDED, VERSION_NEEDED);
    PutU16(p + ZIP_CENTRAL_FLAGS, m.flags);
    PutU16(p + ZIP_CENTRAL_METHOD, m.method);
    PutU16(p + ZIP_CENTRAL_TIME, m.dosTime);
    PutU16(p + ZIP_CENTRAL_DATE, m.dosDate);
    PutU32(p + ZIP_CENTRAL_CRC, m.crc);
    PutU32(p + ZIP_CENTRAL_COMPRESSED_SIZE, m.compressedSize);
    PutU32(p + ZIP_CENTRAL_UNCOMPRESSED_SIZE, m.uncompressedSize);
    PutU16(p + ZIP_CENTRAL_NAME_LENGTH, static_cast<std::uint16_t>(m.name.size()));
    PutU16(p + ZIP_CENTRAL_EXTRA_LENGTH, CENTRAL_EXTRA_SIZE);
    PutU16(p + ZIP_CENTRAL_COMMENT_LENGTH, 0);
    PutU16(p + ZIP_CENTRAL_DISK, 0);
    PutU16(p + ZIP_CENTRAL_INTERNAL_ATTRIBUTES, 0);
    PutU32(p + ZIP_CENTRAL_EXTERNAL_ATTRIBUTES, m.externalAttributes);
    PutU32(p + ZIP_CENTRAL_LOCAL_HEADER_OFFSET, m.localHeaderOffset);
    std::copy(m.name.begin(), m.name.end(), p + ZIP_CENTRAL_HEADER_SIZE);
    unsigned char* x = p + ZIP_CENTRAL_HEADER_SIZE + m.name.size();
    x[0] = 'U';
    x[1] = 'T';
    PutU16(x + 2, 5);
    x[4] = 0x07;
    PutU32(x + 5, m.modificationTime);
    return WriteAll(w, b.data(), b.size());
}

// Copies the source unchanged. Returns false on a failed write or read error.
bool CopyStored(ZipWriter& w, FileHandle& source, ZipMemberRecord& m, std::uint64_t* read,
                std::uint64_t* written) {
    std::vector<unsigned char> buffer(BLOCK);
    uLong crc = crc32(0L, Z_NULL, 0);
    for (;;) {
        const std::size_t n = source.Read(buffer.data(), buffer.size());
        if (n == 0) break;
        crc = crc32(crc, buffer.data(), static_cast<uInt>(n));
        *read += n;
        if (!WriteAll(w, buffer.data(), n)) return false;
        *written += n;
    }
    m.crc = static_cast<std::uint32_t>(crc);
    return true;
}

bool CopyDeflated(ZipWriter& w, FileHandle& source, ZipMemberRecord& m, std::uint64_t* read,
                  std::uint64_t* written) {
    DeflateTally tally;
    const bool ok = DeflatePieces(source, *w.archive, w.threads, &tally);
    *read += tally.read;
    *written += tally.written;
    m.crc = tally.crc;
    return ok;
}

}  // namespace

ZipWriter* ZipCreate(DesktopPlatform& platform, const char* archivePath, std::uint32_t* result) {
    std::unique_ptr<FileHandle> file = archivePath && *archivePath
                                           ? platform.OpenFile(archivePath, FileMode::CreateWrite)
                                           : nullptr;
    if (!file) {
        if (result) *result = ZIP_ERR_OPEN;
        return nullptr;
    }
    auto* w = new ZipWriter;
    w->platform = &platform;
    w->ownArchive = std::move(file);
    w->archive = w->ownArchive.get();
    w->threads = DeflateThreadCount();
    if (result) *result = ZIP_OK;
    return w;
}

ZipWriter* ZipCreateOn(DesktopPlatform& platform, FileHandle& file) {
    auto* w = new ZipWriter;
    w->platform = &platform;
    w->archive = &file;
    w->base = file.Tell();
    w->threads = DeflateThreadCount();
    return w;
}

void ZipSetDeflateThreads(ZipWriter* w, int threads) {
    if (w && w->tag == WRITER_TAG) w->threads = std::clamp(threads, 1, DEFLATE_MAX_THREADS);
}

std::uint32_t ZipAddFile(ZipWriter* w, const char* memberName, const char* sourcePath,
                         std::uint64_t* sourceSize) {
    if (!w) return ZIP_ERR_ARGUMENTS;
    if (w->tag != WRITER_TAG) return ZIP_ERR_NOT_WRITER;
    if (w->lastError) return ZIP_ERR_FAILED;
    if (w->closed) return ZIP_ERR_CLOSED;

    ZipMemberRecord m;
    // Names come in the desktop's code page and the device reads them as
    // UTF-8: one beyond ASCII is stored so, with the flag that says it.
    m.name = AnsiToUtf8(memberName ? memberName : "");
    const std::uint16_t nameFlag =
        std::any_of(m.name.begin(), m.name.end(), [](char c) { return (c & 0x80) != 0; })
            ? FLAG_UTF8_NAME
            : 0;
    std::replace(m.name.begin(), m.name.end(), '\\', '/');
    if (m.name.empty() || m.name.size() > 0xFFFF || !sourcePath) return ZIP_ERR_ARGUMENTS;
    if (w->members.size() >= 0xFFFF) return ZIP_ERR_WRITE;  // the count fields are 16-bit
    m.method = IsStoredSuffix(m.name) ? METHOD_STORED : METHOD_DEFLATE;

    std::unique_ptr<FileHandle> source = w->platform->OpenFile(sourcePath, FileMode::Read);
    FileFacts facts;
    if (!source || !w->platform->GetFileFacts(sourcePath, &facts)) return ZIP_ERR_OPEN;
    // The 32-bit size fields cannot describe such a source.
    if (facts.size >= ZIP32_LIMIT) return ZIP_ERR_WRITE;

    const bool executable = IsExecutable(*source, facts.size);
    if (!source->Seek(0)) return ZIP_ERR_OPEN;
    m.externalAttributes = ExternalAttributes(facts.attributes, executable);
    m.modificationTime = UnixTime32(facts.lastWriteTime);
    m.accessTime = UnixTime32(facts.lastAccessTime);
    m.creationTime = UnixTime32(facts.creationTime);
    const CalendarTime written = UtcCalendarTime(FiletimeToUnixSeconds(facts.lastWriteTime));
    m.dosDate = DosDate(written);
    m.dosTime = DosTime(written);
    m.flags = FLAG_DATA_DESCRIPTOR | nameFlag;
    m.crc = 0;
    m.compressedSize = m.method == METHOD_STORED ? static_cast<std::uint32_t>(facts.size) : 0;
    m.uncompressedSize = static_cast<std::uint32_t>(facts.size);
    m.localHeaderOffset = static_cast<std::uint32_t>(w->writeOffset);

    if (!WriteLocalHeader(*w, m)) return ZIP_ERR_WRITE;
    w->writeOffset += ZIP_LOCAL_HEADER_SIZE + m.name.size() + LOCAL_EXTRA_SIZE;

    std::uint64_t bytesRead = 0, bytesWritten = 0;
    const bool copied = m.method == METHOD_STORED
                            ? CopyStored(*w, *source, m, &bytesRead, &bytesWritten)
                            : CopyDeflated(*w, *source, m, &bytesRead, &bytesWritten);
    // A read error looks like the end of the file to the copy: only the
    // close and the length say that the member would be cut short.
    const bool readWhole = source->Close() && bytesRead == facts.size;
    source.reset();
    w->writeOffset += bytesWritten;
    if (!copied) return ZIP_ERR_WRITE;
    if (!readWhole) return ZIP_ERR_READ;
    // The source grew while it was read, or the archive would need ZIP64.
    if (bytesRead >= ZIP32_LIMIT || bytesWritten >= ZIP32_LIMIT || w->writeOffset >= ZIP32_LIMIT) {
        w->lastError = ZIP_ERR_WRITE;
        return ZIP_ERR_WRITE;
    }
    m.uncompressedSize = static_cast<std::uint32_t>(bytesRead);
    m.compressedSize = static_cast<std::uint32_t>(bytesWritten);
    m.flags = (m.method == METHOD_DEFLATE ? FLAG_MAXIMUM_COMPRESSION : 0) | nameFlag;

    if (!w->archive->Seek(w->base + m.localHeaderOffset)) {
        w->lastError = ZIP_ERR_SEEK;
        return ZIP_ERR_SEEK;
    }
    const bool rewritten = WriteLocalHeader(*w, m);
    if (!w->archive->Seek(w->base + w->writeOffset)) {
        w->lastError = ZIP_ERR_SEEK;
        return ZIP_ERR_SEEK;
    }
    if (!rewritten) return ZIP_ERR_WRITE;
    w->members.push_back(std::move(m));
    if (sourceSize) *sourceSize = bytesRead;
    return ZIP_OK;
}

std::uint32_t ZipClose(ZipWriter* w) {
    if (!w) return ZIP_ERR_ARGUMENTS;
    if (w->tag != WRITER_TAG) return ZIP_ERR_NOT_WRITER;
    if (w->closed) return ZIP_ERR_CLOSED;
    w->closed = true;

    std::uint32_t result = ZIP_OK;
    const std::uint64_t centralOffset = w->writeOffset;
    std::uint64_t centralSize = 0;
    for (const ZipMemberRecord& m : w->members) {
        if (!WriteCentralHeader(*w, m)) {
            result = ZIP_ERR_WRITE;
            break;
        }
        centralSize += ZIP_CENTRAL_HEADER_SIZE + m.name.size() + CENTRAL_EXTRA_SIZE;
    }
    if (result == ZIP_OK) {
        if (centralOffset + centralSize >= ZIP32_LIMIT) {
            result = ZIP_ERR_WRITE;
        } else {
            unsigned char end[ZIP_END_SIZE];
            const auto count = static_cast<std::uint16_t>(w->members.size());
            PutU32(end, ZIP_END_SIGNATURE);
            PutU16(end + ZIP_END_DISK, 0);
            PutU16(end + ZIP_END_CENTRAL_DISK, 0);
            PutU16(end + ZIP_END_DISK_ENTRIES, count);
            PutU16(end + ZIP_END_ENTRIES, count);
            PutU32(end + ZIP_END_CENTRAL_SIZE, static_cast<std::uint32_t>(centralSize));
            PutU32(end + ZIP_END_CENTRAL_OFFSET, static_cast<std::uint32_t>(centralOffset));
            PutU16(end + ZIP_END_COMMENT_LENGTH, 0);
            if (!WriteAll(*w, end, sizeof end)) result = ZIP_ERR_WRITE;
        }
    }
    if (w->ownArchive && !w->ownArchive->Close() && result == ZIP_OK) result = ZIP_ERR_WRITE;
    w->tag = 0;
    delete w;
    return result;
}

}  // namespace zk
