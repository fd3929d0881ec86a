// Copying entities of a file into a new drawing from their own tags: each under a fresh handle
// and owner, with the blocks it inserts (and their block records) and the line types, text
// styles, dimension styles and registered applications it names. What an entity points to that
// cannot come along (an object, an image definition, a layout) makes it impossible to copy
// soundly; the caller is told and leaves it out.
#pragma once

#include "host/DxfDocument.h"
#include "host/DxfEntityEdit.h"
#include "host/DxfEntityWriter.h"

#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace velrok::host {

class DxfEntityCopy {
  public:
    // target: whether a table record of that name is already in the drawing written to.
    // target: the handle of the record of that table and name in the drawing written to, empty
    // when it has none.
    DxfEntityCopy(const DxfDocument& from, bool toCodePage,
                  std::function<std::string(std::string_view table, std::string_view name)> target);

    // Plans the copy of one entity of the ENTITIES section, taking handles from next; reactors
    // are the groups it joins, edit the attributes the user changed. False, and nothing planned,
    // when it cannot be copied soundly.
    bool Add(const DxfEntityRef& entity, std::vector<uint64_t> reactors, const DxfCommonEdit& edit, uint64_t& next,
             uint64_t& handle);

    // The layer names (UTF-8) that the copied tags use.
    std::set<std::string> Layers() const;
    // Whether a record of that table and name is among the copies.
    bool Copies(std::string_view table, std::string_view name) const;
    size_t RecordCount(std::string_view table) const;

    void WriteEntities(DxfOut& out, const std::string& modelSpace) const;
    void WriteBlocks(DxfOut& out) const;
    void WriteRecords(DxfOut& out, std::string_view table, const std::string& tableHandle) const;

  private:
    // One run of tags from a 0 tag to the next, and the handle it is written under.
    struct Record {
        DxfTagRange tags;
        uint64_t handle = 0;
    };
    struct Entity {
        std::vector<Record> records; // the entity, then its sub-entities and SEQEND
        std::vector<uint64_t> reactors;
        DxfCommonEdit edit;
    };
    struct Block {
        std::string name;
        Record blockRecord;
        std::vector<Record> records; // BLOCK, the entities and their sub-entities, ENDBLK
    };
    struct TableCopy {
        std::string table;
        std::string name;
        Record record;
    };
    struct Plan {
        std::vector<Block> blocks;
        std::vector<TableCopy> records;
        std::map<std::string, uint64_t> remap; // upper-case old handle -> new
        std::set<std::string> old;             // upper-case handles of what the plan copies
        bool sound = true;
    };

    std::vector<Record> Split(DxfTagRange range) const;
    bool Known(const Plan& plan, const std::string& handle) const;
    void Remember(Plan& plan, const std::vector<Record>& records) const;
    void Scan(Plan& plan, std::vector<Record> records, std::string_view type) const;
    void NeedBlock(Plan& plan, std::string_view name) const;
    void NeedRecord(Plan& plan, std::string_view table, std::string_view name) const;
    void NeedByHandle(Plan& plan, std::string_view handle) const;
    void ResolvePointers(Plan& plan, const std::vector<Record>& records) const;
    bool Planned(const Plan& plan, std::string_view table, std::string_view name) const;
    void Write(DxfOut& out, const Record& r, const std::string& owner, const std::vector<uint64_t>& reactors,
               const DxfCommonEdit& edit = {}) const;

    const DxfDocument& m_from;
    const bool m_recode;
    std::function<std::string(std::string_view, std::string_view)> m_target;
    std::vector<Entity> m_entities;
    Plan m_done; // every block and record planned so far, and the handles they were given
};

} // namespace velrok::host
