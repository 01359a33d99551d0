#include "component/signing/UploadPromptTexts.h"

namespace {

static_assert(kErrorPromptStyle == 0x00180030);
static_assert(kConfirmationPromptStyle == 0x00180031);

// The texts in Windows-1255. A double-quote character that belongs to a text is written
// as \x22.

// "for information security you are required to confirm that the file you chose to upload
// to Norva is:", then a line feed.
constexpr std::string_view kOpening =
    "\xEC\xF6\xE5\xF8\xEB\xE9 \xE0\xE1\xE8\xE7\xFA \xEE\xE9\xE3\xF2 \xE4\xE9\xF0\xEA "
    "\xF0\xE9\xE3\xF8\xF9\x5C\xFA \xEC\xE0\xF9\xF8 \xEB\xE9 \xE4\xF7\xE5\xE1\xF5 "
    "\xF9\xE1\xE7\xF8\xFA \xEC\xE4\xF2\xEC\xE5\xFA \xEC"
    "Norva \xE4\xE5\xE0 :\n";
// A line feed, then "amount for institution ".
constexpr std::string_view kAmountLine = "\n\xF1\xEB\xE5\xED \xF2\xE1\xE5\xF8 \xEE\xE5\xF1\xE3 ";
// " is ".
constexpr std::string_view kAmountVerb = " \xE4\xE9\xF0\xE5 ";
// A line feed, "to perform the digital signature please press ", a double quote.
constexpr std::string_view kClosing1 =
    "\n\xEC\xE1\xE9\xF6\xE5\xF2 \xE4\xE7\xFA\xE9\xEE\xE4 "
    "\xE4\xE3\xE9\xE2\xE9\xE8\xEC\xE9\xFA, \xF0\xE0 \xEC\xE4\xF7\xE9\xF9 \x22";
// A double quote, " otherwise press ", a double quote.
constexpr std::string_view kClosing2 = "\x22 \xE0\xE7\xF8\xFA \xE9\xF9 \xEC\xE4\xF7\xE9\xF9 \x22";
constexpr std::string_view kClosing3 = "\x22.";
// "confirmation of the name of the file to upload to Norva".
constexpr std::string_view kConfirmationCaption =
    "\xE0\xE9\xF9\xE5\xF8 \xF9\xED \xF7\xE5\xE1\xF5 \xEC\xE4\xF2\xEC\xE0\xE4 \xEC"
    "Norva";
// "error in the file to upload to Norva".
constexpr std::string_view kErrorCaption =
    "\xF9\xE2\xE9\xE0 \xE1\xF7\xE5\xE1\xF5 \xEC\xE4\xF2\xEC\xE0\xE4 \xEC"
    "Norva";
// A line feed, then "line : ".
constexpr std::string_view kErrorLine = "\n\xF9\xE5\xF8\xE4 : ";
// A tab, then "invalid data from position :".
constexpr std::string_view kErrorPosition =
    "\t\xF0\xFA\xE5\xF0\xE9\xED \xEC\xE0 \xFA\xF7\xF0\xE9\xED \xE4\xE7\xEC "
    "\xEE\xF4\xE5\xE6\xE9\xF6\xE9\xE4 :";

constexpr ButtonWords kHebrewWords = {"\xE0\xE9\xF9\xE5\xF8", "\xE1\xE9\xE8\xE5\xEC"};
constexpr ButtonWords kOtherWords = {"OK", "Cancel"};

// Institution designation fields of a detail record.
constexpr size_t kInstitutionAt = 1;
constexpr size_t kInstitutionLength = 5;
constexpr size_t kBranchAt = 6;
constexpr size_t kBranchLength = 2;
constexpr size_t kCheckAt = 8;

} // namespace

ButtonWords ButtonWordsFor(LANGID uiLanguage) {
    return PRIMARYLANGID(uiLanguage) == LANG_HEBREW ? kHebrewWords : kOtherWords;
}

CConfirmationText::CConfirmationText(std::string_view fileName) {
    text_ += kOpening;
    AppendSupplied(fileName);
}

void CConfirmationText::AddDetail(std::string_view record, std::string_view amountText) {
    text_ += kAmountLine;
    AppendSupplied(record.substr(kInstitutionAt, kInstitutionLength));
    text_ += '-';
    AppendSupplied(record.substr(kBranchAt, kBranchLength));
    text_ += '-';
    AppendSupplied(record.substr(kCheckAt, 1));
    text_ += kAmountVerb;
    AppendSupplied(amountText);
}

void CConfirmationText::AppendSupplied(std::string_view text) {
    supplied_.emplace_back(text_.size(), text_.size() + text.size());
    text_ += text;
}

UploadPromptMessage CConfirmationText::Prompt(LANGID uiLanguage) const {
    const ButtonWords words = ButtonWordsFor(uiLanguage);
    UploadPromptMessage prompt;
    prompt.caption = kConfirmationCaption;
    prompt.text = text_;
    prompt.text += kClosing1;
    prompt.text += words.ok;
    prompt.text += kClosing2;
    prompt.text += words.cancel;
    prompt.text += kClosing3;
    prompt.style = kConfirmationPromptStyle;
    prompt.language = uiLanguage;
    prompt.okWord = words.ok;
    prompt.cancelWord = words.cancel;
    prompt.supplied = supplied_;
    return prompt;
}

UploadPromptMessage ErrorPrompt(std::string_view fileName, int line, int position,
                                LANGID uiLanguage) {
    UploadPromptMessage prompt;
    prompt.caption = kErrorCaption;
    prompt.text = fileName;
    prompt.supplied = {{0, fileName.size()}};
    prompt.text += kErrorLine;
    prompt.text += std::to_string(line);
    prompt.text += kErrorPosition;
    prompt.text += std::to_string(position);
    prompt.style = kErrorPromptStyle;
    // The error prompt leaves the button language to the system.
    prompt.language = 0;
    prompt.okWord = ButtonWordsFor(uiLanguage).ok;
    return prompt;
}
