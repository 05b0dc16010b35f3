#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

namespace zk::fuzz {

// No file grows past this: a decoder that expands without end meets a full
// disk instead of exhausting the fuzzer's memory.
constexpr std::size_t MEMORY_FILE_CAPACITY = 64u << 20;

// The byte moves both in-memory file tables share. Each moves the position on
// by what it moved and answers how many bytes that was.
inline std::size_t ReadBytesAt(const std::string& bytes, std::uint64_t* position, void* buffer,
                               std::size_t count) {
    if (*position >= bytes.size()) return 0;
    const std::size_t n = std::min<std::uint64_t>(count, bytes.size() - *position);
    std::memcpy(buffer, bytes.data() + *position, n);
    *position += n;
    return n;
}

inline std::size_t WriteBytesAt(std::string* bytes, std::uint64_t* position, const void* buffer,
                                std::size_t count) {
    if (*position > MEMORY_FILE_CAPACITY) return 0;
    const std::size_t n = std::min<std::uint64_t>(count, MEMORY_FILE_CAPACITY - *position);
    // Appended rather than zero-filled and then overwritten: unpacking
    // writes every file from its start to its end.
    const char* from = static_cast<const char*>(buffer);
    if (*position == bytes->size()) {
        bytes->append(from, n);
    } else {
        if (bytes->size() < *position + n) bytes->resize(*position + n);
        std::memcpy(bytes->data() + *position, from, n);
    }
    *position += n;
    return n;
}

}  // namespace zk::fuzz
