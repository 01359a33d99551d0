// The CZentor object: a new object's state, its interface map, reference counts, the
// aggregated form, and the module lock count behind DllCanUnloadNow.
#include <gtest/gtest.h>

#include "ComponentTestSupport.h"
#include "component/CNorvaDigitalIDIFModule.h"
#include "component/CZentorFactory.h"

using norva::test::NewZentor;

namespace {

// A controlling object that answers nothing itself and counts what reaches it.
class FakeOuter : public IUnknown {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** ppv) override {
        ++queries;
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
    ULONG STDMETHODCALLTYPE Release() override { return --refs; }

    ULONG refs = 1;
    int queries = 0;
};

ComRef<IClassFactory> Factory() {
    ComRef<IClassFactory> factory;
    EXPECT_EQ(S_OK, GetZentorClassObject(CLSID_CZentor, IID_IClassFactory, factory.PutVoid()));
    return factory;
}

TEST(NewZentor, ReportsNoErrorNoDriverAndNoCancel) {
    ComRef<IZentor> zentor = NewZentor();
    ASSERT_TRUE(zentor);
    TZentorError last = ZTLoginPinExpired;
    TPKCS11Error pkcs11 = ZT_CKR_PIN_EXPIRED;
    LONG cardType = -1;
    VARIANT_BOOL canceled = -1;
    EXPECT_EQ(S_OK, zentor->get_LastZTError(&last));
    EXPECT_EQ(S_OK, zentor->get_PKCS11Error(&pkcs11));
    EXPECT_EQ(S_OK, zentor->get_CardType(&cardType));
    EXPECT_EQ(S_OK, zentor->get_SignFileCanceled(&canceled));
    EXPECT_EQ(ZTNoError, last);
    EXPECT_EQ(ZT_CKR_OK, pkcs11);
    EXPECT_EQ(0, cardType);
    EXPECT_EQ(0, canceled);
}

TEST(NewZentor, NullResultPointersAreRefusedNotWritten) {
    ComRef<IZentor> zentor = NewZentor();
    EXPECT_EQ(E_POINTER, zentor->get_LastZTError(nullptr));
    EXPECT_EQ(E_POINTER, zentor->get_PKCS11Error(nullptr));
    EXPECT_EQ(E_POINTER, zentor->get_CardType(nullptr));
    EXPECT_EQ(E_POINTER, zentor->get_SignFileCanceled(nullptr));
}

TEST(NewZentor, PendingTextMembersStillReturnAnEmptyString) {
    ComRef<IZentor> zentor = NewZentor();
    OwnedBstr key;
    zentor->get_PublicKey(key.Put());
    ASSERT_NE(nullptr, key.Get());
    EXPECT_EQ(0u, SysStringLen(key.Get()));
}

TEST(InterfaceMap, OffersTheFourInterfacesOnOneIdentity) {
    ComRef<IZentor> zentor = NewZentor();
    ComRef<IUnknown> identity;
    ASSERT_EQ(S_OK, zentor->QueryInterface(IID_IUnknown, identity.PutVoid()));
    for (const IID& iid : {IID_IZentor, IID_IDispatch, IID_IObjectSafety, IID_IProvideClassInfo}) {
        ComRef<IUnknown> part;
        ASSERT_EQ(S_OK, zentor->QueryInterface(iid, part.PutVoid()));
        ComRef<IUnknown> back;
        ASSERT_EQ(S_OK, part->QueryInterface(IID_IUnknown, back.PutVoid()));
        EXPECT_EQ(identity.Get(), back.Get());
    }
}

TEST(InterfaceMap, IZentorAndIDispatchShareThePrimaryPointer) {
    ComRef<IZentor> zentor = NewZentor();
    ComRef<IDispatch> dispatch;
    ASSERT_EQ(S_OK, zentor->QueryInterface(IID_IDispatch, dispatch.PutVoid()));
    EXPECT_EQ(static_cast<IDispatch*>(zentor.Get()), dispatch.Get());
}

TEST(InterfaceMap, AnyOtherInterfaceIsRefusedWithNullResult) {
    ComRef<IZentor> zentor = NewZentor();
    for (const IID& iid : {IID_IClassFactory, IID_IPersistStreamInit, IID_IPersistStorage,
                           IID_ITypeInfo, LIBID_NorvaDigitalIDIF}) {
        void* result = &zentor;
        EXPECT_EQ(E_NOINTERFACE, zentor->QueryInterface(iid, &result));
        EXPECT_EQ(nullptr, result);
    }
    EXPECT_EQ(E_POINTER, zentor->QueryInterface(IID_IZentor, nullptr));
}

TEST(ReferenceCount, CountsEachReferenceAndEndsTheObjectAtZero) {
    const LONG locksBefore = CNorvaDigitalIDIFModule::LockCount();
    IZentor* zentor = nullptr;
    ASSERT_EQ(S_OK, CZentor::Create(nullptr, IID_IZentor, reinterpret_cast<void**>(&zentor)));
    EXPECT_EQ(locksBefore + 1, CNorvaDigitalIDIFModule::LockCount());
    EXPECT_EQ(2u, zentor->AddRef());
    EXPECT_EQ(1u, zentor->Release());
    EXPECT_EQ(0u, zentor->Release());
    EXPECT_EQ(locksBefore, CNorvaDigitalIDIFModule::LockCount());
}

TEST(Aggregation, OuterObjectMayOnlyAskForIUnknown) {
    FakeOuter outer;
    ComRef<IClassFactory> factory = Factory();
    void* result = &outer;
    EXPECT_EQ(CLASS_E_NOAGGREGATION, factory->CreateInstance(&outer, IID_IZentor, &result));
    EXPECT_EQ(nullptr, result);
    EXPECT_EQ(CLASS_E_NOAGGREGATION, factory->CreateInstance(&outer, IID_IDispatch, &result));
    EXPECT_EQ(S_OK, CNorvaDigitalIDIFModule::CanUnloadNow());
}

TEST(Aggregation, InterfacesDelegateToTheOuterObjectWhileTheOwnUnknownDoesNot) {
    FakeOuter outer;
    ComRef<IClassFactory> factory = Factory();
    ComRef<IUnknown> inner;
    ASSERT_EQ(S_OK, factory->CreateInstance(&outer, IID_IUnknown, inner.PutVoid()));
    EXPECT_NE(static_cast<IUnknown*>(&outer), inner.Get());

    IZentor* zentor = nullptr;
    ASSERT_EQ(S_OK, inner->QueryInterface(IID_IZentor, reinterpret_cast<void**>(&zentor)));
    EXPECT_EQ(2u, outer.refs); // the handed-out interface holds the outer object

    void* other = nullptr;
    EXPECT_EQ(E_NOINTERFACE, zentor->QueryInterface(IID_IUnknown, &other));
    EXPECT_EQ(1, outer.queries);

    ComRef<IUnknown> own;
    ASSERT_EQ(S_OK, inner->QueryInterface(IID_IUnknown, own.PutVoid()));
    EXPECT_EQ(inner.Get(), own.Get());
    EXPECT_EQ(1, outer.queries);

    zentor->Release();
    EXPECT_EQ(1u, outer.refs);
}

TEST(Aggregation, ReleasingTheOwnUnknownEndsTheObject) {
    FakeOuter outer;
    const LONG locksBefore = CNorvaDigitalIDIFModule::LockCount();
    IUnknown* inner = nullptr;
    ASSERT_EQ(S_OK, CZentor::Create(&outer, IID_IUnknown, reinterpret_cast<void**>(&inner)));
    EXPECT_EQ(locksBefore + 1, CNorvaDigitalIDIFModule::LockCount());
    EXPECT_EQ(0u, inner->Release());
    EXPECT_EQ(locksBefore, CNorvaDigitalIDIFModule::LockCount());
    EXPECT_EQ(1u, outer.refs);
}

TEST(ClassObject, IsOneObjectForEveryRequest) {
    ComRef<IClassFactory> first = Factory();
    ComRef<IUnknown> second;
    ASSERT_EQ(S_OK, GetZentorClassObject(CLSID_CZentor, IID_IUnknown, second.PutVoid()));
    EXPECT_EQ(static_cast<IUnknown*>(first.Get()), second.Get());
}

TEST(ClassObject, OtherClassesAreNotAvailable) {
    void* result = &result;
    EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE,
              GetZentorClassObject(LIBID_NorvaDigitalIDIF, IID_IClassFactory, &result));
    EXPECT_EQ(nullptr, result);
    EXPECT_EQ(E_NOINTERFACE, GetZentorClassObject(CLSID_CZentor, IID_IZentor, &result));
}

TEST(ClassObject, CreatesObjectsAnsweringTheAskedInterface) {
    ComRef<IClassFactory> factory = Factory();
    ComRef<IDispatch> dispatch;
    ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, IID_IDispatch, dispatch.PutVoid()));
    void* result = &result;
    EXPECT_EQ(E_NOINTERFACE, factory->CreateInstance(nullptr, IID_IClassFactory, &result));
    EXPECT_EQ(nullptr, result);
}

TEST(CanUnloadNow, AnswersFromLiveObjectsAndServerLocks) {
    ASSERT_EQ(S_OK, CNorvaDigitalIDIFModule::CanUnloadNow());
    ComRef<IClassFactory> factory = Factory();
    EXPECT_EQ(S_OK, CNorvaDigitalIDIFModule::CanUnloadNow()); // the class object holds nothing
    {
        ComRef<IZentor> first = NewZentor();
        ComRef<IZentor> second = NewZentor();
        EXPECT_EQ(S_FALSE, CNorvaDigitalIDIFModule::CanUnloadNow());
        first.Reset();
        EXPECT_EQ(S_FALSE, CNorvaDigitalIDIFModule::CanUnloadNow());
    }
    EXPECT_EQ(S_OK, CNorvaDigitalIDIFModule::CanUnloadNow());
    factory->LockServer(TRUE);
    factory->LockServer(TRUE);
    EXPECT_EQ(S_FALSE, CNorvaDigitalIDIFModule::CanUnloadNow());
    factory->LockServer(FALSE);
    EXPECT_EQ(S_FALSE, CNorvaDigitalIDIFModule::CanUnloadNow());
    factory->LockServer(FALSE);
    EXPECT_EQ(S_OK, CNorvaDigitalIDIFModule::CanUnloadNow());
}

TEST(CanUnloadNow, AnUnbalancedUnlockCannotPinTheModule) {
    ComRef<IClassFactory> factory = Factory();
    factory->LockServer(FALSE);
    EXPECT_EQ(0, CNorvaDigitalIDIFModule::LockCount());
    factory->LockServer(TRUE);
    factory->LockServer(FALSE);
    EXPECT_EQ(S_OK, CNorvaDigitalIDIFModule::CanUnloadNow());
}

} // namespace
