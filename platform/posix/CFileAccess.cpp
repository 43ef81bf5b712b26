#include "platform/CFileAccess.h"

#include "PosixError.h"

#include <unistd.h>

std::error_code CFileAccess::CheckWritableFolder(const std::string& folder) {
    return ::access(folder.c_str(), W_OK) == 0 ? std::error_code() : PosixError::Last();
}
