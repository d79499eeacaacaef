// Feeds arbitrary bytes to the Steam KeyValues reader. Beyond the sanitizers'
// own checks it traps when a refused text comes without an error, when a
// tree breaks its own shape (leaves without children, sections without a
// value, no deeper than the limit), when a look-up does not give the first
// child of that key, or when the tree written back as quoted text does not
// read as the same tree.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "engine/key_values.h"

namespace {

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameKey(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (Lower(a[i]) != Lower(b[i])) return false;
    }
    return true;
}

std::string Flipped(std::string_view key) {
    std::string flipped(key);
    for (char& c : flipped) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        else if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return flipped;
}

void CheckShape(const KeyValue& node, size_t depth) {
    if (depth > kMaxKeyValuesDepth) __builtin_trap();
    if (!node.isSection && !node.children.empty()) __builtin_trap();
    if (node.isSection && !node.value.empty()) __builtin_trap();
    for (size_t i = 0; i < node.children.size(); ++i) {
        const KeyValue& child = node.children[i];
        CheckShape(child, depth + (child.isSection ? 1 : 0));
        // Each look-up walks the children: a few keep a large input fast.
        if (i >= 32) continue;
        // Both look-ups ignore ASCII case and answer the first match.
        const std::string other = Flipped(child.key);
        const KeyValue* found = node.Find(other);
        if (found == nullptr || !SameKey(found->key, child.key) || found > &child) __builtin_trap();
        std::optional<std::string> firstLeaf;
        for (const KeyValue& candidate : node.children) {
            if (!candidate.isSection && SameKey(candidate.key, child.key)) {
                firstLeaf = candidate.value;
                break;
            }
        }
        if (node.FindValue(other) != firstLeaf) __builtin_trap();
    }
}

void AppendQuoted(std::string& out, std::string_view text) {
    out.push_back('"');
    for (const char c : text) {
        if (c == '"' || c == '\\') out.push_back('\\');
        out.push_back(c);
    }
    out.push_back('"');
}

void Write(const KeyValue& node, std::string& out) {
    for (const KeyValue& child : node.children) {
        AppendQuoted(out, child.key);
        if (child.isSection) {
            out += " {\n";
            Write(child, out);
            out += "}\n";
        } else {
            out.push_back(' ');
            AppendQuoted(out, child.value);
            out.push_back('\n');
        }
    }
}

bool SameTree(const KeyValue& a, const KeyValue& b) {
    if (a.key != b.key || a.value != b.value || a.isSection != b.isSection) return false;
    if (a.children.size() != b.children.size()) return false;
    for (size_t i = 0; i < a.children.size(); ++i) {
        if (!SameTree(a.children[i], b.children[i])) return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::string error;
    const auto parsed = ParseKeyValues(text, &error);
    if (!parsed) {
        if (error.empty()) __builtin_trap();
        return 0;
    }
    if (!parsed->isSection) __builtin_trap();
    CheckShape(*parsed, 0);

    std::string written;
    Write(*parsed, written);
    const auto reread = ParseKeyValues(written);
    if (!reread || !SameTree(*parsed, *reread)) __builtin_trap();

    // The look-ups the Steam reader makes.
    if (const KeyValue* folders = parsed->Find("libraryfolders")) {
        for (const KeyValue& library : folders->children) {
            library.FindValue("path");
            if (const KeyValue* apps = library.Find("apps")) apps->FindValue("250820");
        }
    }
    if (const KeyValue* state = parsed->Find("AppState")) state->FindValue("StateFlags");
    return 0;
}
