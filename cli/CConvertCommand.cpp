#include "cli/CConvertCommand.h"

#include "cli/CCheckReport.h"
#include "cli/CCliCommand.h"
#include "data/CConfigCheck.h"
#include "data/CQARNCfgDoc.h"
#include "data/CRecordList.h"

#include <filesystem>

int CConvertCommand::Run(const std::vector<std::string>& args, std::ostream& out,
                         std::ostream& err) {
    if (args.size() != 2) {
        err << "Usage: tovrik-cli convert IN.s19 OUT.s19\n";
        return kExitUsage;
    }
    const std::string& inPath = args[0];
    const std::string& outPath = args[1];
    CQARNCfgDoc doc;
    if (const std::error_code error = doc.OnOpenDocument(inPath)) {
        err << "tovrik-cli: " << CDocument::OpenErrorMessage(inPath, error) << "\n";
        return kExitUsage;
    }
    // Converting keeps working on a damaged file; the problems are said.
    CCheckReport::WarnProblems(CConfigCheck(doc), inPath, err);
    if (const std::error_code error = doc.OnSaveDocument(outPath)) {
        err << "tovrik-cli: " << CDocument::SaveErrorMessage(outPath, error) << "\n";
        return kExitUsage;
    }
    std::error_code ec;
    const auto bytes = std::filesystem::file_size(Utf8Path(outPath), ec);
    const std::size_t records = g_recordList.GetCount();
    out << "Converted " << inPath << " to " << outPath << ": " << records << " data record"
        << (records == 1 ? "" : "s") << ", " << (ec ? 0 : bytes) << " bytes.\n";
    return kExitSuccess;
}
