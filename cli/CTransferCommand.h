#pragma once

#include <ostream>
#include <string>
#include <vector>

class CSystemContext;

// tovrik-cli download FILE.s19 [--port P] [--baud B]
// tovrik-cli upload OUT.s19 [--port P] [--baud B]
//
// Each runs one transfer exactly as the transfer dialog does, printing the
// status lines to `out`. Exit status: 0 finished; 1 failed (port not opened,
// no connection, communication error); 2 usage error, or a file that cannot be
// read or written (OUT included, checked before the transfer); 128 + the
// signal when SIGINT, SIGTERM or SIGHUP cancelled the transfer or the save.
class CTransferCommand {
public:
    static int RunDownload(CSystemContext& context, const std::vector<std::string>& args,
                           std::ostream& out, std::ostream& err);
    static int RunUpload(CSystemContext& context, const std::vector<std::string>& args,
                         std::ostream& out, std::ostream& err);
};
