// The libFuzzer entry of one target, chosen by JXC_FUZZ_TARGET when it is built.
#include "fuzz/FuzzTargets.h"
#include "platform/core/LocalZone.h"

#include <cstddef>
#include <cstdint>

#define JXC_STR2(x) #x
#define JXC_STR(x) JXC_STR2(x)

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    platform::KeepLocalZoneLoaded(); // the block runner reads dates
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const QString target = QStringLiteral(JXC_STR(JXC_FUZZ_TARGET));
    fuzz::RunTarget(target, QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size)));
    return 0;
}
