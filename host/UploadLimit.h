// Uploads whose signatures cannot reach the page: browsers drop any host reply longer than
// kBrowserReplyLimit bytes, so a file-signing call that would produce one is refused before
// the component shows its prompt (host error 711).
#pragma once

#include "component/IZentor.h"

#include <cstddef>
#include <optional>

namespace norva::host {

// The longest reply, in bytes of JSON text (the length prefix not counted), that Chromium
// and Firefox hand to the extension.
constexpr size_t kBrowserReplyLimit = 1048576;
// A generous bound on everything in a file-signing reply except its signatures.
constexpr size_t kReplyFixedPart = 128;
// The key length assumed while the upload fits it, and when the token's cannot be read.
constexpr int kDefaultKeyBits = 2048;

// The most detail records whose signatures (keyBits / 4 hexadecimal digits each, joined by
// "|") fit in one reply. The page library uses the same rule.
constexpr size_t MaxUploadRecords(int keyBits) {
    return (kBrowserReplyLimit - kReplyFixedPart + 1) / (static_cast<size_t>(keyBits) / 4 + 1);
}

// Raises 711, with "maxRecords" and "keyLength" in the reply, when `records` detail records
// would not fit. The token's key length (from PublicKey) is read only for an upload larger
// than the default key length allows. Nothing happens when records is empty (the upload
// could not be read; the signing call reports that itself).
void RefuseUploadBeyondReply(IZentor& component, std::optional<size_t> records);

} // namespace norva::host
