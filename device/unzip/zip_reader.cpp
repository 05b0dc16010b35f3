#include "device/unzip/zip_reader.h"

#include <climits>
#include <new>
#include <string>
#include <vector>

#include "common/utf16_text.h"
#include "device/unzip/item_facts.h"
#include "device/unzip/item_name.h"
#include "device/unzip/minizip_io.h"

namespace zk {
namespace {

constexpr std::uint32_t COPY_BUFFER_SIZE = 16384;
constexpr int MINIZIP_CASE_SENSITIVE = 1;
constexpr int MINIZIP_CASE_INSENSITIVE = 2;

bool IsSeparator(char16_t c) { return c == u'\\' || c == u'/'; }

bool IsAbsolute(std::u16string_view path) {
    return (!path.empty() && IsSeparator(path[0])) || (path.size() >= 2 && path[1] == u':');
}

std::int32_t ClampSize(std::uint64_t size) {
    return size > INT32_MAX ? INT32_MAX : static_cast<std::int32_t>(size);
}

}  // namespace

ZipReader::ZipReader(DevicePlatform& platform, std::unique_ptr<ByteSource> source,
                     const char* password)
    : platform_(platform), source_(std::move(source)) {
    if (password) password_.emplace(password);
}

ZipReader::~ZipReader() { Close(); }

UnzipStatus ZipReader::Open() {
    if (zip_ || currentItem_ != -1) return UNZIP_NOT_INITIALISED;
    extractFolder_ = u"\\";
    zlib_filefunc64_def functions;
    FillByteSourceFunctions(&functions);
    zip_ = unzOpen2_64(source_.get(), &functions);
    if (!zip_) return UNZIP_NO_FILE;
    unz_global_info64 global;
    if (unzGetGlobalInfo64(zip_, &global) != UNZ_OK) return UNZIP_NO_FILE;
    count_ = global.number_entry > INT32_MAX ? INT32_MAX
                                             : static_cast<std::int32_t>(global.number_entry);
    // minizip stands on the first item after opening, when there is one.
    position_ = -1;
    return UNZIP_OK;
}

void ZipReader::SetExtractFolder(std::u16string_view folder) {
    extractFolder_.assign(folder);
    if (extractFolder_.empty() || !IsSeparator(extractFolder_.back())) extractFolder_ += u'\\';
}

void ZipReader::CloseMemoryStream() {
    if (memoryStream_) memoryStream_->Finish();
    memoryStream_.reset();
    currentItem_ = -1;
}

UnzipStatus ZipReader::PositionOn(std::int32_t index) {
    if (index >= unreachable_) return UNZIP_CORRUPT;
    if (position_ < 0 || index < position_) {
        if (unzGoToFirstFile(zip_) != UNZ_OK) {
            position_ = -1;
            unreachable_ = 0;
            return UNZIP_CORRUPT;
        }
        position_ = 0;
    }
    while (position_ < index) {
        if (unzGoToNextFile(zip_) != UNZ_OK) {
            unreachable_ = position_ + 1;
            position_ = -1;
            return UNZIP_CORRUPT;
        }
        ++position_;
    }
    return UNZIP_OK;
}

UnzipStatus ZipReader::Describe(std::int32_t index, Described* out) {
    if (index == cachedIndex_) {
        *out = cached_;
        return UNZIP_OK;
    }
    if (UnzipStatus status = PositionOn(index)) return status;
    unz_file_info64 info;
    if (unzGetCurrentFileInfo64(zip_, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK)
        return UNZIP_CORRUPT;
    std::vector<char> name(info.size_filename + 1, '\0');
    std::vector<unsigned char> extra(info.size_file_extra + 1, 0);
    if (unzGetCurrentFileInfo64(zip_, &info, name.data(), info.size_filename, extra.data(),
                                info.size_file_extra, nullptr, 0) != UNZ_OK)
        return UNZIP_READ_FAILED;

    Described d;
    d.item.index = index;
    std::u16string wide = Utf8ToUtf16(std::string_view(name.data(), info.size_filename));
    if (wide.size() > ZIP_ITEM_NAME_UNITS - 1) wide.resize(ZIP_ITEM_NAME_UNITS - 1);
    CopyText16(d.item.name, SafeItemName(wide));
    d.storedName = wide;
    d.item.attributes = ItemAttributes(static_cast<std::uint32_t>(info.version),
                                       static_cast<std::uint32_t>(info.external_fa));
    d.item.compressedSize = ClampSize(info.compressed_size);
    d.item.uncompressedSize = ClampSize(info.uncompressed_size);

    std::uint64_t stamp = platform_.LocalFileTimeToUtc(
        DosDateTimeToFileTime(static_cast<std::uint32_t>(info.dosDate)));
    DeviceFileTimes times{stamp, stamp, stamp};
    ApplyExtendedTimestamps(extra.data(), info.size_file_extra, &times);
    d.item.creationTime = times.creation;
    d.item.accessTime = times.access;
    d.item.modificationTime = times.modification;

    d.data.flags = static_cast<std::uint32_t>(info.flag);
    d.data.method = static_cast<std::uint32_t>(info.compression_method);
    d.data.crc = static_cast<std::uint32_t>(info.crc);
    d.data.dosDateTime = static_cast<std::uint32_t>(info.dosDate);
    d.data.compressedSize = info.compressed_size;
    d.data.uncompressedSize = info.uncompressed_size;

    cached_ = d;
    cachedIndex_ = index;
    *out = d;
    return UNZIP_OK;
}

UnzipStatus ZipReader::GetItem(std::int32_t index, ZipItem* item) {
    if (!item) return UNZIP_ARGUMENTS;
    item->index = 0;
    item->name[0] = 0;
    item->uncompressedSize = 0;
    if (index < -1 || index >= count_) return UNZIP_ARGUMENTS;
    CloseMemoryStream();
    if (index == -1) {
        *item = ZipItem{};
        item->index = count_;
        return UNZIP_OK;
    }
    Described d;
    if (UnzipStatus status = Describe(index, &d)) return status;
    *item = d.item;
    return UNZIP_OK;
}

UnzipStatus ZipReader::GetItemStorage(std::int32_t index, ZipItemStorage* storage) {
    if (!storage) return UNZIP_ARGUMENTS;
    *storage = ZipItemStorage{};
    if (index < 0 || index >= count_) return UNZIP_ARGUMENTS;
    CloseMemoryStream();
    Described d;
    if (UnzipStatus status = Describe(index, &d)) return status;
    storage->method = d.data.method;
    storage->flags = d.data.flags;
    storage->crc = d.data.crc;
    storage->dosDateTime = d.data.dosDateTime;
    storage->compressedSize = d.data.compressedSize;
    storage->uncompressedSize = d.data.uncompressedSize;
    CopyText16(storage->storedName, d.storedName);
    return UNZIP_OK;
}

UnzipStatus ZipReader::FindItem(std::u16string_view name, bool ignoreCase, std::int32_t* index,
                                ZipItem* item) {
    CloseMemoryStream();
    std::string wanted = Utf16ToUtf8(name);
    // minizip searches from the first item but refuses to start when the item
    // it stands on is unreadable, so it is put on the first item beforehand.
    bool found =
        wanted.find('\0') == std::string::npos && PositionOn(0) == UNZIP_OK &&
        unzLocateFile(zip_, wanted.c_str(),
                      ignoreCase ? MINIZIP_CASE_INSENSITIVE : MINIZIP_CASE_SENSITIVE) == UNZ_OK;
    unz64_file_pos at;
    if (found && unzGetFilePos64(zip_, &at) == UNZ_OK && at.num_of_file <= INT32_MAX) {
        position_ = static_cast<std::int32_t>(at.num_of_file);
    } else {
        // A failed look-up puts minizip back on its item, but not always in a
        // state that can step on from there; the next positioning restarts.
        position_ = -1;
        if (index) *index = -1;
        if (item) {
            *item = ZipItem{};
            item->index = -1;
        }
        return UNZIP_NOT_FOUND;
    }
    if (index) *index = position_;
    if (!item) return UNZIP_OK;
    return GetItem(position_, item);
}

UnzipStatus ZipReader::OpenStream(std::int32_t index, const Described& described,
                                  std::unique_ptr<ItemStream>* stream) {
    if (UnzipStatus status = PositionOn(index)) return status;
    auto opened = std::make_unique<ItemStream>(zip_, described.data);
    if (UnzipStatus status = opened->Open(password())) return status;
    *stream = std::move(opened);
    return UNZIP_OK;
}

UnzipStatus ZipReader::EnsureCopyBuffer() {
    if (!copyBuffer_) copyBuffer_.reset(new (std::nothrow) unsigned char[COPY_BUFFER_SIZE]);
    return copyBuffer_ ? UNZIP_OK : UNZIP_NO_MEMORY;
}

UnzipStatus ZipReader::CopyToTarget(ItemStream& stream, DeviceFile* target) {
    for (;;) {
        std::uint32_t got = 0;
        if (UnzipStatus status = stream.Read(copyBuffer_.get(), COPY_BUFFER_SIZE, &got))
            return status;
        if (got == 0) return UNZIP_OK;
        if (target->Write(copyBuffer_.get(), got) != got) return UNZIP_WRITE_FAILED;
    }
}

// Makes every missing level of `folder`, outermost first. A drive prefix and
// the root are not levels.
void ZipReader::MakeFolders(std::u16string_view folder) {
    std::size_t start = folder.size() >= 2 && folder[1] == u':' ? 2 : 0;
    for (std::size_t i = start; i <= folder.size(); ++i) {
        if (i < folder.size() && !IsSeparator(folder[i])) continue;
        if (i == start || IsSeparator(folder[i - 1])) continue;
        std::u16string_view level = folder.substr(0, i);
        std::uint32_t attributes;
        if (!platform_.GetAttributes(level, &attributes)) platform_.CreateFolder(level);
    }
}

UnzipStatus ZipReader::ExtractToFile(std::int32_t index, std::u16string_view path) {
    if (index < 0 || index >= count_) return UNZIP_ARGUMENTS;
    CloseMemoryStream();
    Described d;
    if (UnzipStatus status = Describe(index, &d)) return status;
    // A name the cleaning left empty names nothing to write.
    if (path.empty()) return UNZIP_OK;

    std::u16string full =
        IsAbsolute(path) ? std::u16string(path) : extractFolder_ + std::u16string(path);
    if (d.item.attributes & DEVICE_ATTR_DIRECTORY) {
        MakeFolders(full);
        return UNZIP_OK;
    }
    std::size_t lastSeparator = full.find_last_of(u"\\/");
    if (lastSeparator != std::u16string::npos)
        MakeFolders(std::u16string_view(full).substr(0, lastSeparator + 1));

    if (UnzipStatus status = EnsureCopyBuffer()) return status;
    // The stream is opened first, so that a missing password leaves no empty
    // file behind.
    std::unique_ptr<ItemStream> stream;
    if (UnzipStatus status = OpenStream(index, d, &stream)) return status;
    std::unique_ptr<DeviceFile> file =
        platform_.OpenFile(full, DeviceOpenMode::CreateWrite, d.item.attributes);
    if (!file) return UNZIP_NO_FILE;

    UnzipStatus status = CopyToTarget(*stream, file.get());
    if (status == UNZIP_OK)
        file->SetTimes({d.item.creationTime, d.item.accessTime, d.item.modificationTime});
    if (!file->Close() && status == UNZIP_OK) status = UNZIP_WRITE_FAILED;
    UnzipStatus finished = stream->Finish();
    if (!status) status = finished;
    // What a failed extraction wrote is not the item: a damaged archive, or a
    // wrong password that passed the one-byte check of the encryption header
    // (one in 256 do), leaves no file that looks like the item.
    if (status != UNZIP_OK) platform_.RemoveFile(full);
    return status;
}

UnzipStatus ZipReader::ExtractToHandle(std::int32_t index, DeviceFile* file) {
    if (!file || index < 0 || index >= count_) return UNZIP_ARGUMENTS;
    CloseMemoryStream();
    Described d;
    if (UnzipStatus status = Describe(index, &d)) return status;
    if (d.item.attributes & DEVICE_ATTR_DIRECTORY) return UNZIP_OK;
    if (UnzipStatus status = EnsureCopyBuffer()) return status;
    std::unique_ptr<ItemStream> stream;
    if (UnzipStatus status = OpenStream(index, d, &stream)) return status;
    UnzipStatus status = CopyToTarget(*stream, file);
    if (status == UNZIP_OK)
        file->SetTimes({d.item.creationTime, d.item.accessTime, d.item.modificationTime});
    UnzipStatus finished = stream->Finish();
    return status ? status : finished;
}

UnzipStatus ZipReader::ExtractToMemory(std::int32_t index, void* buffer, std::uint32_t length) {
    if (!buffer || length == 0) return UNZIP_ARGUMENTS;
    if (index != currentItem_ || !memoryStream_) {
        CloseMemoryStream();
        if (index < 0 || index >= count_) return UNZIP_ARGUMENTS;
        Described d;
        if (UnzipStatus status = Describe(index, &d)) return status;
        if (UnzipStatus status = OpenStream(index, d, &memoryStream_)) return status;
        currentItem_ = index;
    }
    std::uint32_t got = 0;
    UnzipStatus status = memoryStream_->Read(buffer, length, &got);
    if (status == UNZIP_OK && got > 0 && !memoryStream_->AtEnd()) return UNZIP_MORE;
    // The end, or a failure: either way this item's stream is done.
    UnzipStatus finished = memoryStream_->Finish();
    memoryStream_.reset();
    currentItem_ = -1;
    return status ? status : finished;
}

void ZipReader::Close() {
    CloseMemoryStream();
    if (zip_) unzClose(zip_);
    zip_ = nullptr;
    source_.reset();
    password_.reset();
    copyBuffer_.reset();
}

}  // namespace zk
