#include "device/installer/package_check.h"

#include "common/certificate_table.h"
#include "common/fixed_text.h"
#include "common/little_endian.h"
#include "common/package_layout.h"
#include "common/utf16_text.h"
#include "device/installer/ansi_text16.h"
#include "device/installer/format_text.h"
#include "device/unzip/file_range.h"
#include "device/unzip/zip_archive.h"

namespace zk {
namespace {

std::u16string Number(std::uint64_t n) { return NumberText(static_cast<std::int64_t>(n)); }

std::u16string StatusMessage(UnzipStatus code) {
    char16_t text[128];
    DescribeStatus(code, text, sizeof text / sizeof text[0]);
    return std::u16string(TextOf16(text));
}

}  // namespace

PackageCheck CheckPackage(DevicePlatform& platform, DeviceFile& package, std::uint64_t start,
                          std::uint64_t fileLength, const Project& project, int firstNumber) {
    PackageCheck check;
    std::vector<std::u16string> roles;
    if (project.splashEnabled) roles.push_back(u"splash");
    if (project.eulaEnabled) roles.push_back(u"EULA");
    if (project.readmeEnabled) roles.push_back(u"read-me");
    const int firstCabinet = static_cast<int>(roles.size());
    const int cabinets = CabinetCount(project);
    for (int i = 0; i < cabinets; ++i)
        roles.push_back(u"cabinet [" + AnsiToUtf16(TextOf(project.cabinets[i].fileName)) + u"]");

    std::uint64_t at = start;
    auto fail = [&](std::size_t index, std::uint64_t offset, std::u16string_view what) {
        check.whole = false;
        check.fault = FormatText(u"section %d (%s) at offset %d %s",
                                 {Number(static_cast<std::uint64_t>(firstNumber) + index),
                                  roles[index], Number(offset), what});
        check.cabinets.clear();
        return check;
    };
    for (std::size_t i = 0; i < roles.size(); ++i) {
        unsigned char count[SECTION_HEADER_SIZE];
        if (at >= fileLength) return fail(i, at, u"is missing: the file ends before it");
        if (fileLength - at < sizeof count ||
            !package.Seek(static_cast<std::int64_t>(at), DeviceSeek::Start) ||
            package.Read(count, sizeof count) != sizeof count)
            return fail(i, at, u"has its byte count cut off");
        const std::uint32_t bytes = GetU32(count);
        const std::uint64_t body = at + sizeof count;
        if (bytes > fileLength - body) {
            return fail(i, at,
                        FormatText(u"is cut: it holds %d of its %d bytes",
                                   {Number(fileLength - body), Number(bytes)}));
        }
        FileRange range(package, body, body + bytes);
        ZipArchive* archive = OpenArchiveFromHandle(platform, &range, nullptr);
        if (!archive)
            return fail(i, at, u"is no zip archive: " + StatusMessage(MostRecentStatus()));
        ZipItem item;
        GetItem(archive, -1, &item);
        std::uint64_t unpacked = 0;
        UnzipStatus unreadable = UNZIP_OK;
        std::int32_t k = 0;
        // An item whose entry cannot be read would fail to unpack part-way.
        for (; k < item.index && unreadable == UNZIP_OK; ++k) {
            ZipItemStorage storage;
            unreadable = GetItemStorage(archive, k, &storage);
            unpacked += storage.uncompressedSize;
        }
        CloseArchive(archive);
        if (item.index <= 0) return fail(i, at, u"holds no file");
        if (unreadable != UNZIP_OK) {
            return fail(i, at,
                        FormatText(u"cannot list its item %d of %d: %s",
                                   {Number(static_cast<std::uint64_t>(k)),
                                    Number(static_cast<std::uint64_t>(item.index)),
                                    StatusMessage(unreadable)}));
        }
        if (static_cast<int>(i) >= firstCabinet) check.cabinets.push_back({at, bytes, unpacked});
        at = body + bytes;
    }
    if (at < fileLength && !EndsInCertificateTable(ReadDeviceFileAt, &package, at, fileLength,
                                                   &check.signatureBytes)) {
        check.whole = false;
        check.fault =
            FormatText(u"%d bytes at offset %d follow the last section the project announces",
                       {Number(fileLength - at), Number(at)});
        check.cabinets.clear();
    }
    return check;
}

}  // namespace zk
