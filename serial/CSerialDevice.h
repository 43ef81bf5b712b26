#pragma once

// The platform's serial device class. CSerialPort uses only the members of
// CPosixSerialDevice; a port to another platform supplies a class with the same
// members and selects it here.
#include "serial/CPosixSerialDevice.h"

using CSerialDevice = CPosixSerialDevice;
