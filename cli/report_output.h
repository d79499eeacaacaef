#pragma once
// The two printed forms of a check: text for people, JSON for scripts and
// fleet tools. Both show the result page exactly as the window would.

#include <json/value.h>

#include <functional>
#include <string>

#include "cli/check_outcome.h"

// Looks a language key up in the loaded pack.
using TextLookup = std::function<std::wstring(const wchar_t* key)>;

std::string FormatOutcomeText(const CheckOutcome& outcome, const TextLookup& text);
Json::Value OutcomeToJson(const CheckOutcome& outcome, const TextLookup& text, const std::wstring& language);
std::string WriteJson(const Json::Value& value);
