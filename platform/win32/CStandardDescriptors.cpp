#include "platform/common/CStandardDescriptors.h"

// Nothing to do: Windows hands a program its standard streams as handles, and
// every file and port the program opens is a new handle of CreateFileW, never
// one of those. A missing stream stays missing, and what is printed to it is
// lost rather than written into a file or to a device.
bool CStandardDescriptors::OpenMissing() {
    return true;
}
