// A stand-in target for checking the replay itself: it aborts on an input that begins with
// "crash" and accepts everything else.

#include <cstdint>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size >= 5 && std::memcmp(data, "crash", 5) == 0) {
        std::abort();
    }
    return 0;
}
