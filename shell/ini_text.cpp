#include "shell/ini_text.h"

#include "shell/text_convert.h"
#include "shell/text_util.h"

namespace {

// Names and values are trimmed of spaces, tabs and a stray CR.
std::string_view Trim(std::string_view text) { return TrimBlanks(text, kSpaceTabCr); }

// The name of a "[section]" line, or nothing.
std::optional<std::string_view> SectionName(std::string_view line) {
    line = Trim(line);
    if (line.size() < 2 || line.front() != '[') return std::nullopt;
    const size_t close = line.find(']');
    if (close == std::string_view::npos) return std::nullopt;
    return Trim(line.substr(1, close - 1));
}

// Key and raw value of a "key=value" line, or nothing.
std::optional<std::pair<std::string_view, std::string_view>> KeyValue(std::string_view line) {
    const std::string_view trimmed = Trim(line);
    if (trimmed.empty() || trimmed.front() == ';') return std::nullopt;
    const size_t equals = trimmed.find('=');
    if (equals == std::string_view::npos) return std::nullopt;
    return std::make_pair(Trim(trimmed.substr(0, equals)), Trim(trimmed.substr(equals + 1)));
}

}  // namespace

CIniText::CIniText(std::string_view text) {
    // Every leading byte-order mark goes: a file written by a tool that added
    // a second one must not read its first header as a plain line.
    constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    while (text.starts_with(kByteOrderMark)) {
        text.remove_prefix(kByteOrderMark.size());
        hasByteOrderMark_ = true;
    }
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string line(text.substr(start, end - start));
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines_.push_back(std::move(line));
        start = end + 1;
    }
}

CIniText::Location CIniText::Find(std::string_view section, std::string_view key) const {
    Location where;
    bool inSection = false;
    for (size_t i = 0; i < lines_.size(); ++i) {
        if (const auto name = SectionName(lines_[i])) {
            if (inSection) break;  // the section ended
            inSection = !where.sectionLine && EqualsIgnoreAsciiCase(*name, Trim(section));
            if (inSection) {
                where.sectionLine = i;
                where.sectionEnd = i + 1;
            }
            continue;
        }
        if (!inSection) continue;
        if (!Trim(lines_[i]).empty()) where.sectionEnd = i + 1;
        const auto pair = KeyValue(lines_[i]);
        if (pair && !where.keyLine && EqualsIgnoreAsciiCase(pair->first, Trim(key))) where.keyLine = i;
    }
    return where;
}

std::optional<std::string> CIniText::Get(std::string_view section, std::string_view key) const {
    const Location where = Find(section, key);
    if (!where.keyLine) return std::nullopt;
    std::string_view value = KeyValue(lines_[*where.keyLine])->second;
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
    }
    return std::string(value);
}

void CIniText::Set(std::string_view section, std::string_view key, std::string_view value) {
    std::string line(Trim(key));
    line += '=';
    line += value;
    const Location where = Find(section, key);
    if (where.keyLine) {
        lines_[*where.keyLine] = line;
    } else if (where.sectionLine) {
        lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(where.sectionEnd), line);
    } else {
        std::string header = "[";
        header += Trim(section);
        header += ']';
        lines_.push_back(std::move(header));
        lines_.push_back(line);
    }
}

std::string CIniText::Text() const {
    std::string text = hasByteOrderMark_ ? "\xEF\xBB\xBF" : "";
    for (const std::string& line : lines_) {
        text += line;
        text += '\n';
    }
    return text;
}

namespace {
constexpr std::string_view kUtf16LeByteOrderMark = "\xFF\xFE";
}  // namespace

std::optional<IniFileText> DecodeIniFile(std::string_view bytes) {
    if (bytes.starts_with(kUtf16LeByteOrderMark)) {
        std::optional<std::string> text = Utf16LeTextToUtf8(bytes.substr(kUtf16LeByteOrderMark.size()));
        if (!text) return std::nullopt;
        return IniFileText{std::move(*text), IniFileEncoding::Utf16Le};
    }
    if (!IsUtf8Text(bytes)) return std::nullopt;
    return IniFileText{std::string(bytes), IniFileEncoding::Utf8};
}

std::string EncodeIniFile(std::string_view text, IniFileEncoding encoding) {
    if (encoding == IniFileEncoding::Utf8) return std::string(text);
    return std::string(kUtf16LeByteOrderMark) + Utf8ToUtf16Le(text);
}
