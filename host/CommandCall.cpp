#include "host/CommandCall.h"

#include "host/HostError.h"
#include "host/UploadLimit.h"

namespace norva::host {

void CheckComponentCall(HRESULT result) {
    if (FAILED(result)) {
        RaiseHostError(kComponentAccess);
    }
}

const char* CCommandCall::Declared(const char* key, ParamKind kind) const {
    for (const ParamMember& member : members_) {
        if (member.key == key && member.kind == kind) {
            return key;
        }
    }
    RaiseHostError(kInternalFailure);
}

void CCommandCall::ReadSignFileCanceled() {
    VARIANT_BOOL canceled = 0;
    CheckComponentCall(component_.get_SignFileCanceled(&canceled));
    signFileCanceled_ = static_cast<uint16_t>(canceled) == 1;
}

void CCommandCall::LimitUpload(std::optional<size_t> records) {
    BeforeMainCall();
    RefuseUploadBeyondReply(component_, records);
}

void CCommandCall::BeforeMainCall() {
    if (!tokenCountFirst_) {
        return;
    }
    tokenCountFirst_ = false;
    LONG count = 0;
    CheckComponentCall(component_.get_NorvaEFTTokensCount(&count));
}

} // namespace norva::host
