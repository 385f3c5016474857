#pragma once

// Tunes the C library's allocator for a program that plays clip after clip:
// call once, first thing in main. The player starts and ends threads with
// every clip and allocates its pictures in blocks of hundreds of KiB; by
// default glibc kept such blocks in up to eight arenas a core once they
// were freed, and a session of a few hundred clips held twice mpv's memory.
void keepMemoryLean();
