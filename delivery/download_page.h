// The download page of a published site, index.html. It is read in two
// places: in Pocket Internet Explorer on a 240-pixel-wide screen, which
// knows HTML 3.2 (tables, plain links; no script, style sheets at best in
// part), and in a desktop browser by whoever passes the address on. So: one
// column, plain links with the size beside each, hashes in short groups that
// wrap, nothing that needs script or CSS, and the whole under 8 KB (a slow
// connection and a small browser cache).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "delivery/device_words.h"

namespace zk {

inline constexpr std::size_t DOWNLOAD_PAGE_LIMIT = 8192;

struct SiteFile {
    std::string name;  // as published, URL-safe
    std::uint64_t size = 0;
    std::string sha256;  // lower-case hexadecimal
};

struct DownloadPageFacts {
    std::string title;         // code page 1252
    std::string company;       // code page 1252
    std::int64_t builtAt = 0;  // seconds since 1970, UTC
    // The site's address without a trailing '/', empty when not known.
    std::string baseUrl;
    SiteFile mobile;
    SiteFile desktop;
    bool hasAutorun = false;
    SiteFile autorun;
    std::vector<DeviceLine> devices;
};

// The page, ASCII throughout (other characters as numeric references). The
// device lines name fewer cabinets each, down to a count, until the page
// fits DOWNLOAD_PAGE_LIMIT.
std::string DownloadPageHtml(const DownloadPageFacts& facts);

// The page served for a folder that has no index.html: a link to each of
// its files, named in UTF-8 as the file system gives them.
std::string FolderPageHtml(const std::vector<std::string>& names);

// "412 KB", "1.4 MB", "512 bytes", as Windows counts: 1 KB is 1024 bytes.
std::string SizeInWords(std::uint64_t bytes);

// Text in code page 1252 for HTML: markup characters and everything beyond
// ASCII as references, control characters as blanks.
std::string HtmlText(const std::string& text);

}  // namespace zk
