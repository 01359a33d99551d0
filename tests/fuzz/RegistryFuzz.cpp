// The registry store's text form: any text either is refused or parses to a tree whose
// written form reads back to the same written form.
#include <cstdlib>
#include <string>

#include "platform/posix/RegistryFormat.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    norva::RegistryTree tree;
    if (!norva::ParseRegistry(text, tree)) {
        return 0;
    }
    const std::string written = norva::FormatRegistry(tree);
    // Every key is written with its whole path, so a deep tree from a short text writes a
    // text that grows with the square of its depth; reading such a text back is left out to
    // keep the runs fast.
    if (written.size() > 4 * size + 1024) {
        return 0;
    }
    norva::RegistryTree again;
    if (!norva::ParseRegistry(written, again) || norva::FormatRegistry(again) != written) {
        std::abort();
    }
    return 0;
}
