#pragma once

#include <ostream>
#include <string>
#include <vector>

class CSystemContext;

// tovrik-cli convert IN.s19 OUT.s19: loads IN as File > Open does and writes
// it to OUT as File > Save As does.
class CConvertCommand {
public:
    static int Run(CSystemContext& context, const std::vector<std::string>& args, std::ostream& out,
                   std::ostream& err);
};
