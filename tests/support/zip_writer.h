#pragma once
// Builds real zip archives in memory for tests, including broken and hostile
// ones: every recorded figure of a member can be overridden.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct ZipMember {
    std::string name;  // as stored in the archive (UTF-8)
    std::string data;
    uint16_t method = 8;           // 0 stored, 8 deflated, anything else as given
    uint32_t attributes = 0;       // external attributes
    uint16_t flags = 0;
    uint16_t dosTime = 0;          // 00:00:00
    uint16_t dosDate = (44 << 9) | (1 << 5) | 1;  // 2024-01-01
    std::string extra;             // extra field of the central record
    // Overrides of what the records say; the data written stays as it is.
    std::optional<uint32_t> crc;
    std::optional<uint32_t> compressedSize;
    std::optional<uint32_t> uncompressedSize;
    std::optional<uint32_t> localHeaderOffset;
    std::optional<std::string> storedBytes;  // replaces the (compressed) bytes written
};

ZipMember ZipFolder(std::string name);
ZipMember ZipFile(std::string name, std::string data, uint16_t method = 8);

// Local headers with data, the central directory and its end record.
std::string BuildZip(const std::vector<ZipMember>& members, const std::string& comment = {});

// Raw deflate (no zlib header), as zip members hold it.
std::string RawDeflate(const std::string& data);

// An "extended timestamp" extra block carrying a modification time (UTC).
std::string ExtendedTimestampExtra(uint32_t modified);
