// NorvaHost: the browser starts it once per message. Arguments are ignored.
#include "host/ComponentBinding.h"
#include "host/HostSession.h"
#include "platform/StdioBinary.h"
#include "platform/WinApi.h"

#include <iostream>

int main() {
    SetStdioBinary();
    // The component is an apartment-model object; the result does not matter, since a
    // failure shows up as a binding failure.
    CoInitialize(nullptr);
    try {
        norva::host::ServeOneRequest(std::cin, std::cout, &norva::host::BindComponent);
    } catch (...) {
        // Nothing is left to report to once the reply could not be written.
    }
    // The component is deliberately not released: the process end tears it down.
    return 0;
}
