// Fault injection, the call log, exports and the shared state file of the token simulator.
#include "tests/simulators/TokenSimFixture.h"

#include <fstream>
#include <thread>

#include "testing/common/StateFile.h"

namespace {

const char* const kAllFunctions[] = {
    "C_Initialize",
    "C_Finalize",
    "C_GetInfo",
    "C_GetFunctionList",
    "C_GetSlotList",
    "C_GetSlotInfo",
    "C_GetTokenInfo",
    "C_GetMechanismList",
    "C_GetMechanismInfo",
    "C_InitToken",
    "C_InitPIN",
    "C_SetPIN",
    "C_OpenSession",
    "C_CloseSession",
    "C_CloseAllSessions",
    "C_GetSessionInfo",
    "C_GetOperationState",
    "C_SetOperationState",
    "C_Login",
    "C_Logout",
    "C_CreateObject",
    "C_CopyObject",
    "C_DestroyObject",
    "C_GetObjectSize",
    "C_GetAttributeValue",
    "C_SetAttributeValue",
    "C_FindObjectsInit",
    "C_FindObjects",
    "C_FindObjectsFinal",
    "C_EncryptInit",
    "C_Encrypt",
    "C_EncryptUpdate",
    "C_EncryptFinal",
    "C_DecryptInit",
    "C_Decrypt",
    "C_DecryptUpdate",
    "C_DecryptFinal",
    "C_DigestInit",
    "C_Digest",
    "C_DigestUpdate",
    "C_DigestKey",
    "C_DigestFinal",
    "C_SignInit",
    "C_Sign",
    "C_SignUpdate",
    "C_SignFinal",
    "C_SignRecoverInit",
    "C_SignRecover",
    "C_VerifyInit",
    "C_Verify",
    "C_VerifyUpdate",
    "C_VerifyFinal",
    "C_VerifyRecoverInit",
    "C_VerifyRecover",
    "C_DigestEncryptUpdate",
    "C_DecryptDigestUpdate",
    "C_SignEncryptUpdate",
    "C_DecryptVerifyUpdate",
    "C_GenerateKey",
    "C_GenerateKeyPair",
    "C_WrapKey",
    "C_UnwrapKey",
    "C_DeriveKey",
    "C_SeedRandom",
    "C_GenerateRandom",
    "C_GetFunctionStatus",
    "C_CancelFunction",
    "C_WaitForSlotEvent",
};

bool IsAdministration(const std::string& name) {
    return name == "C_InitToken" || name == "C_InitPIN" || name == "C_WaitForSlotEvent";
}

} // namespace

TEST_F(TokenSimTest, FullLibraryExportsEveryFunctionByName) {
    ASSERT_EQ(std::size(kAllFunctions), 68u);
    for (const char* name : kAllFunctions)
        EXPECT_NE(library->Get<void*>(name), nullptr) << name;
}

TEST_F(TokenSimTest, PartialLibraryLacksOnlyTheAdministrationExports) {
    sim::CLoadedLibrary partial(sims.Install(sim::TSimulator::PartialToken, "eTpkcs11"));
    ASSERT_TRUE(partial.Loaded());
    for (const char* name : kAllFunctions)
        EXPECT_EQ(partial.Get<void*>(name) == nullptr, IsAdministration(name)) << name;
}

TEST_F(TokenSimTest, FaultOnTheNthCallIsReturnedExactlyOnce) {
    sims.InjectTokenFault("C_GetSlotList", 0x80000001, 2);
    CK_ULONG count = 0;
    EXPECT_EQ(p11->C_GetSlotList(CK_TRUE, nullptr, &count), CKR_OK);
    EXPECT_EQ(p11->C_GetSlotList(CK_TRUE, nullptr, &count), 0x80000001u);
    EXPECT_EQ(p11->C_GetSlotList(CK_TRUE, nullptr, &count), CKR_OK);
    EXPECT_EQ(p11->C_GetSlotList(CK_TRUE, nullptr, &count), CKR_OK);
}

TEST_F(TokenSimTest, FaultWithoutCallNumberIsReturnedEveryTime) {
    ReadyToken();
    sims.InjectTokenFault("C_Login", CKR_PIN_EXPIRED);
    const CK_SESSION_HANDLE session = Open();
    EXPECT_EQ(Login(session, CKU_USER, "1234"), CKR_PIN_EXPIRED);
    EXPECT_EQ(Login(session, CKU_USER, "1234"), CKR_PIN_EXPIRED);
    CK_SESSION_INFO info{};
    ASSERT_EQ(p11->C_GetSessionInfo(session, &info), CKR_OK);
    EXPECT_EQ(info.state, CKS_RW_PUBLIC_SESSION);
}

TEST_F(TokenSimTest, CallLogRecordsFunctionsArgumentsAndResults) {
    ReadyToken();
    sims.ClearCalls();
    const CK_SESSION_HANDLE session = Open();
    EXPECT_EQ(Login(session, CKU_USER, "12"), CKR_PIN_INCORRECT);
    CreateData(session, "NorvaEFTUserData", {1, 2}, false);
    const auto calls = sims.TokenCalls();
    std::vector<std::string> names;
    for (const auto& call : calls)
        names.push_back(call.function);
    EXPECT_EQ(names, (std::vector<std::string>{"C_GetSlotList", "C_OpenSession", "C_Login",
                                               "C_CreateObject"}));
    EXPECT_EQ(calls[2].Arg("pin"), "3132");
    EXPECT_EQ(calls[2].Arg("user"), "1");
    EXPECT_EQ(calls[2].result, CKR_PIN_INCORRECT);
    EXPECT_EQ(calls[3].Arg("CKA_LABEL"), sim::ToHex(TextBytes("NorvaEFTUserData", true)));
    EXPECT_EQ(calls[3].Arg("CKA_APPLICATION").size(), 2 * 9u);
    EXPECT_EQ(calls[3].Arg("CKA_CLASS"), "0");
}

TEST_F(TokenSimTest, TwoLibrariesKeepTokensOfTheirOwn) {
    sim::CLoadedLibrary second(sims.Install(sim::TSimulator::Token, "eTpkcs11", "second"));
    sims.PrepareToken("Second", "11111111", "2222", "second");
    CK_FUNCTION_LIST* other = nullptr;
    ASSERT_EQ(second.Get<CK_C_GetFunctionList>("C_GetFunctionList")(&other), CKR_OK);
    ASSERT_EQ(other->C_Initialize(nullptr), CKR_OK);
    CK_TOKEN_INFO mine{}, theirs{};
    ASSERT_EQ(p11->C_GetTokenInfo(FirstSlot(), &mine), CKR_OK);
    ASSERT_EQ(other->C_GetTokenInfo(FirstSlot(), &theirs), CKR_OK);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(theirs.label), 6), "Second");
    EXPECT_EQ(std::string(reinterpret_cast<char*>(mine.label), 6), "      ");
    std::vector<std::string> secondCalls;
    for (const auto& call : sims.TokenCalls("second"))
        secondCalls.push_back(call.function);
    // The slot lookup went to the first library, so its log has it, not this one.
    EXPECT_EQ(secondCalls,
              (std::vector<std::string>{"C_GetFunctionList", "C_Initialize", "C_GetTokenInfo"}));
    other->C_Finalize(nullptr);
}

TEST_F(TokenSimTest, ConcurrentWritersLoseNoChange) {
    auto addReaders = [&] {
        for (int i = 0; i < 25; ++i)
            sims.EditTokens([](tokensim::CTokenState& state) { state.AddReader("r"); });
    };
    std::thread first(addReaders), second(addReaders);
    first.join();
    second.join();
    EXPECT_EQ(sims.Tokens().readers.size(), 51u);
    CK_ULONG count = 0;
    ASSERT_EQ(p11->C_GetSlotList(CK_TRUE, nullptr, &count), CKR_OK);
    EXPECT_EQ(count, 51u);
}

TEST_F(TokenSimTest, CorruptStateFileGivesAnErrorNotACrash) {
    { std::ofstream(sims.TokenStatePath()) << "{ not json"; }
    CK_ULONG count = 0;
    EXPECT_EQ(p11->C_GetSlotList(CK_TRUE, nullptr, &count), CKR_GENERAL_ERROR);
}

TEST_F(TokenSimTest, BadArgumentsAreRefused) {
    EXPECT_EQ(p11->C_GetSlotList(CK_TRUE, nullptr, nullptr), CKR_ARGUMENTS_BAD);
    EXPECT_EQ(p11->C_GetTokenInfo(FirstSlot(), nullptr), CKR_ARGUMENTS_BAD);
    EXPECT_EQ(p11->C_OpenSession(FirstSlot(), CKF_SERIAL_SESSION, nullptr, nullptr, nullptr),
              CKR_ARGUMENTS_BAD);
    CK_SESSION_HANDLE session = 0;
    EXPECT_EQ(p11->C_OpenSession(FirstSlot(), CKF_RW_SESSION, nullptr, nullptr, &session),
              CKR_SESSION_PARALLEL_NOT_SUPPORTED);
    EXPECT_EQ(p11->C_FindObjectsInit(12345, nullptr, 0), CKR_SESSION_HANDLE_INVALID);
}
