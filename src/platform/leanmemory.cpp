#include "platform/leanmemory.h"

#include <malloc.h>

void keepMemoryLean()
{
    // Blocks of 256 KiB and more go back to the system when freed (the
    // default threshold rises to 32 MiB after the first large free).
    mallopt(M_MMAP_THRESHOLD, 256 * 1024);
    // Four arenas: the window's thread, the readers and the player's threads
    // seldom wait for each other, and few hold freed memory.
    mallopt(M_ARENA_MAX, 4);
}
