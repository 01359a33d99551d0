// A simulator's state: one JSON file that several processes share. Every access takes
// an exclusive lock on a companion ".lock" file; every change is written to a
// temporary file that then replaces the state file, so a reader never sees half a
// state and two writers never interleave.
#pragma once

#include <functional>
#include <string>

#include <json/json.h>

namespace sim {

class CStateFile {
public:
    explicit CStateFile(std::string path) : m_path(std::move(path)) {}
    const std::string& Path() const { return m_path; }

    // Runs `change` on the current state (null when there is no file yet) under the
    // lock and writes the state back when `change` returns true. Throws
    // std::runtime_error when the file cannot be parsed or written.
    void Update(const std::function<bool(Json::Value&)>& change) const;
    Json::Value Read() const;

private:
    Json::Value Load() const;
    void Store(const Json::Value& state) const;

    std::string m_path;
};

// The state file of the simulator library holding this code: the file named by
// `variable`_<library name> when set, else by `variable`, else `fallback`.
std::string SimulatorStatePath(const std::string& variable, const std::string& fallback);

} // namespace sim
