// simctl token ...: readers, tokens, PINs and objects of the token simulator.
#include <cctype>
#include <iostream>

#include "testing/simctl/Commands.h"
#include "testing/tokensim/Attributes.h"
#include "testing/tokensim/TokenState.h"

namespace simctl {
namespace {

using tokensim::CReader;
using tokensim::CTokenState;

void Edit(const sim::CStateFile& file, const std::function<void(CTokenState&)>& change) {
    file.Update([&](Json::Value& root) {
        CTokenState state = tokensim::LoadTokenState(root);
        change(state);
        tokensim::StoreTokenState(state, root);
        return true;
    });
}

CReader& ReaderOf(CTokenState& state, const std::string& slot) {
    CReader* reader = state.FindReader(ParseNumber(slot));
    if (!reader)
        throw CNotFound("no reader in slot " + slot);
    return *reader;
}

std::string Printable(const sim::Bytes& value) {
    std::string text;
    for (uint8_t byte : value)
        text += std::isprint(byte) ? static_cast<char>(byte) : '.';
    return text;
}

const char* ClassName(CK_ULONG objectClass) {
    switch (objectClass) {
    case CKO_DATA:
        return "data";
    case CKO_CERTIFICATE:
        return "certificate";
    case CKO_PUBLIC_KEY:
        return "public-key";
    case CKO_PRIVATE_KEY:
        return "private-key";
    case CKO_SECRET_KEY:
        return "secret-key";
    }
    return "other";
}

void ShowReader(const CReader& reader) {
    const tokensim::CToken& token = reader.token;
    std::cout << "slot " << reader.slot << ": \"" << reader.description << "\""
              << (reader.hardware ? " hardware" : " software")
              << (reader.present ? " token-present" : " empty")
              << (reader.tokenInfoFails ? " token-info-fails" : "") << "\n"
              << "  token " << token.serial << " label \"" << token.label << "\""
              << (token.initialized ? " initialised" : " blank")
              << " user-pin:" << (token.userPinInitialized ? "set" : "unset")
              << (token.userPinExpired ? ",expired" : "") << ",failures=" << token.userPinFailures
              << " so-pin:" << (token.soPinExpired ? "expired," : "")
              << "failures=" << token.soPinFailures << " objects=" << token.objects.size() << "\n";
}

void ListObjects(const CReader& reader) {
    for (const auto& object : reader.token.objects) {
        const sim::Bytes* label = object.Find(CKA_LABEL);
        const sim::Bytes* value = object.Find(CKA_VALUE);
        std::cout << object.handle << " " << ClassName(object.Number(CKA_CLASS, CKO_DATA))
                  << (object.Flag(CKA_PRIVATE, false) ? " private" : " public") << " label \""
                  << (label ? Printable(*label) : "") << "\"";
        if (value)
            std::cout << " value " << value->size() << " bytes";
        std::cout << "\n";
    }
}

void DumpObject(const tokensim::CObject& object) {
    for (const auto& attribute : object.attributes) {
        std::cout << tokensim::AttributeName(attribute.type) << " = "
                  << tokensim::ValueToLog(attribute.type, attribute.value);
        if (tokensim::KindOf(attribute.type) == tokensim::TValueKind::Bytes)
            std::cout << "  \"" << Printable(attribute.value) << "\"";
        std::cout << "\n";
    }
}

} // namespace

std::vector<CCommand> TokenCommands() {
    std::vector<CCommand> commands = {
        {"show",
         "",
         "list readers and their tokens",
         {},
         [](const CArgs&, const sim::CStateFile& file) {
             Edit(file, [](CTokenState& state) {
                 for (const auto& reader : state.readers)
                     ShowReader(reader);
             });
         }},
        {"reset",
         "",
         "one hardware reader with one blank token (faults and log stay)",
         {},
         [](const CArgs&, const sim::CStateFile& file) {
             Edit(file,
                  [](CTokenState& state) { state = tokensim::LoadTokenState(Json::Value()); });
         }},
        {"add-reader",
         "[--description TEXT] [--software] [--empty] [--info-fails]",
         "add a reader holding a blank token; prints its slot",
         {"software", "empty", "info-fails"},
         [](const CArgs& args, const sim::CStateFile& file) {
             Edit(file, [&](CTokenState& state) {
                 CReader& reader =
                     state.AddReader(args.Option("description", "Simulated USB Token Reader"));
                 reader.hardware = !args.Flag("software");
                 reader.present = !args.Flag("empty");
                 reader.tokenInfoFails = args.Flag("info-fails");
                 std::cout << reader.slot << "\n";
             });
         }},
        {"remove-reader",
         "SLOT",
         "unplug a reader",
         {},
         [](const CArgs& args, const sim::CStateFile& file) {
             Edit(file, [&](CTokenState& state) {
                 const CK_SLOT_ID slot = ReaderOf(state, args.Word(0)).slot;
                 std::erase_if(state.readers, [&](const CReader& r) { return r.slot == slot; });
             });
         }},
        {"insert",
         "SLOT",
         "put the reader's token in",
         {},
         [](const CArgs& args, const sim::CStateFile& file) {
             Edit(file, [&](CTokenState& state) { ReaderOf(state, args.Word(0)).present = true; });
         }},
        {"eject",
         "SLOT",
         "take the reader's token out (it keeps its contents)",
         {},
         [](const CArgs& args, const sim::CStateFile& file) {
             Edit(file, [&](CTokenState& state) { ReaderOf(state, args.Word(0)).present = false; });
         }},
        {"new-token",
         "SLOT",
         "swap the reader's token for a new blank one",
         {},
         [](const CArgs& args, const sim::CStateFile& file) {
             Edit(file, [&](CTokenState& state) {
                 ReaderOf(state, args.Word(0)).token = state.NewToken();
             });
         }},
        {"info-fails",
         "SLOT on|off",
         "make reading the token information fail",
         {},
         [](const CArgs& args, const sim::CStateFile& file) {
             Edit(file, [&](CTokenState& state) {
                 ReaderOf(state, args.Word(0)).tokenInfoFails = args.Word(1) == "on";
             });
         }},
        {"init-token",
         "SLOT --so-pin PIN [--label TEXT] [--user-pin PIN]",
         "initialise the token directly: objects wiped, label set (blank-padded to 32)",
         {},
         [](const CArgs& args, const sim::CStateFile& file) {
             const std::string soPin = args.Option("so-pin");
             if (soPin.empty())
                 throw CUsageError("--so-pin is required");
             Edit(file, [&](CTokenState& state) {
                 tokensim::CToken& token = ReaderOf(state, args.Word(0)).token;
                 const std::string serial = token.serial;
                 token = tokensim::CToken();
                 token.serial = serial;
                 token.label = args.Option("label");
                 token.label.resize(32, ' ');
                 token.initialized = true;
                 token.soPin = sim::ToBytes(soPin);
                 token.userPin = sim::ToBytes(args.Option("user-pin"));
                 token.userPinInitialized = !token.userPin.empty();
             });
         }},
        {"set-pin",
         "SLOT PIN [--so]",
         "set the user (or SO) PIN and clear its failures",
         {"so"},
         [](const CArgs& args, const sim::CStateFile& file) {
             Edit(file, [&](CTokenState& state) {
                 tokensim::CToken& token = ReaderOf(state, args.Word(0)).token;
                 if (args.Flag("so")) {
                     token.soPin = sim::ToBytes(args.Word(1));
                     token.soPinFailures = 0;
                     return;
                 }
                 token.userPin = sim::ToBytes(args.Word(1));
                 token.userPinInitialized = true;
                 token.userPinFailures = 0;
             });
         }},
        {"expire-pin",
         "SLOT [--so] [--clear]",
         "mark the user (or SO) PIN expired: logins answer CKR_PIN_EXPIRED",
         {"so", "clear"},
         [](const CArgs& args, const sim::CStateFile& file) {
             Edit(file, [&](CTokenState& state) {
                 tokensim::CToken& token = ReaderOf(state, args.Word(0)).token;
                 (args.Flag("so") ? token.soPinExpired : token.userPinExpired) =
                     !args.Flag("clear");
             });
         }},
        {"max-failures",
         "N",
         "wrong PINs allowed before a PIN locks (default 3)",
         {},
         [](const CArgs& args, const sim::CStateFile& file) {
             Edit(file, [&](CTokenState& state) {
                 state.maxPinFailures = static_cast<int>(ParseNumber(args.Word(0)));
             });
         }},
        {"objects",
         "SLOT",
         "list the token's objects",
         {},
         [](const CArgs& args, const sim::CStateFile& file) {
             CTokenState state = tokensim::LoadTokenState(file.Read());
             ListObjects(ReaderOf(state, args.Word(0)));
         }},
        {"dump",
         "SLOT HANDLE",
         "show every attribute of an object",
         {},
         [](const CArgs& args, const sim::CStateFile& file) {
             CTokenState state = tokensim::LoadTokenState(file.Read());
             tokensim::CToken& token = ReaderOf(state, args.Word(0)).token;
             for (const auto& object : token.objects)
                 if (object.handle == ParseNumber(args.Word(1))) {
                     DumpObject(object);
                     return;
                 }
             throw CNotFound("no object " + args.Word(1));
         }},
    };
    for (auto& command : CallControlCommands())
        commands.push_back(command);
    return commands;
}

} // namespace simctl
