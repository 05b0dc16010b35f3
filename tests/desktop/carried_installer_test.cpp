// Finding and checking the device installer a desktop installer carries.
#include <memory>

#include <gtest/gtest.h>

#include "desktop/carried_installer.h"
#include "tests/desktop/desktop_package.h"
#include "tests/support/native_desktop_platform.h"
#include "tests/support/signed_program.h"

namespace zk::test {
namespace {

class CarriedInstallerTest : public ::testing::Test {
protected:
    int Find(const std::string& desktopBytes) {
        WriteFileBytes(folder / "Demo.[DESKTOP].exe", desktopBytes);
        std::unique_ptr<FileHandle> file =
            platform.OpenFile(folder / "Demo.[DESKTOP].exe", FileMode::Read);
        if (!file) return -1;
        return FindCarriedInstaller(*file, TEST_DESKTOP_STUB_LENGTH, TEST_DEVICE_STUB_LENGTH,
                                    &carried);
    }
    int FindWith(const PackageParts& parts) {
        return Find(MakeDesktopInstaller(MakeDeviceInstaller(folder, parts)));
    }

    TempFolder folder;
    NativeDesktopPlatform platform;
    CarriedInstaller carried;
};

TEST_F(CarriedInstallerTest, AWholeInstallerIsFoundWithItsProject) {
    const std::string installer = MakeDeviceInstaller(folder, {});
    ASSERT_EQ(Find(MakeDesktopInstaller(installer)), CARRIED_OK);
    EXPECT_EQ(carried.offset, TEST_DESKTOP_STUB_LENGTH + 4);
    EXPECT_EQ(carried.length, installer.size());
    EXPECT_EQ(carried.title, "Demo");
    EXPECT_EQ(carried.company, "Morvane");
    EXPECT_EQ(MobileInstallerName(carried), "Demo.[MOBILE].exe");
}

TEST_F(CarriedInstallerTest, OptionalSectionsAndNoCabinetsAreCounted) {
    PackageParts parts;
    parts.eula = false;
    parts.cabinets = 0;
    EXPECT_EQ(FindWith(parts), CARRIED_OK);
}

TEST_F(CarriedInstallerTest, SizesThatDoNotAgreeAreDamage) {
    const std::string installer = MakeDeviceInstaller(folder, {});
    const std::string whole = MakeDesktopInstaller(installer);

    EXPECT_EQ(Find(whole.substr(0, whole.size() - 1)), CARRIED_CUT);
    EXPECT_EQ(Find(whole.substr(0, TEST_DESKTOP_STUB_LENGTH + 10)), CARRIED_CUT);
    EXPECT_EQ(Find(whole.substr(0, TEST_DESKTOP_STUB_LENGTH + 2)), CARRIED_NO_SECTION);
    EXPECT_EQ(Find(whole.substr(0, TEST_DESKTOP_STUB_LENGTH)), CARRIED_NO_SECTION);
    EXPECT_EQ(Find(whole.substr(0, 100)), CARRIED_NO_SECTION);
    EXPECT_EQ(Find(whole + "x"), CARRIED_EXTRA_BYTES);

    std::string lying = whole;
    lying.replace(TEST_DESKTOP_STUB_LENGTH, 4,
                  U32Bytes(static_cast<std::uint32_t>(installer.size() + 1)));
    EXPECT_EQ(Find(lying), CARRIED_CUT);
    lying.replace(TEST_DESKTOP_STUB_LENGTH, 4, U32Bytes(0xFFFFFFFFu));
    EXPECT_EQ(Find(lying), CARRIED_CUT);
}

// Signing appends a certificate table: to the device installer before it is
// carried, to the desktop installer after. Those bytes are no damage; any
// others after the sections, or a table the header does not point at, are.
TEST_F(CarriedInstallerTest, ASignatureAfterEitherInstallerIsNoDamage) {
    const std::string installer = MakeDeviceInstaller(folder, {});
    const std::string signedInstaller = SignedProgram(installer, 1500);
    const std::size_t misplaced = (installer.size() + 7) / 8 * 8 + 8;
    const struct {
        std::string desktop;
        int result;
    } cases[] = {
        {MakeDesktopInstaller(signedInstaller), CARRIED_OK},
        {SignedProgram(MakeDesktopInstaller(installer)), CARRIED_OK},
        {SignedProgram(MakeDesktopInstaller(signedInstaller), 9), CARRIED_OK},
        {SignedProgram(MakeDesktopInstaller(installer)) + "x", CARRIED_EXTRA_BYTES},
        {MakeDesktopInstaller(signedInstaller + "x"), CARRIED_NOT_AN_INSTALLER},
        {MakeDesktopInstaller(SignedProgram(installer, 1500, misplaced)), CARRIED_NOT_AN_INSTALLER},
        {SignedProgram(MakeDesktopInstaller(installer), 1500, 8), CARRIED_EXTRA_BYTES},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Find(c.desktop), c.result) << "case " << (&c - cases);
        if (c.result == CARRIED_OK) {
            EXPECT_EQ(carried.title, "Demo");
        }
    }
    ASSERT_EQ(Find(MakeDesktopInstaller(signedInstaller)), CARRIED_OK);
    EXPECT_EQ(carried.length, signedInstaller.size());
}

TEST_F(CarriedInstallerTest, WhatIsNoDeviceInstallerIsRefused) {
    const std::string installer = MakeDeviceInstaller(folder, {});

    std::string noProgram = installer;
    noProgram[0] = 'P';
    EXPECT_EQ(Find(MakeDesktopInstaller(noProgram)), CARRIED_NOT_AN_INSTALLER);
    EXPECT_EQ(Find(MakeDesktopInstaller(installer.substr(0, TEST_DEVICE_STUB_LENGTH - 1))),
              CARRIED_NOT_AN_INSTALLER);
    EXPECT_EQ(Find(MakeDesktopInstaller(installer.substr(0, TEST_DEVICE_STUB_LENGTH))),
              CARRIED_NOT_AN_INSTALLER);
    // Cut inside itself, with the outer count telling the truth.
    EXPECT_EQ(Find(MakeDesktopInstaller(installer.substr(0, installer.size() - 1))),
              CARRIED_NOT_AN_INSTALLER);
    EXPECT_EQ(Find(MakeDesktopInstaller(installer + "x")), CARRIED_NOT_AN_INSTALLER);
    // A section count that runs past the installer's end.
    std::string lying = installer;
    lying.replace(TEST_DEVICE_STUB_LENGTH, 4, U32Bytes(0xFFFFFF00u));
    EXPECT_EQ(Find(MakeDesktopInstaller(lying)), CARRIED_NOT_AN_INSTALLER);
    // The project archive's end record damaged: it ends 34 bytes before the
    // EULA member's name (its section count and local header come between).
    std::string damaged = installer;
    const std::size_t eula = damaged.find("eula.txt");
    ASSERT_NE(eula, std::string::npos);
    ASSERT_EQ(damaged.substr(eula - 34 - 22, 4), std::string("PK\x05\x06", 4));
    damaged[eula - 34 - 22] = 'X';
    EXPECT_EQ(Find(MakeDesktopInstaller(damaged)), CARRIED_NOT_AN_INSTALLER);
}

TEST_F(CarriedInstallerTest, TheProjectSectionMustHoldOneWholeRecord) {
    PackageParts two;
    two.projectMembers = 2;
    EXPECT_EQ(FindWith(two), CARRIED_NOT_AN_INSTALLER);
    PackageParts shortRecord;
    shortRecord.projectRecordBytes = PROJECT_RECORD_SIZE - 1;
    EXPECT_EQ(FindWith(shortRecord), CARRIED_NOT_AN_INSTALLER);
    PackageParts longRecord;
    longRecord.projectRecordBytes = PROJECT_RECORD_SIZE + 1;
    EXPECT_EQ(FindWith(longRecord), CARRIED_NOT_AN_INSTALLER);
}

TEST_F(CarriedInstallerTest, ATitleThatIsNoFileNameIsRefused) {
    for (const char* title : {"a\\b", "a:b", "..", "Demo.", ""}) {
        PackageParts parts;
        parts.title = title;
        EXPECT_EQ(FindWith(parts), CARRIED_NOT_AN_INSTALLER) << "title [" << title << "]";
    }
}

TEST(DescribeCarriedResultTest, EachDamageNamesTheFile) {
    for (int result : {CARRIED_UNREADABLE, CARRIED_NO_SECTION, CARRIED_CUT, CARRIED_EXTRA_BYTES,
                       CARRIED_NOT_AN_INSTALLER}) {
        EXPECT_NE(DescribeCarriedResult(result, "X.exe").find("X.exe"), std::string::npos);
    }
    EXPECT_EQ(DescribeCarriedResult(CARRIED_OK, "X.exe"), "");
}

}  // namespace
}  // namespace zk::test
