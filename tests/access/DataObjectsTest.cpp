// Searching objects and reading and writing the component's data objects on a token.
#include "tests/support/AccessFixture.h"

#include "testing/common/Bytes.h"

namespace {

constexpr char kRecordLabel[] = "NorvaEFTUserData";

class DataObjects : public AccessTest {
protected:
    void SetUp() override {
        InstallTavlink();
        sims.PrepareToken(kServiceLabel, kSoPin, kUserPin);
        access.UseDriver(1);
    }

    TZentorError Write(const sim::Bytes& value, const std::string& label = kRecordLabel) {
        const OwnedBstr text = SingleByteBstr(label);
        return access.WriteDataObject(nullptr, text.Get(), value.data(),
                                      static_cast<CK_ULONG>(value.size()), Visibility::Public);
    }

    TZentorError Find(const std::string& label, CK_OBJECT_HANDLE& handle) {
        const OwnedBstr text = SingleByteBstr(label);
        CK_SLOT_ID slot = 0;
        EXPECT_EQ(access.SelectToken(TokenScope::Service, slot, Families::Pkcs11Only), ZTNoError);
        EXPECT_EQ(access.Driver().LogIn(slot, CKU_USER, nullptr, LoginDepth::SessionOnly),
                  ZTNoError);
        return access.FindObject(CKO_DATA, text.Get(), handle, Visibility::Public);
    }

    const std::vector<tokensim::CObject> Objects() {
        return sims.Tokens().readers.at(0).token.objects;
    }

    // A second object identical to the first one on the token.
    void DuplicateFirstObject() {
        sims.EditTokens([](tokensim::CTokenState& state) {
            tokensim::CToken& token = state.readers.at(0).token;
            tokensim::CObject copy = token.objects.at(0);
            copy.handle = token.nextHandle++;
            token.objects.push_back(copy);
        });
    }
};

sim::Bytes Pattern(size_t size, uint8_t seed) {
    sim::Bytes bytes(size);
    for (size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<uint8_t>(seed + i);
    }
    return bytes;
}

TEST_F(DataObjects, WritingAMissingObjectCreatesItWithSixAttributesInOrder) {
    const sim::Bytes record = Pattern(175, 1);
    sims.ClearCalls();
    EXPECT_EQ(Write(record), ZTNoError);
    const auto creates = TokenCallsOf("C_CreateObject");
    ASSERT_EQ(creates.size(), 1u);
    EXPECT_EQ(creates[0].Arg("count"), "6");
    std::vector<std::string> order;
    for (const auto& [name, value] : creates[0].args) {
        if (name.rfind("CKA_", 0) == 0) {
            order.push_back(name);
        }
    }
    EXPECT_EQ(order, (std::vector<std::string>{"CKA_CLASS", "CKA_TOKEN", "CKA_PRIVATE", "CKA_LABEL",
                                               "CKA_APPLICATION", "CKA_VALUE"}));
    EXPECT_EQ(creates[0].Arg("CKA_CLASS"), std::to_string(CKO_DATA));
    EXPECT_EQ(creates[0].Arg("CKA_PRIVATE"), "0");
    EXPECT_EQ(creates[0].Arg("CKA_VALUE"), sim::ToHex(record));
    ASSERT_EQ(Objects().size(), 1u);
    EXPECT_EQ(*Objects()[0].Find(CKA_VALUE), record);
}

TEST_F(DataObjects, WritingAnExistingObjectReplacesOnlyItsValue) {
    ASSERT_EQ(Write(Pattern(175, 1)), ZTNoError);
    const sim::Bytes second = Pattern(175, 50);
    sims.ClearCalls();
    EXPECT_EQ(Write(second), ZTNoError);
    EXPECT_EQ(TokenCallCount("C_CreateObject"), 0u);
    const auto sets = TokenCallsOf("C_SetAttributeValue");
    ASSERT_EQ(sets.size(), 1u);
    EXPECT_EQ(sets[0].Arg("count"), "1");
    ASSERT_EQ(Objects().size(), 1u);
    EXPECT_EQ(*Objects()[0].Find(CKA_VALUE), second);
}

TEST_F(DataObjects, SearchSendsTextValuesWithTheirZeroByte) {
    sims.ClearCalls();
    CK_OBJECT_HANDLE handle = 0;
    EXPECT_EQ(Find(kRecordLabel, handle), ZTDataItemNotFound);
    const auto inits = TokenCallsOf("C_FindObjectsInit");
    ASSERT_EQ(inits.size(), 1u);
    const std::string label = inits[0].Arg("CKA_LABEL");
    EXPECT_EQ(label.size() / 2, 17u);
    EXPECT_EQ(label, sim::ToHex(sim::ToBytes(std::string(kRecordLabel) + '\0')));
    const std::string application = inits[0].Arg("CKA_APPLICATION");
    EXPECT_EQ(application.size() / 2, 9u);
    EXPECT_EQ(application, sim::ToHex(sim::ToBytes(std::string("NorvaEFT") + '\0')));
    EXPECT_EQ(inits[0].Arg("CKA_TOKEN"), "1");
    EXPECT_EQ(TokenCallsOf("C_FindObjects").at(0).Arg("max"), "2");
    EXPECT_EQ(TokenCallCount("C_FindObjectsFinal"), 1u);
}

TEST_F(DataObjects, SearchForAKeyLeavesOutTheApplication) {
    CK_SLOT_ID slot = 0;
    ASSERT_EQ(access.SelectToken(TokenScope::Service, slot, Families::Pkcs11Only), ZTNoError);
    ASSERT_EQ(access.Driver().LogIn(slot, CKU_USER, nullptr, LoginDepth::SessionOnly), ZTNoError);
    sims.ClearCalls();
    const OwnedBstr label = SingleByteBstr("NORVA PKCS#11 KEY");
    CK_OBJECT_HANDLE handle = 0;
    EXPECT_EQ(access.FindObject(CKO_PUBLIC_KEY, label.Get(), handle, Visibility::Public),
              ZTDataItemNotFound);
    const auto inits = TokenCallsOf("C_FindObjectsInit");
    ASSERT_EQ(inits.size(), 1u);
    EXPECT_EQ(inits[0].Arg("count"), "4");
    EXPECT_FALSE(inits[0].HasArg("CKA_APPLICATION"));
}

TEST_F(DataObjects, FindObjectTellsNoneOneAndTwoMatchesApart) {
    CK_OBJECT_HANDLE handle = 0;
    EXPECT_EQ(Find(kRecordLabel, handle), ZTDataItemNotFound);
    EndSession();

    ASSERT_EQ(Write(Pattern(10, 1)), ZTNoError);
    EndSession();
    EXPECT_EQ(Find(kRecordLabel, handle), ZTNoError);
    EXPECT_EQ(handle, Objects().at(0).handle);
    EndSession();

    DuplicateFirstObject();
    EXPECT_EQ(Find(kRecordLabel, handle), ZTTooManyItems);
}

TEST_F(DataObjects, TwoMatchesAreNeverWritten) {
    ASSERT_EQ(Write(Pattern(10, 1)), ZTNoError);
    DuplicateFirstObject();
    sims.ClearCalls();
    EXPECT_EQ(Write(Pattern(10, 9)), ZTFindDataItemFailed);
    EXPECT_EQ(TokenCallCount("C_SetAttributeValue"), 0u);
    EXPECT_EQ(TokenCallCount("C_CreateObject"), 0u);
}

TEST_F(DataObjects, FailedSearchStartIsStillFinalised) {
    sims.InjectTokenFault("C_FindObjectsInit", CKR_OPERATION_ACTIVE);
    sims.ClearCalls();
    CK_OBJECT_HANDLE handle = 0;
    EXPECT_EQ(Find(kRecordLabel, handle), ZTFindObjectsInitFailed);
    EXPECT_EQ(access.LastDriverResult(), ZT_CKR_OPERATION_ACTIVE);
    EXPECT_EQ(TokenCallCount("C_FindObjects"), 0u);
    EXPECT_EQ(TokenCallCount("C_FindObjectsFinal"), 1u);
}

TEST_F(DataObjects, FailedSearchGivesFindObjectsFailed) {
    sims.InjectTokenFault("C_FindObjects", 0x80000001);
    CK_OBJECT_HANDLE handle = 0;
    EXPECT_EQ(Find(kRecordLabel, handle), ZTFindObjectsFailed);
    EXPECT_EQ(access.LastDriverResult(), 0x80000001u);
}

TEST_F(DataObjects, RefusedCreationAndUpdateGiveTheirCodes) {
    sims.InjectTokenFault("C_CreateObject", CKR_DEVICE_MEMORY, 1);
    EXPECT_EQ(Write(Pattern(10, 1)), ZTCreateObjectFailed);
    EXPECT_EQ(access.LastDriverResult(), ZT_CKR_DEVICE_MEMORY);
    ASSERT_EQ(Write(Pattern(10, 1)), ZTNoError);
    sims.InjectTokenFault("C_SetAttributeValue", CKR_ATTRIBUTE_READ_ONLY, 1);
    EXPECT_EQ(Write(Pattern(10, 2)), ZTSetAttributeValueFailed);
    EXPECT_EQ(access.LastDriverResult(), ZT_CKR_ATTRIBUTE_READ_ONLY);
}

TEST_F(DataObjects, ReadingAShorterValueReturnsItsLength) {
    const sim::Bytes value = Pattern(100, 7);
    ASSERT_EQ(Write(value), ZTNoError);
    CK_BYTE buffer[175] = {};
    CK_ULONG length = sizeof buffer;
    const OwnedBstr label = SingleByteBstr(kRecordLabel);
    EXPECT_EQ(access.ReadDataObject(nullptr, label.Get(), buffer, length, Visibility::Public),
              ZTNoError);
    ASSERT_EQ(length, 100u);
    EXPECT_EQ(sim::Bytes(buffer, buffer + length), value);
    EXPECT_TRUE(TokenSessionOpen()); // the caller ends it
}

TEST_F(DataObjects, ReadingAMissingObjectGivesNotFound) {
    CK_BYTE buffer[175] = {};
    CK_ULONG length = sizeof buffer;
    const OwnedBstr label = SingleByteBstr(kRecordLabel);
    EXPECT_EQ(access.ReadDataObject(nullptr, label.Get(), buffer, length, Visibility::Public),
              ZTDataItemNotFound);
}

TEST_F(DataObjects, RefusedReadGivesGetAttributeValueFailed) {
    ASSERT_EQ(Write(Pattern(20, 7)), ZTNoError);
    sims.InjectTokenFault("C_GetAttributeValue", CKR_ATTRIBUTE_SENSITIVE);
    CK_BYTE buffer[175] = {};
    CK_ULONG length = sizeof buffer;
    const OwnedBstr label = SingleByteBstr(kRecordLabel);
    EXPECT_EQ(access.ReadDataObject(nullptr, label.Get(), buffer, length, Visibility::Public),
              ZTGetAttributeValueFailed);
    EXPECT_EQ(access.LastDriverResult(), ZT_CKR_ATTRIBUTE_SENSITIVE);
}

TEST_F(DataObjects, PrivateObjectNeedsAUserLogin) {
    const sim::Bytes value = Pattern(8, 3);
    const OwnedBstr label = SingleByteBstr("Secret");
    const OwnedBstr pin = SingleByteBstr(kUserPin);
    sims.ClearCalls();
    EXPECT_EQ(access.WriteDataObject(pin.Get(), label.Get(), value.data(), 8, Visibility::Private),
              ZTNoError);
    EXPECT_EQ(TokenCallCount("C_Login"), 1u);
    EXPECT_EQ(TokenCallsOf("C_CreateObject").at(0).Arg("CKA_PRIVATE"), "1");
}

TEST_F(DataObjects, WrongPinForAPrivateObjectStopsBeforeTheSearch) {
    const sim::Bytes value = Pattern(8, 3);
    const OwnedBstr label = SingleByteBstr("Secret");
    const OwnedBstr pin = SingleByteBstr("9999");
    sims.ClearCalls();
    EXPECT_EQ(access.WriteDataObject(pin.Get(), label.Get(), value.data(), 8, Visibility::Private),
              ZTLoginFailed);
    EXPECT_EQ(TokenCallCount("C_FindObjectsInit"), 0u);
}

TEST_F(DataObjects, DeviceFamilyHasNoDataObjects) {
    InstallBrevo();
    access.UseDriver(2);
    sims.ClearCalls();
    const sim::Bytes value = Pattern(8, 3);
    const OwnedBstr label = SingleByteBstr(kRecordLabel);
    EXPECT_EQ(access.WriteDataObject(nullptr, label.Get(), value.data(), 8, Visibility::Public),
              ZTLabeledTokenNotFound);
    CK_BYTE buffer[175] = {};
    CK_ULONG length = sizeof buffer;
    EXPECT_EQ(access.ReadDataObject(nullptr, label.Get(), buffer, length, Visibility::Public),
              ZTLabeledTokenNotFound);
    EXPECT_TRUE(sims.TokenCalls().empty());
    EXPECT_EQ(HlCallCount("hl_on"), 0u);
}

} // namespace
