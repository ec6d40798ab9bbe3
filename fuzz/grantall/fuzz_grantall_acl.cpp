// Access list attributes as read from the file system: any bytes are either
// refused or decoded into a list that encodes back to the same bytes and
// stays well-formed after everyone's rights are added.
#include "CPosixAcl.h"
#include "EveryoneAccess.h"

#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    CPosixAcl acl;
    if (!acl.Decode({data, size})) return 0;
    const auto bytes = acl.Encode();
    if (bytes.size() != size || std::memcmp(bytes.data(), data, size) != 0) std::abort();

    for (const bool folder : {false, true}) {
        CPosixAcl granted;
        if (!granted.Decode({data, size})) std::abort();
        OpenAccessToEveryone(granted, folder);
        CPosixAcl again;
        if (!again.Decode(granted.Encode())) std::abort();
        // Granting twice changes nothing more.
        if (OpenAccessToEveryone(again, folder)) std::abort();
    }
    CPosixAcl defaults;
    defaults.Decode({data, size});
    OpenDefaultToEveryone(defaults, true);
    if (!CPosixAcl().Decode(defaults.Encode())) std::abort();
    return 0;
}
