#include "shell/zip_archive.h"

#include <zlib.h>

#include <algorithm>
#include <filesystem>
#include <limits>
#include <optional>
#include <string_view>

#include "shell/platform.h"
#include "shell/safe_files.h"
#include "shell/text_convert.h"
#include "shell/text_util.h"

namespace {

namespace fs = std::filesystem;

constexpr uint32_t kEndOfDirectorySignature = 0x06054b50;
constexpr uint32_t kDirectoryHeaderSignature = 0x02014b50;
constexpr uint32_t kLocalHeaderSignature = 0x04034b50;
constexpr size_t kEndOfDirectorySize = 22;
constexpr size_t kDirectoryHeaderSize = 46;
constexpr size_t kLocalHeaderSize = 30;
constexpr size_t kMaxCommentSize = 0xFFFF;
constexpr uint16_t kExtendedTimestampId = 0x5455;
constexpr uint16_t kMethodStored = 0;
constexpr uint16_t kMethodDeflated = 8;
constexpr uint16_t kFlagEncrypted = 0x0001;
// Deflate cannot expand a byte of input to much more than a thousand bytes of
// output; a record claiming more is corrupt or hostile.
constexpr uint64_t kMaxDeflateRatio = 1100;

uint16_t Read16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t Read32(const unsigned char* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

std::time_t DosTimeToTime(uint16_t time, uint16_t date) {
    std::tm local{};
    local.tm_year = ((date >> 9) & 0x7F) + 80;
    local.tm_mon = ((date >> 5) & 0x0F) - 1;
    local.tm_mday = date & 0x1F;
    local.tm_hour = (time >> 11) & 0x1F;
    local.tm_min = (time >> 5) & 0x3F;
    local.tm_sec = (time & 0x1F) * 2;
    local.tm_isdst = -1;
    const std::time_t result = std::mktime(&local);
    return result == static_cast<std::time_t>(-1) ? 0 : result;
}

// The modification time of an "extended timestamp" extra block (UTC), when
// the record carries one; it is more exact than the MS-DOS local time.
bool ExtendedModificationTime(const unsigned char* extra, size_t size, std::time_t& modified) {
    size_t at = 0;
    while (at + 4 <= size) {
        const uint16_t id = Read16(extra + at);
        const size_t length = Read16(extra + at + 2);
        at += 4;
        if (length > size - at) return false;
        if (id == kExtendedTimestampId && length >= 5 && (extra[at] & 1) != 0) {
            modified = static_cast<int32_t>(Read32(extra + at + 1));
            return true;
        }
        at += length;
    }
    return false;
}

bool IsAsciiLetter(wchar_t c) { return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z'); }

int Inflate(std::span<const unsigned char> input, std::span<unsigned char> output) {
    z_stream stream{};
    if (inflateInit2(&stream, -MAX_WBITS) != Z_OK) return kZipInflateFailed;
    struct StreamEnd {
        z_stream* stream;
        ~StreamEnd() { inflateEnd(stream); }
    } end{&stream};

    stream.next_out = output.data();
    stream.avail_out = static_cast<uInt>(output.size());
    // Once the recorded size is filled, one byte of scratch room tells a
    // stream that ends there from one that would go on.
    unsigned char scratch = 0;
    bool usingScratch = false;
    size_t consumed = 0;
    for (;;) {
        if (stream.avail_out == 0) {
            if (usingScratch) return kZipSizeMismatch;
            stream.next_out = &scratch;
            stream.avail_out = 1;
            usingScratch = true;
        }
        const size_t chunk = std::min<size_t>(input.size() - consumed, std::numeric_limits<uInt>::max());
        stream.next_in = const_cast<unsigned char*>(input.data() + consumed);
        stream.avail_in = static_cast<uInt>(chunk);
        const int status = inflate(&stream, Z_NO_FLUSH);
        consumed += chunk - stream.avail_in;
        if (status == Z_STREAM_END) return stream.total_out == output.size() ? kZipOk : kZipSizeMismatch;
        if (status != Z_OK && status != Z_BUF_ERROR) return kZipInflateFailed;
        // Room to write but nothing left to read: the stream was cut short.
        if (status == Z_BUF_ERROR && consumed == input.size()) return kZipInflateFailed;
    }
}

uint32_t Crc32(std::span<const unsigned char> bytes) {
    uLong crc = crc32(0L, Z_NULL, 0);
    size_t done = 0;
    while (done < bytes.size()) {
        const size_t chunk = std::min<size_t>(bytes.size() - done, std::numeric_limits<uInt>::max());
        crc = crc32(crc, bytes.data() + done, static_cast<uInt>(chunk));
        done += chunk;
    }
    return static_cast<uint32_t>(crc);
}

}  // namespace

std::wstring CleanZipEntryName(std::wstring name) {
    for (;;) {
        const size_t before = name.size();
        if (name.size() >= 2 && name[1] == L':' && IsAsciiLetter(name[0])) name.erase(0, 2);
        size_t lead = 0;
        while (lead < name.size() && IsSlashOrBackslash(name[lead])) ++lead;
        name.erase(0, lead);

        size_t cut = 0;
        size_t start = 0;
        for (size_t i = 0; i <= name.size(); ++i) {
            if (i < name.size() && !IsSlashOrBackslash(name[i])) continue;
            if (i - start == 2 && name[start] == L'.' && name[start + 1] == L'.') {
                cut = i < name.size() ? i + 1 : i;
            }
            start = i + 1;
        }
        name.erase(0, cut);
        if (name.size() == before) return name;
    }
}

int CZipArchive::Open(const void* data, size_t size) {
    Close();
    if (data == nullptr || size < kEndOfDirectorySize) return kZipNoDirectory;
    const auto* bytes = static_cast<const unsigned char*>(data);

    // The end record is the last thing in the block, followed only by its
    // comment; search backwards over at most the largest comment.
    const size_t lowest = size - kEndOfDirectorySize > kMaxCommentSize
                              ? size - kEndOfDirectorySize - kMaxCommentSize
                              : 0;
    size_t at = size - kEndOfDirectorySize + 1;
    bool found = false;
    while (at-- > lowest) {
        if (Read32(bytes + at) == kEndOfDirectorySignature &&
            at + kEndOfDirectorySize + Read16(bytes + at + 20) <= size) {
            found = true;
            break;
        }
    }
    if (!found) return kZipNoDirectory;

    const unsigned char* end = bytes + at;
    const uint16_t disk = Read16(end + 4);
    const uint16_t directoryDisk = Read16(end + 6);
    const uint16_t entriesOnDisk = Read16(end + 8);
    const uint16_t entries = Read16(end + 10);
    const uint64_t directorySize = Read32(end + 12);
    const uint64_t directoryOffset = Read32(end + 16);
    if (disk != 0 || directoryDisk != 0 || entriesOnDisk != entries) return kZipUnsupported;
    if (directoryOffset > at || directorySize > at - directoryOffset) return kZipBadDirectory;

    data_ = bytes;
    dataEnd_ = directoryOffset;
    const int result = ReadDirectory(directoryOffset, directoryOffset + directorySize, entries);
    if (result != kZipOk) Close();
    return result;
}

int CZipArchive::ReadDirectory(uint64_t directoryOffset, uint64_t directoryEnd, uint32_t count) {
    entries_.clear();
    entries_.reserve(count);
    uint64_t at = directoryOffset;
    // An archive's entries mostly share one time; each conversion asks the
    // system's time zone again (a file status call every time).
    std::optional<uint32_t> lastDosTime;
    std::time_t lastModified = 0;
    for (uint32_t i = 0; i < count; ++i) {
        if (directoryEnd - at < kDirectoryHeaderSize) return kZipBadDirectory;
        const unsigned char* header = data_ + at;
        if (Read32(header) != kDirectoryHeaderSignature) return kZipBadDirectory;
        const size_t nameLength = Read16(header + 28);
        const size_t extraLength = Read16(header + 30);
        const size_t commentLength = Read16(header + 32);
        const uint64_t recordSize = kDirectoryHeaderSize + nameLength + extraLength + commentLength;
        if (directoryEnd - at < recordSize) return kZipBadDirectory;

        Record record;
        record.flags = Read16(header + 8);
        record.method = Read16(header + 10);
        const uint32_t dosTime = Read32(header + 12);
        if (dosTime != lastDosTime) {
            lastModified = DosTimeToTime(Read16(header + 12), Read16(header + 14));
            lastDosTime = dosTime;
        }
        record.modified = lastModified;
        record.crc = Read32(header + 16);
        record.compressedSize = Read32(header + 20);
        record.uncompressedSize = Read32(header + 24);
        record.externalAttributes = Read32(header + 38);
        record.localHeaderOffset = Read32(header + 42);
        record.rawName.assign(reinterpret_cast<const char*>(header + kDirectoryHeaderSize), nameLength);
        ExtendedModificationTime(header + kDirectoryHeaderSize + nameLength, extraLength, record.modified);
        entries_.push_back(std::move(record));
        at += recordSize;
    }
    return kZipOk;
}

void CZipArchive::Close() {
    data_ = nullptr;
    dataEnd_ = 0;
    entries_.clear();
}

int CZipArchive::CheckRecord(const Record& record) const {
    if ((record.flags & kFlagEncrypted) != 0) return kZipUnsupported;
    if (record.method != kMethodStored && record.method != kMethodDeflated) return kZipUnsupported;
    if (record.uncompressedSize > kZipMaxEntrySize) return kZipImplausibleSize;
    if (record.compressedSize > dataEnd_) return kZipImplausibleSize;
    if (record.method == kMethodStored && record.compressedSize != record.uncompressedSize) {
        return kZipImplausibleSize;
    }
    if (record.method == kMethodDeflated &&
        record.uncompressedSize > record.compressedSize * kMaxDeflateRatio + 1024) {
        return kZipImplausibleSize;
    }
    return kZipOk;
}

int CZipArchive::LocateData(const Record& record, uint64_t& dataOffset) const {
    const uint64_t offset = record.localHeaderOffset;
    if (offset > dataEnd_ || dataEnd_ - offset < kLocalHeaderSize) return kZipBadLocalHeader;
    const unsigned char* header = data_ + offset;
    if (Read32(header) != kLocalHeaderSignature) return kZipBadLocalHeader;
    const uint64_t start = offset + kLocalHeaderSize + Read16(header + 26) + Read16(header + 28);
    if (start > dataEnd_ || dataEnd_ - start < record.compressedSize) return kZipBadLocalHeader;
    dataOffset = start;
    return kZipOk;
}

ZipEntry CZipArchive::MakeEntry(int index) const {
    const Record& record = entries_[static_cast<size_t>(index)];
    ZipEntry entry;
    entry.index = index;
    entry.name = CleanZipEntryName(Utf8ToWide(record.rawName));
    entry.compressedSize = record.compressedSize;
    entry.uncompressedSize = record.uncompressedSize;
    entry.attributes = record.externalAttributes;
    entry.modified = record.modified;
    const std::string_view raw(record.rawName);
    entry.isFolder = (record.externalAttributes & kZipFolderAttribute) != 0 ||
                     (!raw.empty() && (raw.back() == '/' || raw.back() == '\\'));
    return entry;
}

int CZipArchive::GetEntry(int index, ZipEntry& entry) const {
    if (!IsOpen()) return kZipNotOpen;
    if (index < 0 || index >= EntryCount()) return kZipBadIndex;
    if (const int check = CheckRecord(entries_[static_cast<size_t>(index)]); check != kZipOk) return check;
    entry = MakeEntry(index);
    return kZipOk;
}

int CZipArchive::FindEntry(const std::wstring& name, ZipEntry& entry) const {
    if (!IsOpen()) return kZipNotOpen;
    for (int i = 0; i < EntryCount(); ++i) {
        ZipEntry candidate = MakeEntry(i);
        if (EqualsIgnoreAsciiCase(candidate.name, name)) {
            if (const int check = CheckRecord(entries_[static_cast<size_t>(i)]); check != kZipOk) return check;
            entry = std::move(candidate);
            return kZipOk;
        }
    }
    return kZipNotFound;
}

int CZipArchive::UnpackToBuffer(int index, std::span<std::byte> buffer) const {
    if (!IsOpen()) return kZipNotOpen;
    if (index < 0 || index >= EntryCount()) return kZipBadIndex;
    const Record& record = entries_[static_cast<size_t>(index)];
    if (const int check = CheckRecord(record); check != kZipOk) return check;
    if (buffer.size() < record.uncompressedSize) return kZipBufferTooSmall;
    uint64_t dataOffset = 0;
    if (const int located = LocateData(record, dataOffset); located != kZipOk) return located;

    const std::span<const unsigned char> input(data_ + dataOffset, static_cast<size_t>(record.compressedSize));
    const std::span<unsigned char> output(reinterpret_cast<unsigned char*>(buffer.data()),
                                          static_cast<size_t>(record.uncompressedSize));
    if (record.method == kMethodStored) {
        std::copy(input.begin(), input.end(), output.begin());
    } else if (const int inflated = Inflate(input, output); inflated != kZipOk) {
        return inflated;
    }
    return Crc32(output) == record.crc ? kZipOk : kZipCrcMismatch;
}

bool CZipArchive::FileHoldsRecord(const std::wstring& path, const Record& record) {
    if (record.uncompressedSize > std::numeric_limits<size_t>::max()) return false;
    const FileReadResult current = ReadFileBounded(path, static_cast<size_t>(record.uncompressedSize));
    if (!current.ok() || current.bytes.size() != record.uncompressedSize) return false;
    return Crc32({reinterpret_cast<const unsigned char*>(current.bytes.data()), current.bytes.size()}) == record.crc;
}

int CZipArchive::UnpackToFile(int index, const std::wstring& path) const {
    ZipEntry entry;
    if (const int found = GetEntry(index, entry); found != kZipOk) return found;
    if (entry.isFolder) return CreateDirectoryTree(path, false) ? kZipOk : kZipCreateFolderFailed;

    // The size and CRC the directory records decide without inflating that
    // a file already holds the entry, so that an ordinary start only reads.
    if (FileHoldsRecord(path, entries_[static_cast<size_t>(index)])) return kZipOk;

    std::vector<std::byte> bytes(static_cast<size_t>(entry.uncompressedSize));
    if (const int unpacked = UnpackToBuffer(index, bytes); unpacked != kZipOk) return unpacked;

    const fs::path target = ToFsPath(path);
    if (target.has_parent_path() && !CreateDirectoryTree(FromFsPath(target.parent_path()), false)) {
        return kZipCreateFolderFailed;
    }
    // Replaced in one step under a name no other process uses, so that
    // concurrent starts never see half a pack; a file that already holds
    // these bytes is left alone, so an ordinary start writes nothing.
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    const ReplaceOutcome replaced = ReplaceFileIfDifferent(path, text, {.modified = entry.modified});
    return replaced == ReplaceOutcome::Failed ? kZipWriteFailed : kZipOk;
}
