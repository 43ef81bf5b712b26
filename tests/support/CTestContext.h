#pragma once

#include "platform/common/CSystemPaths.h"
#include "settings/CProfileStore.h"
#include "settings/CSystemContext.h"

#include <map>
#include <memory>
#include <string>

// A profile kept in memory, for tests: what one writes, the next reads, and
// nothing reaches the user's own profile. Writes can be made to fail.
class CMemoryProfileStore : public CProfileStore {
public:
    std::optional<int> GetInt(const std::string& section, const std::string& key) override;
    std::optional<std::string> GetString(const std::string& section,
                                         const std::string& key) override;
    bool WriteInt(const std::string& section, const std::string& key, int value) override;
    bool WriteString(const std::string& section, const std::string& key,
                     const std::string& value) override;

    bool m_bRefuseWrites = false;
    std::map<std::string, std::string> m_values;  // "section/key" -> value
};

// What a test's programs know of the machine: a profile in memory (or the
// store given), and the paths given (by default the machine's own, which a
// test that only opens pseudo-terminals by their paths never reads).
struct CTestContext {
    static CSystemContext Make(CSystemPaths paths = {});
    static CSystemContext Make(std::unique_ptr<CProfileStore> store, CSystemPaths paths = {});
};
