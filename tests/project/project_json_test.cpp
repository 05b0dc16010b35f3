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

TEST(ProjectJsonTest, RefusesDocumentsThatDescribeNoRecord) {
    auto project = Empty();
    CopyText(project->title, "Untouched");
    struct Case {
        const char* json;
        const char* error;
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
        {R"({"title": ".."})", "title: not usable as a file or folder name"},
        {R"({"title": "con.txt"})", "title: not usable as a file or folder name"},
    };
    for (const Case& c : cases) {
        std::string error;
        EXPECT_FALSE(ImportProjectJson(c.json, *project, &error)) << c.json;
        EXPECT_EQ(error, c.error) << c.json;
        EXPECT_STREQ(project->title, "Untouched");
    }

    std::string error;
    EXPECT_FALSE(ImportProjectJson("{\"title\": \"" + std::string(260, 't') + "\"}", *project, &error));
    EXPECT_EQ(error, "title: longer than 259 characters");
    EXPECT_TRUE(ImportProjectJson("{\"title\": \"" + std::string(259, 't') + "\"}", *project, &error));

    std::string many = "{\"cabinets\": [";
    for (int i = 0; i <= MAX_CABINETS; ++i) many += std::string(i ? "," : "") + "{}";
    EXPECT_FALSE(ImportProjectJson(many + "]}", *project, &error));
    EXPECT_EQ(error, "cabinets: more than 256 entries");
}

TEST(AnsiTextTest, CodePage1252BothWays) {
    std::string all;
    for (int c = 1; c < 256; ++c) all += static_cast<char>(c);
    std::string back;
    ASSERT_TRUE(Utf8ToAnsi(AnsiToUtf8(all), &back));
    EXPECT_EQ(back, all);
    EXPECT_FALSE(Utf8ToAnsi("\xC3", &back)) << "cut sequence";
    EXPECT_FALSE(Utf8ToAnsi("\xFF", &back));
    EXPECT_EQ(AnsiFromUtf8("a\xE2\x82\xAC\xE4\xB8\xAD\xFFz"), "a\x80??z");
}

}  // namespace
}  // namespace zk
