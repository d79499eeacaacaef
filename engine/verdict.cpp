#include "engine/verdict.h"

#include <algorithm>

#include "engine/matching.h"
#include "shell/text_util.h"
#include "shell/wide_format.h"

namespace {

constexpr int64_t kBytesPerGigabyte = int64_t{1} << 30;
constexpr int64_t kMinimumGigabytes = 4;
constexpr int32_t kRequiredAddressWidth = 64;
// The window code formats these texts into buffers of this many wide
// characters, terminator included.
constexpr size_t kTextBufferLength = 1024;

std::wstring CutToBuffer(std::wstring text) {
    if (text.size() >= kTextBufferLength) text.resize(kTextBufferLength - 1);
    return text;
}

bool DigitFourToSevenAt(std::wstring_view name, size_t position) {
    return position < name.size() && name[position] >= L'4' && name[position] <= L'7';
}

// The decimal value of the (at most) two characters at `position`; nothing
// there reads as 0.
int32_t TwoCharacterNumberAt(std::wstring_view name, size_t position) {
    if (position >= name.size()) return 0;
    return DecimalValue(name.substr(position, 2));
}

// With a Pass processor the tier passes when an adapter, the system and the
// memory pass; anything short of that falls back to the fallback rule, which
// only looks at a failing first adapter (or a failing system).
CheckResult CombineTier(CheckResult processor, const std::array<CheckResult, 2>& adapters, CheckResult os,
                        CheckResult memory) {
    if (processor == CheckResult::Fail) return CheckResult::Fail;
    const bool anyAdapterPasses = adapters[0] == CheckResult::Pass || adapters[1] == CheckResult::Pass;
    if (processor == CheckResult::Pass && anyAdapterPasses && os == CheckResult::Pass && memory == CheckResult::Pass) {
        return CheckResult::Pass;
    }
    const bool firstFails = adapters[0] == CheckResult::Fail && adapters[1] != CheckResult::Pass;
    return firstFails || os == CheckResult::Fail ? CheckResult::Fail : CheckResult::Unknown;
}

// One check's working state: the steps below run once, in order.
class Classification {
public:
    Classification(const RuleSet& rules, const ProbedFacts& facts, const VerdictQuestions& questions)
        : rules_(rules), facts_(facts), questions_(questions) {
        verdict_.display = facts.display;
        verdict_.normalized = facts.normalized;
    }

    Verdict Run() {
        DescribeSystem();
        ClassifyProcessor();
        ClassifyAdaptersGameTier();
        ApplyIntelAndOldGeForceGameRules();
        ClassifyAdaptersVideoTier();
        ApplyIntelVideoRules();
        ClassifyOs();
        results_.memoryResult = gigabytes_ >= kMinimumGigabytes ? CheckResult::Pass : CheckResult::Unknown;
        results_.driverFlags = ComputeDriverFlags(rules_, verdict_.display, verdict_.normalized, isLaptop_);
        if (isLaptop_()) ApplyLaptopLists(rules_, facts_.gpuNames, results_);
        ApplyProcessorBlacklists();
        for (size_t k = 0; k < 2; ++k) ApplyAdapterBlacklists(k);
        results_.overallGameResult =
            CombineTier(results_.cpuGameResult, results_.gpuGameResult, results_.osResult, results_.memoryResult);
        results_.overallVideoResult =
            CombineTier(results_.cpuVideoResult, results_.gpuVideoResult, results_.osResult, results_.memoryResult);
        const bool steamVr = questions_.isSteamVrInstalled && questions_.isSteamVrInstalled();
        results_.steamVrResult = steamVr ? 2 : 1;
        verdict_.results = results_;
        return std::move(verdict_);
    }

private:
    size_t AdapterCount() const { return facts_.gpuNames.size(); }
    const std::wstring& Name(size_t j) const { return facts_.gpuNames[j]; }
    const std::wstring& ProcessorText() const { return verdict_.normalized.cpuText; }
    bool BothGameResultsDecided() const {
        return results_.gpuGameResult[0] != CheckResult::Unknown && results_.gpuGameResult[1] != CheckResult::Unknown;
    }

    // Only the first two adapters have results; rules about later ones change
    // nothing.
    void Accept(size_t j) {
        if (j >= 2) return;
        results_.gpuGameResult[j] = CheckResult::Pass;
        results_.gpuVideoResult[j] = CheckResult::Pass;
    }
    void MarkFailing(size_t j) {
        if (j < 2) results_.gpuGameResult[j] = CheckResult::Fail;
    }
    void JudgeIntelVideo(size_t j) {
        if (IsWeakIntelGraphics(Name(j))) {
            results_.gpuGameResult[j] = CheckResult::Fail;
            results_.gpuVideoResult[j] = CheckResult::Fail;
        } else {
            results_.gpuVideoResult[j] = CheckResult::Pass;
        }
    }

    void DescribeSystem() {
        const SystemFacts& system = facts_.system;
        const int32_t ports = std::max(system.usbPortCount, 0);
        verdict_.display.usbPortCount = static_cast<uint32_t>(ports);
        results_.usbResult = ports >= 1 ? 2 : 1;
        gigabytes_ = system.memoryBytes / kBytesPerGigabyte;
        // A width of 0 means the query failed; the machine is then taken as
        // 64-bit rather than refused for a probe failure.
        addressWidth_ = system.addressWidth == 0 ? kRequiredAddressWidth : system.addressWidth;
        verdict_.display.osText = FormatOsText(system.osCaption, addressWidth_);
        verdict_.display.memoryText = FormatMemoryText(gigabytes_);
        verdict_.display.cpuText = facts_.cpuBrand;
        verdict_.normalized.cpuText = UpperAscii(facts_.cpuBrand);
    }

    void ClassifyProcessor() {
        if (AnyMatches(rules_.cpuGame, ProcessorText())) {
            results_.cpuGameResult = CheckResult::Pass;
            results_.cpuVideoResult = CheckResult::Pass;
        } else if (results_.cpuGameResult == CheckResult::Unknown && Contains(ProcessorText(), L"I3")) {
            results_.cpuGameResult = CheckResult::Fail;
        }
        if (results_.cpuVideoResult != CheckResult::Pass) {
            MatchAnyAndSet(results_.cpuVideoResult, rules_.cpuVideo, ProcessorText(), CheckResult::Pass);
        }
    }

    // The loop leaves as soon as both adapters are decided, so with one
    // adapter every list is tried and a later list can turn a Fail into Pass.
    void ClassifyAdaptersGameTier() {
        for (size_t j = 0; j < AdapterCount(); ++j) {
            const std::wstring& name = Name(j);
            if (AnyMatches(rules_.gpuNvGame, name)) {
                if (Contains(name, L"GTX 105") && !Contains(name, L"TI")) {
                    MarkFailing(j);  // a GTX 1050 without Ti
                } else if (Contains(name, L"GTX") && !Contains(name, L"10") && Contains(name, L"M")) {
                    MarkFailing(j);  // a notebook GTX before the 10 series
                } else {
                    Accept(j);
                }
            }
            if (BothGameResultsDecided()) break;
            if (AnyMatches(rules_.gpuAmdGame, name)) Accept(j);
            if (BothGameResultsDecided()) break;
            if (AnyMatches(rules_.gpuIntelGame, name)) Accept(j);
            if (BothGameResultsDecided()) break;
        }
    }

    void ApplyIntelAndOldGeForceGameRules() {
        auto& game = results_.gpuGameResult;
        const size_t count = AdapterCount();
        const auto isIntel = [&](size_t j) { return Contains(Name(j), L"INTEL(R)"); };
        if (game[0] == CheckResult::Unknown && count == 1 && isIntel(0)) {
            game[0] = CheckResult::Fail;
        } else if ((game[0] == CheckResult::Unknown || game[1] == CheckResult::Unknown) && count == 2 &&
                   (isIntel(0) || isIntel(1))) {
            // Integrated graphics beside another adapter never carries the
            // game tier, even where a list accepted it.
            game[isIntel(0) ? 0 : 1] = CheckResult::Fail;
        } else if (game[0] == CheckResult::Unknown && game[1] == CheckResult::Unknown) {
            for (size_t j = 0; j < std::min<size_t>(count, 2); ++j) {
                if (IsOldGeForce(Name(j))) game[j] = CheckResult::Fail;
            }
        }
    }

    void ClassifyAdaptersVideoTier() {
        auto& video = results_.gpuVideoResult;
        const size_t count = AdapterCount();
        if (count >= 1 && video[0] != CheckResult::Pass) {
            if (!MatchAnyAndSet(video[0], rules_.gpuNvVideo, Name(0), CheckResult::Pass) &&
                video[0] == CheckResult::Unknown &&
                !MatchAnyAndSet(video[0], rules_.gpuAmdVideo, Name(0), CheckResult::Pass) &&
                video[0] == CheckResult::Unknown) {
                MatchAnyAndSet(video[0], rules_.gpuIntelVideo, Name(0), CheckResult::Pass);
            }
        }
        // The Intel video list is not consulted for the second adapter.
        if (count == 2 && video[1] != CheckResult::Pass) {
            if (!MatchAnyAndSet(video[1], rules_.gpuNvVideo, Name(1), CheckResult::Pass) &&
                video[1] == CheckResult::Unknown) {
                MatchAnyAndSet(video[1], rules_.gpuAmdVideo, Name(1), CheckResult::Pass);
            }
        }
    }

    void ApplyIntelVideoRules() {
        auto& game = results_.gpuGameResult;
        auto& video = results_.gpuVideoResult;
        const size_t count = AdapterCount();
        if (video[0] == CheckResult::Unknown && count == 1 && Contains(Name(0), L"INTEL(R) HD GRAPHICS") &&
            Contains(ProcessorText(), L"I3")) {
            game[0] = CheckResult::Fail;
            video[0] = CheckResult::Fail;
        }
        if (video[0] == CheckResult::Unknown && count == 1 && Contains(Name(0), L"INTEL(R)")) JudgeIntelVideo(0);
        if (count == 2 && (video[0] == CheckResult::Unknown || video[1] == CheckResult::Unknown)) {
            for (size_t j = 0; j < 2; ++j) {
                if (Contains(Name(j), L"INTEL(R)") && video[j] == CheckResult::Unknown) JudgeIntelVideo(j);
            }
        }
    }

    void ClassifyOs() {
        const std::wstring caption = UpperAscii(facts_.system.osCaption);
        if (addressWidth_ == kRequiredAddressWidth && AnyMatches(rules_.os, caption)) {
            results_.osResult = CheckResult::Pass;
        }
        if (results_.osResult == CheckResult::Pass) {
            MatchAnyAndSet(results_.osResult, rules_.osBlackListQ8, caption, CheckResult::Fail);
        }
    }

    void ApplyProcessorBlacklists() {
        if (!MatchAnyAndSet(results_.cpuGameResult, rules_.cpuGameBlackList, ProcessorText(), CheckResult::Fail)) {
            MatchAnyAndSet(results_.cpuGameResult, rules_.cpuGameBlackListQ8, ProcessorText(), CheckResult::Fail);
        }
        MatchAnyAndSet(results_.cpuVideoResult, rules_.cpuVideoBlackList, ProcessorText(), CheckResult::Fail);
    }

    // The blacklists read the slot names, so they run for both slots whatever
    // the adapter count.
    void ApplyAdapterBlacklists(size_t k) {
        const std::wstring& name = verdict_.normalized.gpuName[k];
        CheckResult& game = results_.gpuGameResult[k];
        CheckResult& video = results_.gpuVideoResult[k];
        if (MatchAnyAndSet(game, rules_.gpuGameBlackList, name, CheckResult::Fail)) {
            MatchAnyAndSet(game, rules_.gpuGameBlackListException, name, CheckResult::Pass);
        }
        if (game != CheckResult::Fail && MatchAnyAndSet(game, rules_.gpuGameBlackListQ8, name, CheckResult::Fail)) {
            MatchAnyAndSet(game, rules_.gpuGameBlackListExceptionQ8, name, CheckResult::Pass);
        }
        // An adapter below the video tier is below the game tier as well.
        if (MatchAnyAndSet(video, rules_.gpuVideoBlackList, name, CheckResult::Fail) &&
            !MatchAnyAndSet(video, rules_.gpuVideoBlackListException, name, CheckResult::Pass)) {
            game = CheckResult::Fail;
        }
    }

    const RuleSet& rules_;
    const ProbedFacts& facts_;
    const VerdictQuestions& questions_;
    const LaptopQuestion isLaptop_ = [this] { return questions_.isLaptop && questions_.isLaptop(); };
    VerdictResults results_;
    Verdict verdict_;
    int64_t gigabytes_ = 0;
    int32_t addressWidth_ = 0;
};

}  // namespace

ProbedFacts CombineFacts(AdapterSelection adapters, SystemFacts system, std::wstring cpuBrand) {
    ProbedFacts facts;
    facts.gpuNames = std::move(adapters.gpuNames);
    facts.display = std::move(adapters.display);
    facts.normalized = std::move(adapters.normalized);
    facts.system = std::move(system);
    facts.cpuBrand = std::move(cpuBrand);
    return facts;
}

Verdict ClassifyMachine(const RuleSet& rules, const ProbedFacts& facts, const VerdictQuestions& questions) {
    return Classification(rules, facts, questions).Run();
}

bool IsOldGeForce(std::wstring_view name) {
    bool old = false;
    if (const size_t at = name.find(L"GEFORCE GTX"); at != std::wstring_view::npos) {
        old = DigitFourToSevenAt(name, at + 12);
    }
    if (const size_t at = name.find(L"GEFORCE GT "); at != std::wstring_view::npos) {
        old = DigitFourToSevenAt(name, at + 11);
    }
    return old;
}

bool IsWeakIntelGraphics(std::wstring_view name) {
    if (const size_t at = name.find(L"INTEL(R) HD GRAPHICS"); at != std::wstring_view::npos) {
        return TwoCharacterNumberAt(name, at + 21) < 64;
    }
    if (const size_t at = name.find(L"INTEL(R) IRIS(TM) GRAPHICS"); at != std::wstring_view::npos) {
        return TwoCharacterNumberAt(name, at + 27) < 54;
    }
    if (Contains(name, L"INTEL(R) IRIS(TM) PRO GRAPHICS")) return false;
    if (const size_t at = name.find(L"INTEL(R) IRIS(TM) PLUS GRAPHICS"); at != std::wstring_view::npos) {
        return TwoCharacterNumberAt(name, at + 32) < 64;
    }
    return true;  // UHD graphics and every other Intel name
}

void ApplyLaptopLists(const RuleSet& rules, const std::vector<std::wstring>& gpuNames, VerdictResults& results) {
    const size_t slots = std::min<size_t>(gpuNames.size(), 2);
    for (size_t i = 0; i < slots; ++i) {
        const std::wstring& name = gpuNames[i];
        for (const RuleList* list : {&rules.gpuGameLaptop, &rules.gpuGameLaptopQ8}) {
            if (AnyMatches(*list, name)) {
                results.gpuGameResult[i] = CheckResult::Pass;
                results.gpuVideoResult[i] = CheckResult::Pass;
            }
        }
        if (results.gpuVideoResult[i] != CheckResult::Pass) {
            MatchAnyAndSet(results.gpuVideoResult[i], rules.gpuVideoLaptop, name, CheckResult::Pass);
        }
    }
}

std::wstring FormatOsText(const std::wstring& caption, int32_t addressWidth) {
    return CutToBuffer(FormatWide(L"%ls(%d)", caption.c_str(), static_cast<int>(addressWidth)));
}

std::wstring FormatMemoryText(int64_t gigabytes) {
    return CutToBuffer(FormatWide(L"%lldGB", static_cast<long long>(gigabytes)));
}
