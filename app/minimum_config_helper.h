#pragma once
// The loader behind the minimum-requirements window. On its own thread it
// refreshes the rule-set cache through its own CCheckHelper, picks the first
// usable copy of the rule-set document (cache, program folder, temporary
// folder) and reads its "minimum_configuration" list into a table of one row
// per language code. The window starts it with a completion callback and
// reads the table once the callback runs; until then the table belongs to
// the loader thread.
//
// Lifetime: the destructor detaches the callback and waits for the thread,
// so the helper's state stays valid for as long as the thread runs. A
// callback that has already begun when the owner destroys the helper is
// waited for too; the owner therefore detaches the callback (or stops what
// the callback hands its result to, as a window's sender does) before
// destroying the window, since a callback that waits on the destroying thread
// would never return. The download is bounded by the service deadline, and a
// stop request cancels it, so the wait is short.

#include <functional>
#include <mutex>
#include <optional>
#include <string>

#include "app/check_helper.h"
#include "engine/minimum_config_table.h"
#include "shell/thread.h"

// Where the loader looks: the data folder below which the CCheckHelper keeps
// its cache, and the two folders that may hold "checkerconfig.json".
struct MinimumConfigFolders {
    std::wstring dataFolder;     // empty: no cache
    std::wstring programFolder;  // empty: not looked in
    std::wstring tempFolder;     // empty: not looked in

    // The program's data folder, the program file's folder and the user's
    // private temporary folder.
    static MinimumConfigFolders FromSystem();
};

class MinimumConfigHelper : public CCTThread {
public:
    using Callback = std::function<void()>;

    // The program's own folders.
    MinimumConfigHelper();
    // Given folders (tests point them at a temporary tree).
    explicit MinimumConfigHelper(MinimumConfigFolders folders);
    ~MinimumConfigHelper() override;

    // Attaches the callback, then starts the thread; false (callback not
    // taken) while an earlier run of this object is still going. The own
    // helper's downloads may run again from here on.
    bool Start(Callback callback);
    using CCTThread::Start;
    // No callback from now on; one already under way still finishes.
    void DetachCallback();

    // Load, then the callback if one is attached and no stop was requested.
    uint32_t Run() override;

    // Refreshes the cache, then reads the table from the first usable copy;
    // the table stays empty (logged) when none can be read.
    void Load();
    // Reads the table from one document. The window does not call it; Load
    // does, and tests hand it documents the path choice would pass over.
    void LoadFile(const std::wstring& path);
    // The first file that opens, parses as a JSON object and carries
    // "body"."minimum_configuration"; nothing (logged) when none does.
    std::optional<std::wstring> GetConfigPath() const;

    // Readable once the callback has run (or the thread has ended).
    const MinimumConfigTable& Table() const { return table_; }
    // The owned download helper, for settings made before Start (tests
    // switch downloads off through it).
    CCheckHelper& CheckHelper() { return checkHelper_; }
    const CCheckHelper& CheckHelper() const { return checkHelper_; }

protected:
    // Cancels the own helper's download, so that a window closed during a
    // download against a silent service is not held until its deadline.
    void WakeForStop() override;

private:
    MinimumConfigFolders folders_;
    CCheckHelper checkHelper_;
    MinimumConfigTable table_;
    std::mutex callbackLock_;  // guards callback_ between the window and the loader
    Callback callback_;
};
