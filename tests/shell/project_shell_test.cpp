#include "wizard/ui/shell/project_shell.h"

#include <gtest/gtest.h>

#include <cstring>
#include <sstream>
#include <filesystem>

#include "common/fixed_text.h"
#include "tests/support/fake_desktop_platform.h"
#include "tests/support/temp_folder.h"
#include "wizard/build/build_outcome.h"
#include "wizard/project/program_entry.h"
#include "wizard/project/project_file.h"
#include "wizard/ui/shell/command_line_build.h"

namespace zk {
namespace {

using test::ReadFileBytes;
using test::WriteFileBytes;

struct Result {
    int code;
    std::string out;
    std::string err;
};

class ProjectShellTest : public ::testing::Test {
protected:
    ProjectShellTest() {
        platform.currentDirectory = folder.path();
        platform.temporaryFolder = folder.path();
        std::filesystem::create_directory(folder / "out");
    }

    Result Run(std::vector<std::string> args, const std::string& input = "") {
        std::istringstream in(input);
        std::ostringstream out, err;
        const int code = RunProjectShell(platform, args, in, out, err);
        return {code, out.str(), err.str()};
    }

    // A real Windows CE cabinet made by the fixture tool.
    std::string Cabinet(const std::string& name, const std::string& app, const std::string& osMin,
                        const std::string& osMax) {
        const std::string path = folder / name;
        const std::string command = std::string(ZK_PYTHON) + " " + ZK_SOURCE_DIR +
                                    "/tools/make_ce_cab.py '" + path + "' --app-name '" + app +
                                    "' --provider Morvane --os-min " + osMin + " --os-max " +
                                    osMax + " --payload app.exe:3000 >/dev/null";
        EXPECT_EQ(test::RunCommand(command), 0);
        return path;
    }

    std::string Paw() const { return folder / "p.paw"; }

    std::unique_ptr<Project> Load(const std::string& path) {
        auto p = std::make_unique<Project>();
        EXPECT_TRUE(ReadProjectFile(platform, *p, path.c_str()));
        return p;
    }

    test::TempFolder folder;
    test::FakeDesktopPlatform platform;
};

TEST_F(ProjectShellTest, NewAddSetGivesTheRecordTheWizardWouldWrite) {
    ZK_REQUIRE_HOST_TOOLS();
    WriteFileBytes(folder / "eula.txt", "terms");
    const std::string a = Cabinet("a.cab", "Viewer", "4.0", "4.99");
    const std::string b = Cabinet("b.cab", "Player", "5.0", "0.0");
    ASSERT_EQ(Run({"new", Paw(), "--title", "Demo", "--company", "Morvane", "--output",
                   folder / "out", "--os-filter", "2003,wm5"})
                  .code,
              SHELL_DONE);
    ASSERT_EQ(Run({"add", Paw(), a, b}).code, SHELL_DONE);
    ASSERT_EQ(Run({"set", Paw(), "--eula", folder / "eula.txt", "--removable-card", "yes"}).code,
              SHELL_DONE);

    auto expected = std::make_unique<Project>();
    std::memset(expected.get(), 0, sizeof(Project));
    Project& e = *expected;
    CopyText(e.title, "Demo");
    CopyText(e.company, "Morvane");
    e.eulaEnabled = 1;
    CopyText(e.eulaPath, folder / "eula.txt");
    e.removableCardOutput = 1;
    e.osFilterOn = e.filterOs2003 = e.filterOs2005 = 1;
    e.addDateToPath = e.addTitleSubfolder = e.saveProjectFile = 1;
    CopyText(e.outputFolder, folder / "out");
    for (int i = 0; i < 2; ++i) {
        CabEntry& c = e.cabinets[i];
        CopyText(c.path, i ? b : a);
        CopyText(c.fileName, i ? "b.cab" : "a.cab");
        CopyText(c.appName, i ? "Player" : "Viewer");
        CopyText(c.provider, "Morvane");
        c.forPocketPC = c.forSmartphone = c.forTI = c.forIntel = c.forSamsung = 1;
    }
    e.cabinets[0].forOs2003 = e.cabinets[0].forOs2003SE = 1;
    e.cabinets[1].forOs2005 = 1;
    e.cabinetCount = 2;
    const std::string direct = folder / "direct.paw";
    ASSERT_TRUE(WriteProjectFile(platform, e, direct.c_str()));
    EXPECT_EQ(ReadFileBytes(Paw()), ReadFileBytes(direct));

    EXPECT_EQ(Run({"check", Paw()}).code, SHELL_DONE);
}

TEST_F(ProjectShellTest, PresetsLeaveTheEntriesFlagsAlone) {
    ZK_REQUIRE_HOST_TOOLS();
    const std::string wm6 = Cabinet("wm6.cab", "Six", "5.2", "7.99");
    const std::string old = Cabinet("old.cab", "Old", "3.0", "3.99");
    ASSERT_EQ(Run({"new", Paw(), "--title", "T", "--company", "C"}).code, SHELL_DONE);
    ASSERT_EQ(Run({"add", Paw(), wm6}).code, SHELL_DONE);
    auto osFlags = [&](int i) {
        const auto project = Load(Paw());
        const CabEntry& c = project->cabinets[i];
        return std::string{char('0' + c.forOs2002), char('0' + c.forOs2003),
                           char('0' + c.forOs2003SE), char('0' + c.forOs2005)};
    };
    ASSERT_EQ(osFlags(0), "0001");

    // Neither other presets nor another entry touch the hidden OS flags.
    ASSERT_EQ(Run({"set", Paw(), "--company", "X", "--removable-card", "yes"}).code, SHELL_DONE);
    EXPECT_EQ(osFlags(0), "0001");
    ASSERT_EQ(Run({"add", Paw(), old}).code, SHELL_DONE);
    EXPECT_EQ(osFlags(0), "0001");
    EXPECT_EQ(osFlags(1), "1000");
    ASSERT_EQ(Run({"move", Paw(), "1", "0"}).code, SHELL_DONE);
    EXPECT_EQ(osFlags(1), "0001");

    // Show prints the flags of the groups whose filter is off too.
    const std::string shown = Run({"show", Paw()}).out;
    EXPECT_NE(
        shown.find("Operating System:\t- 2002 [Yes]   - 2003 [No]   - 2003SE [No]   - 2005 [No]"),
        std::string::npos)
        << shown;
    EXPECT_NE(
        shown.find("Operating System:\t- 2002 [No]   - 2003 [No]   - 2003SE [No]   - 2005 [Yes]"),
        std::string::npos)
        << shown;

    // A filter change does bring the flags in line with the filters.
    ASSERT_EQ(Run({"set", Paw(), "--platform-filter", "pocketpc"}).code, SHELL_DONE);
    EXPECT_EQ(Load(Paw())->cabinets[0].forSmartphone, 0);
    EXPECT_EQ(osFlags(1), "0001");
    ASSERT_EQ(Run({"set", Paw(), "--no-platform-filter"}).code, SHELL_DONE);
    EXPECT_EQ(Load(Paw())->cabinets[0].forSmartphone, 1);
}

TEST_F(ProjectShellTest, PresetChecksGiveTheWizardsMessages) {
    WriteFileBytes(folder / "empty.txt", "");
    const std::string file = folder / "f.txt";
    WriteFileBytes(file, "x");
    struct Case {
        std::vector<std::string> options;
        const char* message;
    };
    const Case cases[] = {
        {{"--company", "C"}, "Please fill in: Title field is empty"},
        {{"--title", "T"}, "Please fill in: Company field is empty"},
        {{"--title", "a/b", "--company", "C"},
         "Invalid Title: Cannot contain any of the following characters: \\, /,:,*,\",?,<,>,|"},
        {{"--title", "..", "--company", "C"},
         "Invalid Title: Cannot contain any of the following characters: \\, /,:,*,\",?,<,>,|"},
        {{"--title", "CON", "--company", "C"},
         "Invalid Title: Cannot contain any of the following characters: \\, /,:,*,\",?,<,>,|"},
        {{"--title", std::string(260, 't'), "--company", "C"},
         "Error: --title: title: longer than 259 characters"},
        {{"--title", "T", "--company", "C", "--output", "/" + std::string(680, 'o')},
         "Error: --output: outputFolder: longer than 519 characters"},
        {{"--title", "T", "--company", "C", "--readme", "/" + std::string(600, 'r')},
         "Error: --readme: readmePath: longer than 519 characters"},
        {{"--title", "T", "--company", "C", "--eula", ""},
         "Please correct: Eula path is missing or invalid"},
        {{"--title", "T", "--company", "C", "--readme", ""},
         "Please correct: Readme path is missing or invalid"},
        {{"--title", "T", "--company", "C", "--splash", ""},
         "Please correct: Splash image path is missing or invalid"},
        {{"--title", "T", "--company", "C", "--eula", folder / "empty.txt"},
         "Please correct: Eula path is invalid or file is empty"},
        {{"--title", "T", "--company", "C", "--readme", folder / "gone.txt"},
         "Please correct: Readme path is invalid or file is empty"},
        {{"--title", "T", "--company", "C", "--splash", folder / "empty.txt"},
         "Please correct: Splash image path is invalid or file is empty"},
        {{"--title", "T", "--company", "C", "--platform-filter", ""},
         "Please correct: Platform selection is invalid. For details please check the manual"},
        {{"--title", "T", "--company", "C", "--os-filter", ""},
         "Please correct: Operating system selection is invalid. For details please check the "
         "manual"},
        {{"--title", "T", "--company", "C", "--processor-filter", ""},
         "Please correct: Processor selection is invalid. For details please check the manual"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = {"new", Paw()};
        args.insert(args.end(), c.options.begin(), c.options.end());
        const Result r = Run(args);
        EXPECT_EQ(r.code, SHELL_REFUSED) << c.message;
        // Information boxes go to standard output, the others to standard error.
        EXPECT_EQ(r.err + r.out, std::string(c.message) + "\n");
        EXPECT_FALSE(test::FileExists(Paw())) << "nothing is written";
    }

    ASSERT_EQ(Run({"new", Paw(), "--title", "T", "--company", "C"}).code, SHELL_DONE);
    const std::string before = ReadFileBytes(Paw());
    const Result r = Run({"set", Paw(), "--title", "", "--removable-card", "yes"});
    EXPECT_EQ(r.err, "Please fill in: Title field is empty\n");
    EXPECT_EQ(ReadFileBytes(Paw()), before);
}

TEST_F(ProjectShellTest, ValuesLongerThanTheirFieldAreRefusedWhole) {
    ZK_REQUIRE_HOST_TOOLS();
    ASSERT_EQ(Run({"new", Paw(), "--title", "T", "--company", "C"}).code, SHELL_DONE);
    const std::string before = ReadFileBytes(Paw());

    // A 680-character path: kept cut it would name another file.
    std::filesystem::path deep = folder.path();
    while (deep.string().size() < 620) deep /= std::string(40, 'd');
    std::filesystem::create_directories(deep);
    const std::string cabinet = Cabinet("long.cab", "Viewer", "4.0", "0.0");
    const std::string longPath = (deep / std::string(680 - deep.string().size() - 1, 'c')).string();
    ASSERT_EQ(longPath.size(), 680u);
    std::filesystem::copy_file(cabinet, longPath);
    Result r = Run({"add", Paw(), cabinet, longPath});
    EXPECT_EQ(r.code, SHELL_REFUSED);
    EXPECT_EQ(r.err, "Error: " + longPath + ": path: longer than 519 characters\n");
    EXPECT_EQ(ReadFileBytes(Paw()), before) << "not even the cabinet that fits is added";

    r = Run({"set", Paw(), "--output", "/" + std::string(679, 'o'), "--removable-card", "yes"});
    EXPECT_EQ(r.code, SHELL_REFUSED);
    EXPECT_EQ(r.err, "Error: --output: outputFolder: longer than 519 characters\n");
    EXPECT_EQ(ReadFileBytes(Paw()), before);

    // At the limit the value is kept whole.
    const std::string folder519 = "/" + std::string(518, 'o');
    ASSERT_EQ(Run({"set", Paw(), "--output", folder519}).code, SHELL_DONE);
    EXPECT_STREQ(Load(Paw())->outputFolder, folder519.c_str());
}

TEST_F(ProjectShellTest, CheckRunsTheStepsInOrder) {
    ZK_REQUIRE_HOST_TOOLS();
    ASSERT_EQ(
        Run({"new", Paw(), "--title", "T", "--company", "C", "--platform-filter", "smartphone"})
            .code,
        SHELL_DONE);
    Result r = Run({"check", Paw()});
    EXPECT_EQ(r.code, SHELL_REFUSED);
    EXPECT_EQ(r.err, "Please add entry: No cab file has been added in the list\n");

    const std::string a = Cabinet("a.cab", "Viewer", "4.0", "4.99");
    ASSERT_EQ(Run({"add", Paw(), a}).code, SHELL_DONE);
    // The cabinet suits both platforms; unticking Smartphone makes the entry
    // fail the platform filter.
    ASSERT_EQ(Run({"flag", Paw(), "a.cab", "SMP", "no"}).code, SHELL_DONE);
    r = Run({"check", Paw()});
    EXPECT_EQ(r.err,
              "Platform filtering error: One of the entries in the list will not be installed. "
              "Please delete if not need of it.\n");

    // The OS flags come from the cabinet's range whatever the filter says:
    // 4.0-4.99 is not for 2002 until the user says so.
    ASSERT_EQ(Run({"set", Paw(), "--no-platform-filter", "--os-filter", "2002"}).code, SHELL_DONE);
    EXPECT_EQ(Run({"check", Paw()}).err.substr(0, 18), "OS filtering error");
    ASSERT_EQ(Run({"flag", Paw(), "0", "2002", "yes"}).code, SHELL_DONE);
    EXPECT_EQ(Run({"check", Paw()}).code, SHELL_DONE);
    ASSERT_EQ(Run({"flag", Paw(), "0", "2002", "no"}).code, SHELL_DONE);
    EXPECT_EQ(Run({"check", Paw()}).err.substr(0, 18), "OS filtering error");
    ASSERT_EQ(Run({"set", Paw(), "--no-os-filter", "--processor-filter", "ti"}).code, SHELL_DONE);
    ASSERT_EQ(Run({"flag", Paw(), "0", "TI", "no"}).code, SHELL_DONE);
    EXPECT_EQ(Run({"check", Paw()}).err.substr(0, 25), "Processor filtering error");

    ASSERT_EQ(Run({"set", Paw(), "--no-processor-filter"}).code, SHELL_DONE);
    EXPECT_EQ(Run({"check", Paw()}).code, SHELL_DONE);
    std::remove(a.c_str());
    r = Run({"check", Paw()});
    EXPECT_EQ(
        r.err,
        "Error: Cannot build project. Files are missing or corrupt. Please go back and correct\n");

    // The project name comes from the file name, and is checked on the build step.
    WriteFileBytes(a, "");
    const std::string odd = folder / "a*b.paw";
    ASSERT_EQ(Run({"new", odd, "--title", "T", "--company", "C"}).code, SHELL_DONE);
    EXPECT_EQ(Run({"check", odd}).err,
              "Please add entry: No cab file has been added in the list\n");
    Cabinet("c.cab", "C", "0.0", "0.0");
    ASSERT_EQ(Run({"add", odd, folder / "c.cab"}).code, SHELL_DONE);
    EXPECT_EQ(Run({"check", odd}).err,
              "Invalid Project name: Cannot contain any of the following characters: \\, "
              "/,:,*,\",?,<,>,|\n");
    const std::string unnamed = folder / ".paw";
    ASSERT_EQ(Run({"new", unnamed, "--title", "T", "--company", "C"}).code, SHELL_DONE);
    ASSERT_EQ(Run({"add", unnamed, folder / "c.cab"}).code, SHELL_DONE);
    EXPECT_EQ(Run({"check", unnamed}).err, "Please fill in: Project file name field is empty\n");
}

// What passes the pages' checks but a device would get wrong, refused by
// check as the build refuses it; what may be wrong for the output folder is
// a warning; a project file that cannot be written says why.
TEST_F(ProjectShellTest, CheckRefusesWhatTheDeviceWouldGetWrong) {
    ZK_REQUIRE_HOST_TOOLS();
    std::filesystem::create_directories(folder / "b");
    WriteFileBytes(folder / "info.txt", "licence");
    WriteFileBytes(folder / "b/INFO.TXT", "read me");
    WriteFileBytes(folder / "s.bmp", "\x89PNG\r\n\x1a\n and the rest");
    ASSERT_EQ(Run({"new", Paw(), "--title", "T", "--company", "C", "--eula", folder / "info.txt",
                   "--readme", folder / "b/INFO.TXT"})
                  .code,
              SHELL_DONE);
    ASSERT_EQ(Run({"add", Paw(), Cabinet("a.cab", "A", "0.0", "0.0")}).code, SHELL_DONE);
    Result r = Run({"check", Paw()});
    EXPECT_EQ(r.code, SHELL_REFUSED);
    EXPECT_EQ(r.err,
              "Error: the EULA (info.txt) and the read-me (INFO.TXT) would be one file in the "
              "device's \\Temp, where names differing only in case are the same: rename one "
              "of them\n");
    ASSERT_EQ(Run({"set", Paw(), "--no-readme", "--splash", folder / "s.bmp"}).code, SHELL_DONE);
    EXPECT_EQ(Run({"check", Paw()}).err, "Error: " + (folder / "s.bmp") +
                                             " is a PNG picture: PNG is not supported; save the "
                                             "splash as BMP\n");
    WriteFileBytes(folder / "s.bmp", test::SmallBitmap());
    ASSERT_EQ(Run({"set", Paw(), "--title", std::string(240, 't')}).code, SHELL_DONE);
    r = Run({"check", Paw()});
    EXPECT_EQ(r.code, SHELL_DONE) << r.err;
    EXPECT_NE(r.out.find("Warning: the title makes file names of 262 characters"),
              std::string::npos)
        << r.out;

    r = Run({"new", folder / "none/p.paw", "--title", "T", "--company", "C"});
    EXPECT_EQ(r.code, SHELL_REFUSED);
    EXPECT_EQ(r.err.rfind("Error: Cannot write " + (folder / "none/p.paw") + ": ", 0), 0u) << r.err;
    EXPECT_GT(r.err.size(), ("Error: Cannot write " + (folder / "none/p.paw") + ": \n").size());
}

TEST_F(ProjectShellTest, ListCommandsAndAdmissionMessages) {
    ZK_REQUIRE_HOST_TOOLS();
    ASSERT_EQ(Run({"new", Paw(), "--title", "T", "--company", "C"}).code, SHELL_DONE);
    const std::string a = Cabinet("a.cab", "A", "0.0", "0.0");
    const std::string b = Cabinet("b.cab", "B", "0.0", "0.0");
    const std::string c = Cabinet("c.cab", "C", "0.0", "0.0");
    WriteFileBytes(folder / "text.cab", "not a cabinet");
    Result r = Run({"add", Paw(), a, b, a, folder / "text.cab", c});
    EXPECT_EQ(r.code, SHELL_REFUSED);
    EXPECT_EQ(r.err,
              "Double entry: Item is already in the list\n"
              "text.cab: This is not a valid Cabinet file\n");
    auto names = [&] {
        auto p = Load(Paw());
        std::vector<std::string> list;
        for (int i = 0; i < p->cabinetCount; ++i) list.push_back(p->cabinets[i].fileName);
        return list;
    };
    EXPECT_EQ(names(), (std::vector<std::string>{"a.cab", "b.cab", "c.cab"}));
    ASSERT_EQ(Run({"move", Paw(), "c.cab", "0"}).code, SHELL_DONE);
    EXPECT_EQ(names(), (std::vector<std::string>{"c.cab", "a.cab", "b.cab"}));
    ASSERT_EQ(Run({"remove", Paw(), "1"}).code, SHELL_DONE);
    EXPECT_EQ(names(), (std::vector<std::string>{"c.cab", "b.cab"}));
    EXPECT_EQ(Run({"remove", Paw(), "a.cab"}).code, SHELL_REFUSED);
    EXPECT_EQ(Run({"move", Paw(), "0", "7"}).code, SHELL_REFUSED);
    EXPECT_EQ(Run({"flag", Paw(), "0", "Nope", "yes"}).code, SHELL_USAGE);
    EXPECT_EQ(Run({"flag", Paw(), "0", "Intel", "maybe"}).code, SHELL_USAGE);
}

TEST_F(ProjectShellTest, ExportImportRoundTripAndRefusals) {
    ZK_REQUIRE_HOST_TOOLS();
    ASSERT_EQ(Run({"new", Paw(), "--title", "T\xC3\xA9", "--company", "C"}).code, SHELL_DONE);
    ASSERT_EQ(Run({"add", Paw(), Cabinet("a.cab", "A", "3.0", "4.1")}).code, SHELL_DONE);
    const std::string before = ReadFileBytes(Paw());
    const Result exported = Run({"export", Paw()});
    ASSERT_EQ(exported.code, SHELL_DONE);
    const std::string copy = folder / "copy.paw";
    ASSERT_EQ(Run({"import", copy}, exported.out).code, SHELL_DONE);
    EXPECT_EQ(ReadFileBytes(copy), before);

    for (const std::string& damaged :
         {exported.out.substr(0, exported.out.size() / 2), std::string("{\"title\": 7}"),
          std::string("{\"cabinets\": 1}")}) {
        const Result r = Run({"import", Paw()}, damaged);
        EXPECT_EQ(r.code, SHELL_REFUSED);
        EXPECT_EQ(r.err.substr(0, 22), "Error: Cannot import: ");
        EXPECT_EQ(ReadFileBytes(Paw()), before);
    }
    EXPECT_FALSE(test::FileExists(Paw() + ".partial"));
}

TEST_F(ProjectShellTest, TextIsUtf8OutsideAndCodePage1252InTheRecord) {
    ZK_REQUIRE_HOST_TOOLS();
    const std::string eula = folder / "Lisez-moi \xC3\xA0 lire.txt";
    WriteFileBytes(eula, "terms");
    const std::string cafe = Cabinet("Caf\xC3\xA9.cab", "Caf\xC3\xA9", "4.0", "0.0");
    ASSERT_EQ(Run({"new", Paw(), "--title", "Soci\xC3\xA9t\xC3\xA9 G\xC3\xA9n\xC3\xA9rale",
                   "--company", "Morvane\xE2\x84\xA2", "--eula", eula})
                  .code,
              SHELL_DONE);
    // A relative name is completed with the platform's current folder.
    ASSERT_EQ(Run({"add", Paw(), "Caf\xC3\xA9.cab"}).code, SHELL_DONE);
    auto p = Load(Paw());
    EXPECT_STREQ(p->title, "Soci\xE9t\xE9 G\xE9n\xE9rale");
    EXPECT_STREQ(p->company, "Morvane\x99");
    EXPECT_EQ(std::string(p->eulaPath), folder / "Lisez-moi \xE0 lire.txt");
    EXPECT_EQ(std::string(p->cabinets[0].path), folder / "Caf\xE9.cab");
    EXPECT_STREQ(p->cabinets[0].fileName, "Caf\xE9.cab");
    EXPECT_STREQ(p->cabinets[0].appName, "Caf\xE9");

    const Result shown = Run({"show", Paw()});
    EXPECT_NE(shown.out.find("Title : Soci\xC3\xA9t\xC3\xA9 G\xC3\xA9n\xC3\xA9rale\n"),
              std::string::npos)
        << shown.out;
    EXPECT_NE(shown.out.find("- Path [" + cafe + "]"), std::string::npos) << shown.out;
    const Result exported = Run({"export", Paw()});
    EXPECT_NE(exported.out.find("\"fileName\": \"Caf\xC3\xA9.cab\""), std::string::npos);
    // Messages carrying the record's text, and names given back by the user.
    Result r = Run({"add", Paw(), cafe});
    EXPECT_EQ(r.err, "Double entry: Item is already in the list\n");
    EXPECT_EQ(Run({"move", Paw(), "Caf\xC3\xA9.cab", "0"}).code, SHELL_DONE);
    r = Run({"remove", Paw(), "Caf\xC3\xA8.cab"});
    EXPECT_EQ(r.err, "Error: No cabinet Caf\xC3\xA8.cab in the list\n");

    // Refused before anything is read or written, naming what holds it.
    const std::string before = ReadFileBytes(Paw());
    r = Run({"set", Paw(), "--title", "Soci\xC3\xA9t\xC3\xA9 \xE4\xB8\xAD"});
    EXPECT_EQ(r.code, SHELL_REFUSED);
    EXPECT_EQ(r.err,
              "zephyrkit-project: --title: holds U+4E2D, which code page 1252 cannot store\n");
    r = Run({"add", Paw(), "\xE2\x98\x83.cab"});
    EXPECT_EQ(r.code, SHELL_REFUSED);
    EXPECT_EQ(r.err,
              "zephyrkit-project: argument 3 \"\xE2\x98\x83.cab\": holds U+2603, which code page "
              "1252 cannot store\n");
    r = Run({"add", Paw(), "Caf\xE9.cab"});
    EXPECT_EQ(r.code, SHELL_REFUSED);
    EXPECT_EQ(r.err, "zephyrkit-project: argument 3: is not valid UTF-8 (byte 0xE9 at offset 3)\n");
    EXPECT_EQ(ReadFileBytes(Paw()), before);
}

TEST_F(ProjectShellTest, UsageAndInvalidFiles) {
    EXPECT_EQ(Run({}).code, SHELL_USAGE);
    EXPECT_EQ(Run({"frobnicate", Paw()}).code, SHELL_USAGE);
    EXPECT_EQ(Run({"new", Paw(), "--title"}).code, SHELL_USAGE);
    EXPECT_EQ(Run({"new", Paw(), "--colour", "red"}).code, SHELL_USAGE);
    EXPECT_EQ(Run({"--help"}).code, SHELL_DONE);
    for (const char* command :
         {"new", "set", "add", "remove", "move", "flag", "show", "check", "export", "import"}) {
        const Result r = Run({command, "--help"});
        EXPECT_EQ(r.code, SHELL_DONE);
        EXPECT_EQ(r.out.rfind(std::string("Usage: zephyrkit-project ") + command, 0), 0u)
            << command;
    }
    WriteFileBytes(Paw(), "short");
    const Result r = Run({"show", Paw()});
    EXPECT_EQ(r.code, SHELL_REFUSED);
    EXPECT_EQ(r.err, "Error: Project file is invalid\n");
    EXPECT_EQ(Run({"new", Paw(), "--title", "T", "--company", "C"}).code, SHELL_REFUSED)
        << "new does not replace a file";
}

// The exit code and both messages come from the kind and its facts alone:
// the command line's "zephyrkit-project: FILE: ..." line and the sentence
// the message boxes show after "Build failed: ".
TEST(BuildFailureTest, EachKindGivesItsExitCodeAndMessages) {
    struct Case {
        BuildOutcome outcome;
        int code;
        std::string line;  // after "zephyrkit-project: "
        std::string text;
    };
    auto failed = [](BuildFault fault, std::string file, std::string detail = {},
                     std::string reason = {}) {
        BuildOutcome o;
        o.Fail(fault, std::move(file), std::move(detail), std::move(reason));
        return o;
    };
    const std::string clash =
        " would be one file in the device's \\Temp, where names differing "
        "only in case are the same: rename one of them";
    const Case cases[] = {
        {failed(BuildFault::CannotRead, "a.cab", {}, "Gone"), BUILD_MISSING_FILE,
         "a.cab: cannot read: Gone", "cannot read a.cab: Gone"},
        {failed(BuildFault::InputUnusable, "s.bmp", "is not a BMP picture"), BUILD_MISSING_FILE,
         "s.bmp: is not a BMP picture", "s.bmp is not a BMP picture"},
        {failed(BuildFault::NameRefused, "CON.cab", "cabinet 1", "is the name of a device (CON)"),
         BUILD_REFUSED,
         "D.paw: cabinet 1 (CON.cab): a device cannot keep a file of this name: it is the name of "
         "a device (CON)",
         "cabinet 1 (CON.cab): a device cannot keep a file of this name: it is the name of a "
         "device (CON)"},
        {failed(BuildFault::NamesClash, "A.TXT", "the EULA (a.txt) and the read-me (A.TXT)"),
         BUILD_REFUSED, "D.paw: the EULA (a.txt) and the read-me (A.TXT)" + clash,
         "the EULA (a.txt) and the read-me (A.TXT)" + clash},
        {failed(BuildFault::FolderMissing, "out"), BUILD_WRITE_FAILED, "out: no such folder",
         "the folder out does not exist"},
        {failed(BuildFault::CannotMakeFolder, "out/Demo", {}, "Not a directory"),
         BUILD_WRITE_FAILED, "out/Demo: cannot make the folder: Not a directory",
         "cannot make the folder out/Demo: Not a directory"},
        {failed(BuildFault::CannotWriteInto, "out", {}, "Read-only file system"),
         BUILD_WRITE_FAILED, "out: cannot write into the folder: Read-only file system",
         "cannot write into the folder out: Read-only file system"},
        {failed(BuildFault::CannotWrite, "out/D.exe", {}, "Disk full"), BUILD_WRITE_FAILED,
         "out/D.exe: cannot write: Disk full", "cannot write out/D.exe: Disk full"},
        {failed(BuildFault::CannotWrite, "out/D.exe"), BUILD_WRITE_FAILED,
         "out/D.exe: cannot write", "cannot write out/D.exe"},
        {failed(BuildFault::CannotReplace, "out/D.exe", {}, "In use"), BUILD_WRITE_FAILED,
         "out/D.exe: cannot replace: In use", "cannot replace out/D.exe: In use"},
        {failed(BuildFault::Busy, "out"), BUILD_WRITE_FAILED, "another build is writing into out",
         "another build is writing into out"},
        {failed(BuildFault::SignerMissing, "osslsigncode", {}, "No such file or directory"),
         BUILD_MISSING_FILE,
         "osslsigncode: cannot be started: No such file or directory; --sign needs it installed",
         "osslsigncode, which signs the installers, cannot be started: No such file or directory"},
        {failed(BuildFault::SigningFailed, "out/D.exe", "osslsigncode: Unrecognized file type"),
         BUILD_WRITE_FAILED, "out/D.exe: cannot sign: osslsigncode: Unrecognized file type",
         "cannot sign out/D.exe: osslsigncode: Unrecognized file type"},
        {failed(BuildFault::Interrupted, "out"), 128 + 15,
         "out: the build was interrupted; the earlier outputs are left as they were",
         "the build was interrupted; the earlier outputs are left as they were"},
    };
    for (const Case& c : cases) {
        const BuildOutcome& o = c.outcome;
        EXPECT_EQ(BuildFailureExitCode(o.fault, 15), c.code) << c.text;
        EXPECT_EQ(BuildFailureLine(o, "D.paw"), "zephyrkit-project: " + c.line);
        EXPECT_EQ(BuildFailureText(o), c.text);
    }
    // The first failure stays: what came after it is what it caused.
    BuildOutcome first = failed(BuildFault::CannotRead, "a.cab");
    first.Fail(BuildFault::CannotWrite, "out/D.exe");
    EXPECT_EQ(BuildFailureText(first), "cannot read a.cab");
    EXPECT_EQ(BuildFailureText(BuildOutcome()), "");
}

// The options every command that builds takes, parsed in one place: what is
// not a build option is left, in order, for the command.
TEST(BuildOptionsTest, SigningOptionsAreParsedWithTheOthersAndTheRestIsLeft) {
    CommandLineBuildOptions build;
    std::vector<std::string> rest;
    std::string problem;
    ASSERT_TRUE(ParseBuildOptions(
        {"--sign", "k.pfx", "--base-url", "-q", "--sign-url", "https://morvane.example",
         "--sign-password-file", "pw", "--output", "out", "x"},
        &build, &rest, &problem))
        << problem;
    EXPECT_EQ(build.signing.certificate, "k.pfx");
    EXPECT_EQ(build.signing.passwordFile, "pw");
    EXPECT_EQ(build.signing.url, "https://morvane.example");
    EXPECT_EQ(build.output, "out");
    EXPECT_TRUE(build.quiet);
    EXPECT_EQ(rest, (std::vector<std::string>{"--base-url", "x"}));

    struct Case {
        std::vector<std::string> options;
        std::string problem;
    };
    const Case refused[] = {
        {{"--sign"}, "--sign needs a value"},
        {{"--sign", ""}, "--sign needs a value"},
        {{"--output"}, "--output needs a value"},
        {{"--sign-password-file", "pw"}, "--sign-password-file needs --sign"},
        {{"--sign-url", "https://morvane.example"}, "--sign-url needs --sign"},
    };
    for (const Case& c : refused) {
        CommandLineBuildOptions options;
        rest.clear();
        problem.clear();
        EXPECT_FALSE(ParseBuildOptions(c.options, &options, &rest, &problem)) << c.problem;
        EXPECT_EQ(problem, c.problem);
    }
}

TEST_F(ProjectShellTest, BuildRefusesToSignWithoutASigner) {
    const Result r = Run({"build", Paw(), "--sign", "k.pfx"});
    EXPECT_EQ(r.code, BUILD_USAGE);
    EXPECT_EQ(r.err, "zephyrkit-project: --sign: this program cannot sign installers\n");
    EXPECT_EQ(Run({"build", Paw(), "--sign-url", "https://morvane.example"}).code, BUILD_USAGE);
}

}  // namespace
}  // namespace zk
