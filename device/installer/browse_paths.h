// The device folder browser's rules that do not need a window: the search
// pattern of a folder in the tree, the path a picked item stands for, which
// files a browse lists, and when two Return presses end it.
//
// A tree item is named by the texts from the root item "\" down to itself:
// {"\", "Program Files", "Apps"}.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zk {

// "\Program Files\Apps\*.*"; "\*.*" for the root itself.
std::u16string FolderSearchPattern(const std::vector<std::u16string>& texts);

// "\Program Files\Apps"; "\" for the root itself.
std::u16string PickedFolderPath(const std::vector<std::u16string>& texts);

// Whether a file is listed beside the folders. An empty filter lists none;
// "*." lists all; otherwise the filter is an extension given reversed, dot
// last ("bac." for .cab), compared with the name's last four characters read
// backwards.
bool BrowseListsFile(std::u16string_view filter, std::u16string_view name);

// "." and ".." are never shown.
bool IsBrowsableName(std::u16string_view name);

// Two Return presses less than a second apart end the browse.
bool ReturnPressesEndBrowse(std::uint32_t lastTick, std::uint32_t nowTick);

}  // namespace zk
