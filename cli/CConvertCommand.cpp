#include "cli/CConvertCommand.h"
#include "app/CErrorText.h"

#include "cli/CArgumentParser.h"
#include "cli/CCheckReport.h"
#include "cli/CCliCommand.h"
#include "core/data/CConfigCheck.h"
#include "core/data/CQARNCfgDoc.h"
#include "core/data/CRecordList.h"
#include "platform/common/CInterruptGuard.h"

#include <filesystem>

int CConvertCommand::Run(CSystemContext& /*context*/, const std::vector<std::string>& args,
                         std::ostream& out, std::ostream& err) {
    std::vector<std::string> files;
    if (!CArgumentParser("convert", "IN.s19 OUT.s19", 2).Parse(args, files, err)) {
        return kExitUsage;
    }
    const std::string& inPath = files[0];
    const std::string& outPath = files[1];
    // Ctrl+C, SIGTERM or SIGHUP stop the conversion before or during the save;
    // OUT is then left as it was, with no temporary file beside it.
    const CInterruptGuard guard;
    CQARNCfgDoc doc;
    if (const std::error_code error = doc.OnOpenDocument(inPath)) {
        err << "tovrik-cli: " << CErrorText::OpenFailed(inPath, error) << "\n";
        return kExitUsage;
    }
    if (CInterruptGuard::Caught() != 0) {
        return ExitStatusForSignal(CInterruptGuard::Caught());
    }
    // Converting keeps working on a damaged file; the problems are said.
    CCheckReport::WarnProblems(CConfigCheck(doc), inPath, err);
    if (const std::error_code error = doc.OnSaveDocument(outPath)) {
        err << "tovrik-cli: " << CErrorText::SaveFailed(outPath, error) << "\n";
        return ExitStatusForSave(error);
    }
    std::error_code ec;
    const auto bytes = std::filesystem::file_size(Utf8Path(outPath), ec);
    const std::size_t records = g_recordList.GetCount();
    out << "Converted " << inPath << " to " << outPath << ": " << records << " data record"
        << (records == 1 ? "" : "s") << ", " << (ec ? 0 : bytes) << " bytes.\n";
    return kExitSuccess;
}
