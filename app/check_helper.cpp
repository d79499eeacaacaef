#include "app/check_helper.h"

#include "app/kalo_base.h"
#include "app/rule_set_cache.h"
#include "engine/rule_set_reader.h"
#include "remote/latest_config.h"

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
    env_ = makeEngine_ ? makeEngine_(cachePath_) : std::make_unique<CCheckEnv>(cachePath_);
    GetLatestConfig();
    env_->ProbeGraphicsAdapters();
    env_->Work();
    const VerdictResults& results = env_->Results();
    combinedResult_ = CombinedCheckResult(results.overallGameResult, results.overallVideoResult, results.steamVrResult);
    return combinedResult_;
}

uint32_t CombinedCheckResult(CheckResult overallGame, CheckResult overallVideo, uint32_t steamVrResult) {
    if (overallGame == CheckResult::Pass) return steamVrResult == 2 ? 2 : 3;
    return overallVideo == CheckResult::Pass ? 1 : 0;
}
