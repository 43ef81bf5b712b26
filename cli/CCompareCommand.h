#pragma once

#include <ostream>
#include <string>
#include <vector>

class CSystemContext;

// tovrik-cli compare A.s19 B.s19
// tovrik-cli compare A.s19 --device [--port P] [--baud B]
//
// Compares two configurations as data: A with B, or A with what the device
// sends when asked as upload asks it (nothing is written). Prints the verdict,
// then one line per difference, at most 20. Exit status as cmp and diff have
// it: 0 the same, 1 different, 2 trouble (a usage error, a file that cannot be
// read or is not a configuration, a device answer that is missing or not
// whole); 128 + the signal that cancelled the upload.
class CCompareCommand {
public:
    static int Run(CSystemContext& context, const std::vector<std::string>& args, std::ostream& out,
                   std::ostream& err);
};
