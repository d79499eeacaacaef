#pragma once
// Rule-set documents for tests that need a copy the loader chooses, or a
// download that replaces the cache: complete rule sets holding only the
// entries a test names.

#include <gtest/gtest.h>
#include <json/value.h>
#include <json/writer.h>

#include <string>
#include <string_view>

#include "engine/rule_set.h"
#include "shell/json.h"

// {"body":{<members>}} (members written as inside the braces of "body"), with
// every list the shipped document carries that `members` leaves out, empty.
inline std::string CompleteRuleSet(std::string_view members = "") {
    std::string object = "{";
    object.append(members).append("}");
    Json::Value body;
    EXPECT_TRUE(ParseJson(object, body)) << members;
    if (!body.isObject()) body = Json::Value(Json::objectValue);
    for (const RuleListKey& entry : kRuleListKeys) {
        if (entry.required && !body.isMember(entry.key)) body[entry.key] = Json::Value(Json::arrayValue);
    }
    Json::Value root(Json::objectValue);
    root["body"] = body;
    Json::StreamWriterBuilder writer;
    writer["indentation"] = "";
    return Json::writeString(writer, root);
}
