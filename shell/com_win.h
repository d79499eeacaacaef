#pragma once
// COM for the Windows halves: an interface pointer that releases its
// reference when it goes, and the calling thread's COM initialisation held
// for a scope.

#include <windows.h>
#include <objbase.h>

#include <utility>

// A COM interface pointer that releases its reference when it goes.
template <typename T>
class ComPtr {
public:
    ComPtr() = default;
    // Takes over a reference the caller holds (from a creating call).
    explicit ComPtr(T* pointer) : pointer_(pointer) {}
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
