#pragma once
// The check sequence and its owner. One process-wide CCheckHelper owns the
// engine of the latest check, the rule-set cache path and the language sent
// to the configuration service; windows and the terminal read the finished
// check through it.

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "engine/check_env.h"
#include "remote/latest_config.h"

class CCheckHelper {
public:
    // The process-wide helper, made on first use (thread-safe).
    static CCheckHelper& Instance();

    // The cache below the program's data folder, whose folder is created.
    CCheckHelper();
    // The cache below the given data folder (tests, the minimum-requirements
    // loader's own helper).
    explicit CCheckHelper(const std::wstring& dataFolder);
    CCheckHelper(const CCheckHelper&) = delete;
    CCheckHelper& operator=(const CCheckHelper&) = delete;

    // Forms the cache path again (creating its folder), as before each
    // download of the minimum-requirements loader.
    void ResetCachePath(const std::wstring& dataFolder);

    // Downloads the latest rule set into the cache; failures keep the old one.
    // A cancel request ends the download at once (the cache is kept too).
    void GetLatestConfig();

    // Ends a download under way, and any started later, until ClearCancel:
    // the owner of a worker calls it when the worker is to stop. Safe from
    // any thread while another one downloads.
    void RequestCancel() { cancelRequested_.store(true, std::memory_order_release); }
    // Lets downloads run again; the owner calls it before starting a worker.
    void ClearCancel() { cancelRequested_.store(false, std::memory_order_release); }

    // The whole check: a fresh engine, the download, the adapter probe and
    // the classification. A null language keeps the stored one. Returns the
    // combined result (see CombinedCheckResult). An exception inside the
    // check ends it: logged with its text, no engine kept, and
    // LastCheckFailure says why.
    uint32_t RunCheck(const std::wstring* language);

    // The engine of the last check; null before the first and after a check
    // that failed.
    const CCheckEnv* CurrentEnv() const { return env_.get(); }
    // Why the last check did not finish; empty when it did.
    const std::wstring& LastCheckFailure() const { return checkFailure_; }
    uint32_t LastCombinedResult() const { return combinedResult_; }
    // What the last check's download did; not tried when downloads are off.
    const DownloadReport& LastDownload() const { return lastDownload_; }
    const std::wstring& CachePath() const { return cachePath_; }
    const std::wstring& LanguageCode() const { return languageCode_; }

    // The terminal front end can skip the service; tests also hand in an
    // engine made over fixture probes.
    void SetDownloadEnabled(bool enabled) { downloadEnabled_ = enabled; }
    using EngineFactory = std::function<std::unique_ptr<CCheckEnv>(const std::wstring& ruleSetPath)>;
    void SetEngineFactory(EngineFactory factory) { makeEngine_ = std::move(factory); }

private:
    std::wstring cachePath_;
    std::unique_ptr<CCheckEnv> env_;
    std::wstring languageCode_ = L"cn";
    uint32_t combinedResult_ = 0;
    std::wstring checkFailure_;
    DownloadReport lastDownload_;
    bool downloadEnabled_ = true;
    EngineFactory makeEngine_;
    // The one member another thread touches: handed to the download.
    std::atomic<bool> cancelRequested_{false};
};

// 2: game tier passes and SteamVR was found; 3: game tier passes without
// SteamVR; 1: only the video tier passes; 0: neither tier passes.
uint32_t CombinedCheckResult(CheckResult overallGame, CheckResult overallVideo, uint32_t steamVrResult);
