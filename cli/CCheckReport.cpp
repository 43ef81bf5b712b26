#include "app/CErrorText.h"
#include "cli/CCheckReport.h"

#include "data/CConfigCheck.h"
#include "data/CQARNCfgDoc.h"
#include "transfer/CTransferSession.h"

#include <algorithm>

namespace {

void PrintFindings(const char* kind, const std::vector<CConfigFinding>& findings,
                   std::ostream& out) {
    for (const CConfigFinding& finding : findings) {
        out << "  " << kind << ": " << CConfigCheck::Describe(finding) << '\n';
    }
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
    std::vector<CConfigFinding> findings = check.Problems();
    findings.insert(findings.end(), check.Warnings().begin(), check.Warnings().end());
    err << "tovrik-cli download: " << file << " is not complete ("
        << CConfigCheck::ReasonList(findings) << "); nothing was sent.\n";
    PrintFindings("problem", check.Problems(), err);
    PrintFindings("warning", check.Warnings(), err);
    err << "Give --force to download it anyway.\n";
    return false;
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
    err << "tovrik-cli upload: what was received is in " << file
        << ", as --force asked; it is not a usable backup.\n";
}
