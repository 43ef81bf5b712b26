#include "cli/CVerifyCommand.h"
#include "app/CErrorText.h"

#include "cli/CArgumentParser.h"
#include "cli/CCheckReport.h"
#include "cli/CCliCommand.h"
#include "core/data/CConfigCheck.h"
#include "core/data/CQARNCfgDoc.h"
#include "platform/common/ETovrikError.h"

#include <algorithm>

namespace {

std::string Count(std::size_t n, const char* word) {
    return std::to_string(n) + " " + word + (n == 1 ? "" : "s");
}

}  // namespace

int CVerifyCommand::Run(CSystemContext& /*context*/, const std::vector<std::string>& args,
                        std::ostream& out, std::ostream& err) {
    std::vector<std::string> files;
    if (!CArgumentParser("verify", "FILE.s19...", 1, true).Parse(args, files, err)) {
        return kExitUsage;
    }
    int status = kExitSuccess;
    for (const std::string& file : files) {
        CQARNCfgDoc doc;
        if (const std::error_code error = doc.OnOpenDocument(file)) {
            // Not a configuration at all is a wrong argument, not a damaged one.
            if (error == ETovrikError::NotConfiguration) {
                out << file << ": not an S-record configuration\n";
            } else {
                err << "tovrik-cli verify: " << CErrorText::OpenFailed(file, error) << '\n';
            }
            status = kExitUsage;
            continue;
        }
        const CConfigCheck check(doc);
        const std::size_t problems = check.Problems().size();
        const std::size_t warnings = check.Warnings().size();
        std::string verdict = problems != 0   ? "NOT VALID, " + Count(problems, "problem")
                              : warnings != 0 ? "valid"
                                              : "whole";
        if (warnings != 0) {
            verdict += ", " + Count(warnings, "warning");
        }
        out << file << ": " << verdict << '\n';
        CCheckReport::Print(check, out);
        if (problems != 0) {
            status = std::max(status, kExitFailed);
        }
    }
    return status;
}
