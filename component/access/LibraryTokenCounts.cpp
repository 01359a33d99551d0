#include "component/access/LibraryTokenCounts.h"

#include "component/access/CTokenDriver.h"

namespace {

void RemoveFrom(LONG& count, LONG shared) {
    if (shared > 0 && count >= shared) {
        count -= shared;
    }
}

} // namespace

void LibraryTokenCounts::RemoveShared() {
    RemoveFrom(tavlink, brevo);
    RemoveFrom(etPkcs11, brevo);
    RemoveFrom(etPkcs11, tavlink);
}

LONG LibraryTokenCounts::OnlyCardType() const {
    if (brevo == 1) {
        return kCardBrevo;
    }
    return tavlink == 1 ? kCardTavlink : kCardEtPkcs11;
}
