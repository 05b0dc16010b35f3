#include "desktop/carried_installer.h"

#include <memory>

#include "common/certificate_table.h"
#include "common/fixed_text.h"
#include "common/little_endian.h"
#include "common/package_layout.h"
#include "common/project_record.h"
#include "desktop/file_window.h"
#include "device/unzip/file_range.h"
#include "device/unzip/zip_archive.h"
#include "platform/desktop_platform.h"

namespace zk {
namespace {

// The project archive is read into memory alone; nothing of it is ever
// written to a file, so the platform the zip reader is given has no files.
class NoFilesPlatform : public DevicePlatform {
public:
    std::unique_ptr<DeviceFile> OpenFile(std::u16string_view, DeviceOpenMode,
                                         std::uint32_t) override {
        return nullptr;
    }
    bool RemoveFile(std::u16string_view) override { return false; }
    bool CreateFolder(std::u16string_view) override { return false; }
    bool GetAttributes(std::u16string_view, std::uint32_t*) override { return false; }
    std::uint64_t LocalFileTimeToUtc(std::uint64_t localTime) override { return localTime; }
    bool SetAttributes(std::u16string_view, std::uint32_t) override { return false; }
    bool RenameFile(std::u16string_view, std::u16string_view) override { return false; }
};

bool ReadAt(FileHandle& file, std::uint64_t offset, void* buffer, std::size_t bytes) {
    return file.Seek(offset) && file.Read(buffer, bytes) == bytes;
}

bool ReadCount(FileHandle& file, std::uint64_t offset, std::uint32_t* count) {
    unsigned char bytes[SECTION_HEADER_SIZE];
    if (!ReadAt(file, offset, bytes, sizeof bytes)) return false;
    *count = GetU32(bytes);
    return true;
}

// The installer is saved and sent under its title: a title that is no plain
// file name (a folder in it, a device that refuses the characters) would
// put it somewhere else.
bool IsFileName(const std::string& name) {
    if (name.empty() || name == "." || name == "..") return false;
    for (unsigned char c : name) {
        if (c < 0x20) return false;
        if (std::string_view("\\/:*?\"<>|").find(static_cast<char>(c)) != std::string_view::npos)
            return false;
    }
    return name.back() != '.' && name.back() != ' ';
}

// Reads the one project record out of the archive in `window`.
bool ReadProject(FileWindow& window, Project* project) {
    NoFilesPlatform platform;
    ZipArchive* archive = OpenArchiveFromHandle(platform, &window, nullptr);
    if (!archive) return false;
    ZipItem item;
    bool read = GetItem(archive, -1, &item) == UNZIP_OK && item.index == 1 &&
                GetItem(archive, 0, &item) == UNZIP_OK &&
                item.uncompressedSize == static_cast<std::int32_t>(PROJECT_RECORD_SIZE) &&
                ExtractItemToMemory(archive, 0, project, sizeof *project) == UNZIP_OK;
    CloseArchive(archive);
    return read;
}

// The carried installer, `length` bytes at `start`: a program as long as the
// device stub at least, then the sections its project announces, exactly.
int CheckInstaller(FileHandle& file, std::uint64_t start, std::uint64_t length,
                   std::uint64_t deviceStubLength, CarriedInstaller* out) {
    char magic[2];
    if (length < deviceStubLength || !ReadAt(file, start, magic, sizeof magic) || magic[0] != 'M' ||
        magic[1] != 'Z')
        return CARRIED_NOT_AN_INSTALLER;

    const std::uint64_t end = start + length;
    std::uint64_t at = start + deviceStubLength;
    // Steps over the section at `at`; false when it does not fit.
    auto step = [&](std::uint64_t* body, std::uint32_t* bodyLength) {
        std::uint32_t count = 0;
        if (end - at < SECTION_HEADER_SIZE || !ReadCount(file, at, &count)) return false;
        at += SECTION_HEADER_SIZE;
        if (end - at < count) return false;
        if (body) *body = at;
        if (bodyLength) *bodyLength = count;
        at += count;
        return true;
    };

    std::uint64_t projectAt = 0;
    std::uint32_t projectLength = 0;
    if (!step(nullptr, nullptr) || !step(&projectAt, &projectLength))
        return CARRIED_NOT_AN_INSTALLER;
    auto project = std::make_unique<Project>();
    FileWindow window(file, projectAt, projectLength);
    if (!ReadProject(window, project.get())) return CARRIED_NOT_AN_INSTALLER;

    int sections =
        (project->splashEnabled != 0) + (project->eulaEnabled != 0) + (project->readmeEnabled != 0);
    if (project->cabinetCount < 0 || project->cabinetCount > MAX_CABINETS)
        return CARRIED_NOT_AN_INSTALLER;
    sections += project->cabinetCount;
    for (int i = 0; i < sections; ++i)
        if (!step(nullptr, nullptr)) return CARRIED_NOT_AN_INSTALLER;
    // The carried installer may have been signed before it was carried.
    std::uint64_t signature = 0;
    FileWindow carried(file, start, length);
    if (at != end &&
        !EndsInCertificateTable(ReadDeviceFileAt, &carried, at - start, length, &signature))
        return CARRIED_NOT_AN_INSTALLER;

    const std::string title = TextOf(project->title);
    if (!IsFileName(title)) return CARRIED_NOT_AN_INSTALLER;
    out->offset = start;
    out->length = static_cast<std::uint32_t>(length);
    out->title = title;
    out->company = TextOf(project->company);
    return CARRIED_OK;
}

}  // namespace

int FindCarriedInstaller(FileHandle& file, std::uint64_t sectionOffset,
                         std::uint64_t deviceStubLength, CarriedInstaller* out) {
    if (!file.SeekToEnd()) return CARRIED_UNREADABLE;
    const std::uint64_t size = file.Tell();
    if (size < sectionOffset || size - sectionOffset < SECTION_HEADER_SIZE)
        return CARRIED_NO_SECTION;
    std::uint32_t count = 0;
    if (!ReadCount(file, sectionOffset, &count)) return CARRIED_UNREADABLE;
    const std::uint64_t start = sectionOffset + SECTION_HEADER_SIZE;
    if (size - start < count) return CARRIED_CUT;
    std::uint64_t signature = 0;
    FileWindow whole(file, 0, size);
    if (size - start > count &&
        !EndsInCertificateTable(ReadDeviceFileAt, &whole, start + count, size, &signature))
        return CARRIED_EXTRA_BYTES;
    return CheckInstaller(file, start, count, deviceStubLength, out);
}

std::string DescribeCarriedResult(int result, const std::string& path) {
    switch (result) {
    case CARRIED_OK: return {};
    case CARRIED_UNREADABLE: return "The installer " + path + " cannot be read.";
    case CARRIED_NO_SECTION:
        return "The installer " + path +
               " carries no device installer: it is not whole. "
               "Download or copy it again.";
    case CARRIED_CUT:
        return "The installer " + path +
               " is cut short: it is damaged. "
               "Download or copy it again.";
    case CARRIED_EXTRA_BYTES:
        return "The installer " + path +
               " has bytes after its device installer: it is "
               "damaged. Download or copy it again.";
    default:
        return "The installer " + path +
               " does not carry a device installer: it is "
               "damaged. Download or copy it again.";
    }
}

std::string MobileInstallerName(const CarriedInstaller& carried) {
    return carried.title + ".[MOBILE].exe";
}

}  // namespace zk
