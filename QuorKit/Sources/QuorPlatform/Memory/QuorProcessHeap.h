#pragma once

namespace quor::platform {

// The process's own heap.
namespace ProcessHeap {

// Hands the heap's free pages back to the kernel, in every allocator arena: after a large tree of
// objects was destroyed, freed memory otherwise stays resident until the allocator happens to reuse
// it. True when anything was given back. Costs a few milliseconds; call it after a big release, not
// in a loop.
bool returnFreedMemory();

} // namespace ProcessHeap

} // namespace quor::platform
