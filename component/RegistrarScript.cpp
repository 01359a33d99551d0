#include "component/RegistrarScript.h"

#include <cctype>
#include <optional>

namespace {

struct Token {
    std::string text;
    bool quoted = false;
    bool Is(const char* word) const { return !quoted && text == word; }
};

class Tokenizer {
public:
    explicit Tokenizer(std::string_view source) : text(source) {}

    // Nothing at the end of the text; a quote that never closes is an error.
    bool Next(std::optional<Token>& token) {
        SkipSpace();
        token.reset();
        if (at >= text.size()) {
            return true;
        }
        const char c = text[at];
        if (c == '{' || c == '}' || c == '=') {
            ++at;
            token = Token{std::string(1, c)};
            return true;
        }
        return c == '\'' ? Quoted(token) : Word(token);
    }

private:
    void SkipSpace() {
        while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at])) != 0) {
            ++at;
        }
    }

    bool Quoted(std::optional<Token>& token) {
        std::string value;
        for (++at; at < text.size(); ++at) {
            if (text[at] != '\'') {
                value += text[at];
            } else if (at + 1 < text.size() && text[at + 1] == '\'') {
                value += '\'';
                ++at;
            } else {
                ++at;
                token = Token{value, true};
                return true;
            }
        }
        return false;
    }

    bool Word(std::optional<Token>& token) {
        const size_t start = at;
        while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at])) == 0 &&
               text[at] != '{' && text[at] != '}' && text[at] != '=' && text[at] != '\'') {
            ++at;
        }
        token = Token{std::string(text.substr(start, at - start))};
        return true;
    }

    std::string_view text;
    size_t at = 0;
};

class ScriptParser {
public:
    ScriptParser(std::string_view script, RegistryEntries& out) : tokens(script), entries(out) {}

    bool Parse() {
        while (Advance() && current) {
            HKEY root = nullptr;
            if (!RootKey(current->text, root) || !Expect("{") || !Body(root, "", KeyRule::Keep)) {
                return false;
            }
        }
        return ok;
    }

private:
    bool Advance() {
        if (pushedBack) {
            pushedBack = false;
            return ok;
        }
        ok = ok && tokens.Next(current);
        return ok;
    }

    bool Expect(const char* what) { return Advance() && current && current->Is(what); }

    static bool RootKey(const std::string& name, HKEY& root) {
        if (name == "HKCR" || name == "HKEY_CLASSES_ROOT") {
            root = HKEY_CLASSES_ROOT;
        } else if (name == "HKCU" || name == "HKEY_CURRENT_USER") {
            root = HKEY_CURRENT_USER;
        } else if (name == "HKLM" || name == "HKEY_LOCAL_MACHINE") {
            root = HKEY_LOCAL_MACHINE;
        } else {
            return false;
        }
        return true;
    }

    // The lines between a key's braces, up to its closing brace. A named value follows
    // the rule of its key.
    bool Body(HKEY root, const std::string& parent, KeyRule parentRule) {
        while (Advance() && current && !current->Is("}")) {
            const bool done =
                current->Is("val") ? Value(root, parent, parentRule) : Key(root, parent);
            if (!done) {
                return false;
            }
        }
        return ok && current.has_value();
    }

    // "= s 'text'", after the '=' was read.
    bool StringData(std::string& data) {
        if (!Advance() || !current || !current->Is("s") || !Advance() || !current ||
            !current->quoted) {
            return false;
        }
        data = current->text;
        return true;
    }

    bool Value(HKEY root, const std::string& key, KeyRule rule) {
        if (!Advance() || !current || key.empty()) {
            return false;
        }
        RegistryEntry entry{root, key, rule, true, current->text, ""};
        if (!Expect("=") || !StringData(entry.data)) {
            return false;
        }
        entries.push_back(entry);
        return true;
    }

    bool Key(HKEY root, const std::string& parent) {
        KeyRule rule = KeyRule::Normal;
        if (current->Is("NoRemove") || current->Is("ForceRemove")) {
            rule = current->Is("NoRemove") ? KeyRule::Keep : KeyRule::ReplaceFirst;
            if (!Advance() || !current) {
                return false;
            }
        }
        const std::string path = parent.empty() ? current->text : parent + "\\" + current->text;
        entries.push_back(RegistryEntry{root, path, rule, false, "", ""});
        if (!Advance() || !current) {
            return false;
        }
        if (current->Is("=")) {
            RegistryEntry value{root, path, rule, true, "", ""};
            if (!StringData(value.data)) {
                return false;
            }
            entries.push_back(value);
            if (!Advance() || !current) {
                return false;
            }
        }
        if (current->Is("{")) {
            return Body(root, path, rule);
        }
        // The token after a key without braces begins the next line.
        pushedBack = true;
        return true;
    }

    Tokenizer tokens;
    RegistryEntries& entries;
    std::optional<Token> current;
    bool ok = true;
    bool pushedBack = false;
};

} // namespace

bool ParseRegistrarScript(std::string_view script, RegistryEntries& entries) {
    entries.clear();
    return ScriptParser(script, entries).Parse();
}
