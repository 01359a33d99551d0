// simctl hl ...: the card of the hl_* device simulator.
#include <cstring>
#include <iostream>

#include "testing/hlsim/HlState.h"
#include "testing/simctl/Commands.h"

namespace simctl {
namespace {

using hlsim::CHlState;

void Edit(const sim::CStateFile& file, const std::function<void(CHlState&)>& change) {
    file.Update([&](Json::Value& root) {
        CHlState state = hlsim::LoadHlState(root);
        change(state);
        hlsim::StoreHlState(state, root);
        return true;
    });
}

template <size_t N> std::string Text(const char (&field)[N]) {
    return std::string(field, strnlen(field, N));
}

void Show(const CHlState& state) {
    const HlUserData& user = state.userData;
    std::cout << "card " << (state.cardPresent ? "present" : "absent") << "\n"
              << "pin " << sim::ToHex(state.pin) << " (\"" << sim::ToText(state.pin) << "\")"
              << (state.pinExpired ? " expired" : "") << " failures=" << state.pinFailures << "/"
              << state.maxPinFailures << "\n"
              << "user-id \"" << Text(user.userId) << "\" last-name \"" << Text(user.lastName)
              << "\" first-name \"" << Text(state.specialData.firstName) << "\" company \""
              << Text(state.specialData.company) << "\"\n"
              << "date " << user.day << "/" << user.month << "/" << user.yearFrom1900 + 1900 << " "
              << user.hour << ":" << user.minute << ":" << user.second << "\n"
              << "key "
              << (state.HasKey() ? std::to_string(state.key.ModulusBytes() * 8) + " bits" : "none")
              << " (holder data says " << user.keyLength << " bytes)\n";
    if (state.HasKey())
        std::cout << "modulus " << sim::ToHex(state.key.n) << "\n";
}

void SetHolder(CHlState& state, const std::string& field, const std::string& value) {
    if (field == "user-id")
        hlsim::SetField(state.userData.userId, value);
    else if (field == "last-name")
        hlsim::SetField(state.userData.lastName, value);
    else if (field == "first-name")
        hlsim::SetField(state.specialData.firstName, value);
    else if (field == "company")
        hlsim::SetField(state.specialData.company, value);
    else if (field == "key-length")
        state.userData.keyLength = static_cast<int32_t>(ParseNumber(value));
    else
        throw CUsageError("unknown field " + field);
}

void SetDate(CHlState& state, const CArgs& args) {
    int32_t* fields[] = {&state.userData.day,  &state.userData.month,  &state.userData.yearFrom1900,
                         &state.userData.hour, &state.userData.minute, &state.userData.second};
    for (size_t i = 0; i < 6; ++i)
        *fields[i] = static_cast<int32_t>(ParseNumber(args.Word(i)));
}

} // namespace

std::vector<CCommand> HlCommands() {
    std::vector<CCommand> commands = {
        {"show",
         "",
         "show the card",
         {},
         [](const CArgs&, const sim::CStateFile& file) {
             // Stored, so that a default card keeps the key it is shown with.
             Edit(file, [](CHlState& state) { Show(state); });
         }},
        {"reset",
         "",
         "a new default card with a new 1024-bit key (faults and log stay)",
         {},
         [](const CArgs&, const sim::CStateFile& file) {
             Edit(file, [](CHlState& state) { state = hlsim::DefaultHlState(); });
         }},
        {"insert",
         "",
         "put the card in",
         {},
         [](const CArgs&, const sim::CStateFile& file) {
             Edit(file, [](CHlState& state) { state.cardPresent = true; });
         }},
        {"eject",
         "",
         "take the card out",
         {},
         [](const CArgs&, const sim::CStateFile& file) {
             Edit(file, [](CHlState& state) { state.cardPresent = false; });
         }},
        {"set-pin",
         "PIN [--hex]",
         "set the PIN as the device receives it (Hebrew-keyboard bytes: use --hex)",
         {"hex"},
         [](const CArgs& args, const sim::CStateFile& file) {
             const auto pin = args.Flag("hex") ? sim::FromHex(args.Word(0))
                                               : std::optional(sim::ToBytes(args.Word(0)));
             if (!pin)
                 throw CUsageError("not hexadecimal: " + args.Word(0));
             Edit(file, [&](CHlState& state) {
                 state.pin = *pin;
                 state.pinFailures = 0;
             });
         }},
        {"expire-pin",
         "[--clear]",
         "mark the PIN expired: hl_logon answers 41028",
         {"clear"},
         [](const CArgs& args, const sim::CStateFile& file) {
             Edit(file, [&](CHlState& state) { state.pinExpired = !args.Flag("clear"); });
         }},
        {"max-failures",
         "N",
         "wrong PINs allowed before the PIN locks (default 3)",
         {},
         [](const CArgs& args, const sim::CStateFile& file) {
             Edit(file, [&](CHlState& state) {
                 state.maxPinFailures = static_cast<int>(ParseNumber(args.Word(0)));
             });
         }},
        {"holder",
         "user-id|last-name|first-name|company|key-length VALUE",
         "set one field of the holder data",
         {},
         [](const CArgs& args, const sim::CStateFile& file) {
             Edit(file, [&](CHlState& state) { SetHolder(state, args.Word(0), args.Word(1)); });
         }},
        {"date",
         "DAY MONTH YEAR-MINUS-1900 HOUR MINUTE SECOND",
         "set the date in the holder data (stored as given)",
         {},
         [](const CArgs& args, const sim::CStateFile& file) {
             Edit(file, [&](CHlState& state) { SetDate(state, args); });
         }},
        {"key",
         "1024|none",
         "give the card a new key, or remove it",
         {},
         [](const CArgs& args, const sim::CStateFile& file) {
             const unsigned bits = args.Word(0) == "none" ? 0 : ParseNumber(args.Word(0));
             if (bits != 0 && bits != 1024)
                 throw CUsageError("the card holds 1024-bit keys only");
             Edit(file, [&](CHlState& state) { hlsim::SetHlKey(state, bits); });
         }},
    };
    for (auto& command : CallControlCommands())
        commands.push_back(command);
    return commands;
}

} // namespace simctl
