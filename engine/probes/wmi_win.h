#pragma once
// The WMI connection of the Windows probes: COM security, the locator, the
// "ROOT\CIMV2" namespace with its proxy blanket, "SELECT * FROM <class>"
// queries, and property values turned into text.

#include <windows.h>
#include <wbemidl.h>

#include <functional>
#include <optional>
#include <string>

#include "engine/probes/handles_win.h"

// How the process's COM security is set before connecting. The adapter probe
// asks for the default authentication level, the system probe for packet
// integrity; both impersonate.
enum class WmiAuthentication { Default, Packet };

class CWmiConnection {
public:
    // Sets the process's COM security (a process whose security is already
    // set keeps it), creates the locator, connects to "ROOT\CIMV2" and sets
    // the proxy blanket. COM must be initialised on the thread. Whatever part
    // of the connection fails is logged under `tag`; IsConnected tells.
    CWmiConnection(WmiAuthentication authentication, const char* tag);

    bool IsConnected() const { return static_cast<bool>(services_); }

    // Runs "SELECT * FROM <className>" (forward only, returning at once) and
    // hands each object to `visit`, fetched one at a time with no time limit,
    // until `visit` answers false or no object is left. False when there is
    // no connection or the query fails.
    bool ForEachObject(const wchar_t* className, const std::function<bool(IWbemClassObject&)>& visit) const;

    // The text of the named property of the first object of the class;
    // nothing when the query yields no object or the value has no text.
    std::optional<std::wstring> FirstObjectText(const wchar_t* className, const wchar_t* property) const;

private:
    const char* tag_;
    ComPtr<IWbemLocator> locator_;
    ComPtr<IWbemServices> services_;
};

// A property value as text: 8-, 16- and 32-bit integers in decimal, texts as
// they are (numbers WMI delivers as text, such as a 64-bit "Capacity", stay
// text). Any other type (empty, null, arrays, reals, ...) has no text.
std::optional<std::wstring> WmiValueText(const VARIANT& value);

// The text of one property of an object; nothing when it can't be read.
std::optional<std::wstring> WmiPropertyText(IWbemClassObject& object, const wchar_t* property);
