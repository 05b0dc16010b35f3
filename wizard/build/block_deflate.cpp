#include "wizard/build/block_deflate.h"

#include <zlib.h>

#include <algorithm>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/desktop_platform.h"
#include "wizard/build/deflate_gain.h"

namespace zk {
namespace {

constexpr int LEVEL = 8;
constexpr int MEM_LEVEL = 8;
constexpr std::size_t DICTIONARY_SIZE = 32 * 1024;
constexpr std::size_t STORED_BLOCK_MAX = 65535;
constexpr std::size_t STORED_HEADER_SIZE = 5;  // header byte, length, its complement

// One piece of the input and what became of it. The input buffer holds up
// to 32 KiB of dictionary right before the piece's data, which always starts
// at DICTIONARY_SIZE, so the dictionary of the next piece is simply the last
// 32 KiB of this buffer's used part.
struct Piece {
    std::vector<unsigned char> input;
    std::size_t dictionarySize = 0;
    std::size_t size = 0;
    bool last = false;
    std::vector<unsigned char> output;  // kept at its largest size: only
    std::size_t outputSize = 0;         // the first outputSize bytes count
    std::uint32_t crc = 0;
    bool done = false;
    bool ok = false;

    unsigned char* Data() { return input.data() + DICTIONARY_SIZE; }
};

// A raw deflate stream kept for the life of a worker and reset per piece:
// making one costs more than deflating a small piece.
class Deflater {
public:
    Deflater() {
        ready_ =
            deflateInit2(&z_, LEVEL, Z_DEFLATED, -MAX_WBITS, MEM_LEVEL, Z_DEFAULT_STRATEGY) == Z_OK;
    }
    ~Deflater() {
        if (ready_) deflateEnd(&z_);
    }
    Deflater(const Deflater&) = delete;
    Deflater& operator=(const Deflater&) = delete;

    void Run(Piece& piece) {
        const unsigned char* data = piece.Data();
        piece.crc = static_cast<std::uint32_t>(
            crc32(crc32(0L, Z_NULL, 0), data, static_cast<uInt>(piece.size)));
        if (!gain_.WorthDeflating(data, piece.dictionarySize, piece.size)) {
            Store(data, piece.size, piece.last, piece.output, &piece.outputSize);
            piece.ok = true;
            return;
        }
        piece.ok = Deflate(data - piece.dictionarySize, piece.dictionarySize, data, piece.size,
                           piece.last, piece.output, &piece.outputSize);
    }

    // Stored blocks of at most 65535 bytes each. A piece always starts on a
    // byte boundary (the one before ended with a sync flush or a stored
    // block), so each block's three header bits and their padding make one
    // byte: 1 for the stream's final block, else 0.
    static void Store(const unsigned char* data, std::size_t size, bool last,
                      std::vector<unsigned char>& out, std::size_t* used) {
        const std::size_t blocks = (size + STORED_BLOCK_MAX - 1) / STORED_BLOCK_MAX;
        out.resize(std::max(out.size(), size + blocks * STORED_HEADER_SIZE));
        unsigned char* p = out.data();
        for (std::size_t at = 0; at < size;) {
            const std::size_t n = std::min(STORED_BLOCK_MAX, size - at);
            const auto length = static_cast<std::uint16_t>(n);
            const auto complement = static_cast<std::uint16_t>(~length);
            p[0] = last && at + n == size ? 1 : 0;
            p[1] = static_cast<unsigned char>(length);
            p[2] = static_cast<unsigned char>(length >> 8);
            p[3] = static_cast<unsigned char>(complement);
            p[4] = static_cast<unsigned char>(complement >> 8);
            std::memcpy(p + STORED_HEADER_SIZE, data + at, n);
            p += STORED_HEADER_SIZE + n;
            at += n;
        }
        *used = static_cast<std::size_t>(p - out.data());
    }

    // Deflates `size` bytes after `dictionarySize` bytes of dictionary into
    // the first *used bytes of `out`, which only ever grows. A sync flush ends
    // a piece that is not the last, so the next one starts on a byte boundary.
    bool Deflate(const unsigned char* dictionary, std::size_t dictionarySize,
                 const unsigned char* data, std::size_t size, bool last,
                 std::vector<unsigned char>& out, std::size_t* used) {
        if (!ready_ || deflateReset(&z_) != Z_OK) return false;
        if (dictionarySize &&
            deflateSetDictionary(&z_, dictionary, static_cast<uInt>(dictionarySize)) != Z_OK)
            return false;
        const int flush = last ? Z_FINISH : Z_SYNC_FLUSH;
        // The bound covers the flush marker too; growing is only a guard.
        out.resize(
            std::max<std::size_t>(out.size(), deflateBound(&z_, static_cast<uLong>(size)) + 16));
        z_.next_in = const_cast<unsigned char*>(data);
        z_.avail_in = static_cast<uInt>(size);
        *used = 0;
        for (;;) {
            z_.next_out = out.data() + *used;
            z_.avail_out = static_cast<uInt>(out.size() - *used);
            const int rc = deflate(&z_, flush);
            *used = out.size() - z_.avail_out;
            if (rc == Z_STREAM_ERROR) return false;
            if (last ? rc == Z_STREAM_END : z_.avail_out != 0) break;
            out.resize(out.size() * 2);
        }
        return true;
    }

private:
    z_stream z_{};
    bool ready_ = false;
    DeflateGainEstimate gain_;
};

// Workers that deflate pieces in whatever order they finish; the caller
// writes them in input order.
class PiecePool {
public:
    explicit PiecePool(int threads) {
        for (int i = 0; i < threads; ++i) workers_.emplace_back([this] { Work(); });
    }
    ~PiecePool() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stopping_ = true;
        }
        workReady_.notify_all();
        for (std::thread& t : workers_) t.join();
    }
    PiecePool(const PiecePool&) = delete;
    PiecePool& operator=(const PiecePool&) = delete;

    void Submit(Piece* piece) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            piece->done = false;
            queue_.push_back(piece);
        }
        workReady_.notify_one();
    }

    void WaitFor(Piece* piece) {
        std::unique_lock<std::mutex> lock(mutex_);
        pieceDone_.wait(lock, [piece] { return piece->done; });
    }

private:
    void Work() {
        Deflater deflater;
        std::unique_lock<std::mutex> lock(mutex_);
        for (;;) {
            workReady_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
            if (queue_.empty()) return;
            Piece* piece = queue_.front();
            queue_.pop_front();
            lock.unlock();
            deflater.Run(*piece);
            lock.lock();
            piece->done = true;
            pieceDone_.notify_all();
        }
    }

    std::mutex mutex_;
    std::condition_variable workReady_;
    std::condition_variable pieceDone_;
    std::deque<Piece*> queue_;
    bool stopping_ = false;
    std::vector<std::thread> workers_;
};

}  // namespace

// Pieces are read into a ring of slots, two per thread; each is read one
// ahead of the piece handed out, so the last is known to be last when it
// goes, and a slot is reused only once its piece has been written. The
// workers and the slots' buffers are made only when a member needs them: most
// members are small.
bool DeflatePieces(FileHandle& source, FileHandle& out, int threads, DeflateTally* tally) {
    *tally = DeflateTally{};
    threads = std::clamp(threads, 1, DEFLATE_MAX_THREADS);
    std::vector<Piece> ring(static_cast<std::size_t>(threads > 1 ? threads * 2 : 2));
    // Declared after the ring: the workers stop before the pieces go.
    std::unique_ptr<PiecePool> pool;
    Deflater deflater;

    std::uint32_t crc = static_cast<std::uint32_t>(crc32(0L, Z_NULL, 0));
    bool ok = true;
    std::size_t submitted = 0, written = 0;

    auto slot = [&](std::size_t k) -> Piece& {
        Piece& p = ring[k % ring.size()];
        if (p.input.empty()) p.input.resize(DICTIONARY_SIZE + DEFLATE_PIECE_SIZE);
        return p;
    };
    auto retire = [&]() {
        Piece& p = ring[written % ring.size()];
        if (pool) pool->WaitFor(&p);
        ++written;
        if (!ok) return;
        if (!p.ok || out.Write(p.output.data(), p.outputSize) != p.outputSize) {
            ok = false;
            return;
        }
        tally->written += p.outputSize;
        crc = static_cast<std::uint32_t>(crc32_combine(crc, p.crc, static_cast<z_off_t>(p.size)));
    };
    auto submit = [&](Piece& p) {
        ++submitted;
        if (pool) {
            pool->Submit(&p);
        } else {
            deflater.Run(p);
            retire();
        }
    };

    Piece* pending = &slot(0);
    pending->dictionarySize = 0;
    pending->size = ReadFull(source, pending->Data(), DEFLATE_PIECE_SIZE);
    tally->read += pending->size;
    for (std::size_t k = 0; ok; ++k) {
        while (written + ring.size() <= k + 1) retire();
        if (!ok) break;
        // A short read is the end of the source.
        Piece* next = pending->size < DEFLATE_PIECE_SIZE ? nullptr : &slot(k + 1);
        if (next) {
            next->size = ReadFull(source, next->Data(), DEFLATE_PIECE_SIZE);
            tally->read += next->size;
        }
        if (!next || next->size == 0) {
            pending->last = true;
            submit(*pending);
            break;
        }
        if (threads > 1 && !pool) pool = std::make_unique<PiecePool>(threads);
        const std::size_t used = pending->dictionarySize + pending->size;
        next->dictionarySize = std::min(DICTIONARY_SIZE, used);
        std::copy_n(pending->Data() + pending->size - next->dictionarySize, next->dictionarySize,
                    next->Data() - next->dictionarySize);
        pending->last = false;
        submit(*pending);
        pending = next;
    }
    while (written < submitted) retire();
    tally->crc = crc;
    return ok;
}

int DeflateThreadCount() {
    if (const char* forced = std::getenv("ZEPHYRKIT_THREADS"); forced && *forced) {
        char* end = nullptr;
        const long n = std::strtol(forced, &end, 10);
        if (*end == '\0' && n >= 1 && n <= DEFLATE_MAX_THREADS) return static_cast<int>(n);
    }
    const unsigned cores = std::thread::hardware_concurrency();
    return cores == 0 ? 1 : static_cast<int>(std::min<unsigned>(cores, DEFLATE_MAX_THREADS));
}

}  // namespace zk
