#pragma once

#include <string>
#include <system_error>

// Whether the user may write where a command will save, asked before the
// command spends minutes on a transfer.
class CFileAccess {
public:
    // Empty when the user may create files in the folder.
    static std::error_code CheckWritableFolder(const std::string& folder);
};
