#include "host/HostSession.h"

#include "host/CommandTable.h"
#include "host/CommandCall.h"
#include "host/HostError.h"
#include "host/ReplyText.h"
#include "host/RequestEnvelope.h"
#include "host/WireFrame.h"

#include <istream>
#include <ostream>

namespace norva::host {

namespace {

// The component's own outcome, reported in every success reply. Reading it also ends any
// session that the command left open.
void ReadComponentErrors(IZentor& component, SuccessReply& reply) {
    TZentorError lastZTError = ZTNoError;
    CheckComponentCall(component.get_LastZTError(&lastZTError));
    TPKCS11Error pkcs11Error{};
    CheckComponentCall(component.get_PKCS11Error(&pkcs11Error));
    reply.lastZTError = static_cast<int32_t>(lastZTError);
    reply.pkcs11Error = static_cast<int32_t>(pkcs11Error);
}

std::string AnswerRequest(std::istream& in, std::ostream& out, ComponentBinder bind) {
    try {
        IZentor& component = *bind();
        out.setf(std::ios::unitbuf);
        const RequestEnvelope request = ParseRequest(ReadFramedText(in));
        SuccessReply reply{};
        if (request.hasCommand) {
            CommandResult result = DispatchCommand(component, request.func, request.params);
            reply.result = std::move(result.text);
            reply.signFileCanceled = result.signFileCanceled;
        }
        ReadComponentErrors(component, reply);
        return FormatSuccessReply(reply);
    } catch (const HostFailure& failure) {
        return FormatErrorReply(failure.code, failure.members);
    }
}

} // namespace

void ServeOneRequest(std::istream& in, std::ostream& out, ComponentBinder bind) {
    std::string reply;
    try {
        reply = AnswerRequest(in, out, bind);
    } catch (...) {
        reply = FormatErrorReply(kInternalFailure);
    }
    WriteFramedText(out, reply);
}

} // namespace norva::host
