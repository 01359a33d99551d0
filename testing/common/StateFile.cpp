#include "testing/common/StateFile.h"

#include <fstream>
#include <map>
#include <memory>
#include <mutex>
#include <stdexcept>

#include "testing/common/SystemSeams.h"

namespace sim {

namespace {

// The last text read or written for each state file in this process, with its parsed
// form and a version number naming that text. A driver call reads the state under the
// lock every time, and most calls find it as they left it: the text is still read, since
// another process may have changed it, but it is parsed again only when it differs, and
// changes are made to the kept form itself rather than to a copy.
struct CParsedState {
    std::string text;
    Json::Value state;
    uint64_t version = 0;
};

// Recursive: a change may read another state file of the same process.
std::recursive_mutex g_parsedLock;
std::map<std::string, CParsedState> g_parsed;
uint64_t g_lastVersion = 0;

// The whole file in one read (empty when there is none).
std::string ReadText(const std::string& path) {
    std::ifstream file(path, std::ios::binary | std::ios::ate);
    if (!file)
        return std::string();
    const std::streamoff size = file.tellg();
    if (size <= 0)
        return std::string();
    std::string text(static_cast<size_t>(size), '\0');
    file.seekg(0);
    if (!file.read(text.data(), size))
        throw std::runtime_error("cannot read " + path);
    return text;
}

// The kept state for `path` as `text` gives it. Call with g_parsedLock held.
CParsedState& Parsed(const std::string& path, std::string text) {
    CParsedState& kept = g_parsed[path];
    if (kept.version != 0 && kept.text == text)
        return kept;
    Json::Value state;
    if (!text.empty()) {
        const std::unique_ptr<Json::CharReader> reader(Json::CharReaderBuilder().newCharReader());
        std::string errors;
        if (!reader->parse(text.data(), text.data() + text.size(), &state, &errors) ||
            !state.isObject()) {
            g_parsed.erase(path);
            throw std::runtime_error("state file " + path + " is not valid: " + errors);
        }
    }
    kept.text = std::move(text);
    kept.state = std::move(state);
    kept.version = ++g_lastVersion;
    return kept;
}

} // namespace

std::string SimulatorStatePath(const std::string& variable, const std::string& fallback) {
    const std::string own = ReadEnvironment(variable + "_" + OwnModuleStem());
    if (!own.empty())
        return own;
    const std::string shared = ReadEnvironment(variable);
    return shared.empty() ? fallback : shared;
}

void CStateFile::Update(const std::function<bool(Json::Value&)>& change) const {
    UpdateVersioned([&](Json::Value& state, uint64_t) { return change(state); });
}

uint64_t
CStateFile::UpdateVersioned(const std::function<bool(Json::Value&, uint64_t)>& change) const {
    CFileLock lock(m_path + ".lock");
    std::string text = ReadText(m_path);
    std::lock_guard<std::recursive_mutex> guard(g_parsedLock);
    CParsedState& kept = Parsed(m_path, std::move(text));
    try {
        if (change(kept.state, kept.version)) {
            kept.text = Store(kept.state);
            kept.version = ++g_lastVersion;
        }
    } catch (...) {
        // Half-changed, or not on file: the next call reads the file afresh.
        g_parsed.erase(m_path);
        throw;
    }
    return kept.version;
}

Json::Value CStateFile::Read() const {
    CFileLock lock(m_path + ".lock");
    std::string text = ReadText(m_path);
    std::lock_guard<std::recursive_mutex> guard(g_parsedLock);
    return Parsed(m_path, std::move(text)).state;
}

std::string CStateFile::Store(const Json::Value& state) const {
    const std::string temporary = m_path + ".tmp";
    std::string text;
    {
        std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
        Json::StreamWriterBuilder builder;
        builder["indentation"] = "  ";
        text = Json::writeString(builder, state) + "\n";
        file << text;
        file.flush();
        if (!file)
            throw std::runtime_error("cannot write " + temporary);
    }
    if (!ReplaceAtomically(temporary, m_path))
        throw std::runtime_error("cannot replace " + m_path);
    return text;
}

} // namespace sim
