#include "platform/common/CCommandLine.h"

#include <windows.h>

#include <shellapi.h>  // after windows.h, on which it builds

#include "platform/common/Win32Text.h"

std::vector<std::string> CCommandLine::Arguments(int argc, char* argv[]) {
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (wide == nullptr) {
        return {argv, argv + argc};
    }
    std::vector<std::string> arguments;
    arguments.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        arguments.push_back(Win32Text::Narrow(wide[i]));
    }
    LocalFree(wide);
    return arguments;
}
