// The two command families of simctl.
#pragma once

#include "testing/simctl/Common.h"

namespace simctl {

std::vector<CCommand> TokenCommands();
std::vector<CCommand> HlCommands();

} // namespace simctl
