// Unpacking the language archive below the data folder.

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "app/program_identity.h"
#include "lang/lang_config.h"
#include "shell/embedded_resource.h"
#include "shell/platform.h"
#include "shell/profile.h"
#include "shell/text_convert.h"
#include "shell/zip_archive.h"
#include "tests/support/log_capture.h"
#include "tests/support/temp_folder.h"
#include "tests/support/zip_writer.h"

namespace {

namespace fs = std::filesystem;

std::span<const std::byte> Bytes(const std::string& text) { return std::as_bytes(std::span(text)); }

// Every file below the folder, as paths relative to it with "/".
std::set<std::string> FilesBelow(const std::wstring& folder) {
    std::set<std::string> files;
    for (const auto& item : fs::recursive_directory_iterator(ToFsPath(folder))) {
        if (item.is_regular_file()) files.insert(fs::relative(item.path(), ToFsPath(folder)).generic_string());
    }
    return files;
}

TEST(LangRelease, TheShippedArchiveUnpacksEveryPackAndRecordsVersions) {
    ScopedTempFolder data;
    LogCapture log;
    CLangConfig config(data.Path());
    ASSERT_TRUE(config.InitDefaultLangResByLangZip(kLanguageArchiveId, kArchiveType));
    ASSERT_TRUE(config.ReleaseDefaultLangRes(kLanguageArchiveId, kArchiveType, kProgramName));

    const std::wstring root = data.File(L"KALOFitProbeLang");
    std::set<std::string> expected = {"defaultlangconfig.json", "lang.ini", "lang.ini.lock"};
    for (const char* code : {"cn", "en", "jp", "ko", "de", "es", "fr", "it", "nl", "pl", "pt", "ru"}) {
        expected.insert(std::string(code) + "/fitprobe/KALOFitProbe.lang");
        EXPECT_EQ(ProfileReadString(Utf8ToWide(code), L"version", L"", root + L"/lang.ini"), L"1.0.12.26");
    }
    EXPECT_EQ(FilesBelow(root), expected);

    const std::vector<std::string> messages = log.Messages();
    ASSERT_EQ(messages.size(), 37u) << "one line per entry";
    EXPECT_EQ(messages[0], "unzip file (src=cn/,dest=" + WideToUtf8(root) + NativePath("/cn/)"));
    EXPECT_EQ(messages[2], "unzip file (src=cn/fitprobe/KALOFitProbe.lang,dest=" + WideToUtf8(root) +
                               NativePath("/cn/fitprobe/KALOFitProbe.lang)"));
}

TEST(LangRelease, TheShippedArchiveHoldsFoldersAndDeflatedPacksInNameOrder) {
    const auto bytes = FindEmbeddedResource(kArchiveType, kLanguageArchiveId);
    ASSERT_TRUE(bytes.has_value());
    CZipArchive zip;
    ASSERT_EQ(zip.Open(bytes->data(), bytes->size()), kZipOk);
    ASSERT_EQ(zip.EntryCount(), 37);
    std::wstring previous;
    int files = 0;
    for (int i = 0; i < zip.EntryCount(); ++i) {
        ZipEntry entry;
        ASSERT_EQ(zip.GetEntry(i, entry), kZipOk);
        EXPECT_LT(previous, entry.name);
        previous = entry.name;
        if (entry.isFolder) {
            EXPECT_EQ(entry.uncompressedSize, 0u) << WideToUtf8(entry.name);
        } else {
            ++files;
            EXPECT_LT(entry.compressedSize, entry.uncompressedSize) << WideToUtf8(entry.name);
        }
    }
    EXPECT_EQ(files, 13);
}

TEST(LangRelease, EveryStartRewritesThePacks) {
    ScopedTempFolder data;
    LogCapture log;
    CLangConfig config(data.Path());
    ASSERT_TRUE(config.ReleaseDefaultLangRes(kLanguageArchiveId, kArchiveType, kProgramName));
    const std::wstring pack = data.File(L"KALOFitProbeLang/de/fitprobe/KALOFitProbe.lang");
    const std::string shipped = ReadWholeFile(pack);
    data.Write(L"KALOFitProbeLang/de/fitprobe/KALOFitProbe.lang", "<Language/>");
    ASSERT_TRUE(config.ReleaseDefaultLangRes(kLanguageArchiveId, kArchiveType, kProgramName));
    EXPECT_EQ(ReadWholeFile(pack), shipped);
}

struct HostileCase {
    const char* name;
    std::string entryName;
    bool released;
    std::string landsAt;  // below the unpack root; empty when no file is written
};

const HostileCase kHostileCases[] = {
    {"leading parent step", "../x.lang", true, "x.lang"},
    {"parent steps in the middle", "a/../../x.lang", true, "x.lang"},
    {"backslash parent steps", "a\\..\\..\\x.lang", true, "x.lang"},
    {"absolute path", "/etc/x.lang", true, "etc/x.lang"},
    {"drive letter", "C:\\x.lang", true, "x.lang"},
    {"backslash separators", "cn\\fitprobe\\x.lang", true, "cn/fitprobe/x.lang"},
    {"name that climbs to the root itself", "a/..", false, ""},
    {"folder entry of nothing but separators", "///", true, ""},
};

TEST(LangRelease, NoEntryIsEverWrittenOutsideTheUnpackRoot) {
    for (const HostileCase& c : kHostileCases) {
        SCOPED_TRACE(c.name);
        ScopedTempFolder top;
        const std::wstring data = top.File(L"data");
        LogCapture log;
        CLangConfig config(data);
        const std::string archive = BuildZip({ZipFile(c.entryName, "<Language/>")});
        EXPECT_EQ(config.ReleaseArchive(Bytes(archive), kProgramName), c.released);

        const std::set<std::string> everything = FilesBelow(top.Path());
        std::set<std::string> expected;
        if (!c.landsAt.empty()) expected.insert("data/KALOFitProbeLang/" + c.landsAt);
        EXPECT_EQ(everything, expected);
    }
}

struct FailureCase {
    const char* name;
    std::vector<ZipMember> members;
    std::string failure;  // the last message; "%ROOT%" stands for the unpack root
};

TEST(LangRelease, AFailedEntryStopsTheUnpackWithoutRecordingVersions) {
    ZipMember badCrc = ZipFile("en/fitprobe/KALOFitProbe.lang", "<Language/>");
    badCrc.crc = 3;
    ZipMember huge = ZipFile("en/fitprobe/KALOFitProbe.lang", "<Language/>");
    huge.uncompressedSize = 0xF0000000;
    ZipMember unsafe = ZipFile("en/..", "x");
    const FailureCase cases[] = {
        {"bad CRC", {ZipFolder("en/"), badCrc, ZipFile("jp/x.lang", "x")},
         "unzip file failed(src=en/fitprobe/KALOFitProbe.lang,dest=%ROOT%/en/fitprobe/KALOFitProbe.lang,err=12)"},
        {"entry claiming gigabytes", {ZipFolder("en/"), huge}, "unzip IDR_ZIP_LANG file failed(getzipitem, err=8)"},
        {"file entry naming the root", {unsafe}, "unzip file failed(src=,dest=%ROOT%/,err=13)"},
    };
    for (const FailureCase& c : cases) {
        SCOPED_TRACE(c.name);
        ScopedTempFolder data;
        LogCapture log;
        CLangConfig config(data.Path());
        ASSERT_EQ(config.ParseDefaultLangConfig(R"({"lang": {"en": {"version": "9.9.9.9", "rank": 1}}})"), 0);
        EXPECT_FALSE(config.ReleaseArchive(Bytes(BuildZip(c.members)), kProgramName));
        std::string expected = c.failure;
        const std::string root = WideToUtf8(data.File(L"KALOFitProbeLang"));
        if (const size_t at = expected.find("%ROOT%"); at != std::string::npos) {
            const size_t end = expected.find(',', at);
            expected.replace(at, end - at, root + NativePath(expected.substr(at + 6, end - at - 6)));
        }
        ASSERT_FALSE(log.Messages().empty());
        EXPECT_EQ(log.Messages().back(), expected);
        EXPECT_FALSE(fs::exists(ToFsPath(data.File(L"KALOFitProbeLang/jp"))))
            << "nothing after the failed entry is unpacked";
        EXPECT_FALSE(fs::exists(ToFsPath(data.File(L"KALOFitProbeLang/lang.ini"))));
    }
}

TEST(LangRelease, AnArchiveThatCannotBeOpenedIsAFailure) {
    ScopedTempFolder data;
    LogCapture log;
    CLangConfig config(data.Path());
    EXPECT_FALSE(config.ReleaseArchive(Bytes("not an archive, long enough to be searched"), kProgramName));
    EXPECT_EQ(log.Messages(), std::vector<std::string>{"unzip IDR_ZIP_LANG file failed(openzip, err=2)"});
    EXPECT_FALSE(fs::exists(ToFsPath(data.File(L"KALOFitProbeLang/lang.ini"))));
}

}  // namespace
