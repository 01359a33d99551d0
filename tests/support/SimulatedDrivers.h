// The simulated drivers installed in the place of the drivers of the driver table: a
// PKCS#11 driver as the token simulator, the device driver as the device simulator, each
// under the driver's own library name.
#pragma once

#include <string>

#include "component/access/DriverTable.h"
#include "testing/support/SimFixture.h"

// The name the simulators are installed under: the driver's library name without ".dll".
std::string SimulatedDriverName(LONG cardType);

// The simulator that stands for the driver of `cardType`, installed in the fixture's folder
// (a token simulator with `stateName` keeps tokens of its own); returns its path.
std::string InstallSimulatedDriver(sim::CSimFixture& sims, LONG cardType,
                                   const std::string& stateName = "");
