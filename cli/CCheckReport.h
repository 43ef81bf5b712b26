#pragma once

#include <ostream>
#include <string>
#include <vector>

class CConfigCheck;
class CQARNCfgDoc;
class CTransferSession;

// What tovrik-cli says and does about the configuration check: the report of
// verify, the warnings of convert, the download refusal and what upload
// --force writes.
class CCheckReport {
public:
    // The information, then every problem and warning, one a line.
    static void Print(const CConfigCheck& check, std::ostream& out);
    // convert: every problem as a warning; the conversion goes on.
    static void WarnProblems(const CConfigCheck& check, const std::string& file, std::ostream& err);
    // download: true when the configuration held is whole or bForce is set;
    // otherwise says why nothing is sent.
    static bool MayDownload(const CQARNCfgDoc& doc, const std::string& file, bool bForce,
                            std::ostream& err);
    // upload: why the answer received is not whole, finding by finding, and
    // that `file` is not written unless bForce.
    static void ReportNotWhole(const CConfigCheck& check, const std::string& file, bool bForce,
                               std::ostream& err);
    // upload --force: writes what an upload that did not finish received to
    // `file`, for someone who wants to look at it or keep it knowingly.
    static void SaveReceived(CTransferSession& session, CQARNCfgDoc& doc, const std::string& file,
                             std::ostream& err);
};
