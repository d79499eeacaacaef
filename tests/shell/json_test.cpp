#include "shell/json.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {

// The language index reads its members 32 bits wide, the service's document
// address and the minimum-requirements texts whole; both print reals "%f"
// and give nothing for values without a text form.
TEST(JsonText, ReadsEachTypeToTheWidthAsked) {
    const struct {
        const char* name;
        Json::Value value;
        std::optional<std::string> bits32;
        std::optional<std::string> bits64;
    } kCases[] = {
        {"string", "8 GB", "8 GB", "8 GB"},
        {"negative integer", -7, "-7", "-7"},
        {"integer beyond 32 bits", Json::Value(Json::Int64{4294967298}), "2", "4294967298"},
        {"unsigned beyond 32 bits", Json::Value(Json::UInt64{18446744073709551615u}), "-1", "18446744073709551615"},
        {"real", 1.5, "1.500000", "1.500000"},
        {"boolean", true, std::nullopt, std::nullopt},
        {"null", Json::Value(), std::nullopt, std::nullopt},
        {"array", Json::Value(Json::arrayValue), std::nullopt, std::nullopt},
        {"object", Json::Value(Json::objectValue), std::nullopt, std::nullopt},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(JsonText(c.value, JsonIntegerWidth::Bits32), c.bits32);
        EXPECT_EQ(JsonText(c.value, JsonIntegerWidth::Bits64), c.bits64);
    }
}

TEST(ParseJson, RefusesWhatDoesNotParseAndNestingBeyondTheLimitWithoutThrowing) {
    Json::Value root;
    EXPECT_TRUE(ParseJson(R"({"a": [1, 2], /* a comment */ "b": "x"})", root));
    EXPECT_EQ(root["b"].asString(), "x");
    EXPECT_FALSE(ParseJson("{\"a\": ", root));
    EXPECT_FALSE(ParseJson(std::string(100000, '['), root));
}

TEST(JsonMember, FindsMembersOfObjectsOnly) {
    Json::Value root;
    ASSERT_TRUE(ParseJson(R"({"body": {"url": "u"}, "list": [1]})", root));
    ASSERT_NE(JsonMember(root, "body"), nullptr);
    EXPECT_EQ(JsonMember(*JsonMember(root, "body"), "url")->asString(), "u");
    EXPECT_EQ(JsonMember(root, "missing"), nullptr);
    EXPECT_EQ(JsonMember(*JsonMember(root, "list"), "0"), nullptr);
}

}  // namespace
