// The registry store files. HKEY_CLASSES_ROOT and HKEY_CURRENT_USER live in the per-user
// store, $XDG_CONFIG_HOME/norva/registry or $HOME/.config/norva/registry;
// HKEY_LOCAL_MACHINE lives in the system-wide store, norva/registry in the first folder of
// $XDG_CONFIG_DIRS (/etc/xdg by default), which everyone reads and only its owner (root)
// writes. Readers take a shared lock on a lock file beside it; a
// change takes the exclusive lock, reads the store, applies the change and replaces the file
// atomically (temporary file in the same folder, fsync, rename), so that neither a crash nor
// a concurrent writer leaves it half-written. A store that cannot be read or parsed reads as
// empty, and is never overwritten by a change.
#pragma once

#include "platform/posix/RegistryTree.h"

#include <functional>

namespace norva {

// The file of the store holding root, computed afresh from the environment on every call.
std::string RegistryStorePath(RegistryRoot root = RegistryRoot::CurrentUser);

// Fills tree from the store holding root (the tree's other roots are not meaningful); a
// missing, unreadable or corrupt store gives an empty tree.
void ReadRegistry(RegistryRoot root, RegistryTree& tree);

// Applies change to the current store holding root and writes it back when change
// returns ERROR_SUCCESS and sets its flag. Returns change's result, or the error that
// stopped the store from being read or written.
LONG ModifyRegistry(RegistryRoot root,
                    const std::function<LONG(RegistryTree&, bool& changed)>& change);

} // namespace norva
