#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// One record line read as S-record text, in one pass over its characters: a
// first character 'S' or 's', the type digit, then hex digits only, an even
// number of them, a byte count that matches them and leaves room for the
// address, and a checksum that is the one's complement of the sum of count,
// address and data bytes. The check words what is wrong with a line from it,
// and the compare reads the line's bytes through it, so both hold a line to
// the same rules.
struct CRecordText {
    bool bWellFormed = false;  // every rule but the checksum holds
    bool bChecksumOk = false;
    std::uint32_t nAddress = 0;
    int nDataBytes = 0;
    std::string strProblem;  // why it is not well-formed, or the checksum finding

    // `line` with or without its line end; `addressBytes` follow the count (2
    // for S0, 4 for S3 and S7). The data bytes of a well-formed line are
    // appended to `pData` when one is given.
    CRecordText(std::string_view line, int addressBytes, std::string* pData = nullptr);

    static std::string_view WithoutLineEnd(std::string_view line);
    // 0 to 15, or -1 for a character that is not a hex digit.
    static int HexDigit(char c);
    // `value` in upper-case hex, at least `digits` wide.
    static std::string Hex(unsigned long long value, int digits);

private:
    void NotHex(std::string_view text, std::size_t i);
};
