#include "platform/Memory.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>

namespace platform {

size_t ReleasePages(char* begin, char* end) {
    static const uintptr_t page = static_cast<uintptr_t>(::sysconf(_SC_PAGESIZE));
    const uintptr_t from = (reinterpret_cast<uintptr_t>(begin) + page - 1) & ~(page - 1);
    const uintptr_t to = reinterpret_cast<uintptr_t>(end) & ~(page - 1);
    if (to <= from) return 0;
    if (::madvise(reinterpret_cast<void*>(from), to - from, MADV_DONTNEED) != 0) return 0;
    return to - from;
}

}  // namespace platform
