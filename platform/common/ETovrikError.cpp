#include "platform/common/ETovrikError.h"

namespace {

class CTovrikCategory : public std::error_category {
public:
    const char* name() const noexcept override { return "tovrik"; }
    std::string message(int value) const override {
        switch (static_cast<ETovrikError>(value)) {
            case ETovrikError::NotRegularFile:
                return "it is not a regular file";
            case ETovrikError::SystemConsole:
                return "it is the system console";
            case ETovrikError::NotConfiguration:
                return "it is not an S-record configuration";
            case ETovrikError::NotEnoughMemory:
                return "not enough memory";
            case ETovrikError::OwnerNotKept:
                return "its owner and group could not be kept; save under another name";
            case ETovrikError::SaveInterrupted:
                return "the save was interrupted";
            case ETovrikError::StandardStream:
                return "it is the program's own standard input, output or error";
            case ETovrikError::ProfileNotWritten:
                return "the profile could not be written";
        }
        return "unknown error";
    }
};

}  // namespace

const std::error_category& TovrikCategory() {
    static const CTovrikCategory category;
    return category;
}

std::error_code make_error_code(ETovrikError e) {
    return {static_cast<int>(e), TovrikCategory()};
}
