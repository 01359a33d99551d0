// make_service_key DRIVER_FOLDER PIN BITS: generates the service's key pair on the one
// service token of the PKCS#11 driver "tavlink" found in DRIVER_FOLDER and prints its
// modulus in hexadecimal. For the end-to-end signing test, the demonstration and the
// benchmarks; exit status 1 on any failure.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "component/access/CTokenAccess.h"
#include "component/signing/HexText.h"
#include "tests/signing/ServiceKey.h"

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: make_service_key DRIVER_FOLDER PIN BITS\n");
        return 1;
    }
    SetDllDirectoryA(argv[1]);
    std::u16string pinUnits(argv[2], argv[2] + std::char_traits<char>::length(argv[2]));
    BSTR pin = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(pinUnits.data()),
                                 static_cast<UINT>(pinUnits.size()));
    std::vector<uint8_t> modulus;
    bool made = false;
    {
        CTokenAccess access;
        access.UseDriver(1);
        made = MakeServiceKey(access, pin, static_cast<unsigned>(std::atoi(argv[3])), modulus);
    }
    SysFreeString(pin);
    if (!made) {
        std::fprintf(stderr, "make_service_key: no key pair was made\n");
        return 1;
    }
    std::printf("%s\n", EncodeHexText(modulus.data(), modulus.size()).c_str());
    return 0;
}
