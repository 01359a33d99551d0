#include "tests/signing/SigningFixture.h"

#include <memory>
#include <sstream>

#include "component/signing/HexText.h"
#include "tests/signing/ServiceKey.h"

namespace {

std::unique_ptr<CPromptDouble> NewPrompt(CPromptDouble*& seen) {
    auto prompt = std::make_unique<CPromptDouble>(true);
    seen = prompt.get();
    return prompt;
}

} // namespace

SigningTest::SigningTest() : prompt(nullptr), signer(nullptr, NewPrompt(prompt)) {}

SigningTest::~SigningTest() {
    access.Release();
}

void SigningTest::PrepareKeyedToken(unsigned bits) {
    InstallTavlink();
    sims.PrepareToken(kServiceLabel, kSoPin, kUserPin);
    access.UseDriver(1);
    const OwnedBstr pin = SingleByteBstr(kUserPin);
    std::vector<uint8_t> modulus;
    ASSERT_TRUE(MakeServiceKey(access, pin.Get(), bits, modulus));
    publicKey.n.assign(modulus.begin(), modulus.end());
    publicKey.e = {0x01, 0x00, 0x01};
    signer.put_CardType(1);
    sims.ClearCalls();
}

void SigningTest::PrepareCard() {
    InstallBrevo();
    // The default card gets its key when the state is first written.
    sims.EditCard([](hlsim::CHlState&) {});
    const hlsim::CHlState card = sims.Card();
    publicKey.n = card.key.n;
    publicKey.e = card.key.e;
    signer.put_CardType(2);
    sims.ClearCalls();
}

bool SigningTest::Signs(const std::string& signature, const sim::Bytes& signedBytes) const {
    std::vector<uint8_t> bytes;
    return DecodeHexText(signature, bytes) &&
           sim::VerifyPkcs1(publicKey, signedBytes, sim::Bytes(bytes.begin(), bytes.end())) ==
               sim::TCryptoStatus::Ok;
}

std::vector<std::string> SigningTest::Split(const std::string& list) {
    std::vector<std::string> parts;
    if (list.empty()) {
        return parts;
    }
    std::stringstream stream(list);
    std::string part;
    while (std::getline(stream, part, '|')) {
        parts.push_back(part);
    }
    return parts;
}

std::string SigningTest::ToAnsi(BSTR text) {
    std::string ansi;
    for (UINT i = 0; text != nullptr && i < SysStringLen(text); ++i) {
        ansi += static_cast<char>(text[i]);
    }
    return ansi;
}
