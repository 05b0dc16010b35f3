#include "wizard/build/block_deflate.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "platform/desktop_platform.h"

namespace zk {
namespace {

constexpr std::size_t PIECE = DEFLATE_PIECE_SIZE;

// A file in memory; writes fail once `writeLimit` bytes have gone in.
class MemoryFile : public FileHandle {
public:
    explicit MemoryFile(std::string bytes = {}) : bytes_(std::move(bytes)) {}
    std::size_t Read(void* buffer, std::size_t size) override {
        // Short reads on purpose: pieces must not follow the reads' sizes.
        size = std::min({size, bytes_.size() - at_, std::size_t{7000}});
        std::memcpy(buffer, bytes_.data() + at_, size);
        at_ += size;
        return size;
    }
    std::size_t Write(const void* buffer, std::size_t size) override {
        const std::size_t room = writeLimit > bytes_.size() ? writeLimit - bytes_.size() : 0;
        const std::size_t n = std::min(size, room);
        bytes_.append(static_cast<const char*>(buffer), n);
        at_ = bytes_.size();
        return n;
    }
    bool Seek(std::uint64_t offset) override {
        at_ = static_cast<std::size_t>(offset);
        return at_ <= bytes_.size();
    }
    bool SeekToEnd() override {
        at_ = bytes_.size();
        return true;
    }
    std::uint64_t Tell() override { return at_; }
    bool Close() override { return true; }

    const std::string& Bytes() const { return bytes_; }
    std::size_t writeLimit = SIZE_MAX;

private:
    std::string bytes_;
    std::size_t at_ = 0;
};

// Runs of words mixed with noise, so every piece has real matching to do
// and some reach back into the piece before.
std::string MakeInput(std::size_t size, unsigned seed) {
    std::mt19937 random(seed);
    static const char* const words[] = {"cabinet ",   "installer ",  "device ",
                                        "Pocket PC ", "Smartphone ", "\r\n"};
    std::string s;
    s.reserve(size);
    while (s.size() < size) {
        if (random() % 3 == 0)
            s.push_back(static_cast<char>(random()));
        else
            s += words[random() % 6];
    }
    s.resize(size);
    return s;
}

std::string Noise(std::size_t size, unsigned seed) {
    std::mt19937 random(seed);
    std::string s(size, '\0');
    for (char& c : s) c = static_cast<char>(random());
    return s;
}

// `size` bytes whose piece k is noise when kinds[k] is 'n', words when 'w'
// (the last kind stands for every later piece).
std::string MakePieces(std::size_t size, const std::string& kinds, unsigned seed) {
    std::string s;
    for (std::size_t k = 0; s.size() < size; ++k) {
        const std::size_t n = std::min(PIECE, size - s.size());
        const char kind = kinds[std::min(k, kinds.size() - 1)];
        s += kind == 'n' ? Noise(n, seed + static_cast<unsigned>(k))
                         : MakeInput(n, seed + static_cast<unsigned>(k));
    }
    return s;
}

std::string Inflate(const std::string& raw, bool* wholeStream) {
    z_stream z{};
    EXPECT_EQ(inflateInit2(&z, -MAX_WBITS), Z_OK);
    std::string out;
    std::vector<unsigned char> buffer(1 << 16);
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(raw.data()));
    z.avail_in = static_cast<uInt>(raw.size());
    int rc = Z_OK;
    while (rc == Z_OK) {
        z.next_out = buffer.data();
        z.avail_out = static_cast<uInt>(buffer.size());
        rc = inflate(&z, Z_NO_FLUSH);
        out.append(reinterpret_cast<char*>(buffer.data()), buffer.size() - z.avail_out);
        if (rc == Z_BUF_ERROR && z.avail_in == 0) break;
    }
    *wholeStream = rc == Z_STREAM_END && z.avail_in == 0;
    inflateEnd(&z);
    return out;
}

std::uint32_t Crc(const std::string& s) {
    return static_cast<std::uint32_t>(crc32(crc32(0L, Z_NULL, 0),
                                            reinterpret_cast<const Bytef*>(s.data()),
                                            static_cast<uInt>(s.size())));
}

// nullptr removes the variable.
void SetVariable(const char* name, const char* value) {
#if defined(_WIN32)
    _putenv_s(name, value ? value : "");
#else
    if (value)
        setenv(name, value, 1);
    else
        unsetenv(name);
#endif
}

std::string Deflated(const std::string& input, int threads, DeflateTally* tally) {
    MemoryFile source(input), out;
    EXPECT_TRUE(DeflatePieces(source, out, threads, tally));
    return out.Bytes();
}

TEST(BlockDeflateTest, EveryInputInflatesToItsSourceAndTheBytesIgnoreTheThreadCount) {
    // Noise cannot shrink: its pieces are stored, whole and in place; the
    // others are deflated.
    const struct {
        std::size_t size;
        const char* kinds;
    } cases[] = {
        {0, "w"},
        {1, "w"},
        {PIECE - 1, "w"},
        {PIECE, "w"},
        {PIECE + 1, "w"},
        {2 * PIECE - 1, "w"},
        {2 * PIECE, "w"},
        {2 * PIECE + 1, "w"},
        {3 * PIECE, "w"},
        {21 * PIECE + 12345, "w"},
        {1000, "n"},
        {PIECE + 70000, "n"},
        {PIECE + 5000, "nw"},
        {PIECE + 5000, "wn"},
        {4 * PIECE + 100, "nwnwn"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("size " + std::to_string(c.size) + " " + c.kinds);
        const std::string input = MakePieces(c.size, c.kinds, static_cast<unsigned>(c.size));
        DeflateTally one;
        const std::string expected = Deflated(input, 1, &one);
        bool whole = false;
        EXPECT_EQ(Inflate(expected, &whole), input);
        EXPECT_TRUE(whole) << "the stream ends with its final block and nothing follows";
        EXPECT_EQ(one.read, c.size);
        EXPECT_EQ(one.written, expected.size());
        EXPECT_EQ(one.crc, Crc(input));
        std::size_t storedSize = 0;
        for (std::size_t k = 0; k * PIECE < c.size; ++k) {
            const std::size_t n = std::min(PIECE, c.size - k * PIECE);
            const bool noise = c.kinds[std::min(k, std::strlen(c.kinds) - 1)] == 'n';
            // A stored block of the piece's first bytes: its header (final
            // only at the stream's end), then the bytes as they are.
            const std::size_t first = std::min<std::size_t>(n, 65535);
            const std::string header = {
                static_cast<char>(n == first && k * PIECE + n == c.size),
                static_cast<char>(first & 0xFF), static_cast<char>(first >> 8),
                static_cast<char>(~first & 0xFF), static_cast<char>(~first >> 8 & 0xFF)};
            const bool stored =
                expected.find(header + input.substr(k * PIECE, first)) != std::string::npos;
            EXPECT_EQ(stored, noise) << "piece " << k;
            if (noise) storedSize += n;
        }
        // Stored, a piece grows by five bytes per 64 KiB; deflated, words
        // shrink to half or less.
        EXPECT_LE(expected.size(), storedSize + storedSize / 1000 + (c.size - storedSize) / 2 + 5);
        for (int threads : {2, 3, 8}) {
            DeflateTally many;
            EXPECT_EQ(Deflated(input, threads, &many), expected) << threads << " threads";
            EXPECT_EQ(many.crc, one.crc);
            EXPECT_EQ(many.written, one.written);
        }
    }
}

TEST(BlockDeflateTest, PiecesFindMatchesInThePieceBefore) {
    // Noise, then its last 30 000 bytes again at the start of the next piece
    // and fresh noise after them: only the dictionary makes the repeat
    // cheap, and only a look into it shows the second piece worth deflating.
    std::string input = Noise(PIECE, 3);
    input += input.substr(PIECE - 30000, 30000) + Noise(PIECE - 30000, 4);
    DeflateTally tally;
    const std::string raw = Deflated(input, 2, &tally);
    bool whole = false;
    EXPECT_EQ(Inflate(raw, &whole), input);
    EXPECT_TRUE(whole);
    EXPECT_LT(raw.size(), 2 * PIECE - 28000);
}

TEST(BlockDeflateTest, AFailedWriteIsReportedWithoutHanging) {
    const std::string input = MakeInput(40 * PIECE, 11);
    for (int threads : {1, 2, 8}) {
        for (std::size_t limit : {std::size_t{0}, std::size_t{100}, 5 * PIECE}) {
            MemoryFile source(input), out;
            out.writeLimit = limit;
            DeflateTally tally;
            EXPECT_FALSE(DeflatePieces(source, out, threads, &tally)) << threads << " " << limit;
            EXPECT_LE(out.Bytes().size(), limit);
        }
    }
}

TEST(BlockDeflateTest, ThreadCountFollowsTheEnvironmentWithinItsBounds) {
    const char* saved = std::getenv("ZEPHYRKIT_THREADS");
    const std::string keep = saved ? saved : "";
    SetVariable("ZEPHYRKIT_THREADS", nullptr);
    const int machine = DeflateThreadCount();
    EXPECT_GE(machine, 1);
    EXPECT_LE(machine, DEFLATE_MAX_THREADS);
    SetVariable("ZEPHYRKIT_THREADS", "1");
    EXPECT_EQ(DeflateThreadCount(), 1);
    SetVariable("ZEPHYRKIT_THREADS", "3");
    EXPECT_EQ(DeflateThreadCount(), 3);
    for (const char* bad : {"0", "-2", "99", "2x", "many"}) {
        SetVariable("ZEPHYRKIT_THREADS", bad);
        EXPECT_EQ(DeflateThreadCount(), machine) << bad;
    }
    SetVariable("ZEPHYRKIT_THREADS", saved ? keep.c_str() : nullptr);
}

}  // namespace
}  // namespace zk
