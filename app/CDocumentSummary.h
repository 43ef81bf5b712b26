#pragma once

#include <string>
#include <vector>

class CCompareReport;
class CConfigCheck;
class CQARNCfgDoc;

// What the main window shows of the document: its title, and the lines of the
// summary view.
class CDocumentSummary {
public:
    // "Tovrik" and the name of the file that Save writes ("Tovrik-backup.s19"),
    // "Untitled" for a changed configuration that has none yet, and a "*" for
    // unsaved changes.
    static std::string Title(const CQARNCfgDoc& doc);
    // One line a row: the file, whether changes are saved and whether the file
    // holds lines that are not held, what the configuration holds, the check's
    // verdict and its first findings. With nothing held, how to get a
    // configuration, in lines short enough to read without scrolling sideways.
    // Then what the last compare found: `report` must still describe the
    // document (CCompareCommands::Report() gives it only then).
    static std::vector<std::string> Lines(const CQARNCfgDoc& doc,
                                          const CCompareReport* report = nullptr);
    // The same, from the check of `doc` that the caller has made already.
    static std::vector<std::string> Lines(const CQARNCfgDoc& doc, const CConfigCheck& check,
                                          const CCompareReport* report);
};
