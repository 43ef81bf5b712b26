#pragma once

// Sets a baud rate that has no B-constant (such as 14400) through the Linux
// termios2 interface. Returns 0 or an errno value; EINVAL when the platform
// has no such interface or the driver cannot come within 2 % of the rate.
int SetCustomBaud(int fd, int baud);
