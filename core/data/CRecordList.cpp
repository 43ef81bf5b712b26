#include "core/data/CRecordList.h"

#include <utility>

CRecordList g_recordList;

void CRecordList::AddTail(std::unique_ptr<Csrecord> record) {
    m_records.push_back(std::move(record));
}

void CRecordList::RemoveAll() {
    m_records.clear();
}

CRecordList::Storage CRecordList::TakeAll() {
    Storage records;
    records.swap(m_records);
    return records;
}

void CRecordList::Restore(Storage records) {
    m_records = std::move(records);
}
