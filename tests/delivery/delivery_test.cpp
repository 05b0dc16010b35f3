// The pure parts of publishing and serving, each walked through a table:
// SHA-256 against sha256sum's own digests, the names a title gives, the
// request paths the server maps, the byte ranges it answers, and a download
// page kept under its size limit however many cabinets there are.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "delivery/download_log.h"
#include "delivery/download_page.h"
#include "delivery/request_path.h"
#include "delivery/sha256.h"
#include "delivery/site_names.h"

namespace zk {
namespace {

TEST(Sha256Test, AgreesWithSha256sumAcrossTheBlockBoundaries) {
    // Digests printed by `sha256sum`; the lengths around 56 and 64 bytes are
    // where the padding takes a second block.
    struct Case {
        std::string text;
        const char* digest;
    } cases[] = {
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {std::string(55, 'a'), "9f4390f8d30c2dd92ec9f095b65e2b9ae9b0a925a5258e241c9f1e910f734318"},
        {std::string(56, 'a'), "b35439a4ac6f0948b6d6f9e3c6af0f5f590ce20f1bde7090ef7970686ec6738a"},
        {std::string(63, 'a'), "7d3e74a05d7db15bce4ad9ec0658ea98e3f06eeecf16b4c6fff2da457ddc2f34"},
        {std::string(64, 'a'), "ffe054fe7ae0cb6dc65c3af9b61d5209f439851db43d0ba5997337df154668eb"},
        {std::string(65, 'a'), "635361c48bb9eab14198e76ea8ab7f1a41685d6ad62aa9146d301d4f17eb0ae0"},
        {std::string(119, 'a'), "31eba51c313a5c08226adf18d4a359cfdfd8d2e816b13f4af952f7ea6584dcfb"},
        {std::string(1000000, 'a'),
         "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
    };
    for (const Case& c : cases) {
        Sha256 whole;
        whole.Update(c.text.data(), c.text.size());
        EXPECT_EQ(HexDigest(whole.Finish()), c.digest) << c.text.size() << " bytes at once";
        // Pieces of odd sizes cross the block boundaries anywhere.
        Sha256 pieces;
        for (std::size_t at = 0, step = 1; at < c.text.size(); at += step, step = step % 97 + 3)
            pieces.Update(c.text.data() + at, std::min(step, c.text.size() - at));
        EXPECT_EQ(HexDigest(pieces.Finish()), c.digest) << c.text.size() << " bytes in pieces";
    }
}

TEST(SiteNamesTest, TitlesBecomeNamesAStylusCanType) {
    const std::pair<std::string, std::string> cases[] = {
        {"Demo", "demo"},
        {"Zephyrkit Sample [Beta]", "zephyrkit-sample-beta"},
        {"  --Viewer  2.0 (Pro)!  ", "viewer-2-0-pro"},
        {"Caf\xE9 \xC6ther \xDF", "cafe-ather-s"},
        {"\x8Akoda \x9Fves", "skoda-yves"},
        {"[]", "installer"},
        {"\x80\x99", "installer"},
        {std::string(30, 'a') + " " + std::string(30, 'b'), std::string(30, 'a')},
        {std::string(60, 'x'), std::string(MAX_SITE_STEM_LENGTH, 'x')},
    };
    for (const auto& [title, stem] : cases) EXPECT_EQ(SiteStem(title), stem) << title;
    EXPECT_EQ(MobileSiteName("demo"), "demo-mobile.exe");
    EXPECT_EQ(DesktopSiteName("demo"), "demo-desktop.exe");
}

TEST(RequestPathTest, OnlyFilesOfTheFolderAreNamed) {
    struct Case {
        const char* target;
        RequestedPath what;
        const char* relative;
    } cases[] = {
        {"/", RequestedPath::Folder, ""},
        {"/?x=1", RequestedPath::Folder, ""},
        {"/demo-mobile.exe", RequestedPath::File, "demo-mobile.exe"},
        {"/Demo.%5BMOBILE%5D.exe?dl=1#top", RequestedPath::File, "Demo.[MOBILE].exe"},
        {"/a%20b/c.cab", RequestedPath::File, "a b/c.cab"},
        {"/..", RequestedPath::NotFound, ""},
        {"/../etc/passwd", RequestedPath::NotFound, ""},
        {"/%2e%2e/%2E%2E/etc/passwd", RequestedPath::NotFound, ""},
        {"/a/%2e%2e%2f..%2fpasswd", RequestedPath::NotFound, ""},
        {"/..%5c..%5cwin.ini", RequestedPath::NotFound, ""},
        {"/C:%5cwin.ini", RequestedPath::NotFound, ""},
        {"//etc/passwd", RequestedPath::NotFound, ""},
        {"/sub/", RequestedPath::NotFound, ""},
        {"/./index.html", RequestedPath::NotFound, ""},
        {"/.htaccess", RequestedPath::NotFound, ""},
        {"/.zephyrkit-publish/Demo.paw", RequestedPath::NotFound, ""},
        {"/index.html.partial", RequestedPath::NotFound, ""},
        {"/a%00.exe", RequestedPath::NotFound, ""},
        {"/a%0d%0aX: y", RequestedPath::NotFound, ""},
        {"/bad%2", RequestedPath::NotFound, ""},
        {"/bad%zz", RequestedPath::NotFound, ""},
        {"etc/passwd", RequestedPath::NotFound, ""},
        {"http://host/index.html", RequestedPath::NotFound, ""},
        {"*", RequestedPath::NotFound, ""},
        {"", RequestedPath::NotFound, ""},
    };
    for (const Case& c : cases) {
        std::string relative = "left over";
        EXPECT_EQ(MapRequestPath(c.target, &relative), c.what) << c.target;
        EXPECT_EQ(relative, c.what == RequestedPath::File ? c.relative : "") << c.target;
    }
    // A listed name comes back as itself.
    std::string relative;
    const std::string name = "Demo [Beta] 100%.exe";
    EXPECT_EQ(MapRequestPath("/" + PercentEncoded(name), &relative), RequestedPath::File);
    EXPECT_EQ(relative, name);
}

TEST(ByteRangeTest, RangesAreBroughtWithinTheFile) {
    struct Case {
        std::vector<ByteRange> asked;
        RangeFit fit;
        std::vector<ByteRange> fitted;
        std::uint64_t bytes;
    } cases[] = {
        {{}, RangeFit::Whole, {}, 1000},
        {{{0, 9}}, RangeFit::Partial, {{0, 9}}, 10},
        {{{990, 2000}}, RangeFit::Partial, {{990, 999}}, 10},  // past the end: cut to it
        {{{500, -1}}, RangeFit::Partial, {{500, 999}}, 500},
        {{{-1, 5}}, RangeFit::Partial, {{995, 999}}, 5},
        {{{-1, 5000}}, RangeFit::Partial, {{0, 999}}, 1000},
        {{{-1, 0}}, RangeFit::Unsatisfiable, {}, 0},
        {{{1000, 1200}}, RangeFit::Unsatisfiable, {}, 0},
        {{{2000, 3000}, {0, 1}}, RangeFit::Partial, {{0, 1}}, 2},
        {std::vector<ByteRange>(MAX_BYTE_RANGES + 1, {0, 1}), RangeFit::Whole, {}, 1000},
    };
    for (Case& c : cases) {
        std::uint64_t bytes = 0;
        const std::size_t asked = c.asked.size();
        EXPECT_EQ(FitRanges(&c.asked, 1000, &bytes), c.fit) << asked << " ranges";
        EXPECT_EQ(bytes, c.bytes);
        ASSERT_EQ(c.asked.size(), c.fitted.size());
        for (std::size_t i = 0; i < c.fitted.size(); ++i) {
            EXPECT_EQ(c.asked[i].first, c.fitted[i].first);
            EXPECT_EQ(c.asked[i].last, c.fitted[i].last);
        }
    }
    std::vector<ByteRange> empty = {{-1, 10}};
    std::uint64_t bytes = 1;
    EXPECT_EQ(FitRanges(&empty, 0, &bytes), RangeFit::Unsatisfiable);

    DownloadRecord cut{"10.0.0.7", "a\x1b[2J.exe", 1000, {{100, 199}}, 100, 40, false};
    EXPECT_EQ(DownloadLine(cut),
              "10.0.0.7 a?[2J.exe (bytes 100-199 of 1000): 40 of 100 bytes, cut");
}

TEST(DownloadPageTest, StaysUnderItsLimitWithManyLongNamedCabinets) {
    DownloadPageFacts facts;
    facts.title = "Suite \xC6 <&>";
    facts.company = "Morvane";
    facts.mobile = {"suite-mobile.exe", 5u << 20, std::string(64, 'a')};
    facts.desktop = {"suite-desktop.exe", 900, std::string(64, 'b')};
    // Names are left out, then all but a count, until the page fits.
    const std::pair<std::size_t, const char*> cases[] = {
        {30, "(TI): A program 0xxxxxxxxxxxxxxxxxxxxxxxxxxxxxx and 39 more"},
        {250, "(TI): 40 programs"},
    };
    std::string page;
    for (const auto& [length, words] : cases) {
        std::vector<std::string> many;
        for (int i = 0; i < 40; ++i)
            many.push_back("A program " + std::to_string(i) + std::string(length, 'x'));
        facts.devices.assign(32, {"Pocket PC 2003 SE (TI)", many});
        page = DownloadPageHtml(facts);
        EXPECT_LT(page.size(), DOWNLOAD_PAGE_LIMIT) << length;
        EXPECT_NE(page.find(words), std::string::npos) << length;
    }
    EXPECT_NE(page.find("<title>Suite &#198; &lt;&amp;&gt;</title>"), std::string::npos);
    EXPECT_NE(page.find("suite-mobile.exe, 5.0 MB"), std::string::npos);
    EXPECT_NE(page.find("suite-desktop.exe, 900 bytes"), std::string::npos);

    facts.devices.resize(1);
    facts.devices[0].cabinets.resize(2);
    EXPECT_NE(DownloadPageHtml(facts).find("x, A program 1x"), std::string::npos);
}

}  // namespace
}  // namespace zk
