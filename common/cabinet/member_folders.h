// Which members of one part of a cabinet set continue across its ends.
// libmspack opens a single part without saying so: it only refuses members
// whose data begins in the previous part, and refuses members that run into
// the next part unless told to salvage. The wizard reads the answer from the
// cabinet's file table itself.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zk {

class DesktopPlatform;

// The folder index field of a file entry: a folder number, or one of these.
inline constexpr std::uint16_t FOLDER_CONTINUED_FROM_PREVIOUS = 0xFFFD;
inline constexpr std::uint16_t FOLDER_CONTINUED_TO_NEXT = 0xFFFE;
inline constexpr std::uint16_t FOLDER_CONTINUED_BOTH_WAYS = 0xFFFF;

// The folder index of every file entry, in stored order. False when the
// file is not a cabinet or its file table cannot be read whole.
bool ReadMemberFolderIndexes(DesktopPlatform& platform, const std::string& cabinetPath,
                             std::vector<std::uint16_t>& indexes);

}  // namespace zk
