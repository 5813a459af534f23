// Memory the program gives back to the system while it keeps the address
// range: the pages of a large text block that no row refers to any longer.
#pragma once

#include <cstddef>

namespace platform {

// Gives back the whole pages inside [begin, end); their contents are lost
// (they read as zeros if touched again), the range stays allocated. Returns
// the bytes given back; 0 where the system cannot.
size_t ReleasePages(char* begin, char* end);

}  // namespace platform
