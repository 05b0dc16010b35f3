#include "common/cabinet/setup_xml.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string_view>
#include <vector>

#include <pugixml.hpp>

#include "common/ansi_text.h"
#include "common/fixed_text.h"
#include "platform/desktop_platform.h"

namespace zk {
namespace {

constexpr std::size_t READ_BLOCK = 16 * 1024;

bool ReadDocumentBytes(DesktopPlatform& platform, const std::string& path,
                       std::vector<char>& bytes) {
    std::unique_ptr<FileHandle> file = platform.OpenFile(path, FileMode::Read);
    if (!file) return false;
    char block[READ_BLOCK];
    for (;;) {
        const std::size_t n = file->Read(block, sizeof block);
        if (n == 0) break;
        if (bytes.size() + n > MAX_SETUP_XML_BYTES) return false;
        bytes.insert(bytes.end(), block, block + n);
    }
    return true;
}

// Sorting the names keeps the test at n log n: comparing every pair let a
// root with tens of thousands of attributes, a cabinet of under 100 KB,
// hold the wizard for minutes. `names` is the caller's, so its storage is
// reused from element to element.
bool HasDuplicateAttributes(pugi::xml_node element, std::vector<std::string_view>& names) {
    names.clear();
    for (pugi::xml_attribute a = element.first_attribute(); a; a = a.next_attribute())
        names.emplace_back(a.name());
    if (names.size() < 2) return false;
    std::sort(names.begin(), names.end());
    return std::adjacent_find(names.begin(), names.end()) != names.end();
}

// The parser is lenient where a validating DOM is not. It is run in fragment
// mode so that text outside the root stays visible, and the document counts
// as well-formed only with exactly one root element, nothing but markup
// around it, and no element repeating an attribute.
bool IsWellFormed(const pugi::xml_document& doc) {
    int elements = 0;
    for (pugi::xml_node n = doc.first_child(); n; n = n.next_sibling()) {
        if (n.type() == pugi::node_element)
            ++elements;
        else if (n.type() == pugi::node_pcdata || n.type() == pugi::node_cdata)
            return false;
    }
    if (elements != 1) return false;
    const pugi::xml_node root = doc.document_element();
    std::vector<std::string_view> names;
    pugi::xml_node cur = root;
    while (cur) {
        if (cur.type() == pugi::node_element && HasDuplicateAttributes(cur, names)) return false;
        if (cur.first_child()) {
            cur = cur.first_child();
            continue;
        }
        while (cur && cur != root && !cur.next_sibling()) cur = cur.parent();
        cur = cur && cur != root ? cur.next_sibling() : pugi::xml_node();
    }
    return true;
}

// Every `parm` element below `top` (not `top` itself), in document order.
std::vector<pugi::xml_node> ParmsBelow(pugi::xml_node top) {
    std::vector<pugi::xml_node> found;
    pugi::xml_node cur = top.first_child();
    while (cur) {
        if (cur.type() == pugi::node_element && std::strcmp(cur.name(), "parm") == 0)
            found.push_back(cur);
        if (cur.first_child()) {
            cur = cur.first_child();
            continue;
        }
        while (cur != top && !cur.next_sibling()) cur = cur.parent();
        cur = cur == top ? pugi::xml_node() : cur.next_sibling();
    }
    return found;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// A "%d": blanks, an optional sign, at least one digit. Numbers beyond the
// 32-bit range stop at its ends.
bool ScanInt(std::string_view text, std::size_t& at, std::int32_t& out) {
    std::size_t i = at;
    while (i < text.size() && IsBlank(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    if (i >= text.size() || text[i] < '0' || text[i] > '9') return false;
    std::int64_t value = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
        if (value <= INT32_MAX) value = value * 10 + (text[i] - '0');
        ++i;
    }
    if (negative) value = -value;
    if (value > INT32_MAX) value = INT32_MAX;
    if (value < INT32_MIN) value = INT32_MIN;
    out = static_cast<std::int32_t>(value);
    at = i;
    return true;
}

// "%d.%d": each number that is read is stored at once, so "5" sets the major
// number only.
void ScanVersion(std::string_view text, std::int32_t& major, std::int32_t& minor) {
    std::size_t at = 0;
    if (!ScanInt(text, at, major)) return;
    if (at >= text.size() || text[at] != '.') return;
    ++at;
    ScanInt(text, at, minor);
}

// A "%s": blanks, then a run of other characters.
bool ScanWord(std::string_view text, std::size_t& at, std::string_view& word) {
    std::size_t i = at;
    while (i < text.size() && IsBlank(text[i])) ++i;
    if (i >= text.size()) return false;
    const std::size_t start = i;
    while (i < text.size() && !IsBlank(text[i])) ++i;
    word = text.substr(start, i - start);
    at = i;
    return true;
}

void SetName(char (&field)[64], std::string_view word) {
    std::memset(field, 0, sizeof field);
    CopyText(field, word);
}

void ScanAppName(std::string_view text, SetupInfo& info) {
    std::size_t at = 0;
    std::string_view word;
    if (!ScanWord(text, at, word)) return;
    SetName(info.appName, word);
    if (ScanWord(text, at, word)) SetName(info.provider, word);
}

}  // namespace

SetupXmlResult ParseSetupXml(const char* bytes, std::size_t size, SetupInfo& info) {
    pugi::xml_document doc;
    const pugi::xml_parse_result loaded =
        doc.load_buffer(bytes, size, pugi::parse_default | pugi::parse_fragment);
    if (!loaded || !IsWellFormed(doc)) return SetupXmlResult::NotADocument;

    const pugi::xml_node root = doc.document_element();
    for (pugi::xml_node child = root.first_child(); child; child = child.next_sibling()) {
        if (child.type() != pugi::node_element) continue;
        for (const pugi::xml_node& parm : ParmsBelow(child)) {
            const pugi::xml_attribute nameAttribute = parm.attribute("name");
            if (!nameAttribute) return SetupXmlResult::ParmIncomplete;
            const std::string name = AnsiFromUtf8(nameAttribute.value());
            const bool isMin = name == "OSVersionMin";
            const bool isMax = name == "OSVersionMax";
            const bool isAppName = name == "AppName";
            if (!isMin && !isMax && !isAppName) continue;
            const pugi::xml_attribute valueAttribute = parm.attribute("value");
            if (!valueAttribute) return SetupXmlResult::ParmIncomplete;
            const std::string value = AnsiFromUtf8(valueAttribute.value());
            if (isMin)
                ScanVersion(value, info.osMinMajor, info.osMinMinor);
            else if (isMax)
                ScanVersion(value, info.osMaxMajor, info.osMaxMinor);
            else
                ScanAppName(value, info);
        }
    }
    return SetupXmlResult::Walked;
}

bool ReadSetupXml(DesktopPlatform& platform, const std::string& path, SetupInfo& info) {
    std::vector<char> bytes;
    if (!ReadDocumentBytes(platform, path, bytes)) return false;
    switch (ParseSetupXml(bytes.data(), bytes.size(), info)) {
    case SetupXmlResult::Walked: return true;
    case SetupXmlResult::NotADocument: return false;
    case SetupXmlResult::ParmIncomplete: break;
    }
    platform.ShowMessage(XML_ERROR_TEXT, XML_ERROR_CAPTION, MessageIcon::Warning, false);
    return false;
}

}  // namespace zk
