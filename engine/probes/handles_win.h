#pragma once
// Owners for the handles the Windows probes hold: COM interface pointers, the
// thread's COM initialisation, VARIANTs, kernel handles and SetupAPI device
// lists. Each releases what it holds on every path out of a probe.

#include <windows.h>
#include <oleauto.h>
#include <setupapi.h>

#include <utility>

// A COM interface pointer that releases its reference when it goes.
template <typename T>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ComPtr(ComPtr&& other) noexcept : pointer_(std::exchange(other.pointer_, nullptr)) {}
    ComPtr& operator=(ComPtr&& other) noexcept {
        if (this != &other) Reset(std::exchange(other.pointer_, nullptr));
        return *this;
    }
    ~ComPtr() { Reset(); }

    T* Get() const { return pointer_; }
    T* operator->() const { return pointer_; }
    explicit operator bool() const { return pointer_ != nullptr; }

    // For the out-parameter of a creating call; drops what was held first.
    T** Put() {
        Reset();
        return &pointer_;
    }
    void** PutVoid() { return reinterpret_cast<void**>(Put()); }

    void Reset(T* pointer = nullptr) {
        if (pointer_) pointer_->Release();
        pointer_ = pointer;
    }

private:
    T* pointer_ = nullptr;
};

// COM initialised on the calling thread for the holder's lifetime. It
// uninitialises only what its own call initialised: a thread that already
// runs in the other apartment mode (RPC_E_CHANGED_MODE) keeps its COM as its
// owner set it up.
class CComInitialization {
public:
    explicit CComInitialization(DWORD mode) : result_(CoInitializeEx(nullptr, mode)) {}
    CComInitialization(const CComInitialization&) = delete;
    CComInitialization& operator=(const CComInitialization&) = delete;
    ~CComInitialization() {
        if (SUCCEEDED(result_)) CoUninitialize();
    }

    HRESULT Result() const { return result_; }
    // COM can be used on this thread: initialised here, or already in the
    // other mode.
    bool IsUsable() const { return SUCCEEDED(result_) || result_ == RPC_E_CHANGED_MODE; }

private:
    HRESULT result_;
};

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

// A kernel handle (file, device) closed when it goes.
class CFileHandle {
public:
    explicit CFileHandle(HANDLE handle = INVALID_HANDLE_VALUE) : handle_(handle) {}
    CFileHandle(const CFileHandle&) = delete;
    CFileHandle& operator=(const CFileHandle&) = delete;
    CFileHandle(CFileHandle&& other) noexcept : handle_(std::exchange(other.handle_, INVALID_HANDLE_VALUE)) {}
    ~CFileHandle() {
        if (IsValid()) CloseHandle(handle_);
    }

    HANDLE Get() const { return handle_; }
    bool IsValid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }

private:
    HANDLE handle_;
};

// A SetupAPI device-information list destroyed when it goes.
class CDeviceInfoSet {
public:
    explicit CDeviceInfoSet(HDEVINFO set) : set_(set) {}
    CDeviceInfoSet(const CDeviceInfoSet&) = delete;
    CDeviceInfoSet& operator=(const CDeviceInfoSet&) = delete;
    ~CDeviceInfoSet() {
        if (IsValid()) SetupDiDestroyDeviceInfoList(set_);
    }

    HDEVINFO Get() const { return set_; }
    bool IsValid() const { return set_ != INVALID_HANDLE_VALUE && set_ != nullptr; }

private:
    HDEVINFO set_;
};
