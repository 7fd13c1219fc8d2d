// Fuzzing the demo reader: any bytes as a demo. What it takes must write back
// to the very same bytes; what it refuses must say why.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "Zephyrion/DemoFile.h"

static void check(bool holds)
{
    if (!holds)
        abort();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    Demo demo;
    DemoCheck fault;
    if (!decodeDemo(data, size, demo, fault)) {
        check(fault.fault != DemoFine && demo.events.empty());
        return 0;
    }
    check(demo.result.ticks == demo.ticks);
    std::vector<unsigned char> again = encodeDemo(demo);
    check(again.size() == size && memcmp(again.data(), data, size) == 0);
    return 0;
}
