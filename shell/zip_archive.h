#pragma once
// A zip reader over a memory block: the language archive is read straight from
// the program's resource bytes. Stored and deflated members, CRC checked.
// Every operation returns 0 or one of the error numbers below; the archive's
// own figures (offsets, sizes, counts) are distrusted and checked against the
// block before anything is read or allocated.

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <span>
#include <string>
#include <vector>

enum ZipError : int {
    kZipOk = 0,
    kZipNotOpen = 1,           // no archive is open
    kZipNoDirectory = 2,       // no end-of-directory record: not a zip archive, or cut short
    kZipBadDirectory = 3,      // the central directory does not fit the block or is malformed
    kZipBadIndex = 4,          // entry index out of range
    kZipNotFound = 5,          // no entry of that name
    kZipBadLocalHeader = 6,    // the entry's local header or data lies outside the block
    kZipUnsupported = 7,       // encrypted, split over disks, or neither stored nor deflated
    kZipImplausibleSize = 8,   // sizes no real member can have (a bomb or a corrupt record)
    kZipBufferTooSmall = 9,    // the caller's buffer is smaller than the entry
    kZipInflateFailed = 10,    // the deflated data is corrupt
    kZipSizeMismatch = 11,     // the data unpacks to another size than recorded
    kZipCrcMismatch = 12,      // the data does not match its recorded CRC
    kZipUnsafeName = 13,       // the entry's name leaves nothing to write to
    kZipCreateFolderFailed = 14,
    kZipWriteFailed = 15,
};

// No member may unpack to more than this; the language packs are a few
// kilobytes, and a claim of gigabytes is never honoured with an allocation.
inline constexpr uint64_t kZipMaxEntrySize = 64ull * 1024 * 1024;

// MS-DOS attribute bit of a folder entry.
inline constexpr uint32_t kZipFolderAttribute = 0x10;

struct ZipEntry {
    int index = -1;
    std::wstring name;          // cleaned (see CleanZipEntryName), "/" kept as written
    uint64_t compressedSize = 0;
    uint64_t uncompressedSize = 0;
    uint32_t attributes = 0;    // external attributes: MS-DOS bits low, Unix mode high
    std::time_t modified = 0;   // seconds since 1970
    bool isFolder = false;      // name ending in "/" or "\", or the folder attribute
};

// Makes an entry name safe to join below a destination folder: drops a
// leading drive letter with its colon and leading "\" or "/" characters, and
// everything up to and including the last ".." component, wherever it stands
// ("../x", "a/../../x" and "a/.." all lose their way out). Repeats until
// nothing changes, so what is left is always relative and ".."-free.
std::wstring CleanZipEntryName(std::wstring name);

class CZipArchive {
public:
    CZipArchive() = default;
    CZipArchive(const CZipArchive&) = delete;
    CZipArchive& operator=(const CZipArchive&) = delete;

    // The block must outlive the archive (or the next Close).
    int Open(const void* data, size_t size);
    void Close();
    bool IsOpen() const { return data_ != nullptr; }

    int EntryCount() const { return static_cast<int>(entries_.size()); }
    int GetEntry(int index, ZipEntry& entry) const;
    // Compares cleaned names, ignoring ASCII letter case.
    int FindEntry(const std::wstring& name, ZipEntry& entry) const;

    // Unpacks into the caller's buffer, which must hold the uncompressed size.
    int UnpackToBuffer(int index, std::span<std::byte> buffer) const;
    // Unpacks to the path, creating missing folders and replacing an existing
    // file in one step (a reader never sees half a file) with the entry's
    // modification time; a file that already holds the entry's bytes (by
    // size and CRC) is left as it is, without inflating the entry. A folder
    // entry only creates the folder. On failure LastSystemError() says why.
    int UnpackToFile(int index, const std::wstring& path) const;

private:
    struct Record {
        std::string rawName;
        uint16_t flags = 0;
        uint16_t method = 0;
        uint32_t crc = 0;
        uint64_t compressedSize = 0;
        uint64_t uncompressedSize = 0;
        uint64_t localHeaderOffset = 0;
        uint32_t externalAttributes = 0;
        std::time_t modified = 0;
    };

    int ReadDirectory(uint64_t directoryOffset, uint64_t directoryEnd, uint32_t count);
    int CheckRecord(const Record& record) const;
    int LocateData(const Record& record, uint64_t& dataOffset) const;
    ZipEntry MakeEntry(int index) const;
    // Whether the file at the path has the record's size and CRC.
    static bool FileHoldsRecord(const std::wstring& path, const Record& record);

    const unsigned char* data_ = nullptr;
    uint64_t dataEnd_ = 0;  // member data never reaches into the central directory
    std::vector<Record> entries_;
};
