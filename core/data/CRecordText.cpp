#include "core/data/CRecordText.h"

#include <array>
#include <cstdio>

namespace {

constexpr std::array<signed char, 256> MakeHexTable() {
    std::array<signed char, 256> table{};
    for (std::size_t i = 0; i < table.size(); ++i) {
        table[i] = -1;
    }
    for (std::size_t i = 0; i < 10; ++i) {
        table['0' + i] = static_cast<signed char>(i);
    }
    for (std::size_t i = 0; i < 6; ++i) {
        table['A' + i] = static_cast<signed char>(10 + i);
        table['a' + i] = static_cast<signed char>(10 + i);
    }
    return table;
}
constexpr std::array<signed char, 256> kHex = MakeHexTable();

}  // namespace

int CRecordText::HexDigit(char c) {
    return kHex[static_cast<unsigned char>(c)];
}

std::string CRecordText::Hex(unsigned long long value, int digits) {
    char text[24];
    std::snprintf(text, sizeof text, "%0*llX", digits, value);
    return text;
}

std::string_view CRecordText::WithoutLineEnd(std::string_view line) {
    if (line.ends_with("\r\n")) {
        line.remove_suffix(2);
    } else if (line.ends_with('\n')) {
        line.remove_suffix(1);
    }
    return line;
}

CRecordText::CRecordText(std::string_view line, int addressBytes, std::string* pData) {
    const std::string_view text = WithoutLineEnd(line);
    if (text.size() < 2 || (text[0] != 'S' && text[0] != 's')) {
        strProblem = "does not start with 'S'";
        return;
    }
    const std::size_t start = pData != nullptr ? pData->size() : 0;
    unsigned count = 0;
    unsigned sum = 0;
    unsigned last = 0;
    std::size_t nBytes = 0;
    for (std::size_t i = 2; i < text.size(); i += 2) {
        const int high = HexDigit(text[i]);
        const int low = i + 1 < text.size() ? HexDigit(text[i + 1]) : 0;
        if ((high | low) < 0) {
            NotHex(text, high < 0 ? i : i + 1);
            break;
        }
        last = static_cast<unsigned>(high * 16 + low);
        if (nBytes == 0) {
            count = last;
        } else if (nBytes <= static_cast<std::size_t>(addressBytes)) {
            nAddress = (nAddress << 8) | last;
        } else if (pData != nullptr) {
            pData->push_back(static_cast<char>(last));  // the checksum too, taken back below
        }
        sum += last;
        ++nBytes;
    }
    const std::size_t digits = text.size() - 2;
    if (!strProblem.empty()) {
        // a character that is not a hex digit
    } else if (digits % 2 != 0) {
        strProblem = "odd number of hex digits (" + std::to_string(digits) + ")";
    } else if (digits == 0) {
        strProblem = "no byte count";
    } else if (count != nBytes - 1) {
        strProblem = "byte count " + Hex(count, 2) + ", but " + std::to_string(nBytes - 1) +
                     " bytes follow it";
    } else if (count < static_cast<unsigned>(addressBytes) + 1) {
        strProblem = "too short for a " + std::to_string(addressBytes) + "-byte address";
    } else {
        bWellFormed = true;
    }
    if (!bWellFormed) {
        if (pData != nullptr) {
            pData->resize(start);
        }
        return;
    }
    if (pData != nullptr) {
        pData->pop_back();  // the checksum
    }
    nDataBytes = static_cast<int>(count) - addressBytes - 1;
    const unsigned expected = ~(sum - last) & 0xFF;
    bChecksumOk = last == expected;
    if (!bChecksumOk) {
        strProblem = "checksum " + Hex(last, 2) + ", should be " + Hex(expected, 2);
    }
}

void CRecordText::NotHex(std::string_view text, std::size_t i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c == '\r' || c == '\n') {
        // A record cut to its byte count runs into the line end when the line
        // is shorter than the count says.
        strProblem = "too short for its byte count";
        return;
    }
    if (c > 32 && c < 127) {
        strProblem = {'\'', text[i], '\''};
    } else {
        strProblem = "byte " + Hex(c, 2);
    }
    strProblem += " at column " + std::to_string(i + 1) + " is not a hex digit";
}
