#include "device/unzip/zip_archive.h"

#include <new>

#include "device/unzip/zip_reader.h"

namespace zk {
namespace {

// The reader behind a handle, or null with the code that refuses it.
ZipReader* ReaderOf(ZipArchive* archive, UnzipStatus* refusal) {
    if (!archive) {
        *refusal = UNZIP_ARGUMENTS;
        return nullptr;
    }
    if (archive->kind != ZIP_ARCHIVE_KIND_READING) {
        *refusal = UNZIP_WRONG_MODE;
        return nullptr;
    }
    if (!archive->reader) {
        *refusal = UNZIP_ARGUMENTS;
        return nullptr;
    }
    return archive->reader.get();
}

ZipArchive* OpenWith(DevicePlatform& platform, std::unique_ptr<ByteSource> source,
                     const char* password) {
    auto reader = std::make_unique<ZipReader>(platform, std::move(source), password);
    if (UnzipStatus status = reader->Open()) {
        RecordStatus(status);
        return nullptr;
    }
    auto* archive = new (std::nothrow) ZipArchive;
    if (!archive) {
        RecordStatus(UNZIP_NO_MEMORY);
        return nullptr;
    }
    archive->kind = ZIP_ARCHIVE_KIND_READING;
    archive->reader = std::move(reader);
    RecordStatus(UNZIP_OK);
    return archive;
}

ZipArchive* OpenFileSource(DevicePlatform& platform, std::unique_ptr<FileSource> source,
                           const char* password) {
    if (!source->canSeek()) {
        RecordStatus(UNZIP_SEEK_UNSEEKABLE);
        return nullptr;
    }
    return OpenWith(platform, std::move(source), password);
}

}  // namespace

ZipArchive::ZipArchive() = default;
ZipArchive::~ZipArchive() = default;

ZipArchive* OpenArchiveFromFile(DevicePlatform& platform, std::u16string_view path,
                                const char* password) {
    std::unique_ptr<DeviceFile> file = platform.OpenFile(path, DeviceOpenMode::Read);
    if (!file) {
        RecordStatus(UNZIP_NO_FILE);
        return nullptr;
    }
    return OpenFileSource(platform, std::make_unique<FileSource>(std::move(file)), password);
}

ZipArchive* OpenArchiveFromHandle(DevicePlatform& platform, DeviceFile* file,
                                  const char* password) {
    if (!file) {
        RecordStatus(UNZIP_ARGUMENTS);
        return nullptr;
    }
    return OpenFileSource(platform, std::make_unique<FileSource>(file), password);
}

ZipArchive* OpenArchiveFromMemory(DevicePlatform& platform, const void* data, std::size_t length,
                                  const char* password) {
    if (!data) {
        RecordStatus(UNZIP_ARGUMENTS);
        return nullptr;
    }
    return OpenWith(platform, std::make_unique<MemorySource>(data, length), password);
}

UnzipStatus SetExtractFolder(ZipArchive* archive, std::u16string_view folder) {
    UnzipStatus refusal = UNZIP_OK;
    ZipReader* reader = ReaderOf(archive, &refusal);
    if (!reader) return RecordStatus(refusal);
    reader->SetExtractFolder(folder);
    return RecordStatus(UNZIP_OK);
}

UnzipStatus GetItem(ZipArchive* archive, std::int32_t index, ZipItem* item) {
    UnzipStatus refusal = UNZIP_OK;
    ZipReader* reader = ReaderOf(archive, &refusal);
    if (!reader) return RecordStatus(refusal);
    return RecordStatus(reader->GetItem(index, item));
}

UnzipStatus GetItemStorage(ZipArchive* archive, std::int32_t index, ZipItemStorage* storage) {
    UnzipStatus refusal = UNZIP_OK;
    ZipReader* reader = ReaderOf(archive, &refusal);
    if (!reader) return RecordStatus(refusal);
    return RecordStatus(reader->GetItemStorage(index, storage));
}

UnzipStatus FindItem(ZipArchive* archive, std::u16string_view name, bool ignoreCase,
                     std::int32_t* index, ZipItem* item) {
    UnzipStatus refusal = UNZIP_OK;
    ZipReader* reader = ReaderOf(archive, &refusal);
    if (!reader) return RecordStatus(refusal);
    return RecordStatus(reader->FindItem(name, ignoreCase, index, item));
}

UnzipStatus ExtractItemToFile(ZipArchive* archive, std::int32_t index, std::u16string_view path) {
    UnzipStatus refusal = UNZIP_OK;
    ZipReader* reader = ReaderOf(archive, &refusal);
    if (!reader) return RecordStatus(refusal);
    return RecordStatus(reader->ExtractToFile(index, path));
}

UnzipStatus ExtractItemToHandle(ZipArchive* archive, std::int32_t index, DeviceFile* file) {
    UnzipStatus refusal = UNZIP_OK;
    ZipReader* reader = ReaderOf(archive, &refusal);
    if (!reader) return RecordStatus(refusal);
    return RecordStatus(reader->ExtractToHandle(index, file));
}

UnzipStatus ExtractItemToMemory(ZipArchive* archive, std::int32_t index, void* buffer,
                                std::uint32_t length) {
    UnzipStatus refusal = UNZIP_OK;
    ZipReader* reader = ReaderOf(archive, &refusal);
    if (!reader) return RecordStatus(refusal);
    return RecordStatus(reader->ExtractToMemory(index, buffer, length));
}

UnzipStatus CloseArchive(ZipArchive* archive) {
    UnzipStatus refusal = UNZIP_OK;
    if (!ReaderOf(archive, &refusal)) return RecordStatus(refusal);
    delete archive;
    return RecordStatus(UNZIP_OK);
}

}  // namespace zk
