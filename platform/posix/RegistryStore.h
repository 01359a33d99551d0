// The per-user registry store file: $XDG_CONFIG_HOME/norva/registry, or
// $HOME/.config/norva/registry. Readers take a shared lock on a lock file beside it; a
// change takes the exclusive lock, reads the store, applies the change and replaces the file
// atomically (temporary file in the same folder, fsync, rename), so that neither a crash nor
// a concurrent writer leaves it half-written. A store that cannot be read or parsed reads as
// empty, and is never overwritten by a change.
#pragma once

#include "platform/posix/RegistryTree.h"

#include <functional>

namespace norva {

// The store's file name, computed afresh from the environment on every call.
std::string RegistryStorePath();

// Fills tree from the store; a missing, unreadable or corrupt store gives an empty tree.
void ReadRegistry(RegistryTree& tree);

// Applies change to the current store and writes it back when change returns
// ERROR_SUCCESS and sets its flag. Returns change's result, or the error that stopped the
// store from being read or written.
LONG ModifyRegistry(const std::function<LONG(RegistryTree&, bool& changed)>& change);

} // namespace norva
