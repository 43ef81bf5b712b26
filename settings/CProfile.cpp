#include "settings/CProfile.h"

#include "platform/common/ETovrikError.h"

namespace {

std::error_code Written(bool bWritten) {
    return bWritten ? std::error_code() : std::error_code(ETovrikError::ProfileNotWritten);
}

}  // namespace

int CProfile::GetProfileInt(const std::string& section, const std::string& key,
                            int nDefault) const {
    return m_pStore->GetInt(section, key).value_or(nDefault);
}

std::error_code CProfile::WriteProfileInt(const std::string& section, const std::string& key,
                                          int nValue) {
    return Written(m_pStore->WriteInt(section, key, nValue));
}

std::string CProfile::GetProfileString(const std::string& section, const std::string& key,
                                       const std::string& strDefault) const {
    return m_pStore->GetString(section, key).value_or(strDefault);
}

std::error_code CProfile::WriteProfileString(const std::string& section, const std::string& key,
                                             const std::string& strValue) {
    return Written(m_pStore->WriteString(section, key, strValue));
}

std::string CProfile::GetWarning() const {
    return m_pStore->Warning();
}
