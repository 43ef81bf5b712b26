#pragma once

// The address space of a process, for tests that make a child run out of
// memory by limiting it (RLIMIT_AS).
class CAddressSpace {
public:
    // The sanitizer this build runs under that reserves terabytes of address
    // space at start, so that a limited process cannot even start:
    // "AddressSanitizer", "ThreadSanitizer", or null when there is none.
    static const char* ReservingSanitizer();
    // Bytes of address space this process has mapped now.
    static unsigned long long InUse();
};
