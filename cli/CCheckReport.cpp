#include "cli/CCheckReport.h"
#include "app/CErrorText.h"

#include "core/data/CConfigCheck.h"
#include "core/data/CQARNCfgDoc.h"
#include "core/transfer/CTransferSession.h"

#include <algorithm>

namespace {

void PrintFindings(const char* kind, const std::vector<CConfigFinding>& findings,
                   std::ostream& out) {
    for (const CConfigFinding& finding : findings) {
        out << "  " << kind << ": " << CConfigCheck::Describe(finding) << '\n';
    }
}

// Every problem's and warning's reason: "no S7 line; 98304 bytes instead of 196642".
std::string AllReasons(const CConfigCheck& check) {
    std::vector<CConfigFinding> findings = check.Problems();
    findings.insert(findings.end(), check.Warnings().begin(), check.Warnings().end());
    return CConfigCheck::ReasonList(findings);
}

}  // namespace

void CCheckReport::Print(const CConfigCheck& check, std::ostream& out) {
    for (const std::string& line : check.InfoLines()) {
        out << "  " << line << '\n';
    }
    PrintFindings("problem", check.Problems(), out);
    PrintFindings("warning", check.Warnings(), out);
}

void CCheckReport::WarnProblems(const CConfigCheck& check, const std::string& file,
                                std::ostream& err) {
    for (const CConfigFinding& finding : check.Problems()) {
        err << "tovrik-cli convert: warning: " << file << ": " << CConfigCheck::Describe(finding)
            << '\n';
    }
}

bool CCheckReport::MayDownload(const CQARNCfgDoc& doc, const std::string& file, bool bForce,
                               std::ostream& err) {
    const CConfigCheck check(doc);
    if (check.IsWhole() || bForce) {
        return true;
    }
    err << "tovrik-cli download: " << file << " is not complete (" << AllReasons(check)
        << "); nothing was sent.\n";
    PrintFindings("problem", check.Problems(), err);
    PrintFindings("warning", check.Warnings(), err);
    err << "Give --force to download it anyway.\n";
    return false;
}

void CCheckReport::ReportNotWhole(const CConfigCheck& check, const std::string& file, bool bForce,
                                  std::ostream& err) {
    err << "tovrik-cli upload: the configuration received is not complete (" << AllReasons(check)
        << (bForce ? ")." : "); " + file + " was not written.") << '\n';
    PrintFindings("problem", check.Problems(), err);
    PrintFindings("warning", check.Warnings(), err);
    if (!bForce) {
        err << "Give --force to write what was received to " << file << " anyway.\n";
    }
}

void CCheckReport::SaveReceived(CTransferSession& session, CQARNCfgDoc& doc,
                                const std::string& file, std::ostream& err) {
    if (!session.HasReceived()) {
        err << "tovrik-cli upload: nothing was received; " << file << " was not written.\n";
        return;
    }
    session.KeepReceived();
    if (const std::error_code error = doc.OnSaveDocument(file)) {
        err << "tovrik-cli upload: " << CErrorText::SaveFailed(file, error) << '\n';
        return;
    }
    // All of an answer that is not whole may be a device's best; a part of
    // one never is.
    err << "tovrik-cli upload: what was received is in " << file << ", as --force asked; "
        << (session.ReceivedCheck() ? "it is not complete." : "it is not a usable backup.") << '\n';
}
