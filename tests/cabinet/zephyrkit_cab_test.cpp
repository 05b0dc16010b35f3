// The host command zephyrkit-cab, run as a user would run it.
#include <gtest/gtest.h>

#include "tests/cabinet/cabinet_fixture.h"

namespace zk {
namespace {

class ZephyrkitCabTest : public test::CabinetTest {
protected:
    int Run(const std::string& arguments, std::string* out) {
        return test::RunCommand("cd '" + folder.path() + "' && TMPDIR='" + folder.path() +
                                    "/tmp' " ZK_CAB_TOOL " " + arguments + " 2>/dev/null",
                                out);
    }
};

TEST_F(ZephyrkitCabTest, OneTabSeparatedLinePerCabinet) {
    ZK_REQUIRE_HOST_TOOLS();
    test::MakeCeCab(
        folder, "viewer.cab",
        {"--app-name", "Viewer", "--provider", "Acme", "--os-min", "4.20", "--os-max", "5.1"});
    test::MakeCeCab(folder, "bare.cab", {"--no-header", "--payload", "x.dll:5"});
    std::string out;
    EXPECT_EQ(Run("viewer.cab bare.cab", &out), 0);
    EXPECT_EQ(out,
              "viewer.cab\tok\tViewer\tAcme\t4.20\t5.1\tNo\tYes\tYes\tYes\n"
              "bare.cab\tThis is not a valid Wince Cabinet file. Please double-check the "
              "entry\t\t\t0.0\t0.0\tYes\tYes\tYes\tYes\n");
    // Only the run's own temporary folder was used, and it is gone.
    EXPECT_TRUE(test::ListFolder(folder / "tmp").empty());
}

TEST_F(ZephyrkitCabTest, NamesBeyondAsciiAreShownAsTyped) {
    ZK_REQUIRE_HOST_TOOLS();
    // One header written in code page 1252, one set-up XML in UTF-8.
    test::MakeCeCab(folder, "Caf\xC3\xA9.cab",
                    {"--app-name", "Caf\xC3\xA9", "--provider", "Soci\xC3\xA9t\xC3\xA9"});
    test::MakeCeCab(folder, "Cr\xC3\xA8me.cab",
                    {"--xml-only", "--provider", "Soci\xC3\xA9t\xC3\xA9", "--app-name",
                     "Cr\xC3\xA8me\xE2\x82\xAC"});
    std::string out;
    EXPECT_EQ(Run("Caf\xC3\xA9.cab Cr\xC3\xA8me.cab", &out), 0);
    EXPECT_EQ(out.substr(0, out.find('\t', out.find('\t', out.find('\t') + 1) + 1)),
              "Caf\xC3\xA9.cab\tok\tCaf\xC3\xA9");
    const std::string xmlLine = out.substr(out.find('\n') + 1);
    EXPECT_EQ(xmlLine.rfind("Cr\xC3\xA8me.cab\tok\t", 0), 0u) << out;
    EXPECT_NE(xmlLine.find("Soci\xC3\xA9t\xC3\xA9"), std::string::npos) << out;
    EXPECT_NE(xmlLine.find("Cr\xC3\xA8me\xE2\x82\xAC"), std::string::npos) << out;
    // A name the record could not hold is refused before any is read.
    test::WriteFileBytes(folder / "\xE4\xB8\xAD.cab", "x");
    EXPECT_EQ(Run("Caf\xC3\xA9.cab \xE4\xB8\xAD.cab", &out), 1);
    EXPECT_EQ(out, "");
}

TEST_F(ZephyrkitCabTest, RefusalsGiveExitCodeOne) {
    ZK_REQUIRE_HOST_TOOLS();
    test::MakeCeCab(folder, "viewer.cab", {});
    test::WriteFileBytes(folder / "text.cab", "text");
    std::string out;
    EXPECT_EQ(Run("viewer.cab text.cab viewer.cab", &out), 1);
    EXPECT_NE(out.find("text.cab\tThis is not a valid Cabinet file\t\t\t\t\t\t\t\t\n"),
              std::string::npos);
    EXPECT_NE(out.find("viewer.cab\tItem is already in the list\t"), std::string::npos);
    EXPECT_EQ(Run("--help", &out), 0);
    EXPECT_NE(out.find("Usage: zephyrkit-cab FILE.cab..."), std::string::npos);
    EXPECT_EQ(Run("", &out), 1);
}

}  // namespace
}  // namespace zk
