#include "delivery/download_page.h"

#include <cstdio>

#include "common/code_page_1252.h"
#include "delivery/request_path.h"
#include "delivery/site_names.h"
#include "platform/utc_time.h"

namespace zk {
namespace {

// How many cabinets each device line names, tried in turn until the page fits.
constexpr std::size_t NAMED_CABINETS[] = {SIZE_MAX, 4, 1, 0};

// 64 hexadecimal digits in groups of eight: a line a small screen can wrap.
std::string GroupedHash(const std::string& hash) {
    std::string grouped;
    for (std::size_t i = 0; i < hash.size(); i += 8) grouped += (i ? " " : "") + hash.substr(i, 8);
    return grouped;
}

std::string BuildDate(std::int64_t seconds) {
    const CalendarTime t = UtcCalendarTime(seconds);
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d UTC", t.year, t.month, t.day, t.hour,
                  t.minute);
    return text;
}

// Up to the title; the page's head ends after it.
std::string Head(const std::string& title) {
    return "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 3.2 Final//EN\">\n"
           "<html>\n<head>\n"
           "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">\n"
           "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
           "<title>" +
           title + "</title>\n";
}

std::string Link(const SiteFile& file, const std::string& words) {
    return "<a href=\"" + HtmlText(file.name) + "\">" + words + "</a>";
}

std::string Page(const DownloadPageFacts& f, std::size_t named) {
    const std::string title = HtmlText(f.title);
    std::string h =
        Head(title) +
        // Only a desktop browser heeds this; the page reads the same without.
        "<style type=\"text/css\">body{font-family:sans-serif;max-width:40em;margin:1em auto;"
        "padding:0 8px}</style>\n"
        "</head>\n<body bgcolor=\"#ffffff\" text=\"#000000\">\n"
        "<h2>" +
        title +
        "</h2>\n"
        "<p>" +
        HtmlText(f.company) + "<br>\nBuilt " + BuildDate(f.builtAt) +
        "</p>\n"
        "<table width=\"100%\" border=\"0\" cellspacing=\"0\" cellpadding=\"4\">\n"
        "<tr><td bgcolor=\"#e4ecf7\"><b>" +
        Link(f.mobile, "Install on this device") + "</b><br>\n" + HtmlText(f.mobile.name) + ", " +
        SizeInWords(f.mobile.size) +
        "</td></tr>\n"
        "<tr><td>" +
        Link(f.desktop, "Install through ActiveSync from a PC") + "<br>\n" +
        HtmlText(f.desktop.name) + ", " + SizeInWords(f.desktop.size) + "</td></tr>\n";
    if (f.hasAutorun)
        h += "<tr><td>" + Link(f.autorun, "For a storage card") + "<br>\n" +
             HtmlText(f.autorun.name) + ", " + SizeInWords(f.autorun.size) +
             ": copy it to the card's folder for the device's processor (2577 on most Pocket "
             "PCs)</td></tr>\n";
    h += "</table>\n";
    if (!f.baseUrl.empty())
        h += "<p>The address to type on the device:<br>\n<b>" + HtmlText(f.baseUrl) + "/</b></p>\n";

    h += "<h3>What each device gets</h3>\n<table border=\"0\" cellspacing=\"0\" "
         "cellpadding=\"2\">\n";
    for (const DeviceLine& line : f.devices)
        h += "<tr><td>" + HtmlText(InWords(line, named)) + "</td></tr>\n";
    h += "</table>\n";

    h += "<h3>SHA-256</h3>\n<table border=\"0\" cellspacing=\"0\" cellpadding=\"2\">\n";
    std::vector<const SiteFile*> files = {&f.mobile, &f.desktop};
    if (f.hasAutorun) files.push_back(&f.autorun);
    for (const SiteFile* file : files)
        h += "<tr><td>" + HtmlText(file->name) + "<br>\n<tt>" + GroupedHash(file->sha256) +
             "</tt></td></tr>\n";
    h += "</table>\n<p><a href=\"" + std::string(SUMS_FILE_NAME) + "\">" + SUMS_FILE_NAME +
         "</a><br>\n(for <tt>sha256sum -c</tt>)</p>\n</body>\n</html>\n";
    return h;
}

}  // namespace

std::string HtmlText(const std::string& text) {
    std::string html;
    for (unsigned char c : text) {
        switch (c) {
        case '&': html += "&amp;"; break;
        case '<': html += "&lt;"; break;
        case '>': html += "&gt;"; break;
        case '"': html += "&quot;"; break;
        default:
            if (c < 0x20 || c == 0x7F)
                html += ' ';
            else if (c < 0x80)
                html += static_cast<char>(c);
            else
                html += "&#" + std::to_string(static_cast<unsigned>(Cp1252ToUnicode(c))) + ";";
        }
    }
    return html;
}

std::string SizeInWords(std::uint64_t bytes) {
    char text[32];
    if (bytes < 1024)
        std::snprintf(text, sizeof text, "%u bytes", static_cast<unsigned>(bytes));
    else if (bytes < 1024 * 1024)
        std::snprintf(text, sizeof text, "%u KB", static_cast<unsigned>((bytes + 1023) / 1024));
    else
        std::snprintf(text, sizeof text, "%.1f MB", static_cast<double>(bytes) / (1024.0 * 1024.0));
    return text;
}

std::string FolderPageHtml(const std::vector<std::string>& names) {
    auto escaped = [](const std::string& utf8) {
        std::string html;
        for (char c : utf8) {
            switch (c) {
            case '&': html += "&amp;"; break;
            case '<': html += "&lt;"; break;
            case '>': html += "&gt;"; break;
            case '"': html += "&quot;"; break;
            default: html += static_cast<unsigned char>(c) < 0x20 ? ' ' : c;
            }
        }
        return html;
    };
    std::string h = Head("Files") +
                    "</head>\n<body>\n<h3>Files</h3>\n"
                    "<table border=\"0\" cellspacing=\"0\" cellpadding=\"2\">\n";
    for (const std::string& name : names)
        h += "<tr><td><a href=\"" + PercentEncoded(name) + "\">" + escaped(name) +
             "</a></td></tr>\n";
    if (names.empty()) h += "<tr><td>No files.</td></tr>\n";
    return h + "</table>\n</body>\n</html>\n";
}

std::string DownloadPageHtml(const DownloadPageFacts& facts) {
    std::string page;
    for (std::size_t named : NAMED_CABINETS) {
        page = Page(facts, named);
        if (page.size() < DOWNLOAD_PAGE_LIMIT) break;
    }
    return page;
}

}  // namespace zk
