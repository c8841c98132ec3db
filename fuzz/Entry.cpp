// libFuzzer's entry for one target, chosen by OSTREL_FUZZ_TARGET when the
// executable is built. A broken property aborts, which the fuzzer reports and
// keeps as a crash like any sanitizer finding.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "targets/Targets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static constexpr const ostrel::fuzz::Target& chosen = ostrel::fuzz::target(OSTREL_FUZZ_TARGET);
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    if (!chosen.run(bytes)) {
        std::abort();
    }
    return 0;
}
