// Linked into every target. Without AddressSanitizer (the fast build) the C
// library's allocator maps fresh pages for a request above its threshold
// (128 KiB at first), gives them back when it is freed, and trims the heap
// when much lies free at its top: a 339 536-byte project record or a
// decoder's window made for each input then costs a hundred page faults,
// more than reading the input does. Kept in the heap and never trimmed, the
// same pages serve every input. Under AddressSanitizer its own allocator
// answers and these settings change nothing.
#include <malloc.h>

namespace {

struct HeapReuse {
    HeapReuse() {
        mallopt(M_MMAP_THRESHOLD, 32 << 20);  // the largest the allocator takes
        mallopt(M_TRIM_THRESHOLD, 1 << 30);
    }
} heapReuse;

}  // namespace
