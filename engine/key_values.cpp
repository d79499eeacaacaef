#include "engine/key_values.h"

#include "shell/text_util.h"

namespace {

enum class TokenKind { End, Text, Open, Close, Condition, Error };

struct Token {
    TokenKind kind = TokenKind::End;
    std::string text;
};

class CKeyValuesParser {
public:
    explicit CKeyValuesParser(std::string_view text) : text_(text) {
        // Notepad and some tools put a byte-order mark in front of the file.
        if (text_.substr(0, 3) == "\xEF\xBB\xBF") pos_ = 3;
    }

    // Reads entries into `section` until its closing brace (or the end of the
    // document at the top level).
    bool ParseEntries(KeyValue& section, size_t depth) {
        for (;;) {
            Token key = Next();
            if (key.kind == TokenKind::Error) return false;
            if (key.kind == TokenKind::End) {
                if (depth == 0) return true;
                return Fail("section not closed at end of text");
            }
            if (key.kind == TokenKind::Close) {
                if (depth > 0) return true;
                return Fail("closing brace without a section");
            }
            if (key.kind != TokenKind::Text) return Fail("expected a key");

            Token value = Next();
            while (value.kind == TokenKind::Condition) value = Next();
            KeyValue entry;
            entry.key = std::move(key.text);
            if (value.kind == TokenKind::Text) {
                entry.value = std::move(value.text);
                SkipCondition();
            } else if (value.kind == TokenKind::Open) {
                if (depth + 1 > kMaxKeyValuesDepth) return Fail("sections nested too deep");
                entry.isSection = true;
                if (!ParseEntries(entry, depth + 1)) return false;
            } else if (value.kind == TokenKind::Error) {
                return false;
            } else {
                return Fail("key without a value");
            }
            section.children.push_back(std::move(entry));
        }
    }

    const std::string& Error() const { return error_; }

private:
    bool Fail(const char* what) {
        error_ = std::string(what) + " at offset " + std::to_string(pos_);
        return false;
    }

    void SkipBlanksAndComments() {
        while (pos_ < text_.size()) {
            if (IsBlank(text_[pos_], kCSpaces)) {
                ++pos_;
            } else if (text_.substr(pos_, 2) == "//") {
                const size_t end = text_.find('\n', pos_);
                pos_ = end == std::string_view::npos ? text_.size() : end + 1;
            } else {
                break;
            }
        }
    }

    // A condition may follow a value on the same entry: "key" "value" [$WIN32].
    void SkipCondition() {
        const size_t saved = pos_;
        SkipBlanksAndComments();
        if (pos_ < text_.size() && text_[pos_] == '[') {
            Token condition = Next();
            if (condition.kind == TokenKind::Condition) return;
        }
        pos_ = saved;
    }

    Token Next() {
        SkipBlanksAndComments();
        Token token;
        if (pos_ >= text_.size()) return token;
        const char c = text_[pos_];
        if (c == '{') {
            ++pos_;
            token.kind = TokenKind::Open;
        } else if (c == '}') {
            ++pos_;
            token.kind = TokenKind::Close;
        } else if (c == '[') {
            const size_t end = text_.find(']', pos_);
            if (end == std::string_view::npos) {
                Fail("condition not closed");
                token.kind = TokenKind::Error;
            } else {
                pos_ = end + 1;
                token.kind = TokenKind::Condition;
            }
        } else if (c == '"') {
            token.kind = ReadQuoted(token.text) ? TokenKind::Text : TokenKind::Error;
        } else {
            // A bare token runs to the next blank, quote or brace.
            const size_t start = pos_;
            while (pos_ < text_.size() && !IsBlank(text_[pos_], kCSpaces) && text_[pos_] != '"' &&
                   text_[pos_] != '{' && text_[pos_] != '}') {
                ++pos_;
            }
            token.kind = TokenKind::Text;
            token.text = std::string(text_.substr(start, pos_ - start));
        }
        return token;
    }

    bool ReadQuoted(std::string& out) {
        const size_t start = pos_++;
        while (pos_ < text_.size()) {
            const char c = text_[pos_++];
            if (c == '"') return true;
            if (c == '\\' && pos_ < text_.size()) {
                const char escaped = text_[pos_++];
                switch (escaped) {
                    case 'n': out.push_back('\n'); break;
                    case 't': out.push_back('\t'); break;
                    case '\\': out.push_back('\\'); break;
                    case '"': out.push_back('"'); break;
                    // Unknown escapes stay as written: Windows paths in older
                    // files are not always doubled.
                    default: out.push_back('\\'); out.push_back(escaped); break;
                }
                continue;
            }
            out.push_back(c);
        }
        pos_ = start;
        return Fail("quoted text not closed");
    }

    std::string_view text_;
    size_t pos_ = 0;
    std::string error_;
};

}  // namespace

const KeyValue* KeyValue::Find(std::string_view childKey) const {
    for (const KeyValue& child : children) {
        if (EqualsIgnoreAsciiCase(child.key, childKey)) return &child;
    }
    return nullptr;
}

std::optional<std::string> KeyValue::FindValue(std::string_view childKey) const {
    for (const KeyValue& child : children) {
        if (!child.isSection && EqualsIgnoreAsciiCase(child.key, childKey)) return child.value;
    }
    return std::nullopt;
}

std::optional<KeyValue> ParseKeyValues(std::string_view text, std::string* error) {
    CKeyValuesParser parser(text);
    KeyValue root;
    root.isSection = true;
    if (!parser.ParseEntries(root, 0)) {
        if (error) *error = parser.Error();
        return std::nullopt;
    }
    return root;
}
