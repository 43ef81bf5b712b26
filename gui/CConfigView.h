#pragma once

#include <QPlainTextEdit>
#include <QString>

class CQARNCfgDoc;

// The main window's view: a read-only summary of the configuration in memory.
// It names the file (or "Untitled") and says whether changes are unsaved,
// gives the header text, the data records and bytes, the address range and
// the total, and the configuration check's verdict with its first findings.
// With nothing held it shows only how to get a configuration.
class CConfigView : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit CConfigView(QWidget* parent = nullptr);

    // Shows the summary of what the document holds now.
    void OnUpdate(const CQARNCfgDoc& doc);
    // The summary's text.
    static QString SummaryText(const CQARNCfgDoc& doc);
};
