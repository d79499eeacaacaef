#pragma once
// Where the vendor's configuration service lives. The base URL is fixed when
// the program is built (CMake cache variable KALO_CONFIG_SERVICE_URL); tests
// and the terminal front end may point the process at another one.

#include <string>
#include <string_view>

inline constexpr char kServiceTimePath[] = "/common/getTimestamp";
inline constexpr char kRuleSetRequestPath[] = "/rezedav/wscheckerconfig";

// The base URL in use: the override when one is set, else the built-in one.
// Never ends with "/".
std::string ConfigServiceBaseUrl();
// Replaces the base URL for the rest of the process; an empty text returns to
// the built-in one. Trailing "/" characters are dropped.
void SetConfigServiceBaseUrl(std::string_view baseUrl);
// The URL the program was built with.
std::string BuiltInConfigServiceBaseUrl();

std::string ServiceTimeUrl(std::string_view baseUrl);
// The endpoint URL: base URL + "/rezedav/wscheckerconfig", without a query.
std::string RuleSetEndpointUrl(std::string_view baseUrl);
