// How many detail records an upload holds, counted over the same lines that the signing pass
// signs (the line sources' own rules), without a prompt and without the token. The host uses
// it to refuse an upload whose signatures could not reach the page.
#pragma once

#include <cstddef>
#include <optional>

#include "platform/WinApi.h"

// The detail records of the file named fileName; nothing when the file cannot be opened or
// its size is unusable (the signing call reports that itself).
std::optional<size_t> CountFileRecords(BSTR fileName);
// The detail records of content handed over as text; nothing when the content is missing or
// unusable.
std::optional<size_t> CountContentRecords(BSTR content);
