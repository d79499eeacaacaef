#pragma once
// Owners for what only the Windows probes hold: VARIANTs and SetupAPI device
// lists; the COM pointers and kernel handles come from the shell. Each
// releases what it holds on every path out of a probe.

#include <windows.h>
#include <oleauto.h>
#include <setupapi.h>

#include "shell/com_win.h"
#include "shell/scoped_handle_win.h"

// A VARIANT cleared when it goes.
class CVariant {
public:
    CVariant() { VariantInit(&value_); }
    CVariant(const CVariant&) = delete;
    CVariant& operator=(const CVariant&) = delete;
    ~CVariant() { VariantClear(&value_); }

    VARIANT* Put() {
        VariantClear(&value_);
        return &value_;
    }
    const VARIANT& Get() const { return value_; }

private:
    VARIANT value_;
};

// A SetupAPI device-information list destroyed when it goes.
struct DeviceInfoSetTraits {
    using Handle = HDEVINFO;
    static Handle Invalid() { return INVALID_HANDLE_VALUE; }
    static bool IsValid(Handle set) { return set != nullptr && set != INVALID_HANDLE_VALUE; }
    static void Close(Handle set) { SetupDiDestroyDeviceInfoList(set); }
};
using CDeviceInfoSet = ScopedHandle<DeviceInfoSetTraits>;
