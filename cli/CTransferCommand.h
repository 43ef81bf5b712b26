#pragma once

#include <ostream>
#include <string>
#include <vector>

class CConfiguration;
class CSystemContext;
class CTransferOptions;

// tovrik-cli download FILE.s19 [--port P] [--baud B]
// tovrik-cli upload OUT.s19 [--port P] [--baud B]
//
// Each runs one transfer exactly as the transfer dialog does, printing the
// status lines to `out`. Exit status: 0 finished; 1 failed (port not opened,
// no connection, communication error, an upload's answer that is not whole,
// also when --force wrote it); 2 usage error, or a file that cannot be
// read or written (OUT included, checked before the transfer); 128 + the
// signal when SIGINT, SIGTERM or SIGHUP cancelled the transfer or the save.
class CTransferCommand {
public:
    static int RunDownload(CSystemContext& context, const std::vector<std::string>& args,
                           std::ostream& out, std::ostream& err);
    static int RunUpload(CSystemContext& context, const std::vector<std::string>& args,
                         std::ostream& out, std::ostream& err);
    // compare --device: reads the device's configuration as upload does, with
    // its request, pauses, status lines and signals, into `received` only;
    // nothing is written. 0 when the upload finished, 1 when it did not, 128 +
    // the signal that cancelled it.
    static int ReadDevice(CSystemContext& context, const CTransferOptions& options,
                          CConfiguration& received, std::ostream& out, std::ostream& err);
};
