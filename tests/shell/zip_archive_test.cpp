#include "shell/zip_archive.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "shell/platform.h"
#include "tests/support/temp_folder.h"
#include "tests/support/zip_writer.h"

namespace {

namespace fs = std::filesystem;

struct NameCase {
    const char* name;
    const wchar_t* raw;
    const wchar_t* cleaned;
};

const NameCase kNameCases[] = {
    {"plain relative name", L"cn/fitprobe/KALOFitProbe.lang", L"cn/fitprobe/KALOFitProbe.lang"},
    {"folder entry keeps its slash", L"cn/fitprobe/", L"cn/fitprobe/"},
    {"drive letter dropped", L"C:\\x", L"x"},
    {"absolute path made relative", L"/etc/x", L"etc/x"},
    {"leading parent step", L"../x", L"x"},
    {"parent steps in the middle", L"a/../../x", L"x"},
    {"backslash parent steps", L"a\\..\\b\\..\\c", L"c"},
    {"trailing parent step leaves nothing", L"a/..", L""},
    {"nothing but parent steps", L"../..", L""},
    {"drive hidden behind a parent step", L"../C:/x", L"x"},
    {"dots inside names are kept", L"a/..b/c../...", L"a/..b/c../..."},
    {"backslashes inside names are kept", L"a\\b.txt", L"a\\b.txt"},
};

TEST(ZipEntryName, CleaningKeepsEveryNameBelowTheDestination) {
    for (const NameCase& c : kNameCases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(CleanZipEntryName(c.raw), c.cleaned);
    }
}

struct OpenCase {
    const char* name;
    std::string bytes;
    int expected;
};

std::string ValidArchive() { return BuildZip({ZipFile("a.txt", "alpha"), ZipFile("b.txt", "beta", 0)}); }

std::string WithDirectoryOffset(std::string archive, uint32_t offset) {
    const size_t end = archive.size() - 22;
    for (int i = 0; i < 4; ++i) archive[end + 16 + i] = static_cast<char>((offset >> (8 * i)) & 0xFF);
    return archive;
}

std::string WithEntryCount(std::string archive, uint16_t count) {
    const size_t end = archive.size() - 22;
    archive[end + 8] = archive[end + 10] = static_cast<char>(count & 0xFF);
    archive[end + 9] = archive[end + 11] = static_cast<char>(count >> 8);
    return archive;
}

TEST(ZipArchive, OpeningRejectsWhatIsNoArchive) {
    const std::string valid = ValidArchive();
    const OpenCase cases[] = {
        {"valid archive", valid, kZipOk},
        {"empty archive", BuildZip({}), kZipOk},
        {"empty block", "", kZipNoDirectory},
        {"plain text", "this is not a zip archive at all", kZipNoDirectory},
        {"cut short at the end", valid.substr(0, valid.size() - 10), kZipNoDirectory},
        {"directory offset past the block", WithDirectoryOffset(valid, 0x7FFFFFF0), kZipBadDirectory},
        {"more entries claimed than recorded", WithEntryCount(valid, 3), kZipBadDirectory},
        {"directory offset pointing into data", WithDirectoryOffset(valid, 4), kZipBadDirectory},
    };
    for (const OpenCase& c : cases) {
        SCOPED_TRACE(c.name);
        CZipArchive zip;
        EXPECT_EQ(zip.Open(c.bytes.data(), c.bytes.size()), c.expected);
        EXPECT_EQ(zip.IsOpen(), c.expected == kZipOk);
    }
}

struct MemberCase {
    const char* name;
    ZipMember member;
    int entryError;   // from GetEntry
    int unpackError;  // from UnpackToBuffer, when the entry reads
};

ZipMember Damaged(ZipMember member, void (*damage)(ZipMember&)) {
    damage(member);
    return member;
}

const std::string kText = std::string(2000, 'k') + "language pack text";

TEST(ZipArchive, EachMemberIsCheckedBeforeAndAfterUnpacking) {
    const MemberCase cases[] = {
        {"deflated member", ZipFile("x", kText), kZipOk, kZipOk},
        {"stored member", ZipFile("x", kText, 0), kZipOk, kZipOk},
        {"empty deflated member", ZipFile("x", ""), kZipOk, kZipOk},
        {"bad CRC", Damaged(ZipFile("x", kText), [](ZipMember& m) { m.crc = 0x12345678; }), kZipOk,
         kZipCrcMismatch},
        {"claims gigabytes", Damaged(ZipFile("x", kText), [](ZipMember& m) { m.uncompressedSize = 0xC0000000; }),
         kZipImplausibleSize, kZipImplausibleSize},
        {"claims far more than deflate can give",
         Damaged(ZipFile("x", "abc"), [](ZipMember& m) { m.uncompressedSize = 10 * 1024 * 1024; }),
         kZipImplausibleSize, kZipImplausibleSize},
        {"stored sizes disagree", Damaged(ZipFile("x", kText, 0), [](ZipMember& m) { m.uncompressedSize = 10; }),
         kZipImplausibleSize, kZipImplausibleSize},
        {"compressed size past the block",
         Damaged(ZipFile("x", kText), [](ZipMember& m) { m.compressedSize = 0x7FFFFFFF; }), kZipImplausibleSize,
         kZipImplausibleSize},
        {"records less than it unpacks to",
         Damaged(ZipFile("x", kText), [](ZipMember& m) { m.uncompressedSize = 100; }), kZipOk, kZipSizeMismatch},
        {"records more than it unpacks to",
         Damaged(ZipFile("x", kText), [](ZipMember& m) { m.uncompressedSize = 5000; }), kZipOk, kZipSizeMismatch},
        {"corrupt deflate data",
         Damaged(ZipFile("x", kText), [](ZipMember& m) { m.storedBytes = std::string(40, '\xFF'); }), kZipOk,
         kZipInflateFailed},
        {"deflate data cut short",
         Damaged(ZipFile("x", kText), [](ZipMember& m) { m.storedBytes = RawDeflate(kText).substr(0, 10); }),
         kZipOk, kZipInflateFailed},
        {"local header offset past the data",
         Damaged(ZipFile("x", kText), [](ZipMember& m) { m.localHeaderOffset = 0x00FFFFFF; }), kZipOk,
         kZipBadLocalHeader},
        {"local header offset off its header",
         Damaged(ZipFile("x", kText), [](ZipMember& m) { m.localHeaderOffset = 3; }), kZipOk, kZipBadLocalHeader},
        {"encrypted", Damaged(ZipFile("x", kText), [](ZipMember& m) { m.flags = 1; }), kZipUnsupported,
         kZipUnsupported},
        {"unknown method", ZipFile("x", kText, 12), kZipUnsupported, kZipUnsupported},
    };
    for (const MemberCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string archive = BuildZip({c.member});
        CZipArchive zip;
        ASSERT_EQ(zip.Open(archive.data(), archive.size()), kZipOk);
        ZipEntry entry;
        EXPECT_EQ(zip.GetEntry(0, entry), c.entryError);
        std::string buffer(8192, '\0');
        const int unpacked = zip.UnpackToBuffer(0, std::as_writable_bytes(std::span(buffer)));
        EXPECT_EQ(unpacked, c.unpackError);
        if (unpacked == kZipOk) {
            EXPECT_EQ(buffer.substr(0, c.member.data.size()), c.member.data);
        }
    }
}

TEST(ZipArchive, EntriesDescribeNameSizeAttributesAndTime) {
    ZipMember timed = ZipFile("timed.txt", "t");
    timed.extra = ExtendedTimestampExtra(1700000000);
    ZipMember dated = ZipFile("dated.txt", "d");
    dated.dosDate = (44 << 9) | (6 << 5) | 15;  // 2024-06-15
    dated.dosTime = (13 << 11) | (30 << 5) | 10;  // 13:30:20
    ZipMember flaggedFolder = ZipFile("no-slash", "", 0);
    flaggedFolder.attributes = 0x10;
    const std::string archive = BuildZip({ZipFolder("cn/"), ZipFile("\xE6\x97\xA5\xE6\x9C\xAC/a.txt", kText), timed,
                                          dated, flaggedFolder});
    CZipArchive zip;
    ASSERT_EQ(zip.Open(archive.data(), archive.size()), kZipOk);
    ASSERT_EQ(zip.EntryCount(), 5);

    ZipEntry entry;
    ASSERT_EQ(zip.GetEntry(0, entry), kZipOk);
    EXPECT_EQ(entry.name, L"cn/");
    EXPECT_TRUE(entry.isFolder);
    EXPECT_EQ(entry.attributes, 0x10u);

    ASSERT_EQ(zip.GetEntry(1, entry), kZipOk);
    EXPECT_EQ(entry.name, L"\u65E5\u672C/a.txt") << "UTF-8 names are handed out as wide text";
    EXPECT_FALSE(entry.isFolder);
    EXPECT_EQ(entry.uncompressedSize, kText.size());
    EXPECT_LT(entry.compressedSize, kText.size());

    ASSERT_EQ(zip.GetEntry(2, entry), kZipOk);
    EXPECT_EQ(entry.modified, 1700000000) << "the extended time stamp is exact";

    ASSERT_EQ(zip.GetEntry(3, entry), kZipOk);
    std::tm local{};
    ToLocalTime(entry.modified, local);
    EXPECT_EQ(local.tm_year + 1900, 2024);
    EXPECT_EQ(local.tm_mon + 1, 6);
    EXPECT_EQ(local.tm_mday, 15);
    EXPECT_EQ(local.tm_hour, 13);
    EXPECT_EQ(local.tm_min, 30);
    EXPECT_EQ(local.tm_sec, 20);

    ASSERT_EQ(zip.GetEntry(4, entry), kZipOk);
    EXPECT_TRUE(entry.isFolder) << "the folder attribute alone marks a folder";
}

TEST(ZipArchive, FindingIgnoresAsciiCaseOnly) {
    const std::string archive =
        BuildZip({ZipFile("DefaultLangConfig.JSON", "{}"), ZipFile("\xC3\x84.txt", "a-umlaut")});
    CZipArchive zip;
    ASSERT_EQ(zip.Open(archive.data(), archive.size()), kZipOk);
    ZipEntry entry;
    EXPECT_EQ(zip.FindEntry(L"defaultlangconfig.json", entry), kZipOk);
    EXPECT_EQ(entry.index, 0);
    EXPECT_EQ(zip.FindEntry(L"\u00C4.TXT", entry), kZipOk);
    EXPECT_EQ(zip.FindEntry(L"\u00E4.txt", entry), kZipNotFound) << "only ASCII letters fold";
    EXPECT_EQ(zip.FindEntry(L"missing.json", entry), kZipNotFound);
}

TEST(ZipArchive, UnpackingToFilesCreatesFoldersAndReplacesFiles) {
    ScopedTempFolder folder;
    ZipMember file = ZipFile("pack.lang", kText);
    file.extra = ExtendedTimestampExtra(1600000000);
    const std::string archive = BuildZip({ZipFolder("cn/fitprobe/"), file});
    CZipArchive zip;
    ASSERT_EQ(zip.Open(archive.data(), archive.size()), kZipOk);

    const std::wstring folderPath = folder.File(L"deep/cn/fitprobe");
    EXPECT_EQ(zip.UnpackToFile(0, folderPath), kZipOk);
    EXPECT_TRUE(fs::is_directory(ToFsPath(folderPath)));

    const std::wstring target = folder.Write(L"deep/cn/fitprobe/pack.lang", "old content, longer than nothing");
    EXPECT_EQ(zip.UnpackToFile(1, target), kZipOk);
    EXPECT_EQ(ReadWholeFile(target), kText);
    const auto written = fs::last_write_time(ToFsPath(target));
    const auto expected = std::chrono::file_clock::from_sys(std::chrono::system_clock::from_time_t(1600000000));
    EXPECT_EQ(std::chrono::duration_cast<std::chrono::seconds>(written - expected).count(), 0);
    EXPECT_FALSE(fs::exists(ToFsPath(target + L".part"))) << "no partial file is left behind";

    const std::wstring fresh = folder.File(L"new/sub/pack.lang");
    EXPECT_EQ(zip.UnpackToFile(1, fresh), kZipOk) << "missing folders are created";
    EXPECT_EQ(ReadWholeFile(fresh), kText);
}

TEST(ZipArchive, OnlyAFileWithOtherBytesIsRewritten) {
    ScopedTempFolder folder;
    const std::string archive = BuildZip({ZipFile("pack.lang", kText)});
    CZipArchive zip;
    ASSERT_EQ(zip.Open(archive.data(), archive.size()), kZipOk);
    std::string sameSize(kText);
    sameSize.back() ^= 1;
    const struct { const char* name; std::string before; bool rewritten; } kCases[] = {
        {"the entry's bytes", kText, false},
        {"as long, one bit apart", sameSize, true},
        {"the entry's bytes and more", std::string(kText) + "x", true},
        {"a prefix", std::string(kText).substr(1), true},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        const std::wstring target = folder.Write(L"pack.lang", c.before);
        fs::last_write_time(ToFsPath(target), fs::file_time_type::clock::now() - std::chrono::hours(48));
        const auto old = fs::last_write_time(ToFsPath(target));  // as the system keeps it (whole seconds on some)
        EXPECT_EQ(zip.UnpackToFile(0, target), kZipOk);
        EXPECT_EQ(ReadWholeFile(target), kText);
        EXPECT_EQ(fs::last_write_time(ToFsPath(target)) != old, c.rewritten);
    }
}

TEST(ZipArchive, AFailedUnpackLeavesTheOldFile) {
    ScopedTempFolder folder;
    const std::wstring target = folder.Write(L"pack.lang", "previous pack");
    ZipMember broken = ZipFile("pack.lang", kText);
    broken.crc = 1;
    const std::string archive = BuildZip({broken});
    CZipArchive zip;
    ASSERT_EQ(zip.Open(archive.data(), archive.size()), kZipOk);
    EXPECT_EQ(zip.UnpackToFile(0, target), kZipCrcMismatch);
    EXPECT_EQ(ReadWholeFile(target), "previous pack");
}

}  // namespace
