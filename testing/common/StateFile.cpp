#include "testing/common/StateFile.h"

#include <fstream>
#include <map>
#include <memory>
#include <mutex>
#include <sstream>
#include <stdexcept>

#include "testing/common/SystemSeams.h"

namespace sim {

namespace {

// The last text read or written for each state file in this process, with its parsed
// form. A driver call reads the state under the lock every time, and most calls find it
// as they left it: the text is still read, since another process may have changed it, but
// parsing it again is skipped when it is the same text.
struct CParsedState {
    std::string text;
    Json::Value state;
};

std::mutex g_parsedLock;
std::map<std::string, CParsedState> g_parsed;

bool FindParsed(const std::string& path, const std::string& text, Json::Value& state) {
    std::lock_guard<std::mutex> guard(g_parsedLock);
    const auto found = g_parsed.find(path);
    if (found == g_parsed.end() || found->second.text != text)
        return false;
    state = found->second.state;
    return true;
}

void KeepParsed(const std::string& path, std::string text, const Json::Value& state) {
    std::lock_guard<std::mutex> guard(g_parsedLock);
    g_parsed[path] = CParsedState{std::move(text), state};
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
    CFileLock lock(m_path + ".lock");
    Json::Value state = Load();
    if (change(state))
        Store(state);
}

Json::Value CStateFile::Read() const {
    CFileLock lock(m_path + ".lock");
    return Load();
}

Json::Value CStateFile::Load() const {
    std::ifstream file(m_path, std::ios::binary);
    if (!file)
        return Json::Value();
    std::ostringstream read;
    read << file.rdbuf();
    std::string text = read.str();
    if (text.empty())
        return Json::Value();
    Json::Value state;
    if (FindParsed(m_path, text, state))
        return state;
    const std::unique_ptr<Json::CharReader> reader(Json::CharReaderBuilder().newCharReader());
    std::string errors;
    if (!reader->parse(text.data(), text.data() + text.size(), &state, &errors) ||
        !state.isObject())
        throw std::runtime_error("state file " + m_path + " is not valid: " + errors);
    KeepParsed(m_path, std::move(text), state);
    return state;
}

void CStateFile::Store(const Json::Value& state) const {
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
    KeepParsed(m_path, std::move(text), state);
}

} // namespace sim
