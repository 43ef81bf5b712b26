#include "cli/CCompareCommand.h"

#include "app/CErrorText.h"
#include "cli/CArgumentParser.h"
#include "cli/CCliCommand.h"
#include "cli/CTransferCommand.h"
#include "cli/CTransferOptions.h"
#include "core/data/CConfigCompare.h"
#include "core/data/CConfiguration.h"
#include "core/data/CDocument.h"
#include "settings/CSystemContext.h"

#include <optional>

namespace {

constexpr std::size_t kDifferencesShown = 20;
constexpr const char* kSynopsis = "A.s19 B.s19 | A.s19 --device [--port P] [--baud B]";

int UsageError(const std::string& reason, std::ostream& err) {
    err << "tovrik-cli compare: " << reason << "\nUsage: tovrik-cli compare " << kSynopsis << '\n';
    return kExitUsage;
}

bool Load(const std::string& path, CConfiguration& config, std::ostream& err) {
    if (const std::error_code error = config.Load(path)) {
        err << "tovrik-cli compare: " << CErrorText::OpenFailed(path, error) << '\n';
        return false;
    }
    return true;
}

}  // namespace

int CCompareCommand::Run(CSystemContext& context, const std::vector<std::string>& args,
                         std::ostream& out, std::ostream& err) {
    bool bDevice = false;
    std::optional<std::string> port;
    std::optional<std::string> baud;
    CArgumentParser parser("compare", kSynopsis, 1, true);
    parser.AddFlag("--device", [&] { bDevice = true; });
    parser.AddValue("--port", [&](const std::string& value, std::string&) {
        port = value;
        return true;
    });
    parser.AddValue("--baud", [&](const std::string& value, std::string&) {
        baud = value;
        return true;
    });
    std::vector<std::string> files;
    if (!parser.Parse(args, files, err)) {
        return kExitUsage;
    }
    const std::size_t nFiles = bDevice ? 1 : 2;
    if (files.size() < nFiles) {
        return UsageError("missing file name", err);
    }
    if (files.size() > nFiles) {
        return UsageError("unexpected argument '" + files[nFiles] + "'", err);
    }
    if (!bDevice && (port || baud)) {
        return UsageError(std::string(port ? "--port" : "--baud") + " goes with --device", err);
    }
    CTransferOptions options;
    if (bDevice) {
        options = CTransferOptions::FromProfile(context);
        if (const std::string warning = context.Profile().GetWarning(); !warning.empty()) {
            err << "tovrik-cli: warning: " << warning << '\n';
        }
        std::string error;
        if ((port && !options.SetPort(*port, context, error)) ||
            (baud && !options.SetBaud(*baud, error))) {
            return UsageError(error, err);
        }
    }

    CConfiguration first;
    CConfiguration second;
    if (!Load(files[0], first, err) || (!bDevice && !Load(files[1], second, err))) {
        return kExitUsage;
    }
    if (bDevice) {
        const int status = CTransferCommand::ReadDevice(context, options, second, out, err);
        if (status == kExitFailed) {
            err << "tovrik-cli compare: no whole configuration came from the device; nothing "
                   "was compared.\n";
            return kExitUsage;
        }
        if (status != kExitSuccess) {
            return status;
        }
    }

    const CConfigCompare compare(first, second);
    for (const std::string& note : compare.Notes(files[0], bDevice ? "the device" : files[1])) {
        err << "tovrik-cli compare: " << note << '\n';
    }
    out << compare.Verdict() << '\n';
    const auto& differences = compare.Differences();
    for (std::size_t i = 0; i < differences.size() && i < kDifferencesShown; ++i) {
        out << differences[i].strText << '\n';
    }
    if (differences.size() > kDifferencesShown) {
        out << "\xE2\x80\xA6 and " << differences.size() - kDifferencesShown << " more\n";
    }
    return compare.IsSame() ? kExitSuccess : kExitFailed;
}
