#include "testing/common/StateFile.h"

#include <fstream>
#include <sstream>
#include <stdexcept>

#include "testing/common/SystemSeams.h"

namespace sim {

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
    std::stringstream text;
    text << file.rdbuf();
    if (text.str().empty())
        return Json::Value();
    Json::CharReaderBuilder builder;
    Json::Value state;
    std::string errors;
    if (!Json::parseFromStream(builder, text, &state, &errors) || !state.isObject())
        throw std::runtime_error("state file " + m_path + " is not valid: " + errors);
    return state;
}

void CStateFile::Store(const Json::Value& state) const {
    const std::string temporary = m_path + ".tmp";
    {
        std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
        Json::StreamWriterBuilder builder;
        builder["indentation"] = "  ";
        file << Json::writeString(builder, state) << "\n";
        file.flush();
        if (!file)
            throw std::runtime_error("cannot write " + temporary);
    }
    if (!ReplaceAtomically(temporary, m_path))
        throw std::runtime_error("cannot replace " + m_path);
}

} // namespace sim
