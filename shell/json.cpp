#include "shell/json.h"

#include <json/reader.h>

#include <cstdint>
#include <exception>
#include <memory>

bool ParseJson(std::string_view text, Json::Value& root) {
    Json::CharReaderBuilder builder;
    builder["collectComments"] = false;
    const std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    try {
        return reader->parse(text.data(), text.data() + text.size(), &root, nullptr);
    } catch (const std::exception&) {
        return false;
    }
}

const Json::Value* JsonMember(const Json::Value& object, std::string_view key) {
    if (!object.isObject()) return nullptr;
    return object.find(key.data(), key.data() + key.size());
}

std::optional<std::string> JsonText(const Json::Value& value, JsonIntegerWidth width) {
    const bool narrow = width == JsonIntegerWidth::Bits32;
    switch (value.type()) {
        case Json::stringValue:
            return value.asString();
        case Json::intValue:
            return narrow ? std::to_string(static_cast<int32_t>(value.asLargestInt()))
                          : std::to_string(value.asLargestInt());
        case Json::uintValue:
            return narrow ? std::to_string(static_cast<int32_t>(static_cast<uint32_t>(value.asLargestUInt())))
                          : std::to_string(value.asLargestUInt());
        case Json::realValue:
            return std::to_string(value.asDouble());  // "%f"
        default:
            return std::nullopt;
    }
}
