#include "cli/report_output.h"

#include <json/writer.h>

#include "engine/result_page.h"
#include "shell/text_convert.h"

namespace {

const char* HeadlineName(Headline headline) {
    switch (headline) {
        case Headline::Compatible: return "compatible";
        case Headline::NotCompatible: return "not_compatible";
        case Headline::CannotBeConfirmed: return "cannot_be_confirmed";
        case Headline::DriverNotCompatible: return "driver_not_compatible";
    }
    return "cannot_be_confirmed";
}

const char* ComponentName(ResultComponent component) {
    switch (component) {
        case ResultComponent::Cpu: return "cpu";
        case ResultComponent::Memory: return "memory";
        case ResultComponent::Gpu: return "gpu";
        case ResultComponent::Driver: return "driver";
        case ResultComponent::Os: return "os";
    }
    return "";
}

const char* ResultName(CheckResult result) {
    switch (result) {
        case CheckResult::Pass: return "pass";
        case CheckResult::Fail: return "fail";
        default: return "unknown";
    }
}

// The window shows icons; the terminal shows the same three marks.
const char* ResultMark(CheckResult result) {
    switch (result) {
        case CheckResult::Pass: return "\xE2\x9C\x93";  // check mark
        case CheckResult::Fail: return "\xE2\x9C\x97";  // ballot x
        default: return "?";
    }
}

std::wstring ShownValue(const ResultRow& row, const TextLookup& text) {
    return row.value.empty() ? text(kUnrecognizedKey) : row.value;
}

std::string Utf8(const std::wstring& text) { return WideToUtf8(text); }

// Columns a text takes in a terminal: East Asian wide characters take two.
size_t DisplayWidth(const std::wstring& text) {
    size_t width = 0;
    for (wchar_t c : text) {
        const auto cp = static_cast<uint32_t>(c);
        const bool wide = (cp >= 0x1100 && cp <= 0x115F) || (cp >= 0x2E80 && cp <= 0xA4CF) ||
                          (cp >= 0xAC00 && cp <= 0xD7A3) || (cp >= 0xF900 && cp <= 0xFAFF) ||
                          (cp >= 0xFE30 && cp <= 0xFE4F) || (cp >= 0xFF00 && cp <= 0xFF60) ||
                          (cp >= 0xFFE0 && cp <= 0xFFE6);
        width += wide ? 2 : 1;
    }
    return width;
}

Json::Value Strings(const auto& texts) {
    Json::Value array(Json::arrayValue);
    for (const std::wstring& text : texts) array.append(Utf8(text));
    return array;
}

Json::Value Codes(const std::array<CheckResult, 2>& results) {
    Json::Value array(Json::arrayValue);
    for (CheckResult result : results) array.append(static_cast<int>(result));
    return array;
}

}  // namespace

std::string FormatOutcomeText(const CheckOutcome& outcome, const TextLookup& text) {
    const ResultPage page = BuildResultPage(outcome.report);
    std::string out = Utf8(text(page.titleKey)) + "\n" + Utf8(text(page.tipKey)) + "\n\n";
    size_t captionWidth = 0;
    for (const ResultRow& row : page.rows) captionWidth = std::max(captionWidth, DisplayWidth(text(row.captionKey)));
    for (const ResultRow& row : page.rows) {
        const std::wstring caption = text(row.captionKey);
        out += "  ";
        out += ResultMark(row.result);
        out += "  " + Utf8(caption) + std::string(captionWidth - DisplayWidth(caption) + 2, ' ');
        out += Utf8(ShownValue(row, text)) + "\n";
    }
    return out;
}

Json::Value OutcomeToJson(const CheckOutcome& outcome, const TextLookup& text, const std::wstring& language) {
    const ResultPage page = BuildResultPage(outcome.report);
    const CheckReport& report = outcome.report;
    Json::Value root(Json::objectValue);
    root["headline"] = HeadlineName(page.headline);
    root["language"] = Utf8(language);

    Json::Value rows(Json::arrayValue);
    for (const ResultRow& row : page.rows) {
        Json::Value item(Json::objectValue);
        item["component"] = ComponentName(row.component);
        item["caption"] = Utf8(text(row.captionKey));
        item["value"] = Utf8(ShownValue(row, text));
        item["result"] = ResultName(row.result);
        rows.append(item);
    }
    root["rows"] = rows;

    Json::Value codes(Json::objectValue);
    codes["cpuGameResult"] = static_cast<int>(report.cpuGameResult);
    codes["cpuVideoResult"] = static_cast<int>(outcome.cpuVideoResult);
    codes["gpuGameResult"] = Codes(report.gpuGameResult);
    codes["gpuVideoResult"] = Codes(outcome.gpuVideoResult);
    codes["memoryResult"] = static_cast<int>(report.memoryResult);
    codes["osResult"] = static_cast<int>(report.osResult);
    codes["overallGameResult"] = static_cast<int>(outcome.overallGameResult);
    codes["overallVideoResult"] = static_cast<int>(outcome.overallVideoResult);
    codes["steamVrResult"] = outcome.steamVrResult;
    codes["usbResult"] = outcome.usbResult;
    codes["driverFlags"] = report.driverFlags;
    codes["combinedResult"] = outcome.combinedResult;
    root["report"] = codes;

    const HardwareInventory& shown = report.display;
    Json::Value inventory(Json::objectValue);
    inventory["cpuText"] = Utf8(shown.cpuText);
    inventory["memoryText"] = Utf8(shown.memoryText);
    inventory["osText"] = Utf8(shown.osText);
    inventory["gpuName"] = Strings(shown.gpuName);
    inventory["driverVersion"] = Strings(shown.driverVersion);
    inventory["gpuNames"] = Strings(outcome.gpuNames);
    inventory["usbPortCount"] = shown.usbPortCount;
    inventory["laptop"] = outcome.laptop;
    root["inventory"] = inventory;

    root["ruleSet"] = Utf8(outcome.ruleSetPath);

    Json::Value download(Json::objectValue);
    download["tried"] = outcome.download.tried;
    download["cacheUpdated"] = outcome.download.cacheUpdated;
    download["failure"] = Utf8(outcome.download.failure);
    root["download"] = download;
    return root;
}

std::string WriteJson(const Json::Value& value) {
    Json::StreamWriterBuilder builder;
    builder["indentation"] = "  ";
    builder["emitUTF8"] = true;
    return Json::writeString(builder, value) + "\n";
}
