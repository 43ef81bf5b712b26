#pragma once

#include "core/data/CConfigCompare.h"

#include <cstddef>
#include <string>
#include <vector>

class CConfiguration;
class CQARNCfgDoc;

// What a compare of the configuration in memory with a file or with the
// device found, as the desktop program shows it: in a dialog, whole, and in
// the main window's view, short, for as long as the configuration in memory
// has not changed since.
class CCompareReport {
public:
    static constexpr const char* kDeviceName = "the device";

    // `otherName`: the other file's name, or kDeviceName.
    CCompareReport(const CQARNCfgDoc& doc, const CConfiguration& other, std::string otherName);

    const std::string& OtherName() const { return m_strOtherName; }
    const std::string& Verdict() const { return m_strVerdict; }
    bool IsSame() const { return m_differences.empty(); }
    const std::vector<CCompareDifference>& Differences() const { return m_differences; }
    // The dialog's text, one line a row: what was compared with what, the
    // verdict, what else to know, and every difference.
    std::vector<std::string> Lines() const;
    // The configuration in memory is still the one compared.
    bool Describes(const CQARNCfgDoc& doc) const;

private:
    static std::size_t Stamp(const CQARNCfgDoc& doc);

    std::string m_strFirstName;
    std::string m_strOtherName;
    std::string m_strVerdict;
    std::vector<std::string> m_notes;
    std::vector<CCompareDifference> m_differences;
    std::size_t m_nStamp;
};
