// Writing what the program adds to a DXF file: its entities, layers, line types and groups, in
// the form the file's version needs (R12 knows no LWPOLYLINE, ELLIPSE, SPLINE, subclass markers
// or owners).
#pragma once

#include "host/InMemoryDrawing.h"

#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace velrok::host {

// Appends group-code/value pairs with the file's line end; numbers in their shortest exact form
// so they read back equal.
class DxfOut {
  public:
    DxfOut(std::string& text, std::string_view eol) : m_text(text), m_eol(eol) {}
    // Streams to sink: text is only a buffer, passed on whenever it holds kSpillBytes; Flush
    // passes on the rest. A saved drawing is as large as the file read, so it is not held twice.
    DxfOut(std::string& buffer, std::string_view eol, std::ostream& sink) : m_text(buffer), m_eol(eol), m_sink(&sink) {}
    static constexpr size_t kSpillBytes = 1 << 16;

    void Pair(int code, std::string_view value);
    void Int(int code, long long value);
    void Real(int code, double value);
    void Point(int code, const Point3d& p);
    void Handle(int code, uint64_t handle);
    void Raw(std::string_view text);
    std::string_view Eol() const { return m_eol; }
    void Flush();

  private:
    void Code(int code);
    void Spill()
    {
        if (m_sink && m_text.size() >= kSpillBytes)
            Flush();
    }
    std::string& m_text;
    std::string_view m_eol;
    std::ostream* m_sink = nullptr;
};

// How one new entity is written.
struct DxfEntityForm {
    bool r12 = false;
    bool handles = true;     // R12 files may do without
    uint64_t handle = 0;     // the entity's own
    std::string owner;       // the model space's block record; empty in R12
    std::vector<uint64_t> reactors; // the groups it belongs to
    std::string layer;       // encoded for the file
    std::string lineType;    // encoded; empty: by layer
    int aci = 256;
    int lineweight = -1;
    std::string text;        // a text's value, encoded
};

// Sub-entities (VERTEX, SEQEND) take handles from next.
void WriteNewEntity(DxfOut& out, const DrawingElement& e, const DxfEntityForm& form, uint64_t& next);

void WriteNewLayer(DxfOut& out, bool r12, uint64_t handle, const std::string& tableHandle, const std::string& name,
                   int aci, const std::string& lineType, int lineweight);
void WriteNewLineType(DxfOut& out, bool r12, uint64_t handle, const std::string& tableHandle,
                      const std::string& name, const std::string& description, const std::vector<double>& dashes);
void WriteNewGroup(DxfOut& out, uint64_t handle, uint64_t dictionary, const std::string& description,
                   const std::vector<std::string>& memberHandles);

} // namespace velrok::host
