#include "common/cabinet/setup_xml.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>

#include "tests/cabinet/cabinet_fixture.h"

namespace zk {
namespace {

class SetupXmlTest : public test::CabinetTest {
protected:
    bool Read(const std::string& document) {
        test::WriteFileBytes(folder / "s.xml", document);
        return ReadSetupXml(platform, folder / "s.xml", info);
    }
    static std::string Install(const std::string& parms) {
        return "<wap-provisioningdoc><characteristic type=\"Install\">" + parms +
               "</characteristic></wap-provisioningdoc>";
    }
    SetupInfo info{};
};

TEST_F(SetupXmlTest, ReadsTheThreeRecognisedNames) {
    ASSERT_TRUE(Read(Install(R"(<parm name="InstallPhase" value="install"/>
        <parm name="OSVersionMin" value="4.21"/><parm name="OSVersionMax" value="5.99"/>
        <parm name="AppName" value="Acme Viewer Pro"/><parm name="osversionmin" value="9.9"/>)")));
    EXPECT_EQ(info.osMinMajor, 4);
    EXPECT_EQ(info.osMinMinor, 21);
    EXPECT_EQ(info.osMaxMajor, 5);
    EXPECT_EQ(info.osMaxMinor, 99);
    EXPECT_STREQ(info.appName, "Acme");
    EXPECT_STREQ(info.provider, "Viewer");
    EXPECT_TRUE(platform.messages.empty());
}

TEST_F(SetupXmlTest, WalkOrderDepthAndLastOneWins) {
    // Direct children of the document element are not searched; parms at any
    // depth below a child are, in document order.
    ASSERT_TRUE(Read(R"(<?xml version="1.0" encoding="utf-8"?>
        <doc>
          text<!-- comment -->
          <a><b><c><parm name="OSVersionMin" value="3.0"/></c></b>
             <parm name="AppName" value="  First  Second Third"/></a>
          <z><parm name="OSVersionMin" value="4.2"/><parm name="AppName" value="Solo"/></z>
          <parm name="AppName" value="Direct Child"/>
        </doc>)"));
    EXPECT_EQ(info.osMinMajor, 4);
    EXPECT_EQ(info.osMinMinor, 2);
    EXPECT_STREQ(info.appName, "Solo");     // one word sets appName only
    EXPECT_STREQ(info.provider, "Second");  // left from the earlier parm
}

TEST_F(SetupXmlTest, NumbersThePatternCannotReadLeaveTheirFields) {
    info.osMaxMinor = 7;
    ASSERT_TRUE(Read(Install(R"(<parm name="OSVersionMin" value="5"/>
        <parm name="OSVersionMax" value="x.3"/><parm name="OSVersionMax" value=" 6 .1"/>)")));
    EXPECT_EQ(info.osMinMajor, 5);
    EXPECT_EQ(info.osMinMinor, 0);
    EXPECT_EQ(info.osMaxMajor, 6);  // "%d" then no '.' right after it
    EXPECT_EQ(info.osMaxMinor, 7);
    ASSERT_TRUE(Read(Install(R"(<parm name="OSVersionMax" value="-2.-3"/>)")));
    EXPECT_EQ(info.osMaxMajor, -2);
    EXPECT_EQ(info.osMaxMinor, -3);
}

TEST_F(SetupXmlTest, LongWordsAreCutAndTextBecomesAnsi) {
    ASSERT_TRUE(Read(Install("<parm name=\"AppName\" value=\"" + std::string(70, 'w') +
                             " Caf\xC3\xA9\xE2\x82\xAC\xE4\xB8\xAD\"/>")));
    EXPECT_EQ(std::string(info.appName), std::string(63, 'w'));
    EXPECT_STREQ(info.provider, "Caf\xE9\x80?");
}

TEST_F(SetupXmlTest, MissingAttributeStopsTheWalkWithTheWarning) {
    EXPECT_FALSE(Read(Install(R"(<parm name="OSVersionMin" value="4.0"/>
        <parm value="1"/><parm name="OSVersionMax" value="5.0"/>)")));
    EXPECT_EQ(info.osMinMajor, 4);
    EXPECT_EQ(info.osMaxMajor, 0);
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0].text, "COM exception ocurred");
    EXPECT_EQ(platform.messages[0].caption, "Error");
    EXPECT_EQ(platform.messages[0].icon, MessageIcon::Warning);

    // An unrecognised parm needs no value; a recognised one does.
    EXPECT_TRUE(Read(Install(R"(<parm name="Other"/>)")));
    EXPECT_FALSE(Read(Install(R"(<parm name="AppName"/>)")));
    EXPECT_EQ(platform.messages.size(), 2u);
}

TEST_F(SetupXmlTest, DocumentsThatDoNotLoadFailSilently) {
    const std::string good = Install(R"(<parm name="AppName" value="Never Read"/>)");
    for (const std::string& bad :
         {std::string(""), std::string("<a><b></a>"), std::string("plain text"), good + "<second/>",
          good + "trailing", "<a x='1' x='2'>" + good + "</a>"})
        EXPECT_FALSE(Read(bad)) << bad;
    EXPECT_FALSE(ReadSetupXml(platform, folder / "missing.xml", info));
    EXPECT_TRUE(platform.messages.empty());
    EXPECT_STREQ(info.appName, "");
    // No recognised parm at all: true, and nothing set.
    EXPECT_TRUE(Read("<doc/>"));
}

// A root element with `count` distinct attributes, and one parm below it.
std::string ManyAttributes(int count) {
    std::string document = "<doc";
    for (int i = 0; i < count; ++i) document += " a" + std::to_string(i) + "=\"\"";
    return document + "><i><parm name=\"AppName\" value=\"Wide Root\"/></i></doc>";
}

#if !defined(__SANITIZE_ADDRESS__)
// The fastest of a few runs in processor time, so that a busy machine (the
// other core building, say) does not skew the ratio.
double BestSeconds(const std::string& document, int runs) {
    double best = 1e9;
    for (int run = 0; run < runs; ++run) {
        SetupInfo info{};
        const std::clock_t start = std::clock();
        const SetupXmlResult result = ParseSetupXml(document.data(), document.size(), info);
        const double took = static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
        EXPECT_EQ(result, SetupXmlResult::Walked);
        EXPECT_STREQ(info.appName, "Wide");
        best = std::min(best, took);
    }
    return best;
}
#endif

// Eight times the attributes may cost about eight times as much (more with
// the caches a larger heap misses); comparing every pair of names would cost
// sixty-four times as much.
TEST(SetupXmlCost, GrowsWithTheAttributeCountNotItsSquare) {
#if !defined(__SANITIZE_ADDRESS__)
    // Under AddressSanitizer the times are its allocator's, whose cost per
    // allocation grows with the heap: the ratio is measured without it.
    const double small = BestSeconds(ManyAttributes(10000), 7);
    const double large = BestSeconds(ManyAttributes(80000), 3);
    EXPECT_LT(large / small, 24.0)
        << "10000 attributes: " << small << " s, 80000: " << large << " s";
#endif
    // A repeated name among many is still found, wherever it stands.
    std::string repeated = ManyAttributes(20000);
    repeated.insert(5, "a19999=\"\" ");
    SetupInfo info{};
    EXPECT_EQ(ParseSetupXml(repeated.data(), repeated.size(), info), SetupXmlResult::NotADocument);
}

}  // namespace
}  // namespace zk
