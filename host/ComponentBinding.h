// Obtains the token component: through COM by class identifier, or, when the class is not
// registered, from the component library found on the library search path.
#pragma once

#include "component/IZentor.h"

namespace norva::host {

// A new CZentor object; raises 709 when it cannot be created. The caller holds the pointer
// until the process ends and never releases it.
IZentor* BindComponent();

} // namespace norva::host
