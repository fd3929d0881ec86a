// A drawing read from arbitrary bytes, written as DXF and read again: the written file must be read
// without error and give back as many elements.
#include "FuzzChecks.h"
#include "host/DxfReader.h"
#include "host/DxfWriter.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace velrok::host;
    const DxfImport first = ReadDxfText(std::string_view(reinterpret_cast<const char*>(data), size), "fuzz.dxf", velrok::fuzz::kShapeBase);
    if (!first.ok())
        return 0;
    const std::string written = WriteDxfText(*first.drawing);
    const DxfImport second = ReadDxfText(written, "written.dxf", velrok::fuzz::kShapeBase);
    if (!second.ok()) {
        std::fprintf(stderr, "written drawing refused: %s\n", second.error.c_str());
        velrok::fuzz::Fail("the written drawing is not read back", 0.0);
    }
    const size_t before = first.drawing->ModelElements().size();
    const size_t after = second.drawing->ModelElements().size();
    if (before != after) {
        std::fprintf(stderr, "elements read %zu, read back %zu\n", before, after);
        velrok::fuzz::Fail("the written drawing gives back another number of elements", double(after));
    }
    velrok::fuzz::RequireSoundElements(*second.drawing);
    return 0;
}
