#include "engine/probes/wmi_win.h"

#include <string>

#include "shell/log.h"

namespace {

// A BSTR freed when it goes; WMI takes its names and queries as BSTRs.
class CBstr {
public:
    explicit CBstr(const wchar_t* text) : text_(SysAllocString(text)) {}
    explicit CBstr(const std::wstring& text) : text_(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
    CBstr(const CBstr&) = delete;
    CBstr& operator=(const CBstr&) = delete;
    ~CBstr() { SysFreeString(text_); }

    BSTR Get() const { return text_; }
    explicit operator bool() const { return text_ != nullptr; }

private:
    BSTR text_;
};

unsigned long HresultCode(HRESULT result) { return static_cast<unsigned long>(result); }

}  // namespace

CWmiConnection::CWmiConnection(WmiAuthentication authentication, const char* tag) : tag_(tag) {
    const DWORD level = authentication == WmiAuthentication::Packet ? RPC_C_AUTHN_LEVEL_PKT
                                                                    : RPC_C_AUTHN_LEVEL_DEFAULT;
    // Process-wide and settable once: a second probe, or a host that set its
    // own security, gets RPC_E_TOO_LATE and goes on with what is in force.
    const HRESULT security = CoInitializeSecurity(nullptr, -1, nullptr, nullptr, level, RPC_C_IMP_LEVEL_IMPERSONATE,
                                                  nullptr, EOAC_NONE, nullptr);
    if (FAILED(security) && security != RPC_E_TOO_LATE) {
        CCTLog::Instance().Log(LogLevel::Error, tag_, L"CoInitializeSecurity failed, hr=0x%08lx", HresultCode(security));
    }

    HRESULT result = CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER, IID_IWbemLocator,
                                      locator_.PutVoid());
    if (FAILED(result)) {
        CCTLog::Instance().Log(LogLevel::Error, tag_, L"creating the WMI locator failed, hr=0x%08lx", HresultCode(result));
        return;
    }
    const CBstr nameSpace(L"ROOT\\CIMV2");
    ComPtr<IWbemServices> services;
    result = locator_->ConnectServer(nameSpace.Get(), nullptr, nullptr, nullptr, 0, nullptr, nullptr,
                                     services.Put());
    if (FAILED(result)) {
        CCTLog::Instance().Log(LogLevel::Error, tag_, L"connecting to ROOT\\CIMV2 failed, hr=0x%08lx", HresultCode(result));
        return;
    }
    result = CoSetProxyBlanket(services.Get(), RPC_C_AUTHN_WINNT, RPC_C_AUTHZ_NONE, nullptr, RPC_C_AUTHN_LEVEL_CALL,
                               RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE);
    if (FAILED(result)) {
        CCTLog::Instance().Log(LogLevel::Error, tag_, L"CoSetProxyBlanket failed, hr=0x%08lx", HresultCode(result));
        return;
    }
    services_ = std::move(services);
}

bool CWmiConnection::ForEachObject(const wchar_t* className,
                                   const std::function<bool(IWbemClassObject&)>& visit) const {
    if (!services_) return false;
    const CBstr language(L"WQL");
    const CBstr query(std::wstring(L"SELECT * FROM ") + className);
    if (!language || !query) return false;
    ComPtr<IEnumWbemClassObject> objects;
    const HRESULT result = services_->ExecQuery(language.Get(), query.Get(),
                                                WBEM_FLAG_FORWARD_ONLY | WBEM_FLAG_RETURN_IMMEDIATELY, nullptr,
                                                objects.Put());
    if (FAILED(result) || !objects) {
        CCTLog::Instance().Log(LogLevel::Error, tag_, L"query of %ls failed, hr=0x%08lx", className, HresultCode(result));
        return false;
    }
    for (;;) {
        ComPtr<IWbemClassObject> object;
        ULONG returned = 0;
        const HRESULT next = objects->Next(static_cast<long>(WBEM_INFINITE), 1, object.Put(), &returned);
        // S_FALSE with nothing returned is the end; a failure ends it too.
        if (FAILED(next) || returned == 0 || !object) break;
        if (!visit(*object.Get())) break;
    }
    return true;
}

std::optional<std::wstring> CWmiConnection::FirstObjectText(const wchar_t* className, const wchar_t* property) const {
    std::optional<std::wstring> text;
    ForEachObject(className, [&](IWbemClassObject& object) {
        text = WmiPropertyText(object, property);
        return false;  // the first object only
    });
    return text;
}

std::optional<std::wstring> WmiValueText(const VARIANT& value) {
    switch (value.vt) {
        case VT_I1: return std::to_wstring(static_cast<int>(value.cVal));
        case VT_UI1: return std::to_wstring(static_cast<unsigned>(value.bVal));
        case VT_I2: return std::to_wstring(static_cast<int>(value.iVal));
        case VT_UI2: return std::to_wstring(static_cast<unsigned>(value.uiVal));
        case VT_I4: return std::to_wstring(static_cast<long>(value.lVal));
        case VT_UI4: return std::to_wstring(static_cast<unsigned long>(value.ulVal));
        case VT_INT: return std::to_wstring(value.intVal);
        case VT_UINT: return std::to_wstring(value.uintVal);
        // A null BSTR is COM's empty text.
        case VT_BSTR: return value.bstrVal ? std::wstring(value.bstrVal, SysStringLen(value.bstrVal)) : std::wstring{};
        default: return std::nullopt;
    }
}

std::optional<std::wstring> WmiPropertyText(IWbemClassObject& object, const wchar_t* property) {
    CVariant value;
    if (FAILED(object.Get(property, 0, value.Put(), nullptr, nullptr))) return std::nullopt;
    return WmiValueText(value.Get());
}
