#pragma once

#include "data/CDocument.h"
#include "data/CReadNotes.h"
#include "data/Cs0Header.h"
#include "data/Cs7EndRecord.h"
#include "data/Csrecord.h"

#include <memory>
#include <string>

// The byte total of a full configuration image, line ends included.
inline constexpr int CONFIG_IMAGE_BYTES = 196642;

// The kind of an S-record line, told by its second character. The values are
// the line's type digit.
enum class ERecordType : int {
    Other = -1,  // anything else: S1, S5, S9, an echo, a blank line
    Header = 0,  // S0
    Data = 3,    // S3
    End = 7,     // S7
};

// The direction of a transfer: the document's Download and Upload commands.
enum class ETransferMode : int {
    Download = 0,  // send the configuration in memory to the device
    Upload = 1,    // read the device's configuration into memory
};

// The one configuration in memory: header, end record, and the data records
// held in g_recordList, with what the load or upload that brought them noticed.
class CQARNCfgDoc : public CDocument {
public:
    CQARNCfgDoc();
    ~CQARNCfgDoc() override;

    // Empties the configuration: header, records, end record and file size.
    bool OnNewDocument() override;
    // A load replaces the whole configuration with the file's lines.
    void Serialize(CArchive& ar) override;
    // Refuses a file none of whose lines is a well-formed S0, S3 or S7 record
    // (a wrong checksum aside): notes, a text that happens to hold "S7".
    [[nodiscard]] std::error_code CheckContents(CArchive& ar) override;
    // Empties header, records, end record and notes; the file size stays.
    void EmptyConfiguration();
    // The file saved holds the lines the document does, and nothing else: the
    // notes describe those lines from now on, so that nothing is said to be
    // left out of the file that a save just wrote.
    void OnSaved() override;

    // The last component of the path name; empty when there is none.
    std::string GetFileName() const;

    // Header, Data or End by the line's second character, Other otherwise.
    static ERecordType GetRecordType(const std::string& line);
    // Classifies the line and parses it into the header, a new record at the
    // tail of g_recordList or the end record; other lines are dropped. Each
    // line is noted in m_notes, with `dropped`, the bytes an upload left out
    // of it. Returns the line's type.
    ERecordType StoreLine(const std::string& line, const CDroppedBytes& dropped = {});

    std::string m_strLine;
    int m_nBaudIndex = 3;
    int m_nPortIndex = 0;
    int m_nFileSize = 0;
    std::unique_ptr<Cs7EndRecord> m_pEndRecord;
    std::unique_ptr<Cs0Header> m_pHeader;
    CReadNotes m_notes;

    // Parses a header or end line into `header` or `endRecord`, a data line
    // into a new `record`; other lines are dropped. Each line is noted in
    // `notes`, with what of it the record does not hold. Returns the line's
    // type.
    static ERecordType ParseLine(const std::string& line, Cs0Header& header,
                                 Cs7EndRecord& endRecord, std::unique_ptr<Csrecord>& record,
                                 CReadNotes& notes, const CDroppedBytes& dropped = {});
};
