#include "tests/support/CTestConfig.h"

#include "core/data/CRecordList.h"

#include <cstdio>
#include <fstream>
#include <memory>

namespace {

std::string Hex(unsigned value, int digits) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%0*X", digits, value);
    return buf;
}

// Count, address and data as hex, with the checksum the device expects.
std::string Record(const std::string& type, unsigned address, int addressBytes,
                   const std::string& data) {
    const unsigned count = static_cast<unsigned>(addressBytes + data.size() + 1);
    unsigned sum = count;
    for (int i = 0; i < addressBytes; ++i) {
        sum += (address >> (8 * i)) & 0xFF;
    }
    std::string dataHex;
    for (const unsigned char c : data) {
        sum += c;
        dataHex += Hex(c, 2);
    }
    return type + Hex(count, 2) + Hex(address, 2 * addressBytes) + dataHex + Hex(~sum & 0xFF, 2) +
           "\r\n";
}

}  // namespace

std::string CTestConfig::HeaderLine(const std::string& text) {
    return Record("S0", 0, 2, text);
}

std::string CTestConfig::DataLine(unsigned address, int nDataBytes) {
    std::string data;
    for (int i = 0; i < nDataBytes; ++i) {
        data += static_cast<char>((address + static_cast<unsigned>(i) * 7) & 0xFF);
    }
    return DataLine(address, data);
}

std::string CTestConfig::DataLine(unsigned address, const std::string& data) {
    return Record("S3", address, 4, data);
}

std::string CTestConfig::EndLine(unsigned address) {
    return Record("S7", address, 4, "");
}

std::vector<std::string> CTestConfig::Lines(int nRecords) {
    std::vector<std::string> lines{HeaderLine()};
    for (int i = 0; i < nRecords; ++i) {
        lines.push_back(DataLine(static_cast<unsigned>(i) * 16));
    }
    lines.push_back(EndLine());
    return lines;
}

std::vector<std::string> CTestConfig::WholeLines() {
    std::ifstream file(TOVRIK_SAMPLE_S19, std::ios::binary);
    std::vector<std::string> lines;
    for (std::string line; std::getline(file, line);) {
        lines.push_back(line + "\n");
    }
    return lines;
}

std::string CTestConfig::Joined(const std::vector<std::string>& lines) {
    std::string all;
    for (const auto& line : lines) {
        all += line;
    }
    return all;
}

void CTestConfig::Load(CQARNCfgDoc& doc, const std::vector<std::string>& lines) {
    doc.EmptyConfiguration();
    for (const auto& line : lines) {
        doc.StoreLine(line);
    }
}

std::string CTestConfig::InMemory(const CQARNCfgDoc& doc) {
    std::string all = doc.m_pHeader->GetLine();
    for (const auto& record : g_recordList) {
        all += record->GetLine();
    }
    return all + doc.m_pEndRecord->GetLine();
}

CTransferTiming CTestConfig::Timing() {
    CTransferTiming t;
    t.nWakeupPauseMs = 5;
    t.nCommandPauseMs = 10;
    t.nLinePauseMs = 4;
    t.nPowerCyclePauseMs = 60;
    t.nOpenPauseMs = 5;
    t.nRequestPauseMs = 40;
    t.nInLineIdleMs = 150;
    t.nBetweenLinesIdleMs = 80;
    return t;
}

std::vector<std::string> CTestConfig::RecordLines() {
    std::vector<std::string> lines;
    for (const auto& record : g_recordList) {
        lines.push_back(record->GetLine());
    }
    return lines;
}
