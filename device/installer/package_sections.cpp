#include "device/installer/package_sections.h"

#include <vector>

#include "common/package_layout.h"
#include "common/utf16_text.h"
#include "device/installer/format_text.h"
#include "device/installer/installer_texts.h"
#include "device/unzip/zip_archive.h"

namespace zk {
namespace {

std::u16string StatusMessage(UnzipStatus code) {
    char16_t text[128];
    DescribeStatus(code, text, sizeof text / sizeof text[0]);
    return std::u16string(TextOf16(text));
}

}  // namespace

TakenSection CopySection(DevicePlatform& platform, DeviceFile& stream,
                         std::u16string_view tempPath) {
    TakenSection taken;
    unsigned char count[SECTION_HEADER_SIZE];
    std::size_t got = stream.Read(count, sizeof count);
    // The file is replaced even when nothing follows, so that a temporary zip
    // left by an earlier run is never taken for this section.
    std::unique_ptr<DeviceFile> out = platform.OpenFile(tempPath, DeviceOpenMode::CreateWrite);
    taken.written = out != nullptr;
    if (got < sizeof count) {
        taken.fate = got == 0 ? SectionFate::Missing : SectionFate::CountCut;
        if (out) taken.written = out->Close();
        return taken;
    }
    taken.declared =
        static_cast<std::uint32_t>(count[0]) | static_cast<std::uint32_t>(count[1]) << 8 |
        static_cast<std::uint32_t>(count[2]) << 16 | static_cast<std::uint32_t>(count[3]) << 24;
    std::vector<unsigned char> block(SECTION_BLOCK_BYTES);
    std::uint64_t left = taken.declared;
    while (left > 0) {
        std::size_t want = left < block.size() ? static_cast<std::size_t>(left) : block.size();
        std::size_t n = stream.Read(block.data(), want);
        taken.copied += n;
        left -= n;
        // A failed write stops the writing, not the reading: the stream must
        // still move past the whole section.
        if (n > 0 && out && taken.written && out->Write(block.data(), n) != n) {
            taken.written = false;
        }
        if (n < want) break;
    }
    if (out && !out->Close()) taken.written = false;
    taken.fate = left == 0 ? SectionFate::Whole : SectionFate::Cut;
    return taken;
}

UnpackedSection UnpackSection(DevicePlatform& platform, std::u16string_view zipPath,
                              std::u16string_view folder) {
    UnpackedSection result;
    ZipArchive* archive = OpenArchiveFromFile(platform, zipPath, nullptr);
    if (!archive) {
        result.openStatus = MostRecentStatus();
    } else {
        result.opened = true;
        SetExtractFolder(archive, folder);
        ZipItem item;
        GetItem(archive, -1, &item);
        const std::int32_t count = item.index;
        std::u16string prefix(folder);
        if (prefix.empty() || (prefix.back() != u'\\' && prefix.back() != u'/')) prefix += u'\\';
        for (std::int32_t i = 0; i < count; ++i) {
            const UnzipStatus described = GetItem(archive, i, &item);
            UnzipStatus code = described;
            const std::u16string target = prefix + std::u16string(TextOf16(item.name));
            std::uint32_t attributes = 0;
            if (code == UNZIP_OK && !(item.attributes & DEVICE_ATTR_DIRECTORY) &&
                platform.GetAttributes(target, &attributes) &&
                !(attributes & DEVICE_ATTR_DIRECTORY)) {
                // A file an earlier package left under this name, read-only
                // perhaps: the device would write over nothing of it.
                platform.SetAttributes(target, attributes & ~DEVICE_ATTR_READONLY);
                platform.RemoveFile(target);
            }
            if (code == UNZIP_OK) code = ExtractItemToFile(archive, i, TextOf16(item.name));
            // What the installer unpacks must be removable and replaceable by
            // the platform installer and the next package.
            if (code == UNZIP_OK && platform.GetAttributes(target, &attributes) &&
                (attributes & DEVICE_ATTR_READONLY))
                platform.SetAttributes(target, attributes & ~DEVICE_ATTR_READONLY);
            // What a full storage cut short is of no use and only takes room.
            if (code == UNZIP_WRITE_FAILED) platform.RemoveFile(target);
            if (code != UNZIP_OK) {
                if (result.failedItems++ == 0) {
                    result.firstFailureCode = code;
                    result.firstFailure =
                        u"[" + std::u16string(TextOf16(item.name)) + u"]: " + StatusMessage(code);
                }
            }
            ++result.items;
            result.lastPath = target;
            if (code == UNZIP_OK && !(item.attributes & DEVICE_ATTR_DIRECTORY))
                result.paths.push_back(target);
            // No later item of the directory can be reached either.
            if (described == UNZIP_CORRUPT) break;
        }
        CloseArchive(archive);
    }
    platform.RemoveFile(zipPath);
    return result;
}

PackageSections::PackageSections(InstallerSession& session, std::u16string_view routine)
    : session_(session), routine_(routine) {}

void PackageSections::Damage(std::u16string_view what) {
    session_.state.damage.sections.fetch_add(1);
    session_.log.LogLine(FormatText(u"[%s] Damaged package: section %d (%s) %s",
                                    {routine_, NumberText(number_), role_, what}));
}

// The line may itself be lost when the log shares the full storage; it is
// written after the failed file is gone where that is possible.
void PackageSections::NoRoom(std::u16string_view what) {
    unwritten_ = true;
    std::uint64_t free = 0;
    const std::u16string room =
        session_.platform.FreeStorage(UNPACK_FOLDER, &free)
            ? FormatText(u"%d KB free", {NumberText(static_cast<std::int64_t>(free / 1024))})
            : std::u16string(u"free storage unknown");
    session_.log.LogLine(FormatText(u"[%s] Cannot write section %d (%s): %s (%s)",
                                    {routine_, NumberText(number_), role_, what, room}));
}

bool PackageSections::Take(std::u16string_view tempPath, std::u16string_view role) {
    number_ = ++session_.state.sectionsTaken;
    role_ = std::u16string(role);
    takeDamaged_ = true;
    unwritten_ = false;
    DeviceFile* stream = session_.state.packageStream.get();
    if (!stream) {
        if (auto out = session_.platform.OpenFile(tempPath, DeviceOpenMode::CreateWrite)) {
            out->Close();
        }
        return false;
    }
    TakenSection taken = CopySection(session_.platform, *stream, tempPath);
    bytes_ = taken.copied;
    if (!taken.written) {
        // What could not be written is of no use: gone, it leaves its room
        // to the log line.
        session_.platform.RemoveFile(tempPath);
        NoRoom(FormatText(u"[%s] holds %d bytes", {tempPath, NumberText(taken.declared)}));
    }
    switch (taken.fate) {
    case SectionFate::Whole: takeDamaged_ = false; return taken.written;
    case SectionFate::Cut:
        Damage(FormatText(
            u"holds %d of %d bytes",
            {NumberText(static_cast<std::int64_t>(taken.copied)), NumberText(taken.declared)}));
        return false;
    case SectionFate::CountCut: Damage(u"has its byte count cut off"); return false;
    case SectionFate::Missing: Damage(u"is missing"); return false;
    }
    return false;
}

UnpackedSection PackageSections::Unpack(std::u16string_view tempPath) {
    UnpackedSection unpacked = UnpackSection(session_.platform, tempPath, UNPACK_FOLDER);
    if (session_.state.preferences.debugLog) {
        session_.log.LogLine(FormatText(
            u"[%s] Unpacked section %d (%s): %d bytes, %d items, last [%s]",
            {routine_, NumberText(number_), role_, NumberText(static_cast<std::int64_t>(bytes_)),
             NumberText(unpacked.items), unpacked.lastPath}));
    }
    // A section already reported as cut, missing or unwritten does not open
    // either; one line says it.
    if (unwritten_) return unpacked;
    if (!unpacked.opened && !takeDamaged_) {
        Damage(u"does not open: " + StatusMessage(unpacked.openStatus));
    } else if (unpacked.WriteFailed()) {
        NoRoom(
            FormatText(u"%d items cannot be written into %s, the first %s",
                       {NumberText(unpacked.failedItems), UNPACK_FOLDER, unpacked.firstFailure}));
    } else if (unpacked.failedItems > 0) {
        Damage(FormatText(u"has %d items that do not unpack, the first %s",
                          {NumberText(unpacked.failedItems), unpacked.firstFailure}));
    }
    return unpacked;
}

}  // namespace zk
