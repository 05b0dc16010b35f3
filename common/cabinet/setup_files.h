// Taking the set-up members out of a cabinet: the .000 set-up header and the
// set-up XML, written to two temporary files of fixed names for the readers.
// Nothing else of the cabinet is unpacked.
#pragma once

#include <string>

namespace zk {

class DesktopPlatform;

inline constexpr const char* SETUP_HEADER_FILE_NAME = "info.dat";
inline constexpr const char* SETUP_XML_FILE_NAME = "info.xml";

// The two temporary files, in the user's temporary folder: any user may
// write there, where the root of the system drive is closed to most.
struct SetupFilePaths {
    std::string header;  // the .000 member
    std::string xml;     // the .xml member
};
SetupFilePaths SetupFilePathsOf(DesktopPlatform& platform);

// How a stored member name is taken: by its last four characters, in any
// case. A folder part in the name does not matter.
enum class SetupMember { None, Header, Xml };
SetupMember SelectSetupMember(const char* storedName);

// Opens the cabinet, checks that it is one, and writes each selected member
// in stored order to its temporary file, replacing what was there: of
// several members with one suffix the last remains. True when every selected
// member was written, also when there was none. False when the cabinet is
// missing, unreadable, not a cabinet or damaged, or a temporary file cannot
// be created or written; a temporary file may then hold part of a member.
//
// In one part of a cabinet set, members whose data begins in the previous
// part are passed over (they cannot be decoded from this part alone), and a
// selected member that runs on into the next part is written as far as this
// part holds it.
bool ExtractSetupFiles(DesktopPlatform& platform, const std::string& cabinetPath);

}  // namespace zk
