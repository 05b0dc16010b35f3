// The HTML view's reading of documents: bytes to text, and HTML to the text
// a reader sees. Results are compared as ASCII with \uXXXX for the rest, so
// a failure prints legibly.
#include "emulator/ce/document_text.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

using zk::ce::DecodeDocument;
using zk::ce::HtmlDisplayText;
using zk::ce::LooksLikeHtml;
using zk::ce::PlainDisplayText;

std::string Escaped(const std::u16string& text) {
    std::string out;
    for (char16_t c : text) {
        if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
        } else if (c == u'\r') {
            out += "\\r";
        } else if (c == u'\n') {
            out += "\\n";
        } else {
            char code[8];
            std::snprintf(code, sizeof code, "\\u%04X", static_cast<unsigned>(c));
            out += code;
        }
    }
    return out;
}

std::string Decoded(const std::string& bytes) {
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    std::size_t counted = DecodeDocument(data, bytes.size(), nullptr);
    EXPECT_LE(counted, bytes.size()) << "more units than bytes";
    std::u16string units(bytes.size() + 1, u'#');
    std::size_t written = DecodeDocument(data, bytes.size(), units.data());
    EXPECT_EQ(written, counted) << "counting and writing disagree";
    EXPECT_EQ(units[written], u'#') << "wrote past its count";
    units.resize(written);
    return Escaped(units);
}

// Converts with both passes and checks that they agree and that the writing
// pass stays inside the counted length.
std::string Shown(const std::u16string& text, bool html) {
    auto convert = html ? HtmlDisplayText : PlainDisplayText;
    std::size_t counted = convert(text.data(), text.size(), nullptr);
    std::u16string out(counted + 1, u'#');
    std::size_t written = convert(text.data(), text.size(), out.data());
    EXPECT_EQ(written, counted) << "counting and writing disagree";
    EXPECT_EQ(out[counted], u'#') << "wrote past its count";
    out.resize(written);
    return Escaped(out);
}

std::string Html(const std::u16string& text) { return Shown(text, true); }
std::string Plain(const std::u16string& text) { return Shown(text, false); }

TEST(DocumentDecodingTest, ByteOrderMarksChooseTheEncoding) {
    EXPECT_EQ(Decoded("\xEF\xBB\xBFK\xC3\xA4se"), "K\\u00E4se");
    EXPECT_EQ(Decoded(std::string("\xFF\xFEO\0K\0=\xD8\x00\xDF", 10)), "OK\\uD83D\\uDF00");
    EXPECT_EQ(Decoded(std::string("\xFE\xFF\0O\0K", 6)), "OK");
    // A last odd byte of UTF-16 is no character.
    EXPECT_EQ(Decoded(std::string("\xFF\xFEO\0K", 5)), "O");
    // Broken UTF-8 after its mark shows where it breaks, and goes on.
    EXPECT_EQ(Decoded("\xEF\xBB\xBF"
                      "a\xC3z"),
              "a\\uFFFDz");
}

TEST(DocumentDecodingTest, WithoutAMarkValidUtf8IsUtf8AndAnythingElseCodePage1252) {
    EXPECT_EQ(Decoded("plain"), "plain");
    EXPECT_EQ(Decoded("caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80"),
              "caf\\u00E9 \\u20AC \\uD83D\\uDE00");
    // One byte that is no UTF-8 makes the whole document 1252.
    EXPECT_EQ(Decoded("\x93quoted\x94 caf\xE9 \x80 5"),
              "\\u201Cquoted\\u201D caf\\u00E9 \\u20AC 5");
    EXPECT_EQ(Decoded("caf\xC3\xA9 \x96 dash"), "caf\\u00C3\\u00A9 \\u2013 dash");
    // Overlong forms and encoded surrogates are not UTF-8.
    EXPECT_EQ(Decoded("\xC0\xAF"), "\\u00C0\\u00AF");
    EXPECT_EQ(Decoded("\xED\xA0\x80"), "\\u00ED\\u00A0\\u20AC");
    // A sequence cut by the end of the file.
    EXPECT_EQ(Decoded("ab\xE2\x82"), "ab\\u00E2\\u201A");
    EXPECT_EQ(Decoded(""), "");
}

TEST(PlainDisplayTextTest, KeepsLinesAndTabsWhateverTheLineEnds) {
    EXPECT_EQ(Plain(u"one\r\ntwo\nthree\rfour"), "one\\r\\ntwo\\r\\nthree\\r\\nfour");
    EXPECT_EQ(Plain(u"\n\nindented\tby  tabs\n"), "\\r\\n\\r\\nindented\\u0009by  tabs\\r\\n");
    EXPECT_EQ(Plain(std::u16string(u"nul\0bell\a", 9)), "nulbell");
    EXPECT_EQ(Plain(u"<p>not markup</p>"), "<p>not markup</p>");
}

TEST(HtmlDisplayTextTest, ParagraphsBreaksAndBlocksMakeLines) {
    EXPECT_EQ(Html(u"<html><head><title>Licence</title></head><body>"
                   u"<h1>End User Licence</h1><p>First   paragraph\n spans\tlines.</p>"
                   u"<p>Second<br>line two<br/><br />after a gap</p><div>block</div>"
                   u"<div>next</div></body></html>"),
              "End User Licence\\r\\n\\r\\nFirst paragraph spans lines.\\r\\n\\r\\n"
              "Second\\r\\nline two\\r\\n\\r\\nafter a gap\\r\\n\\r\\nblock\\r\\nnext");
    // No blank lines before the first text or after the last, no space at
    // the end of a line.
    EXPECT_EQ(Html(u"\n <p> <br> text <p>\n\n"), "text");
    EXPECT_EQ(Html(u"<UL><LI>one</LI><li>two<ol><li>sub</ol></UL>tail"),
              "\\u2022 one\\r\\n\\u2022 two\\r\\n\\r\\n\\u2022 sub\\r\\n\\r\\ntail");
    EXPECT_EQ(Html(u"<table><tr><td>a</td><td>b</td></tr><tr><th>c<td>d</table>"), "a b\\r\\nc d");
    EXPECT_EQ(Html(u"<b>bold</b> and <a href=\"x\">link</a>"), "bold and link");
}

TEST(HtmlDisplayTextTest, PreformattedTextKeepsItsSpacesAndLines) {
    EXPECT_EQ(Html(u"before<pre>  a   b\n  c</pre>after"),
              "before\\r\\n\\r\\n  a   b\\r\\n  c\\r\\n\\r\\nafter");
}

TEST(HtmlDisplayTextTest, ScriptsStylesCommentsAndDeclarationsAreNotText) {
    EXPECT_EQ(Html(u"<!DOCTYPE html><?xml version=\"1.0\"?>"
                   u"<style type=\"text/css\">p { color: red }</style>"
                   u"<script>if (a < b && c > d) document.write('<p>x</p>')</script>"
                   u"<!-- <p>hidden</p> -->shown<SCRIPT>x</SCRIPT>"),
              "shown");
    // An element left open swallows the rest, as a browser does.
    EXPECT_EQ(Html(u"text<!-- never closed <p>more"), "text");
    EXPECT_EQ(Html(u"text<script>never closed"), "text");
    // Quoted attribute values may hold '>'.
    EXPECT_EQ(Html(u"<img alt=\"a > b\" title='c>d'>after"), "after");
}

TEST(HtmlDisplayTextTest, EntitiesAreDecodedAndOthersStayAsWritten) {
    EXPECT_EQ(Html(u"&lt;tag&gt; &amp; &quot;q&quot; &apos;s&apos;"), "<tag> & \"q\" 's'");
    EXPECT_EQ(Html(u"&copy;&nbsp;2024 &mdash; &#169; &#xA9; &#X1F600;"),
              "\\u00A9\\u00A02024 \\u2014 \\u00A9 \\u00A9 \\uD83D\\uDE00");
    EXPECT_EQ(Html(u"&#0; &#xD800; &#1114112;"), "\\uFFFD \\uFFFD \\uFFFD");
    EXPECT_EQ(Html(u"AT&T &unknown; &amp no semicolon & alone &#; &#x;"),
              "AT&T &unknown; &amp no semicolon & alone &#; &#x;");
    // A '<' that opens no tag is text.
    EXPECT_EQ(Html(u"a < b, 1<2, <3 and <"), "a < b, 1<2, <3 and <");
}

TEST(HtmlDisplayTextTest, CutDocumentsEndCleanly) {
    const std::u16string cuts[] = {u"<",    u"</", u"<p",   u"<a href=\"x", u"&",       u"&#",
                                   u"&#x1", u"<!", u"<!--", u"<!-- -",      u"<style>", u"<pre>\r"};
    for (const std::u16string& cut : cuts) {
        SCOPED_TRACE(Escaped(cut));
        Html(u"text " + cut);
    }
    EXPECT_EQ(Html(u"text <p"), "text");
    EXPECT_EQ(Html(u"text &"), "text &");
}

TEST(LooksLikeHtmlTest, NameDecidesThenTheDocumentsStart) {
    const std::u16string page = u"<p>short</p>";
    EXPECT_TRUE(LooksLikeHtml(u"\\Temp\\EULA.HTM", page.data(), page.size()));
    EXPECT_TRUE(LooksLikeHtml(u"\\Temp\\readme.html", u"", 0));
    EXPECT_FALSE(LooksLikeHtml(u"\\Temp\\readme.txt", page.data(), page.size()));
    const std::u16string documents[] = {u"  \r\n<!doctype HTML><p>x", u"<HTML>", u"<body>x"};
    for (const std::u16string& document : documents)
        EXPECT_TRUE(LooksLikeHtml(u"\\Temp\\eula.dat", document.data(), document.size()))
            << Escaped(document);
    const std::u16string text = u"Licence <html> follows";
    EXPECT_FALSE(LooksLikeHtml(u"\\Temp\\eula", text.data(), text.size()));
    const std::u16string xml = u"<?xml version=\"1.0\"?><licence/>";
    EXPECT_FALSE(LooksLikeHtml(u"\\Temp\\eula.x.y", xml.data(), xml.size()));
}

}  // namespace
