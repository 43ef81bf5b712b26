#include "app/CDocumentSummary.h"

#include "app/CCompareReport.h"
#include "app/CDocumentCommands.h"
#include "core/data/CConfigCheck.h"
#include "core/data/CQARNCfgDoc.h"

namespace {

constexpr const char* kUntitled = "Untitled";
// Findings listed one by one; the rest are counted.
constexpr std::size_t kFindingsShown = 5;
constexpr std::size_t kLabelWidth = 14;
// Differences of a compare listed one by one; the report dialog has them all.
constexpr std::size_t kDifferencesShown = 5;

std::string Row(const std::string& label, const std::string& value) {
    std::string row = label + ':';
    row.resize(std::max(row.size(), kLabelWidth), ' ');
    return row + ' ' + value;
}

void AddFindings(std::vector<std::string>& lines, const char* title,
                 const std::vector<CConfigFinding>& findings) {
    lines.emplace_back();
    lines.push_back(std::string(title) + ": " + CConfigCheck::ReasonList(findings));
    for (std::size_t i = 0; i < findings.size() && i < kFindingsShown; ++i) {
        lines.push_back("  " + CConfigCheck::Describe(findings[i]));
    }
    if (findings.size() > kFindingsShown) {
        lines.push_back("  and " + std::to_string(findings.size() - kFindingsShown) + " more");
    }
}

std::string Changes(const CQARNCfgDoc& doc) {
    std::string changes = doc.IsModified() ? "not saved" : "all saved";
    const int dropped = doc.m_notes.nDropped;
    if (dropped > 0 && !doc.GetPathName().empty()) {
        changes += "; " + std::to_string(dropped) + (dropped == 1 ? " line" : " lines") +
                   " of the file " + (dropped == 1 ? "is" : "are") + " left out";
    }
    return changes;
}

void AddCompare(std::vector<std::string>& lines, const CCompareReport& report) {
    lines.emplace_back();
    lines.push_back(Row("Compared with", report.OtherName()));
    lines.push_back(Row("Result", report.Verdict()));
    const auto& differences = report.Differences();
    for (std::size_t i = 0; i < differences.size() && i < kDifferencesShown; ++i) {
        lines.push_back("  " + differences[i].strText);
    }
    if (differences.size() > kDifferencesShown) {
        lines.push_back("  and " + std::to_string(differences.size() - kDifferencesShown) +
                        " more");
    }
}

}  // namespace

std::string CDocumentSummary::Title(const CQARNCfgDoc& doc) {
    std::string name = doc.GetFileName();
    if (name.empty() && doc.IsModified()) {
        name = kUntitled;
    }
    return std::string(CDocumentCommands::kAppTitle) + (name.empty() ? "" : "-" + name) +
           (doc.IsModified() ? "*" : "");
}

std::vector<std::string> CDocumentSummary::Lines(const CQARNCfgDoc& doc,
                                                 const CCompareReport* report) {
    return Lines(doc, CConfigCheck(doc), report);
}

std::vector<std::string> CDocumentSummary::Lines(const CQARNCfgDoc& doc, const CConfigCheck& check,
                                                 const CCompareReport* report) {
    if (check.IsEmpty()) {
        return {"No configuration in memory.", "", "Open a .s19 file with File > Open,",
                "or read the device's configuration", "with File > Upload."};
    }
    const std::string name = doc.GetFileName();
    std::vector<std::string> lines;
    lines.push_back(Row("File", name.empty() ? kUntitled : name));
    lines.push_back(Row("Changes", Changes(doc)));
    for (const std::string& line : check.InfoLines()) {
        const std::size_t colon = line.find(": ");
        lines.push_back(Row(line.substr(0, colon), line.substr(colon + 2)));
    }
    std::string verdict = "NOT VALID: do not download";
    if (check.IsWhole()) {
        verdict = "whole: valid and complete";
    } else if (check.IsValid()) {
        verdict = "valid, with warnings";
    }
    lines.push_back(Row("Check", verdict));
    if (!check.IsValid()) {
        AddFindings(lines, "Problems", check.Problems());
    }
    if (!check.Warnings().empty()) {
        AddFindings(lines, "Warnings", check.Warnings());
    }
    if (report != nullptr) {
        AddCompare(lines, *report);
    }
    return lines;
}
