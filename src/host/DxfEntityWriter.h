// Writing what the program adds to a DXF file: its entities, layers, line types and groups, in
// the form the file's version needs (R12 knows no LWPOLYLINE, ELLIPSE, SPLINE, subclass markers
// or owners).
#pragma once

#include "host/InMemoryDrawing.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace velrok::host {

// Appends group-code/value pairs with the file's line end; numbers in their shortest exact form
// so they read back equal.
class DxfOut {
  public:
    DxfOut(std::string& text, std::string_view eol) : m_text(text), m_eol(eol) {}
    void Pair(int code, std::string_view value);
    void Int(int code, long long value);
    void Real(int code, double value);
    void Point(int code, const Point3d& p);
    void Handle(int code, uint64_t handle);
    void Raw(std::string_view text) { m_text.append(text); }
    std::string_view Eol() const { return m_eol; }

  private:
    void Code(int code);
    std::string& m_text;
    std::string_view m_eol;
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
