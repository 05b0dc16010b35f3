// Shared set-up of the zip-reader tests: a device root in a fresh folder,
// archives made at test time by Info-ZIP and Python, and small readers.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "common/utf16_text.h"
#include "device/unzip/zip_archive.h"
#include "tests/support/native_device_platform.h"
#include "tests/support/temp_folder.h"

namespace zk::test {

inline constexpr std::uint64_t HOUR = 3600ULL * DEVICE_FILETIME_PER_SECOND;

// The device's clock runs one hour ahead of UTC, so tests can see that DOS
// times are taken as local time and converted.
class OneHourAheadPlatform : public NativeDevicePlatform {
public:
    using NativeDevicePlatform::NativeDevicePlatform;
    std::uint64_t LocalFileTimeToUtc(std::uint64_t local) override { return local - HOUR; }
};

inline std::uint64_t UnixToFileTime(std::int64_t seconds) {
    return static_cast<std::uint64_t>(seconds) * DEVICE_FILETIME_PER_SECOND +
           DEVICE_FILETIME_UNIX_EPOCH;
}

inline std::string NameOf(const ZipItem& item) { return Utf16ToUtf8(TextOf16(item.name)); }

class ZipTest : public ::testing::Test {
protected:
    ZipTest() : root(work / "device"), platform(root) {
        std::filesystem::create_directories(root);
        std::filesystem::create_directories(src);
    }

    // Runs a command in the source folder; archives go to the device root.
    void Shell(const std::string& command) {
        ASSERT_EQ(RunCommand("cd '" + src + "' && " + command + " >/dev/null 2>&1"), 0) << command;
    }
    void Python(const std::string& kind, const std::string& zipName) {
        Shell(std::string("'") + ZK_PYTHON + "' '" + ZK_SOURCE_DIR +
              "/tests/device/make_zips.py' " + kind + " '" + root + "/" + zipName + "'");
    }
    void Source(const std::string& name, const std::string& bytes) {
        std::filesystem::create_directories(std::filesystem::path(src + "/" + name).parent_path());
        WriteFileBytes(src + "/" + name, bytes);
    }
    std::string Device(const std::string& relative) { return root + "/" + relative; }

    std::vector<ZipItem> Items(ZipArchive* archive) {
        ZipItem count;
        EXPECT_EQ(GetItem(archive, -1, &count), UNZIP_OK);
        std::vector<ZipItem> items(static_cast<std::size_t>(count.index));
        for (std::int32_t i = 0; i < count.index; ++i)
            EXPECT_EQ(GetItem(archive, i, &items[static_cast<std::size_t>(i)]), UNZIP_OK);
        return items;
    }

    // The installer's own sequence: every item under its name below \Temp.
    std::vector<UnzipStatus> ExtractAll(ZipArchive* archive) {
        std::vector<UnzipStatus> results;
        EXPECT_EQ(SetExtractFolder(archive, u"\\Temp"), UNZIP_OK);
        for (const ZipItem& item : Items(archive))
            results.push_back(ExtractItemToFile(archive, item.index, TextOf16(item.name)));
        return results;
    }

    TempFolder work;
    std::string src = work / "src";
    std::string root;
    OneHourAheadPlatform platform;
};

}  // namespace zk::test
