#pragma once
// Reading and writing the program's own files so that concurrent runs of the
// program never see half a file, and so that no link planted inside the
// program's folders can make it read, write, create or delete anything
// outside them. Every file the program writes goes through here.
//
// "Link-free roots" are the program's own folders (the data folder and the
// private temporary folder). Below one of them nothing is opened through a
// symbolic link (on Windows: a junction or other reparse point); a root's own
// ancestors may be links, which is the user's choice. Paths outside every
// root (a settings file the user names, Steam's files) are opened as they are,
// but still only as regular files.
//
// Failures return false or an empty result and leave the reason in
// LastSystemError() (shell/platform.h).

#include <cstddef>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>

// Below `folder` no link is followed from now on (for the whole process).
void AddLinkFreeRoot(const std::wstring& folder);
// Forgets every root (tests).
void ClearLinkFreeRoots();
bool IsBelowLinkFreeRoot(const std::wstring& path);

// Creates the folder and its missing parents with ordinary permissions. Below
// a link-free root a link found where a folder belongs is removed, replaced
// by a real folder and logged; anything else in the way fails.
bool EnsureFolder(const std::wstring& folder);

// Whether the data folder may be used. On Windows every user may write where
// it lies, so it must be a real folder of its parent, not a link any user
// could have planted before the first run. On Linux it is the user's own
// folder, which the user may make a link.
bool IsUsableDataFolder(const std::wstring& folder);

enum class FileReadStatus {
    Ok,
    Missing,     // nothing of that name
    NotRegular,  // a folder, a device, a pipe, or a link below a link-free root
    TooLarge,    // more bytes than the caller's cap
    Unreadable,  // it exists but cannot be opened or read (LastSystemError says why)
};

struct FileReadResult {
    FileReadStatus status = FileReadStatus::Missing;
    std::string bytes;  // the whole file when status is Ok
    int error = 0;      // the system's error code for Unreadable
    bool isLink = false;  // NotRegular because a link stands below a link-free root
    bool ok() const { return status == FileReadStatus::Ok; }
};

// The whole content of a regular file of at most maxBytes bytes, read to its
// end (procfs and sysfs files report sizes that are not theirs). Never waits
// on a pipe or a device and never holds more than maxBytes + 1 bytes.
FileReadResult ReadFileBounded(const std::wstring& path, size_t maxBytes);
// The same, logging a refusal (anything but Ok and Missing) at level 0 under
// `tag`; nothing when the file is missing or refused.
std::optional<std::string> ReadFileOrLog(const std::wstring& path, size_t maxBytes, const char* tag);
// "not a regular file", "larger than N bytes", the system's text, ...
std::wstring DescribeReadFailure(const FileReadResult& result, size_t maxBytes);

// Size caps of the files the program reads.
inline constexpr size_t kSettingsFileLimit = 1u << 20;       // INI settings and lang.ini
inline constexpr size_t kLanguagePackLimit = 4u << 20;       // one .lang file
inline constexpr size_t kRuleSetFileLimit = 8u << 20;        // a rule-set document (the download cap)

struct ReplaceFileOptions {
    std::optional<std::time_t> modified;  // the new file's modification time
};

// Writes the bytes to a uniquely named temporary file in the same folder
// (created exclusively, never through a link), flushes it to disk and renames
// it over the target. A reader sees the old content or the new, never a mix;
// of two writers at once the later wins whole; a link at the target is
// replaced, not followed. On failure the target is as it was and the
// temporary file is gone. The folder must exist.
bool ReplaceFileAtomically(const std::wstring& path, std::string_view bytes, const ReplaceFileOptions& options = {});

enum class ReplaceOutcome { Unchanged, Replaced, Failed };
// Leaves a regular file that already holds exactly these bytes alone (so an
// ordinary start writes nothing); otherwise ReplaceFileAtomically. Either way
// it first removes temporary files of the same target that a killed writer
// left behind.
ReplaceOutcome ReplaceFileIfDifferent(const std::wstring& path, std::string_view bytes,
                                      const ReplaceFileOptions& options = {});

// Removes what killed writers left of `path`'s temporary files: those whose
// writing process is gone, or that are older than an hour.
void RemoveStaleTemporaryFiles(const std::wstring& path);

// Deletes `name` in `folder` only when it is a regular file there (not a
// link, not a folder); false otherwise or when the deletion fails.
bool RemoveRegularFile(const std::wstring& folder, const std::wstring& name);

// An exclusive lock between processes (and threads) held for the object's
// life, on a lock file that is created when missing and never removed.
class CFileLock {
public:
    explicit CFileLock(const std::wstring& lockFilePath);
    ~CFileLock();
    CFileLock(const CFileLock&) = delete;
    CFileLock& operator=(const CFileLock&) = delete;
    bool IsHeld() const { return handle_ >= 0; }

private:
    long long handle_ = -1;  // a descriptor or a HANDLE, by platform
};

// A file that is only ever appended to, shared with other processes: each
// Write goes out as one system call (under a lock between the writers where
// the system does not make appends atomic), so lines of concurrent writers
// never interleave, whatever their length.
class CAppendFile {
public:
    CAppendFile() = default;
    ~CAppendFile() { Close(); }
    CAppendFile(const CAppendFile&) = delete;
    CAppendFile& operator=(const CAppendFile&) = delete;

    // Opens or creates a regular file; a link or a second name of another
    // file at the path is replaced by a new file, and anything else that is
    // not a regular file fails.
    bool Open(const std::wstring& path);
    bool IsOpen() const { return handle_ >= 0; }
    bool Write(std::string_view bytes);
    void Close();

    // What the last Open met at the path. The caller logs it: the logger's
    // own file is opened under the logger's lock.
    enum class PlantedLink { None, Replaced, Refused };
    PlantedLink LastPlantedLink() const { return plantedLink_; }

private:
    long long handle_ = -1;
    PlantedLink plantedLink_ = PlantedLink::None;
};

// The log line's format (one %ls: the path) for what an Open met.
const wchar_t* PlantedLinkLine(CAppendFile::PlantedLink planted);
