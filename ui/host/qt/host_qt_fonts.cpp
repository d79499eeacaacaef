#include "ui/host/qt/host_qt_fonts.h"

#include <fontconfig/fontconfig.h>

#include <QByteArray>
#include <QFontDatabase>
#include <algorithm>
#include <climits>
#include <system_error>

#include "ui/host/qt/host_qt_convert.h"

namespace ui::qt {

CFontConfigPreload::CFontConfigPreload() {
    try {
        thread_ = std::thread([] { FcInit(); });
    } catch (const std::system_error&) {
        // Qt loads the configuration itself then, on first use.
    }
}

CFontConfigPreload::~CFontConfigPreload() {
    if (thread_.joinable()) thread_.join();
}

std::wstring CQtFonts::Register(std::span<const std::byte> bytes) {
    if (bytes.empty() || bytes.size() > INT_MAX) return {};
    const QByteArray data(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
    const int id = QFontDatabase::addApplicationFontFromData(data);
    if (id < 0) return {};
    const QStringList families = QFontDatabase::applicationFontFamilies(id);
    if (families.isEmpty()) return {};
    privateFamilies_.append(families);
    resolved_.clear();
    return ToWide(families.front());
}

void CQtFonts::Alias(const std::wstring& layoutFamily, const std::wstring& faceFamily) {
    aliases_.insert(ToQString(layoutFamily), ToQString(faceFamily));
    resolved_.clear();
}

QString CQtFonts::ResolveFamily(const QString& family) {
    if (const auto alias = aliases_.constFind(family); alias != aliases_.constEnd()) return *alias;
    if (const auto known = resolved_.constFind(family); known != resolved_.constEnd()) return *known;
    QString face = family;
    const bool machineHasIt = !family.isEmpty() && QFontDatabase::families().contains(family, Qt::CaseInsensitive);
    if (!machineHasIt && !privateFamilies_.isEmpty()) face = privateFamilies_.front();
    resolved_.insert(family, face);
    return face;
}

QFont CQtFonts::ToQFont(const FontSpec& fontSpec) {
    QFont font;
    const QString family = ResolveFamily(ToQString(fontSpec.family));
    if (!family.isEmpty()) font.setFamilies({family});
    font.setPixelSize(std::max(1, fontSpec.pixelSize));
    font.setBold(fontSpec.bold);
    font.setUnderline(fontSpec.underline);
    return font;
}

}  // namespace ui::qt
