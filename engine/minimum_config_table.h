#pragma once
// The "minimum_configuration" table of a rule-set document: one row of seven
// texts per language code, and the row the minimum-requirements window
// shows. It reads no file: the text comes in, the table goes out.

#include <map>
#include <string>
#include <string_view>

// The seven texts of one language, in the order the window shows them.
struct MinimumConfigRow {
    std::wstring cpu;
    std::wstring ram;
    std::wstring gpu;
    std::wstring os;
    std::wstring dp;
    std::wstring usb;
    std::wstring disk;

    bool operator==(const MinimumConfigRow&) const = default;
};

// Language code to its row, ordered by code character by character.
using MinimumConfigTable = std::map<std::wstring, MinimumConfigRow>;

// The table in a document's text. Entries that are no object, whose "lang"
// is missing, null or empty, are skipped; a member without a text form is
// left empty. What cannot be read is logged with the path, and an unusable
// document gives an empty table.
MinimumConfigTable ParseMinimumConfigTable(std::string_view text, const std::wstring& pathForLog);

// Parses as an object whose "body" names a minimum configuration: the copy
// the loader chooses.
bool HasMinimumConfiguration(std::string_view text);

// The row the window shows: the current language's, else "en", else the
// first in code order; null for an empty table.
const MinimumConfigRow* ChooseMinimumConfigRow(const MinimumConfigTable& table, const std::wstring& currentLanguage);
