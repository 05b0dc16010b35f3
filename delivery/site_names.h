// The names a published download site gives its files. An address is typed
// on a device with a stylus, letter by letter, and read aloud from a PC
// screen: the installers' names keep to lower-case letters, digits and
// hyphens (a blank becomes "%20" and brackets are taken apart by some
// browsers), and stay short.
#pragma once

#include <string>

namespace zk {

inline constexpr const char* INDEX_FILE_NAME = "index.html";
inline constexpr const char* SUMS_FILE_NAME = "SHA256SUMS";
inline constexpr const char* HTACCESS_FILE_NAME = ".htaccess";
inline constexpr const char* NGINX_FILE_NAME = "nginx-zephyrkit.conf";
inline constexpr const char* AUTORUN_SITE_NAME = "autorun.exe";
// The longest stem a title gives, before "-mobile.exe".
inline constexpr std::size_t MAX_SITE_STEM_LENGTH = 40;

// The stem of the installers' names from a title in code page 1252: ASCII
// letters in lower case, accented Latin letters without their accents, digits
// kept, every other run of characters one hyphen, none at either end; cut to
// MAX_SITE_STEM_LENGTH at a hyphen where one is near. "installer" when nothing
// is left ("[]").
std::string SiteStem(const std::string& title);

std::string MobileSiteName(const std::string& stem);   // "<stem>-mobile.exe"
std::string DesktopSiteName(const std::string& stem);  // "<stem>-desktop.exe"

}  // namespace zk
