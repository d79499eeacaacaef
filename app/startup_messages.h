#pragma once
// The four messages the windowed program may end its start-up with, in the
// two languages it can show before any language pack is loaded.

namespace startup {

enum class StartupMessage {
    PlatformInitFailed,  // the window thread's platform set-up failed
    DataFolderFailed,    // the data folder is missing and cannot be made
    LanguageSetupFailed, // the language archive cannot be unpacked
    LanguageLoadFailed,  // no pack loads, not even the system's language
};

struct StartupMessageTexts {
    const wchar_t* caption;
    const wchar_t* text;
    const wchar_t* confirm;
    const wchar_t* cancel;
};

// 0 selects the Chinese texts, any other value the English ones.
StartupMessageTexts TextsOf(StartupMessage message, int messageLanguage);

}  // namespace startup
