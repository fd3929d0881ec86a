// Arbitrary bytes as a DXF file: the reader refuses them or yields elements whose lengths and
// points along them are finite numbers.
#include "FuzzChecks.h"
#include "host/DxfReader.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const velrok::host::DxfImport read = velrok::host::ReadDxfText(text, "fuzz.dxf", velrok::fuzz::kShapeBase);
    if (read.ok())
        velrok::fuzz::RequireSoundElements(*read.drawing);
    else if (read.error.empty())
        velrok::fuzz::Fail("a refused file carries no message", 0.0);
    return 0;
}
