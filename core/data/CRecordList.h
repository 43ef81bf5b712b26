#pragma once

#include "core/data/Csrecord.h"

#include <cstddef>
#include <memory>
#include <vector>

// The ordered list of data records, in file order or arrival order. It owns its
// records: emptying it deletes them.
class CRecordList {
public:
    using Storage = std::vector<std::unique_ptr<Csrecord>>;

    void AddTail(std::unique_ptr<Csrecord> record);
    void RemoveAll();
    bool IsEmpty() const { return m_records.empty(); }
    std::size_t GetCount() const { return m_records.size(); }

    // Walk from head to tail.
    Storage::const_iterator begin() const { return m_records.begin(); }
    Storage::const_iterator end() const { return m_records.end(); }

    // Moves every record out, leaving the list empty; Restore puts them back.
    Storage TakeAll();
    void Restore(Storage records);

private:
    Storage m_records;
};

extern CRecordList g_recordList;
