// A simulator's state: one JSON file that several processes share. Every access takes
// an exclusive lock on a companion ".lock" file; every change is written to a
// temporary file that then replaces the state file, so a reader never sees half a
// state and two writers never interleave.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include <json/json.h>

namespace sim {

class CStateFile {
public:
    explicit CStateFile(std::string path) : m_path(std::move(path)) {}
    const std::string& Path() const { return m_path; }

    // Runs `change` on the current state (null when there is no file yet) under the
    // lock and writes the state back when `change` returns true. `change` works on the
    // state this process keeps for the file, not on a copy: it must return true whenever
    // it altered it. Throws std::runtime_error when the file cannot be parsed or written.
    void Update(const std::function<bool(Json::Value&)>& change) const;
    // The same, also handing `change` a version number of the state it is given: within
    // one process the same number always means the same state, so a caller may keep what
    // it derived from a state under its number. Returns the number of the state on file
    // afterwards. Never 0.
    uint64_t UpdateVersioned(const std::function<bool(Json::Value&, uint64_t)>& change) const;
    // A copy of the current state.
    Json::Value Read() const;

private:
    // Writes `state` through a temporary file and gives the text written.
    std::string Store(const Json::Value& state) const;

    std::string m_path;
};

// The state file of the simulator library holding this code: the file named by
// `variable`_<library name> when set, else by `variable`, else `fallback`.
std::string SimulatorStatePath(const std::string& variable, const std::string& fallback);

} // namespace sim
