#pragma once
// Font families of the Qt host: process-private faces registered from bytes,
// and the mapping from the family a layout names to the face that draws it.

#include <QFont>
#include <QHash>
#include <QString>
#include <QStringList>
#include <cstddef>
#include <span>
#include <string>
#include <thread>

#include "ui/toolkit/canvas.h"

namespace ui::qt {

// Loads the system's font configuration (some 3 ms of reading its files and
// caches) on a thread of its own for as long as the object lives, so that it
// happens while the caller connects to the display; Qt's font database then
// finds it loaded. Fontconfig sets itself up safely from any thread.
class CFontConfigPreload {
public:
    CFontConfigPreload();
    ~CFontConfigPreload();
    CFontConfigPreload(const CFontConfigPreload&) = delete;
    CFontConfigPreload& operator=(const CFontConfigPreload&) = delete;

private:
    std::thread thread_;
};

class CQtFonts {
public:
    // The first family the font declares; empty when the bytes are no font.
    std::wstring Register(std::span<const std::byte> bytes);
    void Alias(const std::wstring& layoutFamily, const std::wstring& faceFamily);
    QFont ToQFont(const FontSpec& fontSpec);

    // An alias when one is set; else the family itself when the system or a
    // registered font has it; else the first registered face (the embedded
    // font stands in for every family the machine lacks); else the name as is.
    QString ResolveFamily(const QString& family);

private:
    QStringList privateFamilies_;
    QHash<QString, QString> aliases_;
    QHash<QString, QString> resolved_;  // cleared whenever the answer may change
};

}  // namespace ui::qt
