#include "delivery/site_names.h"

namespace zk {
namespace {

// Code page 1252's letters 0xC0 to 0xFF without their accents; '-' for the
// two signs among them (multiplication, division).
constexpr char UNACCENTED[] = "aaaaaaaceeeeiiiidnooooo-ouuuuytsaaaaaaaceeeeiiiidnooooo-ouuuuyty";

char SiteLetter(unsigned char c) {
    if (c >= 'a' && c <= 'z') return static_cast<char>(c);
    if (c >= 'A' && c <= 'Z') return static_cast<char>(c - 'A' + 'a');
    if (c >= '0' && c <= '9') return static_cast<char>(c);
    if (c >= 0xC0) return UNACCENTED[c - 0xC0];
    switch (c) {
    case 0x8A:
    case 0x9A: return 's';  // S and s with caron
    case 0x8E:
    case 0x9E: return 'z';  // Z and z with caron
    case 0x9F: return 'y';  // Y with diaeresis
    default: return '-';
    }
}

}  // namespace

std::string SiteStem(const std::string& title) {
    std::string stem;
    for (unsigned char c : title) {
        const char letter = SiteLetter(c);
        if (letter == '-' && (stem.empty() || stem.back() == '-')) continue;
        stem += letter;
    }
    if (stem.size() > MAX_SITE_STEM_LENGTH) {
        const std::size_t hyphen = stem.rfind('-', MAX_SITE_STEM_LENGTH);
        stem.resize(hyphen != std::string::npos && hyphen >= MAX_SITE_STEM_LENGTH / 2
                        ? hyphen
                        : MAX_SITE_STEM_LENGTH);
    }
    while (!stem.empty() && stem.back() == '-') stem.pop_back();
    return stem.empty() ? "installer" : stem;
}

std::string MobileSiteName(const std::string& stem) { return stem + "-mobile.exe"; }
std::string DesktopSiteName(const std::string& stem) { return stem + "-desktop.exe"; }

}  // namespace zk
