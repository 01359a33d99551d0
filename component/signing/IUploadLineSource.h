// The lines of a payment upload file, one at a time. Both sources hand every line on with
// CR LF at its end, whatever ended it in the source, so that the review and the signing see
// and sign the same text.
#pragma once

#include <string>

class IUploadLineSource {
public:
    virtual ~IUploadLineSource() = default;
    // The next line, ending in CR LF; false when the source has no more.
    virtual bool NextLine(std::string& line) = 0;
    // Lets go of what the source reads from; NextLine answers false from then on.
    virtual void Close() = 0;
};

// Removes trailing CR and LF characters and appends one CR LF.
void EndWithCrLf(std::string& line);

// A detail record: the lines that are signed, one signature each.
inline bool IsDetailRecord(const std::string& line) {
    return !line.empty() && line[0] == '5';
}
