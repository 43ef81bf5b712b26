#include "platform/common/CCommandLine.h"

std::vector<std::string> CCommandLine::Arguments(int argc, char* argv[]) {
    // The bytes the user's locale gave them, as the file system takes them.
    return {argv, argv + argc};
}
