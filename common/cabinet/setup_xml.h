// The set-up XML of newer cabinets: a provisioning document whose parm
// elements carry the OS version range and the application name. It fills the
// same SetupInfo as the set-up header, for cabinets that have no .000 member.
#pragma once

#include <cstddef>
#include <string>

#include "common/cabinet/setup_info.h"

namespace zk {

class DesktopPlatform;

inline constexpr const char* XML_ERROR_TEXT = "COM exception ocurred";
inline constexpr const char* XML_ERROR_CAPTION = "Error";
// A set-up document is a few kilobytes; anything past this is not one, and
// the parser would need all of it in memory.
inline constexpr std::size_t MAX_SETUP_XML_BYTES = 16 * 1024 * 1024;

// Walks the children of the document element in document order and, below
// each child element, every `parm` element at any depth in document order,
// applying the three recognised names (exact case):
//   "OSVersionMin" / "OSVersionMax": value read as "%d.%d" into the major and
//       minor numbers; a number the pattern cannot read leaves its field;
//   "AppName": value read as "%s %s": the first word into appName, the second
//       into provider, each cut to 63 characters.
// A name met again overwrites, so the last one wins.
//
// Returns true when the document loaded and was walked to the end. A file
// that is missing or not a well-formed document gives false and no message.
// A `parm` without "name", or a recognised one without "value", stops the walk
// with the warning XML_ERROR_TEXT (caption XML_ERROR_CAPTION, no owner) and
// gives false; what was set before it stays in `info`.
bool ReadSetupXml(DesktopPlatform& platform, const std::string& path, SetupInfo& info);

// The same walk over a document already in memory, for a reader that has no
// message box to show: the outcome says which way it ended.
enum class SetupXmlResult {
    Walked,          // walked to the end
    NotADocument,    // not a well-formed document
    ParmIncomplete,  // a parm without "name", or a recognised one without "value"
};
SetupXmlResult ParseSetupXml(const char* bytes, std::size_t size, SetupInfo& info);

}  // namespace zk
