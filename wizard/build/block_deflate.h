// Deflating one member on every core: the input is cut into pieces of
// DEFLATE_PIECE_SIZE bytes (the last one shorter). A piece that deflate would
// shrink (see deflate_gain.h) is deflated at level 8 with the 32 KiB before it
// as its dictionary and ended on a byte boundary with a sync flush (the last
// one ends the stream); any other piece is written as stored blocks, which
// cost nothing to make and, on the device, nothing but a copy to inflate. The
// pieces' outputs are written in input order. Together they are one ordinary
// raw deflate stream that any inflater reads. The bytes depend on the input
// and the piece size alone, never on the number of threads or how they were
// scheduled, so every build of the same inputs writes the same archive. A
// member of one piece that deflates is exactly zlib's one-shot stream.
//
// Memory stays bounded whatever the input: at most two pieces per thread are
// in flight, each holding its input, its dictionary and its output.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zk {

class FileHandle;

inline constexpr std::size_t DEFLATE_PIECE_SIZE = 128 * 1024;
inline constexpr int DEFLATE_MAX_THREADS = 8;

struct DeflateTally {
    std::uint64_t read = 0;     // source bytes consumed
    std::uint64_t written = 0;  // deflate bytes written
    std::uint32_t crc = 0;      // CRC-32 of what was read
};

// The number of threads to deflate on: ZEPHYRKIT_THREADS when it holds a
// number from 1 to DEFLATE_MAX_THREADS, otherwise the machine's cores, at most
// DEFLATE_MAX_THREADS.
int DeflateThreadCount();

// Reads `source` from its current position to its end and writes the raw
// deflate stream (level 8 and stored blocks) to `out` at its current position. `threads` of 1
// or less does all the work on the calling thread. Returns false when a write
// fell short or deflate failed; `tally` then counts what was done before.
bool DeflatePieces(FileHandle& source, FileHandle& out, int threads, DeflateTally* tally);

}  // namespace zk
