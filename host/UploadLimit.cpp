#include "host/UploadLimit.h"

#include "host/HostError.h"
#include "host/ParamConverters.h"
#include "platform/OwnedBstr.h"

#include <string>

namespace norva::host {

namespace {

// Four bits per hexadecimal digit of the modulus; the default when there is no key to read.
int TokenKeyBits(IZentor& component) {
    OwnedBstr key;
    if (FAILED(component.get_PublicKey(key.Put()))) {
        return kDefaultKeyBits;
    }
    const size_t digits = ResultText(key.Get()).size();
    return digits == 0 ? kDefaultKeyBits : static_cast<int>(4 * digits);
}

} // namespace

void RefuseUploadBeyondReply(IZentor& component, std::optional<size_t> records) {
    if (!records || *records <= MaxUploadRecords(kDefaultKeyBits)) {
        return;
    }
    const int keyBits = TokenKeyBits(component);
    const size_t limit = MaxUploadRecords(keyBits);
    if (*records <= limit) {
        return;
    }
    RaiseHostError(kUploadTooLarge, ",\"maxRecords\":" + std::to_string(limit) +
                                        ",\"keyLength\":" + std::to_string(keyBits));
}

} // namespace norva::host
