// The life of the host process: bind to the component, read one framed request, run it,
// write one framed reply.
#pragma once

#include "component/IZentor.h"

#include <iosfwd>

namespace norva::host {

using ComponentBinder = IZentor* (*)();

// Writes exactly one reply to out whatever happens. Host error codes raised anywhere in the
// request's handling become the error reply; any other failure becomes the error reply with
// code 710. When binding fails nothing is read from in.
void ServeOneRequest(std::istream& in, std::ostream& out, ComponentBinder bind);

} // namespace norva::host
