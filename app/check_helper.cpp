#include "app/check_helper.h"

#include <exception>

#include "app/kalo_base.h"
#include "app/rule_set_cache.h"
#include "engine/rule_set_reader.h"
#include "remote/latest_config.h"
#include "shell/log.h"
#include "shell/text_convert.h"

namespace {

// An exception's text, which may be in any encoding: as UTF-8 where it is,
// else its ASCII letters.
std::wstring TextOfException(const char* what) {
    const std::string text = what != nullptr ? what : "";
    std::wstring wide = Utf8ToWide(text);
    if (wide.empty() && !text.empty()) {
        for (const char c : text) wide.push_back(static_cast<unsigned char>(c) < 0x80 ? static_cast<wchar_t>(c) : L'?');
    }
    return wide.empty() ? std::wstring(L"an exception without text") : wide;
}

}  // namespace

CCheckHelper& CCheckHelper::Instance() {
    static CCheckHelper instance;
    return instance;
}

CCheckHelper::CCheckHelper() : CCheckHelper(DataFolderPath()) {}

CCheckHelper::CCheckHelper(const std::wstring& dataFolder) { ResetCachePath(dataFolder); }

void CCheckHelper::ResetCachePath(const std::wstring& dataFolder) {
    cachePath_ = dataFolder.empty() ? std::wstring{} : PrepareRuleSetCachePath(dataFolder);
}

void CCheckHelper::GetLatestConfig() {
    lastDownload_ = {};
    if (!downloadEnabled_ || cachePath_.empty()) return;
    lastDownload_ = DownloadLatestConfig(languageCode_, cachePath_, IsRuleSetDocument, &cancelRequested_);
}

uint32_t CCheckHelper::RunCheck(const std::wstring* language) {
    if (language != nullptr) languageCode_ = *language;
    env_.reset();
    checkFailure_.clear();
    combinedResult_ = 0;
    // A probe or a library may throw; the check then ends here, where both
    // front ends learn of it, instead of somewhere in the worker's thread.
    try {
        env_ = makeEngine_ ? makeEngine_(cachePath_) : std::make_unique<CCheckEnv>(cachePath_);
        GetLatestConfig();
        env_->ProbeGraphicsAdapters();
        env_->Work();
    } catch (const std::exception& error) {
        checkFailure_ = TextOfException(error.what());
    } catch (...) {
        checkFailure_ = L"an exception of unknown type";
    }
    if (!checkFailure_.empty()) {
        CCTLog::Instance().Log(LogLevel::Error, "CCheckHelper::RunCheck", L"the check failed: %ls",
                               checkFailure_.c_str());
        env_.reset();
        return combinedResult_;
    }
    const VerdictResults& results = env_->Results();
    combinedResult_ = CombinedCheckResult(results.overallGameResult, results.overallVideoResult, results.steamVrResult);
    return combinedResult_;
}

uint32_t CombinedCheckResult(CheckResult overallGame, CheckResult overallVideo, uint32_t steamVrResult) {
    if (overallGame == CheckResult::Pass) return steamVrResult == 2 ? 2 : 3;
    return overallVideo == CheckResult::Pass ? 1 : 0;
}
