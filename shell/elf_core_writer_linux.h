#pragma once
// The pure half of the Linux crash dump: the dump's file name and log line
// from a time, local time without the C library's time-zone code, reading the
// process's memory map, choosing which mappings go into the dump, and the
// byte layout of an ELF core file (notes, program headers).
//
// Nothing here allocates, locks or calls the C library beyond memcpy, so the
// crash handler (crash_dump_linux.cpp) may call it from a signal handler, and
// tests call it directly without crashing anything. Every function writes into
// buffers its caller owns.

#include <elf.h>

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "shell/crash_dump_text.h"

namespace crashdump {

// Broken-down UTC time of seconds since 1970.
CivilTime CivilTimeFromUnix(int64_t seconds);

// The local zone's offsets from UTC over the program's run, learnt once with
// the C library (whose time-zone code takes a lock and may read files, so it
// cannot run in a signal handler) and looked up in the handler.
struct LocalOffsetTable {
    static constexpr int kMaxEntries = 32;
    int count = 0;
    int64_t from[kMaxEntries] = {};   // offset[i] applies from this second on
    int32_t offset[kMaxEntries] = {}; // seconds east of UTC
    int32_t OffsetAt(int64_t seconds) const;
};
// Offsets from a day before `now` to `horizonSeconds` after it; later times
// keep the last offset.
LocalOffsetTable BuildLocalOffsetTable(int64_t now, int64_t horizonSeconds);
CivilTime LocalCivilTime(const LocalOffsetTable& table, int64_t seconds);

// One line of /proc/<pid>/maps, with the "Anonymous:" size /proc/<pid>/smaps
// adds below it.
struct MapEntry {
    uint64_t start = 0;
    uint64_t end = 0;
    uint64_t fileOffset = 0;
    uint64_t inode = 0;
    uint64_t anonymousBytes = 0;  // private pages written since mapping (0 from plain maps)
    bool readable = false;
    bool writable = false;
    bool executable = false;
    bool shared = false;
    uint32_t nameOffset = 0;  // the name's place in the parsed text
    uint32_t nameLength = 0;  // 0: no name
    bool dump = false;        // set by ChooseDumpedMappings

    uint64_t Size() const { return end - start; }
    // Backed by a file gdb can read itself (not anonymous memory, not a
    // [special] area, not shared memory that only looks like a file).
    bool IsFileBacked(std::string_view text) const;
};

// Parses maps or smaps text; an unfinished last line is ignored. Returns the
// number of entries stored (at most capacity).
size_t ParseMappings(std::string_view text, MapEntry* out, size_t capacity);

struct DumpBudget {
    uint64_t maxBytes = 0;       // memory bytes the dump may hold
    uint64_t excludeBegin = 0;   // the handler's own buffers: never dumped
    uint64_t excludeEnd = 0;
};
// Marks the mappings whose memory the dump holds: readable private or
// anonymous memory that the files on disk do not hold (read-only mappings of
// unchanged file pages are left to gdb, which reads them from the files).
// Mappings holding one of the stack pointers come first, the crashing
// thread's first; then the rest in address order, each whole or not at all,
// while the budget lasts. Returns the bytes chosen.
uint64_t ChooseDumpedMappings(MapEntry* maps, size_t count, std::string_view text, const uint64_t* stackPointers,
                              size_t stackCount, const DumpBudget& budget);

// Core-file notes: a header, the owner name "CORE" and the content, each
// padded to four bytes.
size_t CoreNoteSize(size_t contentSize);
// Appends one note at `used`; returns the new length, or 0 when it does not fit.
size_t AppendCoreNote(char* out, size_t capacity, size_t used, uint32_t type, const void* content,
                      size_t contentSize);
// The NT_FILE content: the file-backed mappings with their page offsets, then
// their names. Returns its size, or 0 when it does not fit.
size_t BuildFileNoteContent(const MapEntry* maps, size_t count, std::string_view text, uint64_t pageSize,
                            char* out, size_t capacity);

// Where everything lies in the core file: header, program headers (one
// PT_NOTE, then one PT_LOAD per mapping), notes, then the chosen memory from
// the next page boundary. Fills `headers` (count + 1 entries) and returns the
// file's size.
uint64_t LayOutCore(const MapEntry* maps, size_t count, uint64_t noteSize, uint64_t pageSize, Elf64_Ehdr& header,
                    Elf64_Phdr* headers);

}  // namespace crashdump
