// The only translations of driver results into the component's codes: login results
// and object-search results. Every other failing call is turned into a code by the
// operation that made it.
#pragma once

#include <cstdint>

#include "component/base/ZentorErrors.h"
#include "component/access/drivers/Pkcs11.h"

// C_Login: success and "already logged in" both count as logged in.
TZentorError MapLoginResult(CK_RV rv);

// hl_logon: only success and the device's "PIN expired" are told apart.
TZentorError MapHlLogonResult(int32_t result);

// The stages of an object search that can fail.
enum class SearchStage { Init, Find };

// C_FindObjectsInit or C_FindObjects failed.
TZentorError MapSearchFailure(SearchStage stage);

// The search ran; found is the number of objects returned (asked for at most 2).
TZentorError MapSearchCount(CK_ULONG found);

// What storing a data object makes of its search's result when the search found neither
// one object (the value is set) nor none (the object is created): two objects and a failed
// search alike are ZTFindDataItemFailed, since only "not found" may create.
TZentorError MapStoreSearchFailure(TZentorError search);
