// norva-drivers: points the token component at the driver modules of this system.
//
//   norva-drivers list
//   norva-drivers set DRIVER MODULE [--system] [--force]
//   norva-drivers clear DRIVER|--all [--system]
//   norva-drivers probe MODULE
//
// DRIVER is a driver's library name (".dll" and letter case may be left out). Without --system a
// command works on the mapping of the user who runs it.
#include <cstdio>
#include <cstring>
#include <string_view>

#include "tools/drivers/DoctorCommand.h"
#include "tools/drivers/DriverTool.h"

namespace {

using norva::tool::Arguments;

constexpr char kUsageText[] =
    "usage: norva-drivers list\n"
    "       norva-drivers set DRIVER MODULE [--system] [--force]\n"
    "       norva-drivers clear DRIVER|--all [--system]\n"
    "       norva-drivers probe MODULE\n"
    "       norva-drivers doctor      (checks your installation; 7: problems found)\n"
    "DRIVER: %s. --system: the system-wide mapping\n"
    "(root only) instead of your own. --force: store a module that fails its check.\n"
    "Exit codes: 0 done, 2 usage, 3 module missing, 4 not a driver module,\n"
    "5 the module failed a call, 6 the mapping could not be stored.\n";

int Usage() {
    std::fprintf(stderr, kUsageText, norva::tool::DriverNamesText().c_str());
    return norva::tool::kUsage;
}

struct Command {
    std::string_view name;
    size_t minimumWords, maximumWords;
    int (*run)(const Arguments&);
};

constexpr Command kCommands[] = {
    {"list", 0, 0, &norva::tool::ListMappings},  {"set", 2, 2, &norva::tool::SetMapping},
    {"clear", 1, 1, &norva::tool::ClearMapping}, {"probe", 1, 1, &norva::tool::ProbeModule},
    {"doctor", 0, 1, &norva::tool::Doctor},
};

bool ReadOptions(int argc, char** argv, Arguments& arguments) {
    for (int i = 2; i < argc; ++i) {
        const std::string_view word = argv[i];
        if (word == "--system") {
            arguments.system = true;
        } else if (word == "--force") {
            arguments.force = true;
        } else if (word.starts_with("--") && word != "--all") {
            return false;
        } else {
            arguments.words.emplace_back(word);
        }
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        return Usage();
    }
    Arguments arguments;
    const bool readable = ReadOptions(argc, argv, arguments);
    for (const Command& command : kCommands) {
        if (command.name != argv[1]) {
            continue;
        }
        if (!readable || arguments.words.size() < command.minimumWords ||
            arguments.words.size() > command.maximumWords) {
            break;
        }
        return command.run(arguments);
    }
    return Usage();
}
