// Several threads, each its own apartment, create CZentor objects through the class
// factory of the component library as built, use them through IZentor and late-bound
// Invoke on one virtual token, and release them. Every answer is right, and afterwards the
// module holds no lock, so it could be unloaded.
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "component/ComHandles.h"
#include "component/IZentor.h"
#include "testing/support/SimFixture.h"
#include "tests/support/ChildProcess.h"

namespace {

constexpr int kThreads = 6;
constexpr int kObjectsPerThread = 24;
constexpr char kPin[] = "1234";
constexpr char kDigest[] = "3031300d060960864801650304020105000420"
                           "00112233445566778899aabbccddeeff00112233445566778899aabbccddeeff";

OwnedBstr Bstr(const std::string& text) {
    const std::basic_string<OLECHAR> wide(text.begin(), text.end());
    return OwnedBstr(SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size())));
}

std::string Text(BSTR text) {
    return text == nullptr ? "" : std::string(text, text + SysStringLen(text));
}

// A function of the loaded library, through void (*)() as GCC wants it.
template <typename Function> Function Entry(HMODULE library, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(library, name)));
}

using CanUnloadNow = HRESULT(STDAPICALLTYPE*)();

// What one use of an object must give, for the values the first object made.
struct Reference {
    std::string signature;
    std::string publicKey;
    std::set<std::string> names; // every name some thread writes
};

struct Use {
    const char* what;
    std::function<bool(IZentor&, const Reference&, const std::string& name)> right;
};

std::string SignDigest(IZentor& zentor) {
    const OwnedBstr pin = Bstr(kPin);
    OwnedVariant data;
    data.SetBstr(Bstr(kDigest).Detach());
    OwnedBstr signature;
    return SUCCEEDED(zentor.SignData(pin.Get(), *data.Get(), VARIANT_TRUE, signature.Put()))
               ? Text(signature.Get())
               : "";
}

// A property read through late binding, as script clients make it; -1 on failure.
LONG InvokeGet(IZentor& zentor, const char* property) {
    OwnedBstr name = Bstr(property);
    LPOLESTR names[] = {name.Get()};
    DISPID id = 0;
    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    OwnedVariant result;
    if (FAILED(zentor.GetIDsOfNames(IID_NULL, names, 1, 0, &id)) ||
        FAILED(zentor.Invoke(id, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, result.Get(), nullptr,
                             nullptr)) ||
        FAILED(VariantChangeType(result.Get(), result.Get(), 0, VT_I4))) {
        return -1;
    }
    return V_I4(result.Get());
}

// clang-format off
const Use kUses[] = {
    {"TokensCount", [](IZentor& z, const Reference&, const std::string&) {
        LONG count = 0;
        return SUCCEEDED(z.get_TokensCount(&count)) && count == 1; }},
    {"NorvaEFTTokensCount by Invoke", [](IZentor& z, const Reference&, const std::string&) {
        return InvokeGet(z, "NorvaEFTTokensCount") == 1; }},
    {"SignData", [](IZentor& z, const Reference& r, const std::string&) {
        return SignDigest(z) == r.signature; }},
    {"PublicKey", [](IZentor& z, const Reference& r, const std::string&) {
        OwnedBstr key;
        return SUCCEEDED(z.get_PublicKey(key.Put())) && Text(key.Get()) == r.publicKey; }},
    {"FirstName written, then read", [](IZentor& z, const Reference& r, const std::string& name) {
        TZentorError last = ZTNoError;
        OwnedBstr read;
        return SUCCEEDED(z.put_FirstName(Bstr(name).Get())) &&
               SUCCEEDED(z.get_LastZTError(&last)) && last == ZTNoError &&
               SUCCEEDED(z.get_FirstName(read.Put())) && r.names.count(Text(read.Get())) == 1; }},
    {"ChangePIN to the same PIN", [](IZentor& z, const Reference&, const std::string&) {
        TZentorError result = ZTNoError;
        return SUCCEEDED(z.ChangePIN(Bstr(kPin).Get(), Bstr(kPin).Get(), &result)) &&
               result == ZTNoError; }},
};
// clang-format on
constexpr int kUseCount = sizeof kUses / sizeof kUses[0];

std::string WrittenName(int thread, int object) {
    return "Thread " + std::to_string(thread) + " object " + std::to_string(object);
}

class ComponentThreads : public ::testing::Test {
protected:
    ComponentThreads() {
        sims.Install(sim::TSimulator::Token, "tavlink");
        sims.PrepareToken("Trellmoor", "87654321", kPin);
        SetDllDirectoryA(sims.Folder().c_str());
        const std::string path =
            (norva::test::ProgramFolder() / norva::test::LibraryFile("NorvaDigitalIDIF")).string();
        library = LoadLibraryA(path.c_str());
        getClassObject = Entry<LPFNGETCLASSOBJECT>(library, "DllGetClassObject");
        canUnloadNow = Entry<CanUnloadNow>(library, "DllCanUnloadNow");
    }
    ~ComponentThreads() override {
        FreeLibrary(library);
        SetDllDirectoryA(nullptr);
    }

    // A new object through the module's class factory, optionally holding the module
    // with LockServer as long as the caller wants.
    ComRef<IZentor> Create(bool lockServer) {
        ComRef<IClassFactory> factory;
        ComRef<IZentor> zentor;
        if (SUCCEEDED(getClassObject(CLSID_CZentor, IID_IClassFactory, factory.PutVoid()))) {
            if (lockServer) {
                factory->LockServer(TRUE);
            }
            factory->CreateInstance(nullptr, IID_IZentor, zentor.PutVoid());
        }
        return zentor;
    }

    sim::CSimFixture sims;
    HMODULE library = nullptr;
    LPFNGETCLASSOBJECT getClassObject = nullptr;
    CanUnloadNow canUnloadNow = nullptr;
};

TEST_F(ComponentThreads, ObjectsOfManyThreadsAnswerRightAndLeaveNoModuleLock) {
    ASSERT_NE(getClassObject, nullptr);
    ASSERT_NE(canUnloadNow, nullptr);
    CoInitialize(nullptr);
    Reference reference;
    {
        ComRef<IZentor> first = Create(false);
        ASSERT_TRUE(first);
        EXPECT_EQ(canUnloadNow(), S_FALSE);
        TZentorError made = ZTNoError;
        ASSERT_TRUE(SUCCEEDED(first->GenerateKeys(Bstr(kPin).Get(), &made)));
        ASSERT_EQ(made, ZTNoError);
        // The holder record exists before the threads start, holding a name they write too:
        // creating it from many writers at once is the host processes' test.
        ASSERT_TRUE(SUCCEEDED(first->put_FirstName(Bstr(WrittenName(0, 0)).Get())));
        reference.signature = SignDigest(*first.Get());
        OwnedBstr key;
        first->get_PublicKey(key.Put());
        reference.publicKey = Text(key.Get());
    }
    ASSERT_EQ(reference.signature.size(), 512u);
    ASSERT_EQ(reference.publicKey.size(), 512u);
    EXPECT_EQ(canUnloadNow(), S_OK);
    for (int thread = 0; thread < kThreads; ++thread) {
        for (int object = 0; object < kObjectsPerThread; ++object) {
            reference.names.insert(WrittenName(thread, object));
        }
    }

    std::vector<std::string> faults(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            CoInitialize(nullptr);
            for (int object = 0; object < kObjectsPerThread; ++object) {
                // Every other object holds the module with LockServer, and gives it back.
                const bool lockServer = object % 2 == 1;
                ComRef<IZentor> zentor = Create(lockServer);
                const Use& use = kUses[(t + object) % kUseCount];
                if (!zentor || !use.right(*zentor.Get(), reference, WrittenName(t, object))) {
                    faults[t] += std::string(use.what) + "; ";
                }
                zentor.Reset();
                ComRef<IClassFactory> factory;
                if (lockServer && SUCCEEDED(getClassObject(CLSID_CZentor, IID_IClassFactory,
                                                           factory.PutVoid()))) {
                    factory->LockServer(FALSE);
                }
            }
            CoUninitialize();
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    for (int t = 0; t < kThreads; ++t) {
        EXPECT_EQ(faults[t], "") << "thread " << t;
    }
    EXPECT_EQ(canUnloadNow(), S_OK);
    CoUninitialize();
}

// A client that lets the library go whenever it is idle loads it again for each use; more
// times than a process has thread-local slots.
TEST(ComponentReloads, ALibraryLoadedAndFreedManyTimesKeepsServing) {
    const std::string path =
        (norva::test::ProgramFolder() / norva::test::LibraryFile("NorvaDigitalIDIF")).string();
    CoInitialize(nullptr);
    int served = 0;
    for (int load = 0; load < 1200; ++load) {
        HMODULE library = LoadLibraryA(path.c_str());
        ASSERT_NE(library, nullptr) << "load " << load;
        const auto getClassObject = Entry<LPFNGETCLASSOBJECT>(library, "DllGetClassObject");
        ComRef<IClassFactory> factory;
        ComRef<IZentor> zentor;
        LONG cardType = 0;
        if (SUCCEEDED(getClassObject(CLSID_CZentor, IID_IClassFactory, factory.PutVoid())) &&
            SUCCEEDED(factory->CreateInstance(nullptr, IID_IZentor, zentor.PutVoid())) &&
            SUCCEEDED(zentor->put_CardType(2)) && SUCCEEDED(zentor->get_CardType(&cardType)) &&
            cardType == 2) {
            ++served;
        }
        zentor.Reset();
        factory.Reset();
        EXPECT_EQ(Entry<CanUnloadNow>(library, "DllCanUnloadNow")(), S_OK);
        FreeLibrary(library);
    }
    EXPECT_EQ(served, 1200);
    CoUninitialize();
}

} // namespace
