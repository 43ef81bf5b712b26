#pragma once

#include "data/CDocument.h"
#include "data/Cs0Header.h"
#include "data/Cs7EndRecord.h"

#include <functional>
#include <memory>
#include <string>

// The one configuration in memory: header, end record, and the data records
// held in g_recordList.
class CQARNCfgDoc : public CDocument {
public:
    static constexpr const char* kAppTitle = "Tovrik";

    CQARNCfgDoc();
    ~CQARNCfgDoc() override;

    bool OnNewDocument() override;
    void Serialize(CArchive& ar) override;

    // 0, 3 or 7 by the line's second character, -1 otherwise.
    static int GetRecordType(const std::string& line);
    // Classifies the line and parses it into the header, a new record at the
    // tail of g_recordList or the end record; other lines are dropped. Returns
    // the line's type.
    int StoreLine(const std::string& line);

    // File > Download and File > Upload: run the transfer dialog in mode 0 or 1.
    void OnFileDownload();
    void OnFileUpload();
    void SetTransferLauncher(std::function<void(CQARNCfgDoc&, int nMode)> launcher);

    std::string m_strLine;
    int m_nBaudIndex = 3;
    int m_nPortIndex = 0;
    int m_nFileSize = 0;
    std::unique_ptr<Cs7EndRecord> m_pEndRecord;
    std::unique_ptr<Cs0Header> m_pHeader;

private:
    std::function<void(CQARNCfgDoc&, int)> m_transferLauncher;
};
