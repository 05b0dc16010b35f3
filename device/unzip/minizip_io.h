// minizip reads archives through a table of its own (ioapi's
// zlib_filefunc64_def). This fills one that reads a ByteSource: the "file
// name" minizip is given to open is the ByteSource itself, and minizip's
// close leaves it alone (the reader owns it).
#pragma once

#include <ioapi.h>

namespace zk {

void FillByteSourceFunctions(zlib_filefunc64_def* functions);

}  // namespace zk
