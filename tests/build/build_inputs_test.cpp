#include "wizard/build/build_inputs.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "common/fixed_text.h"
#include "tests/build/build_fixture.h"
#include "wizard/build/build_outcome.h"

namespace zk {
namespace {

class BuildInputsTest : public ::testing::Test, public test::BuildFixture {
protected:
    BuildInputsTest() { CopyText(state.projectName, "Demo"); }
    // The document at `path` enabled in its role under its file name.
    void Use(std::uint8_t& enabled, char (&path)[520], char (&fileName)[260],
             const std::string& file) {
        enabled = 1;
        CopyText(path, Input(file));
        CopyText(fileName, file.substr(file.find_last_of('/') + 1));
    }
    std::string Problem() {
        BuildOutcome outcome;
        return CheckBuildInputs(ctx, outcome) ? std::string() : BuildFailureText(outcome);
    }
};

// The device unpacks everything into \Temp, whose names do not differ by
// case; each refusal names both files.
TEST_F(BuildInputsTest, NamesTheDeviceCanKeepApart) {
    std::filesystem::create_directories(folder / "in/b");
    for (const char* file : {"info.txt", "b/INFO.TXT", "Tool.cab", "splash.bmp"})
        test::WriteFileBytes(Input(file), "text");
    test::WriteFileBytes(Input("splash.bmp"), test::SmallBitmap());
    AddCabinet("Tool.cab", 100);
    EXPECT_EQ(Problem(), "");

    Use(state.eulaEnabled, state.eulaPath, state.eulaFileName, "info.txt");
    Use(state.readmeEnabled, state.readmePath, state.readmeFileName, "b/INFO.TXT");
    auto clash = [](const std::string& files) {
        return files +
               " would be one file in the device's \\Temp, where names differing only in "
               "case are the same: rename one of them";
    };
    EXPECT_EQ(Problem(), clash("the EULA (info.txt) and the read-me (INFO.TXT)"));
    state.readmeEnabled = 0;

    struct Case {
        const char* cabinet;
        std::string problem;
    };
    const std::string unkeepable = ": a device cannot keep a file of this name: it ";
    for (const Case& c :
         {Case{"TOOL.cab", clash("cabinet 0 (Tool.cab) and cabinet 1 (TOOL.cab)")},
          Case{"INFO.txt", clash("the EULA (info.txt) and cabinet 1 (INFO.txt)")},
          Case{"Demo.PAW", clash("the project file (Demo.paw) and cabinet 1 (Demo.PAW)")},
          Case{"systeminfo.exe", clash("the system-information tool (SystemInfo.exe) and "
                                       "cabinet 1 (systeminfo.exe)")},
          Case{"a:b.cab", "cabinet 1 (a:b.cab)" + unkeepable + "holds the character ':'"},
          Case{"CON.cab", "cabinet 1 (CON.cab)" + unkeepable + "is the name of a device (CON)"}}) {
        CopyText(project->cabinets[1].fileName, c.cabinet);
        project->cabinetCount = 2;
        EXPECT_EQ(Problem(), c.problem);
    }
}

TEST_F(BuildInputsTest, ASplashTheDeviceCanLoadAndTextItCanShow) {
    const std::string bitmap = test::SmallBitmap(3, 2);
    std::string oversized = bitmap;
    oversized[2] = static_cast<char>(bitmap.size() + 10);
    std::string os2 = bitmap.substr(0, 26);  // a 12-byte information header
    os2[10] = 26;
    os2[14] = 12;
    os2[18] = 1, os2[19] = 0, os2[20] = 1, os2[21] = 0, os2[22] = 1, os2[23] = 0, os2[24] = 24;
    os2 += std::string(4, '\0');
    os2[2] = static_cast<char>(os2.size());
    struct Case {
        const char* what;
        std::string bytes;
        std::string problem;  // empty: taken
    };
    const Case cases[] = {
        {"a whole bitmap", bitmap, ""},
        {"an OS/2 bitmap", os2, ""},
        {"a PNG", "\x89PNG\r\n\x1a\n" + std::string(100, 'p'),
         "is a PNG picture: PNG is not supported; save the splash as BMP"},
        {"a JPEG", "\xFF\xD8\xFF\xE0" + std::string(100, 'j'),
         "is a JPEG picture: JPEG is not supported; save the splash as BMP"},
        {"a text", "This is no picture at all", "is not a BMP picture; save the splash as BMP"},
        {"a cut header", bitmap.substr(0, 20), "is a cut BMP picture: it ends inside its header"},
        {"cut pixels", bitmap.substr(0, bitmap.size() - 1),
         "is a cut BMP picture: its header gives 78 bytes, the file has 77"},
        {"a size beyond the file", oversized,
         "is a cut BMP picture: its header gives 88 bytes, the file has 78"},
        {"no pixels", bitmap.substr(0, 2) + std::string(4, '\0') + bitmap.substr(6, 48),
         "is a cut BMP picture: its pixels run past the end of the file"},
    };
    Use(state.splashEnabled, state.splashPath, state.splashFileName, "splash.bmp");
    for (const Case& c : cases) {
        test::WriteFileBytes(Input("splash.bmp"), c.bytes);
        const std::string expected = c.problem.empty() ? "" : Input("splash.bmp") + " " + c.problem;
        EXPECT_EQ(Problem(), expected) << c.what;
    }
    test::WriteFileBytes(Input("splash.bmp"), bitmap);

    // The EULA and read-me pages show text; a NUL byte, even past the first
    // block read, makes a file something else (a program, UTF-16).
    Use(state.eulaEnabled, state.eulaPath, state.eulaFileName, "eula.txt");
    Use(state.readmeEnabled, state.readmePath, state.readmeFileName, "readme.txt");
    test::WriteFileBytes(Input("eula.txt"), "Licence \xe9t\xe9\r\n");
    test::WriteFileBytes(Input("readme.txt"), std::string(40000, 'r') + '\0');
    const std::string notText =
        " is not a text file (it holds NUL bytes); the device shows the "
        "EULA and the read-me as text";
    EXPECT_EQ(Problem(), Input("readme.txt") + notText);
    test::WriteFileBytes(Input("readme.txt"), "Read me");
    test::WriteFileBytes(Input("eula.txt"), std::string("L\0i\0c\0", 6));
    EXPECT_EQ(Problem(), Input("eula.txt") + notText);
}

}  // namespace
}  // namespace zk
