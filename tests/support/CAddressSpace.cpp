#include "tests/support/CAddressSpace.h"

#include <fstream>
#include <string>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TOVRIK_TEST_ASAN 1
#endif
#if __has_feature(thread_sanitizer)
#define TOVRIK_TEST_TSAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define TOVRIK_TEST_ASAN 1
#endif
#if defined(__SANITIZE_THREAD__)
#define TOVRIK_TEST_TSAN 1
#endif

const char* CAddressSpace::ReservingSanitizer() {
#if defined(TOVRIK_TEST_ASAN)
    return "AddressSanitizer";
#elif defined(TOVRIK_TEST_TSAN)
    return "ThreadSanitizer";
#else
    return nullptr;
#endif
}

unsigned long long CAddressSpace::InUse() {
    std::ifstream status("/proc/self/status");
    std::string key;
    unsigned long long kib = 0;
    while (status >> key) {
        if (key == "VmSize:" && status >> kib) {
            break;
        }
    }
    return kib * 1024;
}
