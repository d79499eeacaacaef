#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "remote/cache_file.h"
#include "shell/platform.h"

namespace {

// Owns the descriptor and, until Commit(), the temporary file's name.
class CTemporarySibling {
public:
    explicit CTemporarySibling(const std::filesystem::path& target) {
        // A leading dot and a random suffix: never the name any reader looks for.
        std::string hidden = ".";
        hidden += target.filename().string();
        hidden += ".XXXXXX";
        name_ = (target.parent_path() / hidden).string();
        fd_ = mkostemp(name_.data(), O_CLOEXEC);
    }
    ~CTemporarySibling() {
        if (fd_ >= 0) close(fd_);
        if (!committed_ && fd_ != kNoDescriptor) unlink(name_.c_str());
    }
    CTemporarySibling(const CTemporarySibling&) = delete;
    CTemporarySibling& operator=(const CTemporarySibling&) = delete;

    bool IsOpen() const { return fd_ >= 0; }

    bool WriteAll(std::string_view bytes) {
        // mkostemp creates the file for its owner only; a cache is for reading.
        if (fchmod(fd_, 0644) != 0) return false;
        while (!bytes.empty()) {
            const ssize_t written = write(fd_, bytes.data(), bytes.size());
            if (written < 0 && errno == EINTR) continue;
            if (written <= 0) return false;
            bytes.remove_prefix(static_cast<size_t>(written));
        }
        // On disk before the rename, so that a power cut cannot leave the
        // cache name on an empty file.
        return fsync(fd_) == 0;
    }

    bool CommitAs(const std::filesystem::path& target) {
        const int fd = fd_;
        fd_ = kClosed;
        if (close(fd) != 0) return false;
        if (rename(name_.c_str(), target.c_str()) != 0) return false;
        committed_ = true;
        return true;
    }

private:
    static constexpr int kNoDescriptor = -1;  // mkostemp failed: nothing to remove
    static constexpr int kClosed = -2;        // closed, the name may still exist
    std::string name_;
    int fd_ = kNoDescriptor;
    bool committed_ = false;
};

}  // namespace

bool ReplaceFileAtomically(const std::wstring& path, std::string_view bytes) {
    if (path.empty()) return false;
    const std::filesystem::path target = ToFsPath(path);
    CTemporarySibling temporary(target);
    if (!temporary.IsOpen()) return false;
    if (!temporary.WriteAll(bytes)) return false;
    return temporary.CommitAs(target);
}
