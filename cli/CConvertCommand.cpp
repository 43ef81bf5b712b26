#include "cli/CConvertCommand.h"

#include "cli/CCliCommand.h"
#include "data/CQARNCfgDoc.h"
#include "data/CRecordList.h"

#include <filesystem>

int CConvertCommand::Run(const std::vector<std::string>& args, std::ostream& out,
                         std::ostream& err) {
    if (args.size() != 2) {
        err << "Usage: tovrik-cli convert IN.s19 OUT.s19\n";
        return kExitFailure;
    }
    const std::string& inPath = args[0];
    const std::string& outPath = args[1];
    CQARNCfgDoc doc;
    std::string error;
    if (!doc.OnOpenDocument(inPath, error) || !doc.OnSaveDocument(outPath, error)) {
        err << "tovrik-cli: " << error << "\n";
        return kExitFailure;
    }
    std::error_code ec;
    const auto bytes = std::filesystem::file_size(outPath, ec);
    const std::size_t records = g_recordList.GetCount();
    out << "Converted " << inPath << " to " << outPath << ": " << records << " data record"
        << (records == 1 ? "" : "s") << ", " << (ec ? 0 : bytes) << " bytes.\n";
    return kExitSuccess;
}
