#include "QuorPlatform/Memory/QuorProcessHeap.h"

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace quor::platform::ProcessHeap {

bool returnFreedMemory()
{
#if defined(__GLIBC__)
    return malloc_trim(0) == 1;
#else
    return false;
#endif
}

} // namespace quor::platform::ProcessHeap
