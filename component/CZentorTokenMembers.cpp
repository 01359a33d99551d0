// The IZentor members that choose a driver and count tokens. None of them touches
// LastZTError; the counts leave the last slot call's result in PKCS11Error.
#include "component/CZentor.h"
#include "component/NoThrow.h"

HRESULT CZentor::put_CardType(LONG newVal) {
    // The old driver's session is not closed: destroying the driver releases its library.
    return NoThrow([&] {
        access.UseDriver(newVal);
        return S_OK;
    });
}

HRESULT CZentor::get_DriversInstalled(VARIANT_BOOL* pVal) {
    return NoThrow([&] {
        driversInstalled = driversInstalled || CTokenAccess::DriversInstalled();
        if (pVal != nullptr) {
            *pVal = driversInstalled ? 1 : 0;
        }
        return S_OK;
    });
}

HRESULT CZentor::get_TokensCount(LONG* pVal) {
    return NoThrow([&] {
        const LONG count = access.CountForCaller(TokenScope::Any);
        if (pVal != nullptr) {
            *pVal = count;
        }
        return S_OK;
    });
}

HRESULT CZentor::get_NorvaEFTTokensCount(LONG* pVal) {
    return NoThrow([&] {
        const LONG count = access.CountForCaller(TokenScope::Service);
        if (pVal != nullptr) {
            *pVal = count;
        }
        return S_OK;
    });
}
