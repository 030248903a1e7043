#pragma once

// A software renderer allocates its per-frame binning memory in blocks of a
// few tens of KiB and frees it at the end of the frame. With glibc's default
// trim threshold the freed top of the heap goes back to the system every
// frame and comes back as fresh zeroed pages on the next, which costs more
// than the drawing itself (measured: 30 ms frames instead of 14 ms on a
// 16 x 11 board, in some runs and not others). This keeps up to 32 MiB of it
// in the heap, and keeps the mmap threshold fixed: left dynamic, every large
// free raises it, and the frame buffers of each window size a player tries
// end up in the heap for good (measured: 117 MB resident, then 210 MB after
// three full-screen round trips; 119 MB with this).
// Call once, before the window and its context are created. Returns false
// where the allocator cannot be tuned (not glibc, or a sanitizer's own
// allocator), which is harmless.
bool KyHeap_KeepFrameMemory();
