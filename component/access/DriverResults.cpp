#include "component/access/DriverResults.h"

#include "component/access/drivers/HlApi.h"

namespace {

template <typename Result> struct Outcome {
    Result result;
    TZentorError code;
};

constexpr Outcome<CK_RV> kLoginOutcomes[] = {
    {CKR_OK, ZTNoError},
    {CKR_USER_ALREADY_LOGGED_IN, ZTNoError},
    {CKR_PIN_EXPIRED, ZTLoginPinExpired},
};

constexpr Outcome<int32_t> kHlLogonOutcomes[] = {
    {HL_OK, ZTNoError},
    {HL_PIN_EXPIRED, ZTLoginPinExpired},
};

template <typename Result, size_t N>
TZentorError Lookup(const Outcome<Result> (&table)[N], Result result, TZentorError otherwise) {
    for (const Outcome<Result>& row : table) {
        if (row.result == result) {
            return row.code;
        }
    }
    return otherwise;
}

} // namespace

TZentorError MapLoginResult(CK_RV rv) {
    return Lookup(kLoginOutcomes, rv, ZTLoginFailed);
}

TZentorError MapHlLogonResult(int32_t result) {
    return Lookup(kHlLogonOutcomes, result, ZTLoginFailed);
}

TZentorError MapSearchFailure(SearchStage stage) {
    return stage == SearchStage::Init ? ZTFindObjectsInitFailed : ZTFindObjectsFailed;
}

TZentorError MapSearchCount(CK_ULONG found) {
    constexpr TZentorError kByCount[] = {ZTDataItemNotFound, ZTNoError, ZTTooManyItems};
    return found < 2 ? kByCount[found] : kByCount[2];
}

TZentorError MapStoreSearchFailure(TZentorError search) {
    switch (search) {
    case ZTTooManyItems:
    case ZTFindObjectsFailed:
    case ZTFindObjectsInitFailed:
        return ZTFindDataItemFailed;
    default:
        return search;
    }
}
