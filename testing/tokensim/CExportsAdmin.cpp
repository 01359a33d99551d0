// Exports that the partial build of the token simulator leaves out, so that a driver
// library missing them can be tested.
#include "testing/tokensim/Entries.h"

extern "C" {

CK_RV C_InitToken(CK_SLOT_ID slot, CK_UTF8CHAR_PTR pin, CK_ULONG length, CK_UTF8CHAR_PTR label) {
    return tokensim::entry::InitToken(slot, pin, length, label);
}
CK_RV C_InitPIN(CK_SESSION_HANDLE h, CK_UTF8CHAR_PTR pin, CK_ULONG length) {
    return tokensim::entry::InitPIN(h, pin, length);
}
CK_RV C_WaitForSlotEvent(CK_FLAGS flags, CK_SLOT_ID_PTR slot, void* reserved) {
    return tokensim::entry::WaitForSlotEvent(flags, slot, reserved);
}
}
