#include "wizard/project/project_json.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "common/ansi_text.h"
#include "common/fixed_text.h"

namespace zk {
namespace {

std::unique_ptr<Project> Empty() {
    auto p = std::make_unique<Project>();
    std::memset(p.get(), 0, sizeof(Project));
    return p;
}

TEST(ProjectJsonTest, ExportThenImportGivesTheSameRecord) {
    auto original = Empty();
    CopyText(original->title, "Demo \xE9t\xE9 \x80");  // é, €
    CopyText(original->company, "Morvane");
    original->eulaEnabled = 1;
    CopyText(original->eulaPath, "C:\\docs\\eula.txt");
    original->filterOs2003SE = 1;
    original->deviceAdvancedSettings = 1;
    CopyText(original->outputFolder, std::string(519, 'o'));
    for (int i = 0; i < MAX_CABINETS; ++i) {
        CabEntry& e = original->cabinets[i];
        CopyText(e.fileName, "c" + std::to_string(i) + ".cab");
        CopyText(e.path, "/cabs/c" + std::to_string(i) + ".cab");
        CopyText(e.appName, "App");
        e.forSamsung = i % 2;
        e.forOs2005 = 1;
    }
    original->cabinetCount = MAX_CABINETS;

    const std::string json = ExportProjectJson(*original);
    EXPECT_NE(json.find("\"title\": \"Demo \xC3\xA9t\xC3\xA9 \xE2\x82\xAC\""), std::string::npos);
    auto back = Empty();
    std::string error;
    ASSERT_TRUE(ImportProjectJson(json, *back, &error)) << error;
    EXPECT_EQ(std::memcmp(original.get(), back.get(), sizeof(Project)), 0);
}

TEST(ProjectJsonTest, RefusesDocumentsThatDescribeNoValidProject) {
    auto project = Empty();
    CopyText(project->title, "Untouched");
    // A document that passes, with the text of each case put in its middle.
    auto with = [](const std::string& fields) {
        return R"({"title": "Demo", "company": "Morvane")" + (fields.empty() ? "" : ", " + fields) +
               "}";
    };
    auto cabinets = [&with](const std::string& entries) {
        return with(R"("cabinets": [)" + entries + "]");
    };
    struct Case {
        std::string json;
        std::string error;
    };
    const Case cases[] = {
        {"{", "not a JSON document"},
        {"[]", "the document: must be an object"},
        {R"({"title": 5})", "title: must be a string"},
        {R"({"eulaEnabled": 1})", "eulaEnabled: must be true or false"},
        {R"({"titel": "x"})", "titel: no such field"},
        {R"({"cabinets": {}})", "cabinets: must be an array"},
        {R"({"cabinets": [5]})", "cabinets[0]: must be an object"},
        {R"({"cabinets": [{"forIntel": "yes"}]})", "cabinets[0].forIntel: must be true or false"},
        {R"({"company": "Caf\u00e9 \u4e2d"})",
         "company: holds U+4E2D, which code page 1252 cannot store"},
        {R"({"company": "a\u0000b"})", "company: must not hold a NUL character"},
        {R"({"title": "A", "title": "B"})", "title: given twice"},
        {cabinets(R"({"path": "/a.cab", "fileName": "a.cab", "path": "/b.cab"})"),
         "path: given twice"},
        {R"({"company": "Morvane"})", "title: empty; a project needs a title"},
        {R"({"title": "..", "company": "Morvane"})", "title: not usable as a file or folder name"},
        {R"({"title": "con.txt", "company": "Morvane"})",
         "title: not usable as a file or folder name"},
        {R"({"title": "Demo"})", "company: empty; a project needs a company"},
        {with(R"("readmeEnabled": true)"), "readmePath: empty while readmeEnabled is true"},
        {with(R"("osFilterOn": true)"), "osFilterOn: on with none of its options"},
        {cabinets(R"({"fileName": "a.cab"})"), "cabinets[0].path: empty"},
        {cabinets(R"({"path": "/a.cab"})"), "cabinets[0].fileName: empty"},
        {cabinets(R"({"path": "/evil.cab", "fileName": "../../evil.cab"})"),
         "cabinets[0].fileName: a device cannot keep a file of this name: it holds the character "
         "'/'"},
        {cabinets(R"({"path": "/a/Tool.cab", "fileName": "Tool.cab"},
                     {"path": "/b/tool.CAB", "fileName": "tool.CAB"})"),
         "cabinets[1].fileName: tool.CAB is already listed as cabinets[0] (Tool.cab); a device "
         "does "
         "not tell names apart by case"},
        {R"({"company": "M", "title": ")" + std::string(260, 't') + "\"}",
         "title: longer than 259 characters"},
    };
    for (const Case& c : cases) {
        std::string error;
        EXPECT_FALSE(ImportProjectJson(c.json, *project, &error)) << c.json;
        EXPECT_EQ(error, c.error) << c.json;
        EXPECT_STREQ(project->title, "Untouched");
    }

    std::string error;
    EXPECT_TRUE(ImportProjectJson(R"({"company": "M", "title": ")" + std::string(259, 't') + "\"}",
                                  *project, &error))
        << error;

    std::string many = "{\"cabinets\": [";
    for (int i = 0; i <= MAX_CABINETS; ++i) many += std::string(i ? "," : "") + "{}";
    EXPECT_FALSE(ImportProjectJson(many + "]}", *project, &error));
    EXPECT_EQ(error, "cabinets: more than 256 entries");
}

TEST(AnsiTextTest, EveryByteOfThePageRoundTrips) {
    std::string all;
    for (int c = 1; c < 256; ++c) all += static_cast<char>(c);
    std::string back;
    ASSERT_TRUE(Utf8ToAnsi(AnsiToUtf8(all), &back));
    EXPECT_EQ(back, all);
    EXPECT_EQ(AnsiToUtf8("\x80\x9F\xE9\xFF"), "\xE2\x82\xAC\xC5\xB8\xC3\xA9\xC3\xBF");
    // The five bytes the page leaves undefined stand for the C1 controls of
    // the same number, and come back from them.
    for (unsigned char c : {0x81, 0x8D, 0x8F, 0x90, 0x9D}) {
        const std::string utf8 = AnsiToUtf8(std::string(1, static_cast<char>(c)));
        EXPECT_EQ(utf8, std::string({'\xC2', static_cast<char>(c)})) << int(c);
        ASSERT_TRUE(Utf8ToAnsi(utf8, &back));
        EXPECT_EQ(back, std::string(1, static_cast<char>(c)));
    }
    EXPECT_EQ(AnsiFromUtf8("a\xE2\x82\xAC\xE4\xB8\xAD\xFFz"), "a\x80??z");
}

TEST(AnsiTextTest, ACharacterThePageLacksIsNamedWhereItStands) {
    std::string out = "untouched";
    TextFault fault;
    ASSERT_FALSE(Utf8ToAnsi("Caf\xC3\xA9 \xE4\xB8\xAD", &out, &fault));
    EXPECT_EQ(out, "untouched");
    EXPECT_FALSE(fault.malformed);
    EXPECT_EQ(fault.character, U'\u4E2D');
    EXPECT_EQ(fault.offset, 6u);
    EXPECT_EQ(DescribeTextFault(fault), "holds U+4E2D, which code page 1252 cannot store");
    // C1 controls the page uses for typographic marks, and characters past
    // the basic plane.
    ASSERT_FALSE(Utf8ToAnsi("\xC2\x80", &out, &fault));
    EXPECT_EQ(DescribeTextFault(fault), "holds U+0080, which code page 1252 cannot store");
    ASSERT_FALSE(Utf8ToAnsi("\xF0\x9F\x98\x80", &out, &fault));
    EXPECT_EQ(DescribeTextFault(fault), "holds U+1F600, which code page 1252 cannot store");
}

TEST(AnsiTextTest, MalformedUtf8IsRefusedAtItsFirstBadByte) {
    struct Case {
        const char* text;
        unsigned char byte;
        std::size_t offset;
    };
    const Case cases[] = {
        {"ab\xC3", 0xC3, 2},            // cut sequence
        {"\xFF", 0xFF, 0},              // no lead byte
        {"a\x80", 0x80, 1},             // continuation without a lead
        {"x\xC0\xAF", 0xC0, 1},         // '/' in an overlong form
        {"\xE0\x80\xAE", 0xE0, 0},      // '.' in an overlong form
        {"\xED\xA0\x80", 0xED, 0},      // a surrogate
        {"\xF4\x90\x80\x80", 0xF4, 0},  // past U+10FFFF
        {"\xC3\x28", 0xC3, 0},          // lead followed by ASCII
    };
    for (const Case& c : cases) {
        std::string out;
        TextFault fault;
        EXPECT_FALSE(Utf8ToAnsi(c.text, &out, &fault)) << c.text;
        EXPECT_TRUE(fault.malformed) << c.text;
        EXPECT_EQ(fault.byte, c.byte) << c.text;
        EXPECT_EQ(fault.offset, c.offset) << c.text;
    }
    TextFault fault;
    std::string out;
    ASSERT_FALSE(Utf8ToAnsi("ab\xC3", &out, &fault));
    EXPECT_EQ(DescribeTextFault(fault), "is not valid UTF-8 (byte 0xC3 at offset 2)");
}

}  // namespace
}  // namespace zk
