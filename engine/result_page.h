#pragma once
// What the result page shows for a finished check: five rows (caption key,
// value, mark) and one headline out of four. Shared by every front end so
// that the window and the terminal always agree.

#include <array>
#include <string>

#include "engine/check_types.h"

enum class ResultComponent { Cpu, Memory, Gpu, Driver, Os };

enum class Headline {
    Compatible,
    NotCompatible,
    CannotBeConfirmed,
    DriverNotCompatible,  // everything else passes; only the driver fails
};

struct ResultRow {
    ResultComponent component;
    const wchar_t* captionKey;  // language key of the row's caption
    std::wstring value;         // empty: shown as the "unrecognized" text
    CheckResult result;
};

struct ResultPage {
    std::array<ResultRow, 5> rows;  // processor, memory, adapter, driver, system
    Headline headline;
    const wchar_t* titleKey;  // language keys of the headline and its tip
    const wchar_t* tipKey;
    int titlePage;            // page of the headline tab in the window layout
};

ResultPage BuildResultPage(const CheckReport& report);

inline constexpr wchar_t kUnrecognizedKey[] = L"IDS_STRING_UNRECOGNIZED";
