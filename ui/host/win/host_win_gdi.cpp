#include "ui/host/win/host_win_gdi.h"

#include <shlwapi.h>

#include <climits>
#include <cstring>
#include <vector>

#include "shell/log.h"

namespace ui::win {

CGdiplusSession::CGdiplusSession() {
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    const Gdiplus::Status status = Gdiplus::GdiplusStartup(&token, &input, nullptr);
    if (status == Gdiplus::Ok) {
        token_ = token;
    } else {
        CCTLog::Instance().Log(LogLevel::Error, "CGdiplusSession::Start", L"GdiplusStartup failed with status %d",
                               static_cast<int>(status));
    }
}

CGdiplusSession::~CGdiplusSession() {
    if (token_ != 0) Gdiplus::GdiplusShutdown(token_);
}

bool CDibSurface::Resize(Size size) {
    size.cx = std::max(1, size.cx);
    size.cy = std::max(1, size.cy);
    if (view_ && size == size_) return true;
    if (size.cx > INT_MAX / 4) return false;

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = size.cx;
    info.bmiHeader.biHeight = -size.cy;  // negative: the first row is the top one
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    CBitmapHandle bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap || bits == nullptr) {
        CCTLog::Instance().Log(LogLevel::Error, "CDibSurface::Resize", L"CreateDIBSection %dx%d failed (%lu)", size.cx, size.cy,
                               GetLastError());
        return false;
    }
    std::memset(bits, 0, static_cast<size_t>(size.cx) * 4 * static_cast<size_t>(size.cy));
    auto view = std::make_unique<Gdiplus::Bitmap>(size.cx, size.cy, size.cx * 4, PixelFormat32bppPARGB,
                                                  static_cast<BYTE*>(bits));
    if (view->GetLastStatus() != Gdiplus::Ok) return false;

    if (!dc_) {
        dc_.Reset(CreateCompatibleDC(nullptr));
        if (!dc_) return false;
        originalBitmap_ = SelectObject(dc_.Get(), bitmap.Get());
    } else {
        // The old view looks at the old bits: it goes before they do.
        view_.reset();
        SelectObject(dc_.Get(), bitmap.Get());
    }
    bitmap_ = std::move(bitmap);  // the previous bitmap, now deselected, is deleted here
    view_ = std::move(view);
    size_ = size;
    return true;
}

namespace {

using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);

// GetDpiForWindow came with Windows 10 (1607); asked for by name so that the
// program still starts on systems without it.
GetDpiForWindowFunction DpiForWindowFunction() {
    static const GetDpiForWindowFunction function = [] {
        const HMODULE user32 = GetModuleHandleW(L"user32.dll");
        const FARPROC found = user32 ? GetProcAddress(user32, "GetDpiForWindow") : nullptr;
        // Through void(*)() so that the compiler sees the cast is meant.
        return reinterpret_cast<GetDpiForWindowFunction>(reinterpret_cast<void (*)()>(found));
    }();
    return function;
}

constexpr double kDefaultDpi = 96.0;

}  // namespace

double PrimaryScreenScale() {
    const CScreenDc screen(GetDC(nullptr));
    const int dpi = screen.Get() ? GetDeviceCaps(screen.Get(), LOGPIXELSX) : 0;
    return dpi > 0 ? dpi / kDefaultDpi : 1.0;
}

double WindowScale(HWND window) {
    if (window != nullptr) {
        if (const GetDpiForWindowFunction dpiForWindow = DpiForWindowFunction()) {
            const UINT dpi = dpiForWindow(window);
            if (dpi > 0) return dpi / kDefaultDpi;
        }
    }
    return PrimaryScreenScale();
}

ComPtr<IStream> MemoryStream(std::span<const std::byte> bytes) {
    if (bytes.size() > UINT_MAX) return {};
    return ComPtr<IStream>(
        SHCreateMemStream(reinterpret_cast<const BYTE*>(bytes.data()), static_cast<UINT>(bytes.size())));
}

namespace {

bool FindPngEncoder(CLSID& encoder) {
    UINT count = 0;
    UINT bytes = 0;
    if (Gdiplus::GetImageEncodersSize(&count, &bytes) != Gdiplus::Ok || count == 0 || bytes == 0) return false;
    std::vector<BYTE> buffer(bytes);
    auto* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
    if (Gdiplus::GetImageEncoders(count, bytes, codecs) != Gdiplus::Ok) return false;
    for (UINT i = 0; i < count; ++i) {
        if (codecs[i].MimeType != nullptr && std::wcscmp(codecs[i].MimeType, L"image/png") == 0) {
            encoder = codecs[i].Clsid;
            return true;
        }
    }
    return false;
}

}  // namespace

std::string EncodePng(Gdiplus::Bitmap& bitmap) {
    static CLSID encoder{};
    static const bool hasEncoder = FindPngEncoder(encoder);
    if (!hasEncoder) {
        CCTLog::Instance().Log(LogLevel::Error, "EncodePng", L"GDI+ has no PNG encoder");
        return {};
    }
    ComPtr<IStream> stream(SHCreateMemStream(nullptr, 0));
    if (!stream) return {};
    const Gdiplus::Status status = bitmap.Save(stream.Get(), &encoder, nullptr);
    if (status != Gdiplus::Ok) {
        CCTLog::Instance().Log(LogLevel::Error, "EncodePng", L"saving as PNG failed with status %d", static_cast<int>(status));
        return {};
    }
    STATSTG stat{};
    if (FAILED(stream->Stat(&stat, STATFLAG_NONAME)) || stat.cbSize.QuadPart > INT_MAX) return {};
    LARGE_INTEGER start{};
    if (FAILED(stream->Seek(start, STREAM_SEEK_SET, nullptr))) return {};
    std::string png(static_cast<size_t>(stat.cbSize.QuadPart), '\0');
    ULONG read = 0;
    if (FAILED(stream->Read(png.data(), static_cast<ULONG>(png.size()), &read)) || read != png.size()) return {};
    return png;
}

}  // namespace ui::win
