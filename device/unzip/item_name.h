// Making a stored item name safe to extract under.
//
// Zip names may carry a drive ("C:"), a leading separator or ".." levels that
// would put an item anywhere on the device. The name an item is given is what
// remains after, repeatedly and until nothing changes at the front: a leading
// two-unit drive prefix is skipped; else one leading '\' or '/'; else, when
// the name holds "\..\", "\../", "/../" or "/..\" (looked for in that order),
// everything up to just after the first one found. So C:\a\..\b.txt becomes
// b.txt and ../../x.txt becomes x.txt.
//
// That alone still lets "../x.txt", "a/../../x.txt" or "..\x" climb out of the
// extract folder, so every remaining level made only of dots and blanks is
// dropped too ("." and "..", and the forms like ".. " that Windows trims to
// them), and the front is cleaned again. A name left empty names nothing.
#pragma once

#include <string>
#include <string_view>

namespace zk {

std::u16string SafeItemName(std::u16string_view stored);

}  // namespace zk
