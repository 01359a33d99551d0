// The token operations that the fault sweep fails call by call, and what each may answer
// when the driver call at a given place fails.
#pragma once

#include <string>
#include <vector>

#include "component/CZentor.h"
#include "platform/OwnedBstr.h"

namespace faults {

enum class TFamily { Token, Device };

// How the token may look after a failed run: as before, or as after a clean run; a
// formatting run may also stop between its steps, so each part of the final state may be
// missing (the record's fields empty, no key pair, no user PIN) but none may differ.
// Setting a PIN reports success when only the record's PIN state could not follow: the new
// PIN beside the record as it was.
enum class TShape { BeforeOrAfter, StepsOfFormatting, PinBeforeRecord };

// The outcomes allowed when `function` fails within a phase.
struct Allowed {
    std::string function;
    std::vector<int> outcomes;
};

// A stretch of the clean run's calls, up to and including the next call of `until` ("" for
// the rest of the run). A failing call that the phase does not name must leave the
// outcome of the clean run.
struct Phase {
    std::string until;
    std::vector<Allowed> allowed;
};

// What the operations are given: the PINs of the prepared token or device, a block that its
// key decrypts, an upload file on disk.
struct Inputs {
    std::string userPin;
    std::string soPin;
    std::string cipherHex;
    std::string uploadPath;
    std::string uploadContent;
};

struct Operation {
    std::string name;
    TFamily family;
    LONG cardType; // 0: chosen automatically
    // Runs the operation once and returns its outcome: LastZTError, or the count.
    int (*run)(CZentor& zentor, const Inputs& inputs);
    std::vector<Phase> phases;
    TShape shape = TShape::BeforeOrAfter;
};

const std::vector<Operation>& SweepOperations();

// ASCII text as a BSTR.
OwnedBstr Text(const std::string& text);

// The upload the file-signing operations sign: a header and two detail records.
std::string UploadContent();

} // namespace faults
