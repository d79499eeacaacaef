#include "app/check_env_thread.h"

#include "app/check_helper.h"
#include "app/kalo_base.h"
#include "lang/language_choice.h"

bool CheckEnvThread::Start(Callback callback) {
    // A running check keeps the callback it was started with.
    if (IsRunning()) return false;
    callback_ = std::move(callback);
    CCheckHelper::Instance().ClearCancel();
    return CCTThread::Start();
}

void CheckEnvThread::WakeForStop() { CCheckHelper::Instance().RequestCancel(); }

uint32_t CheckEnvThread::Run() {
    CKALOBase& base = CKALOBase::Instance();
    const std::wstring language = LanguageCodeForIndex(base.UiLanguageIndex());
    CCheckHelper::Instance().RunCheck(&language);
    if (callback_ && !IsStopRequested()) callback_();
    return 0;
}
