#include "tests/support/zip_writer.h"

#include <zlib.h>

namespace {

void Put16(std::string& out, uint32_t value) {
    out.push_back(static_cast<char>(value & 0xFF));
    out.push_back(static_cast<char>((value >> 8) & 0xFF));
}

void Put32(std::string& out, uint32_t value) {
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

uint32_t Crc(const std::string& data) {
    return static_cast<uint32_t>(
        crc32(crc32(0L, Z_NULL, 0), reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size())));
}

}  // namespace

std::string RawDeflate(const std::string& data) {
    z_stream stream{};
    deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&stream, static_cast<uLong>(data.size())) + 16, '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    stream.avail_in = static_cast<uInt>(data.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    deflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return out;
}

ZipMember ZipFolder(std::string name) {
    ZipMember member;
    member.name = std::move(name);
    member.method = 0;
    member.attributes = 0x10;
    return member;
}

ZipMember ZipFile(std::string name, std::string data, uint16_t method) {
    ZipMember member;
    member.name = std::move(name);
    member.data = std::move(data);
    member.method = method;
    return member;
}

std::string ExtendedTimestampExtra(uint32_t modified) {
    std::string extra;
    Put16(extra, 0x5455);
    Put16(extra, 5);
    extra.push_back('\x01');
    Put32(extra, modified);
    return extra;
}

std::string BuildZip(const std::vector<ZipMember>& members, const std::string& comment) {
    std::string archive;
    std::string directory;
    for (const ZipMember& member : members) {
        const std::string bytes =
            member.storedBytes ? *member.storedBytes : (member.method == 8 ? RawDeflate(member.data) : member.data);
        const uint32_t crc = member.crc.value_or(Crc(member.data));
        const uint32_t compressed = member.compressedSize.value_or(static_cast<uint32_t>(bytes.size()));
        const uint32_t uncompressed = member.uncompressedSize.value_or(static_cast<uint32_t>(member.data.size()));
        const uint32_t offset = member.localHeaderOffset.value_or(static_cast<uint32_t>(archive.size()));

        Put32(archive, 0x04034b50);
        Put16(archive, 20);
        Put16(archive, member.flags);
        Put16(archive, member.method);
        Put16(archive, member.dosTime);
        Put16(archive, member.dosDate);
        Put32(archive, crc);
        Put32(archive, compressed);
        Put32(archive, uncompressed);
        Put16(archive, static_cast<uint32_t>(member.name.size()));
        Put16(archive, 0);
        archive += member.name;
        archive += bytes;

        Put32(directory, 0x02014b50);
        Put16(directory, 20);
        Put16(directory, 20);
        Put16(directory, member.flags);
        Put16(directory, member.method);
        Put16(directory, member.dosTime);
        Put16(directory, member.dosDate);
        Put32(directory, crc);
        Put32(directory, compressed);
        Put32(directory, uncompressed);
        Put16(directory, static_cast<uint32_t>(member.name.size()));
        Put16(directory, static_cast<uint32_t>(member.extra.size()));
        Put16(directory, 0);
        Put16(directory, 0);
        Put16(directory, 0);
        Put32(directory, member.attributes);
        Put32(directory, offset);
        directory += member.name;
        directory += member.extra;
    }
    const uint32_t directoryOffset = static_cast<uint32_t>(archive.size());
    archive += directory;
    Put32(archive, 0x06054b50);
    Put16(archive, 0);
    Put16(archive, 0);
    Put16(archive, static_cast<uint32_t>(members.size()));
    Put16(archive, static_cast<uint32_t>(members.size()));
    Put32(archive, static_cast<uint32_t>(directory.size()));
    Put32(archive, directoryOffset);
    Put16(archive, static_cast<uint32_t>(comment.size()));
    archive += comment;
    return archive;
}
