// The IZentor members that choose a driver and count tokens. None of them touches
// LastZTError; the counts leave the last slot call's result in PKCS11Error.
#include "component/CZentor.h"

#include <array>

#include "component/access/CTokenDriver.h"

HRESULT CZentor::put_CardType(LONG newVal) {
    // The old driver's session is not closed: destroying the driver releases its library.
    ReplaceDriver(nullptr);
    if (DriverLibraryName(newVal) != nullptr) {
        UseDriver(newVal);
    }
    return S_OK;
}

HRESULT CZentor::get_DriversInstalled(VARIANT_BOOL* pVal) {
    if (!driversInstalled) {
        // All three are loaded before any is tested, and destroyed in reverse order.
        std::array<std::unique_ptr<CTokenDriver>, 3> probes;
        const LONG cardTypes[] = {kCardTavlink, kCardBrevo, kCardEToken};
        for (size_t i = 0; i < probes.size(); ++i) {
            probes[i] =
                std::make_unique<CTokenDriver>(DriverLibraryName(cardTypes[i]), cardTypes[i]);
        }
        for (const auto& probe : probes) {
            driversInstalled = driversInstalled || probe->IsLoaded();
        }
        for (size_t i = probes.size(); i-- > 0;) {
            probes[i].reset();
        }
    }
    if (pVal != nullptr) {
        *pVal = driversInstalled ? 1 : 0;
    }
    return S_OK;
}

LONG CZentor::CountWithDriverReset(bool norvaOnly) {
    LONG count = CountTokens(norvaOnly, true, false);
    // A reader that could not describe its token may belong to another library's
    // device: forget the driver and let automatic choice look at all of them.
    if (count == 0 && driver && driver->pendrelReaderCount > 0) {
        ReplaceDriver(nullptr);
        count = CountTokens(norvaOnly, true, false);
    }
    EndSession();
    return count;
}

HRESULT CZentor::get_TokensCount(LONG* pVal) {
    const LONG count = CountWithDriverReset(false);
    if (pVal != nullptr) {
        *pVal = count;
    }
    return S_OK;
}

HRESULT CZentor::get_NorvaEFTTokensCount(LONG* pVal) {
    const LONG count = CountWithDriverReset(true);
    if (pVal != nullptr) {
        *pVal = count;
    }
    return S_OK;
}
