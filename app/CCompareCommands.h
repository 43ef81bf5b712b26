#pragma once

#include "app/CCompareReport.h"

#include <optional>
#include <string>

class CDocumentCommands;
class CQARNCfgDoc;
class IPrompter;

// File > Compare with File… and Compare with Device…: the configuration in
// memory compared, as data, with a file or with what the device sent. The
// document is never changed; the report is shown, and kept for the view until
// the document changes.
class CCompareCommands {
public:
    static constexpr const char* kFileCaption = "Compare with File";
    static constexpr const char* kDeviceCaption = "Compare with Device";

    CCompareCommands(CQARNCfgDoc& doc, IPrompter& prompter, CDocumentCommands& documents);

    // Chooses a file, compares and shows the report; false when nothing was
    // compared (nothing held, the user cancelled, the file could not be read).
    bool OnCompareWithFile();
    // Whether there is a configuration to compare with the device; tells the
    // user when there is none.
    bool CanCompareWithDevice();
    // The compare of what the transfer dialog read whole from the device.
    void OnDeviceAnswer(CCompareReport report);
    // The last compare's report while it still describes the document; null
    // once the document has changed.
    const CCompareReport* Report() const;

private:
    bool HasConfiguration(const char* caption);
    void Show(const char* caption, CCompareReport report);

    CQARNCfgDoc& m_doc;
    IPrompter& m_prompter;
    CDocumentCommands& m_documents;
    std::optional<CCompareReport> m_report;
};
