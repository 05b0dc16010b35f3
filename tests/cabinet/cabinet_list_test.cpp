#include "wizard/cabinet/cabinet_list.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "common/fixed_text.h"
#include "tests/cabinet/cabinet_fixture.h"
#include "wizard/cabinet/cabinet_filters.h"
#include "wizard/project/project_file.h"
#include "wizard/ui/control_ids.h"

namespace zk {
namespace {

using test::FileExists;
using test::ShownMessage;

class CabinetListTest : public test::CabinetTest {
protected:
    std::string Cab(const std::string& name, std::vector<std::string> arguments = {}) {
        std::filesystem::create_directories(std::filesystem::path(folder / name).parent_path());
        if (arguments.empty())
            arguments = {"--app-name", "Viewer", "--provider", "Acme",
                         "--os-min",   "4.0",    "--os-max",   "4.99"};
        return test::MakeCeCab(folder, name, arguments);
    }
    Admission Admit(const std::string& path) {
        return AdmitCabinet(ctx, path, std::filesystem::path(path).filename().string());
    }
    void ExpectOnlyMessage(const std::string& text, const std::string& caption, MessageIcon icon) {
        ASSERT_EQ(platform.messages.size(), 1u);
        EXPECT_EQ(platform.messages[0].text, text);
        EXPECT_EQ(platform.messages[0].caption, caption);
        EXPECT_EQ(platform.messages[0].icon, icon);
        EXPECT_FALSE(platform.messages[0].owned);
        platform.messages.clear();
    }
    void ExpectNoTemporaryFiles() {
        EXPECT_FALSE(FileExists(HeaderPath()));
        EXPECT_FALSE(FileExists(XmlPath()));
    }
    std::vector<std::string> Labels() { return page.RowLabels(IDC_CABINET_LIST); }
    std::vector<std::string> Entries() {
        std::vector<std::string> names;
        for (int i = 0; i < CabinetCount(*project); ++i)
            names.push_back(TextOf(project->cabinets[i].fileName));
        return names;
    }
    // Entries A, B, C put straight into the project and shown.
    void ThreeEntries() {
        for (const char* name : {"A.cab", "B.cab", "C.cab"}) {
            CabEntry e{};
            CopyText(e.fileName, name);
            CopyText(e.path, folder / name);
            AppendCabinetEntry(*project, e);
        }
        BuildCabinetList(ctx);
    }
    std::vector<std::string> Abc(const char* order) {
        std::vector<std::string> out;
        for (const char* c = order; *c; ++c) out.push_back(std::string(1, *c) + ".cab");
        return out;
    }
};

TEST_F(CabinetListTest, AdmitsACabinetWithASetupHeader) {
    ZK_REQUIRE_HOST_TOOLS();
    const std::string path = Cab("Viewer.cab", {"--app-name", "Viewer", "--provider", "Acme",
                                                "--os-min", "4.0", "--os-max", "4.99", "--xml"});
    EXPECT_EQ(Admit(path), Admission::Admitted);
    EXPECT_TRUE(platform.messages.empty());
    ASSERT_EQ(project->cabinetCount, 1);
    const CabEntry& e = project->cabinets[0];
    EXPECT_EQ(TextOf(e.path), path);
    EXPECT_STREQ(e.fileName, "Viewer.cab");
    EXPECT_STREQ(e.appName, "Viewer");  // from the header, not the XML's "Acme Viewer"
    EXPECT_STREQ(e.provider, "Acme");
    EXPECT_EQ(Labels(), std::vector<std::string>{"Viewer.cab"});
    EXPECT_EQ(page.ListCellImage(IDC_CABINET_LIST, 0, 0), IMAGE_CABINET);
    ExpectNoTemporaryFiles();
}

TEST_F(CabinetListTest, EachRefusalAndMessageInItsCase) {
    ZK_REQUIRE_HOST_TOOLS();
    test::RunCommand("cd '" + folder.path() + "' && echo x > a.000 && zip -q zip.cab a.000");
    EXPECT_EQ(Admit(folder / "zip.cab"), Admission::NotACabinet);
    ExpectOnlyMessage(NOT_A_CABINET_TEXT, "zip.cab", MessageIcon::Error);

    EXPECT_EQ(Admit(Cab("lower.cab", {"--signature", "msce", "--xml"})), Admission::BadHeader);
    ExpectOnlyMessage(BAD_HEADER_TEXT, "lower.cab", MessageIcon::Warning);
    ExpectNoTemporaryFiles();
    EXPECT_EQ(project->cabinetCount, 0);

    EXPECT_EQ(Admit(Cab("bare.cab", {"--no-header", "--payload", "a.dll:100"})),
              Admission::AdmittedWithoutSetupInfo);
    ExpectOnlyMessage(NO_SETUP_INFO_TEXT, "bare.cab", MessageIcon::Information);
    ASSERT_EQ(project->cabinetCount, 1);
    EXPECT_STREQ(project->cabinets[0].appName, "");
    EXPECT_TRUE(project->cabinets[0].forOs2002 && project->cabinets[0].forOs2005);

    EXPECT_EQ(Admit(Cab("xml.cab", {"--xml-only", "--app-name", "Viewer", "--provider", "Acme",
                                    "--os-min", "5.0"})),
              Admission::Admitted);
    EXPECT_TRUE(platform.messages.empty());
    EXPECT_STREQ(project->cabinets[1].appName, "Acme");  // the XML's first word
    EXPECT_STREQ(project->cabinets[1].provider, "Viewer");
    EXPECT_FALSE(project->cabinets[1].forOs2003SE);
    ExpectNoTemporaryFiles();
}

TEST_F(CabinetListTest, SetupInformationIsReadBeforeTheDoubleEntryTest) {
    ZK_REQUIRE_HOST_TOOLS();
    // The XML of this cabinet fails half-way: its warning comes on every
    // admission, and the refusal of the second only after it.
    const std::string path =
        test::MakeGcab(folder, "bad.cab", {{"_setup.xml", "<d><c><parm value='1'/></c></d>"}});
    EXPECT_EQ(Admit(path), Admission::Admitted);
    ExpectOnlyMessage("COM exception ocurred", "Error", MessageIcon::Warning);
    EXPECT_EQ(Admit(path), Admission::DoubleEntry);
    ASSERT_EQ(platform.messages.size(), 2u);
    EXPECT_EQ(platform.messages[0].text, "COM exception ocurred");
    EXPECT_EQ(platform.messages[1].text, "Item is already in the list");
    EXPECT_EQ(platform.messages[1].caption, "Double entry");
    EXPECT_EQ(platform.messages[1].icon, MessageIcon::Warning);
    EXPECT_EQ(project->cabinetCount, 1);
    EXPECT_EQ(Labels().size(), 1u);
}

// A device keeps every cabinet in \\Temp under its file name, and tells names
// apart without regard to case: a name equal to a listed one but for case
// is a double entry too, and a name Windows cannot keep is refused before
// the file is read.
TEST_F(CabinetListTest, DoubleEntriesAndNamesADeviceCannotKeep) {
    ZK_REQUIRE_HOST_TOOLS();
    EXPECT_EQ(Admit(Cab("a/app.cab")), Admission::Admitted);
    EXPECT_EQ(Admit(Cab("b/app.cab")), Admission::DoubleEntry);
    ExpectOnlyMessage(DOUBLE_ENTRY_TEXT, DOUBLE_ENTRY_CAPTION, MessageIcon::Warning);
    EXPECT_EQ(Admit(Cab("c/App.CAB")), Admission::DoubleEntry);
    ExpectOnlyMessage(std::string(CASE_DOUBLE_TEXT) + "app.cab", DOUBLE_ENTRY_CAPTION,
                      MessageIcon::Warning);

    struct Case {
        const char* name;
        const char* problem;
    };
    for (const Case& c :
         {Case{"a:b.cab", "holds the character ':'"}, Case{"x\"y.cab", "holds the character '\"'"},
          Case{"what?.cab", "holds the character '?'"},
          Case{"star*.cab", "holds the character '*'"},
          Case{"pipe|<>.cab", "holds the character '|'"},
          Case{"tab\t.cab", "holds a control character"},
          Case{"CON.cab", "is the name of a device (CON)"},
          Case{"lpt9", "is the name of a device (LPT9)"}, Case{"trail.cab.", "ends in a dot"},
          Case{"blank.cab ", "ends in a blank"}}) {
        // Refused by its name alone: the file is not even there.
        EXPECT_EQ(AdmitCabinet(ctx, folder / "none.cab", c.name), Admission::BadName) << c.name;
        ExpectOnlyMessage(std::string(BAD_NAME_TEXT) + c.problem, c.name, MessageIcon::Warning);
    }
    EXPECT_EQ(Entries(), std::vector<std::string>{"app.cab"});
    ExpectNoTemporaryFiles();
}

TEST_F(CabinetListTest, AFullListRefusesAfterTheDoubleEntryTest) {
    ZK_REQUIRE_HOST_TOOLS();
    CabEntry e{};
    for (int i = 0; i < MAX_CABINETS; ++i) {
        CopyText(e.fileName, "e" + std::to_string(i) + ".cab");
        ASSERT_TRUE(AppendCabinetEntry(*project, e));
    }
    EXPECT_EQ(Admit(Cab("x/e7.cab")), Admission::DoubleEntry);
    platform.messages.clear();
    EXPECT_EQ(Admit(Cab("new.cab")), Admission::ListFull);
    ExpectOnlyMessage("The list is full: a project holds at most 256 cabinets", "new.cab",
                      MessageIcon::Warning);
    EXPECT_EQ(project->cabinetCount, MAX_CABINETS);
    ExpectNoTemporaryFiles();
}

TEST_F(CabinetListTest, StaleTemporaryFilesAreNotTakenForTheCabinets) {
    ZK_REQUIRE_HOST_TOOLS();
    test::WriteFileBytes(HeaderPath(), test::SetupHeaderBytes("MSCE", 9, 0, 9, 0, "Stale", "X"));
    EXPECT_EQ(Admit(Cab("bare.cab", {"--no-header", "--payload", "a.dll:10"})),
              Admission::AdmittedWithoutSetupInfo);
    EXPECT_STREQ(project->cabinets[0].appName, "");
}

TEST_F(CabinetListTest, DragsAndArrowButtonsMoveSlotsAndRows) {
    ThreeEntries();
    page.SetListRowState(IDC_CABINET_LIST, 0, true, true);
    page.SetText(IDC_DETAIL_NAME, "shown");
    MoveCabinet(ctx, 0, 2);
    EXPECT_EQ(Entries(), Abc("BCA"));
    EXPECT_EQ(Labels(), Abc("BCA"));
    EXPECT_EQ(page.ListSelectedRow(IDC_CABINET_LIST), 2);
    EXPECT_EQ(page.ListFocusedRow(IDC_CABINET_LIST), 2);
    EXPECT_EQ(page.GetText(IDC_DETAIL_NAME), "");

    for (int target : {2, -1, 3}) MoveCabinet(ctx, 2, target);
    EXPECT_EQ(Entries(), Abc("BCA"));

    MoveCabinet(ctx, 2, 0);
    EXPECT_EQ(Labels(), Abc("ABC"));
    MoveCabinetUp(ctx);  // the selection went with the row to the top
    EXPECT_EQ(Entries(), Abc("ABC"));
    MoveCabinetDown(ctx);
    MoveCabinetDown(ctx);
    MoveCabinetDown(ctx);
    EXPECT_EQ(Entries(), Abc("BCA"));
    EXPECT_EQ(Labels(), Abc("BCA"));
    MoveCabinetUp(ctx);
    EXPECT_EQ(Labels(), Abc("BAC"));
    EXPECT_EQ(project->cabinetCount, 3);
}

TEST_F(CabinetListTest, RemovingTakesTheSelectedEntry) {
    ThreeEntries();
    RemoveCabinet(ctx);  // nothing selected
    EXPECT_EQ(Entries(), Abc("ABC"));
    page.SetListRowState(IDC_CABINET_LIST, 1, true, true);
    page.SetText(IDC_DETAIL_LOCATION, "old");
    RemoveCabinet(ctx);
    EXPECT_EQ(Entries(), Abc("AC"));
    EXPECT_EQ(Labels(), Abc("AC"));
    EXPECT_EQ(page.GetText(IDC_DETAIL_LOCATION), "");
    page.SetListRowState(IDC_CABINET_LIST, 0, true, true);
    RemoveCabinet(ctx);
    page.SetListRowState(IDC_CABINET_LIST, 0, true, true);
    RemoveCabinet(ctx);
    EXPECT_EQ(project->cabinetCount, 0);
    EXPECT_TRUE(Labels().empty());
}

TEST_F(CabinetListTest, DetailsShowDateSizeAndPath) {
    ThreeEntries();
    CopyText(project->cabinets[0].appName, "Viewer");
    CopyText(project->cabinets[0].provider, "Acme");
    test::WriteFileBytes(folder / "A.cab", std::string(5000, 'c'));
    // 2 January 2026 03:04:59 UTC
    platform.creationTime = FILETIME_UNIX_EPOCH + 1767323099ULL * 10000000ULL;
    page.SetListRowState(IDC_CABINET_LIST, 0, false, true);
    ShowCabinetDetails(ctx);
    EXPECT_EQ(page.GetText(IDC_DETAIL_NAME), "Viewer");
    EXPECT_EQ(page.GetText(IDC_DETAIL_PROVIDER), "Acme");
    EXPECT_EQ(page.GetText(IDC_DETAIL_DATE), "01/02/2026  03:04");
    EXPECT_EQ(page.GetText(IDC_DETAIL_SIZE), "4,904 Kb");
    EXPECT_EQ(page.GetText(IDC_DETAIL_LOCATION), folder / "A.cab");

    // B.cab does not exist: date and size stay as they were.
    page.SetListRowState(IDC_CABINET_LIST, 1, false, true);
    ShowCabinetDetails(ctx);
    EXPECT_EQ(page.GetText(IDC_DETAIL_NAME), "");
    EXPECT_EQ(page.GetText(IDC_DETAIL_SIZE), "4,904 Kb");
    EXPECT_EQ(page.GetText(IDC_DETAIL_LOCATION), folder / "B.cab");
}

TEST_F(CabinetListTest, DroppedFilesAreAdmittedInOrderUnderTheirFileNames) {
    ZK_REQUIRE_HOST_TOOLS();
    const std::string one = Cab("one.cab");
    const std::string two = Cab("two.bin");
    AdmitDroppedFiles(ctx, {one, "C:\\Cabs\\gone.cab", two});
    EXPECT_EQ(Entries(), (std::vector<std::string>{"one.cab", "two.bin"}));
    ExpectOnlyMessage(NOT_A_CABINET_TEXT, "gone.cab", MessageIcon::Error);
}

}  // namespace
}  // namespace zk
