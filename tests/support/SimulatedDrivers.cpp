#include "tests/support/SimulatedDrivers.h"

#include <stdexcept>

std::string SimulatedDriverName(LONG cardType) {
    const DriverEntry* driver = DriverForCardType(cardType);
    if (driver == nullptr) {
        throw std::invalid_argument("no driver has card type " + std::to_string(cardType));
    }
    const std::string library = driver->libraryName;
    return library.substr(0, library.rfind('.'));
}

std::string InstallSimulatedDriver(sim::CSimFixture& sims, LONG cardType,
                                   const std::string& stateName) {
    const DriverEntry* driver = DriverForCardType(cardType);
    const sim::TSimulator simulator = driver != nullptr && driver->family == DriverFamily::Hl
                                          ? sim::TSimulator::Device
                                          : sim::TSimulator::Token;
    return sims.Install(simulator, SimulatedDriverName(cardType), stateName);
}
