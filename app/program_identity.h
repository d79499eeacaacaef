#pragma once
// Who the program is: the name its folders, logs and dumps carry, and the ids
// of what it carries embedded (resources/CMakeLists.txt lists the same ids
// for the build, and the resource scripts for Windows).

inline constexpr wchar_t kProgramName[] = L"KALOFitProbe";
// Below the machine-wide application-data folder (and the temporary folder).
inline constexpr wchar_t kDataFolderName[] = L"KALO Assistant 4";
inline constexpr wchar_t kCrashDumpFolderName[] = L"crashDumps";

// The two zip archives: the skin and the language packs.
inline constexpr wchar_t kArchiveType[] = L"ZIPRES";
inline constexpr int kSkinArchiveId = 101;
inline constexpr int kLanguageArchiveId = 137;

// The rule set the program carries, written to the temporary folder as the
// last-resort copy.
inline constexpr wchar_t kBuiltInRuleSetType[] = L"JSON";
inline constexpr int kBuiltInRuleSetId = 102;

// The embedded faces: Regular, and Bold beside it so that bold text is not
// smeared by synthesis.
inline constexpr wchar_t kFontType[] = L"FONTRES";
inline constexpr int kRegularFontId = 102;
inline constexpr int kBoldFontId = 103;

// The window icon (an icon resource on Windows, a PNG elsewhere).
inline constexpr int kIconId = 102;
