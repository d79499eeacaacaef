#include "shell/elf_core_writer_linux.h"

#include <time.h>

#include <cstring>

#include "shell/text_util.h"

namespace crashdump {

namespace {

constexpr int64_t kSecondsPerDay = 86400;

int64_t FloorDiv(int64_t a, int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0)) ? 1 : 0); }

// The C library's offset east of UTC at that second.
int32_t LibraryOffsetAt(int64_t seconds) {
    const time_t t = static_cast<time_t>(seconds);
    tm local{};
    if (localtime_r(&t, &local) == nullptr) return 0;
    return static_cast<int32_t>(local.tm_gmtoff);
}

size_t Pad4(size_t size) { return (size + 3) & ~size_t{3}; }

constexpr char kNoteOwner[] = "CORE";  // with its NUL, as core readers expect

bool IsHexDigit(char c) { return IsAsciiDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

// A hexadecimal field at the start of `text`; moves past it.
bool TakeHex(std::string_view& text, uint64_t& value) {
    value = 0;
    size_t used = 0;
    while (used < text.size() && IsHexDigit(text[used])) {
        const char c = LowerAscii(text[used]);
        value = value * 16 + static_cast<uint64_t>(IsAsciiDigit(c) ? c - '0' : c - 'a' + 10);
        ++used;
    }
    text.remove_prefix(used);
    return used != 0;
}

bool TakeChar(std::string_view& text, char expected) {
    if (text.empty() || text.front() != expected) return false;
    text.remove_prefix(1);
    return true;
}

void SkipSpaces(std::string_view& text) {
    while (!text.empty() && IsBlank(text.front(), kSpaceTab)) text.remove_prefix(1);
}

std::string_view TakeField(std::string_view& text) {
    SkipSpaces(text);
    size_t used = 0;
    while (used < text.size() && !IsBlank(text[used], kSpaceTab)) ++used;
    const std::string_view field = text.substr(0, used);
    text.remove_prefix(used);
    return field;
}

// "start-end perms offset dev inode   name"
bool ParseMapsHeader(std::string_view line, size_t lineOffset, MapEntry& entry) {
    std::string_view rest = line;
    if (!TakeHex(rest, entry.start) || !TakeChar(rest, '-') || !TakeHex(rest, entry.end)) return false;
    const std::string_view perms = TakeField(rest);
    if (perms.size() < 4 || entry.end < entry.start) return false;
    entry.readable = perms[0] == 'r';
    entry.writable = perms[1] == 'w';
    entry.executable = perms[2] == 'x';
    entry.shared = perms[3] == 's';
    SkipSpaces(rest);
    if (!TakeHex(rest, entry.fileOffset)) return false;
    TakeField(rest);  // device
    const DecimalScan inode = ScanLeadingDecimal(rest, kSpaceTab);
    if (!inode.HasDigits()) return false;
    entry.inode = inode.magnitude;
    rest.remove_prefix(inode.length);
    SkipSpaces(rest);
    entry.nameOffset = static_cast<uint32_t>(lineOffset + static_cast<size_t>(rest.data() - line.data()));
    entry.nameLength = static_cast<uint32_t>(rest.size());
    return true;
}

std::string_view NameOf(const MapEntry& entry, std::string_view text) {
    return text.substr(entry.nameOffset, entry.nameLength);
}

bool HoldsAny(const MapEntry& entry, const uint64_t* pointers, size_t count, size_t& first) {
    for (size_t i = 0; i < count; ++i) {
        if (pointers[i] >= entry.start && pointers[i] < entry.end) {
            first = i;
            return true;
        }
    }
    return false;
}

// Whether the memory belongs in the dump at all, budget aside.
bool IsWorthDumping(const MapEntry& entry, std::string_view text, const DumpBudget& budget) {
    if (!entry.readable || entry.Size() == 0) return false;
    if (entry.start < budget.excludeEnd && budget.excludeBegin < entry.end) return false;
    const std::string_view name = NameOf(entry, text);
    // Reading [vvar] can fault on some clock sources; [vsyscall] is the same
    // page in every process.
    if (name == "[vvar]" || name == "[vsyscall]") return false;
    if (!entry.IsFileBacked(text)) return true;
    // A shared file mapping: its content is the file's.
    if (entry.shared) return false;
    // Private file pages stay the file's until written: .data and .bss are
    // writable; relocated read-only data (RELRO) shows as anonymous pages.
    return entry.writable || entry.anonymousBytes != 0;
}

}  // namespace

CivilTime CivilTimeFromUnix(int64_t seconds) {
    const int64_t days = FloorDiv(seconds, kSecondsPerDay);
    const int64_t inDay = seconds - days * kSecondsPerDay;
    // Days to a proleptic Gregorian date, counting eras of 400 years from
    // 0000-03-01 so that the leap day ends each year.
    const int64_t z = days + 719468;
    const int64_t era = FloorDiv(z, 146097);
    const int64_t dayOfEra = z - era * 146097;
    const int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int64_t monthIndex = (5 * dayOfYear + 2) / 153;
    CivilTime civil;
    civil.day = static_cast<int>(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
    civil.month = static_cast<int>(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
    civil.year = static_cast<int>(yearOfEra + era * 400 + (civil.month <= 2 ? 1 : 0));
    civil.hour = static_cast<int>(inDay / 3600);
    civil.minute = static_cast<int>(inDay / 60 % 60);
    civil.second = static_cast<int>(inDay % 60);
    return civil;
}

int32_t LocalOffsetTable::OffsetAt(int64_t seconds) const {
    int32_t result = count > 0 ? offset[0] : 0;
    for (int i = 1; i < count && from[i] <= seconds; ++i) result = offset[i];
    return result;
}

LocalOffsetTable BuildLocalOffsetTable(int64_t now, int64_t horizonSeconds) {
    LocalOffsetTable table;
    int64_t at = now - kSecondsPerDay;
    table.from[0] = INT64_MIN;
    table.offset[0] = LibraryOffsetAt(at);
    table.count = 1;
    // Zones change their offset at most a few times a year and never twice
    // within a day, so stepping a day at a time finds every change; the
    // search then pins it to the second.
    while (at < now + horizonSeconds && table.count < LocalOffsetTable::kMaxEntries) {
        const int64_t next = at + kSecondsPerDay;
        const int32_t current = table.offset[table.count - 1];
        if (LibraryOffsetAt(next) == current) {
            at = next;
            continue;
        }
        int64_t low = at;  // still the current offset
        int64_t high = next;
        while (high - low > 1) {
            const int64_t middle = low + (high - low) / 2;
            (LibraryOffsetAt(middle) == current ? low : high) = middle;
        }
        table.from[table.count] = high;
        table.offset[table.count] = LibraryOffsetAt(high);
        ++table.count;
        at = high;
    }
    return table;
}

CivilTime LocalCivilTime(const LocalOffsetTable& table, int64_t seconds) {
    return CivilTimeFromUnix(seconds + table.OffsetAt(seconds));
}

bool MapEntry::IsFileBacked(std::string_view text) const {
    const std::string_view name = NameOf(*this, text);
    if (name.empty() || name.front() != '/' || inode == 0) return false;
    // Shared anonymous memory, System V segments and memfd files show as
    // files, but no file on disk holds what they hold.
    for (const std::string_view memoryOnly : {"/dev/zero", "/SYSV", "/memfd:"}) {
        if (name.substr(0, memoryOnly.size()) == memoryOnly) return false;
    }
    return true;
}

size_t ParseMappings(std::string_view text, MapEntry* out, size_t capacity) {
    size_t count = 0;
    size_t position = 0;
    while (position < text.size()) {
        const size_t lineEnd = text.find('\n', position);
        if (lineEnd == std::string_view::npos) break;  // cut off by the buffer's end
        const std::string_view line = text.substr(position, lineEnd - position);
        const size_t lineOffset = position;
        position = lineEnd + 1;
        // smaps puts "Key:  value kB" lines under each mapping; keys begin
        // with a capital letter, addresses never do.
        if (!line.empty() && line.front() >= 'A' && line.front() <= 'Z') {
            constexpr std::string_view kAnonymous = "Anonymous:";
            if (count != 0 && line.substr(0, kAnonymous.size()) == kAnonymous) {
                const DecimalScan kib = ScanLeadingDecimal(line.substr(kAnonymous.size()), kSpaceTab);
                out[count - 1].anonymousBytes = kib.magnitude * 1024;
            }
            continue;
        }
        if (count == capacity) break;
        MapEntry entry;
        if (ParseMapsHeader(line, lineOffset, entry)) out[count++] = entry;
    }
    return count;
}

uint64_t ChooseDumpedMappings(MapEntry* maps, size_t count, std::string_view text, const uint64_t* stackPointers,
                              size_t stackCount, const DumpBudget& budget) {
    uint64_t chosen = 0;
    const auto take = [&](MapEntry& entry) {
        if (entry.dump || !IsWorthDumping(entry, text, budget) || entry.Size() > budget.maxBytes - chosen) return;
        entry.dump = true;
        chosen += entry.Size();
    };
    for (size_t i = 0; i < count; ++i) maps[i].dump = false;
    // Stacks in the order of their threads, the crashing thread's first.
    for (size_t thread = 0; thread < stackCount; ++thread) {
        for (size_t i = 0; i < count; ++i) {
            size_t first = 0;
            if (HoldsAny(maps[i], stackPointers, stackCount, first) && first == thread) take(maps[i]);
        }
    }
    for (size_t i = 0; i < count; ++i) take(maps[i]);
    return chosen;
}

size_t CoreNoteSize(size_t contentSize) { return sizeof(Elf64_Nhdr) + Pad4(sizeof kNoteOwner) + Pad4(contentSize); }

size_t AppendCoreNote(char* out, size_t capacity, size_t used, uint32_t type, const void* content,
                      size_t contentSize) {
    const size_t size = CoreNoteSize(contentSize);
    if (used > capacity || capacity - used < size) return 0;
    char* at = out + used;
    std::memset(at, 0, size);
    Elf64_Nhdr header{};
    header.n_namesz = sizeof kNoteOwner;
    header.n_descsz = static_cast<Elf64_Word>(contentSize);
    header.n_type = type;
    std::memcpy(at, &header, sizeof header);
    std::memcpy(at + sizeof header, kNoteOwner, sizeof kNoteOwner);
    std::memcpy(at + sizeof header + Pad4(sizeof kNoteOwner), content, contentSize);
    return used + size;
}

size_t BuildFileNoteContent(const MapEntry* maps, size_t count, std::string_view text, uint64_t pageSize,
                            char* out, size_t capacity) {
    uint64_t files = 0;
    for (size_t i = 0; i < count; ++i) files += maps[i].IsFileBacked(text) ? 1 : 0;
    size_t used = 2 * sizeof(uint64_t) + files * 3 * sizeof(uint64_t);
    if (used > capacity) return 0;
    std::memcpy(out, &files, sizeof files);
    std::memcpy(out + sizeof files, &pageSize, sizeof pageSize);
    char* triple = out + 2 * sizeof(uint64_t);
    for (size_t i = 0; i < count; ++i) {
        if (!maps[i].IsFileBacked(text)) continue;
        const uint64_t values[3] = {maps[i].start, maps[i].end, maps[i].fileOffset / pageSize};
        std::memcpy(triple, values, sizeof values);
        triple += sizeof values;
        const std::string_view name = NameOf(maps[i], text);
        if (capacity - used < name.size() + 1) return 0;
        std::memcpy(out + used, name.data(), name.size());
        out[used + name.size()] = '\0';
        used += name.size() + 1;
    }
    return used;
}

uint64_t LayOutCore(const MapEntry* maps, size_t count, uint64_t noteSize, uint64_t pageSize, Elf64_Ehdr& header,
                    Elf64_Phdr* headers) {
    header = Elf64_Ehdr{};
    std::memcpy(header.e_ident, ELFMAG, SELFMAG);
    header.e_ident[EI_CLASS] = ELFCLASS64;
    header.e_ident[EI_DATA] = ELFDATA2LSB;
    header.e_ident[EI_VERSION] = EV_CURRENT;
    header.e_ident[EI_OSABI] = ELFOSABI_NONE;
    header.e_type = ET_CORE;
#if defined(__x86_64__)
    header.e_machine = EM_X86_64;
#elif defined(__aarch64__)
    header.e_machine = EM_AARCH64;
#endif
    header.e_version = EV_CURRENT;
    header.e_phoff = sizeof(Elf64_Ehdr);
    header.e_ehsize = sizeof(Elf64_Ehdr);
    header.e_phentsize = sizeof(Elf64_Phdr);
    header.e_phnum = static_cast<Elf64_Half>(count + 1);

    const uint64_t noteOffset = sizeof(Elf64_Ehdr) + (count + 1) * sizeof(Elf64_Phdr);
    headers[0] = Elf64_Phdr{};
    headers[0].p_type = PT_NOTE;
    headers[0].p_offset = noteOffset;
    headers[0].p_filesz = noteSize;
    headers[0].p_align = 4;
    uint64_t offset = (noteOffset + noteSize + pageSize - 1) / pageSize * pageSize;
    for (size_t i = 0; i < count; ++i) {
        Elf64_Phdr& load = headers[i + 1];
        load = Elf64_Phdr{};
        load.p_type = PT_LOAD;
        load.p_flags = (maps[i].readable ? PF_R : 0) | (maps[i].writable ? PF_W : 0) | (maps[i].executable ? PF_X : 0);
        load.p_offset = offset;
        load.p_vaddr = maps[i].start;
        load.p_memsz = maps[i].Size();
        load.p_filesz = maps[i].dump ? maps[i].Size() : 0;
        load.p_align = pageSize;
        offset += load.p_filesz;
    }
    return offset;
}

}  // namespace crashdump
