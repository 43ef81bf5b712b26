// Parse and GetLine of the three record classes on any line: nothing throws or
// reads outside the line, every field is cut at its position, a record parsed
// again forgets its earlier line, and a well-formed line joins back unchanged.

#include "core/data/CQARNCfgDoc.h"
#include "core/data/Cs0Header.h"
#include "core/data/Cs7EndRecord.h"
#include "core/data/Csrecord.h"
#include "fuzz/FuzzCheck.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <string>

namespace {

using FuzzCheck::Escape;

// The line end as a reader of the line sees it: CR LF, a lone LF, or none.
std::string LineEndOf(const std::string& line) {
    if (line.size() >= 2 && line.compare(line.size() - 2, 2, "\r\n") == 0) {
        return "\r\n";
    }
    return !line.empty() && line.back() == '\n' ? "\n" : "";
}

std::string Body(const std::string& line) {
    return line.substr(0, line.size() - LineEndOf(line).size());
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

// An S3 line whose two count digits are hexadecimal and give the body's length:
// type, count, address, 2 x count - 10 data characters, checksum.
bool IsWellFormedS3(const std::string& line) {
    const std::string body = Body(line);
    if (body.size() < 4 || HexDigit(body[2]) < 0 || HexDigit(body[3]) < 0) {
        return false;
    }
    const int count = HexDigit(body[2]) * 16 + HexDigit(body[3]);
    return count >= 5 && body.size() == 2 * static_cast<std::size_t>(count) + 4;
}

bool IsWellFormedS7(const std::string& line) {
    return Body(line).size() == 14;
}

// Parsing a line into a record that held another line must give the same
// record as parsing it into a new one.
template <typename Record>
void CheckReparse(const Record& fresh, const std::string& earlier, const std::string& line) {
    Record reused;
    reused.Parse(earlier);
    reused.Parse(line);
    FUZZ_CHECK(reused.GetLine() == fresh.GetLine(),
               "line " + Escape(line) + " after " + Escape(earlier) + " joins to " +
                   Escape(reused.GetLine()) + ", a new record to " + Escape(fresh.GetLine()));
}

void CheckS0(const std::string& line) {
    Cs0Header header;
    header.Parse(line);
    // The body is one field: any line at all joins back unchanged.
    FUZZ_CHECK(header.GetLine() == line,
               "S0 " + Escape(line) + " joins to " + Escape(header.GetLine()));
    CheckReparse(header, "S0 an earlier, longer header line\r\n", line);
}

void CheckS7(const std::string& line) {
    Cs7EndRecord end;
    end.Parse(line);
    const std::string joined = end.GetLine();
    // Type, count, address and checksum stand at fixed places whatever the
    // count says; what lies between them and the line end belongs to no field.
    FUZZ_CHECK(joined == line.substr(0, 14) + LineEndOf(line),
               "S7 " + Escape(line) + " joins to " + Escape(joined));
    if (IsWellFormedS7(line)) {
        FUZZ_CHECK(joined == line,
                   "well-formed S7 " + Escape(line) + " joins to " + Escape(joined));
    }
    CheckReparse(end, "S70500000000FA  trailing\r\n", line);
}

void CheckS3(const std::string& line) {
    Csrecord record;
    record.Parse(line);
    const std::string joined = record.GetLine();
    // Type, count and address are cut one after the other from the start, and
    // never take in the line end.
    const std::string text = line.substr(0, line.size() - LineEndOf(line).size());
    const std::string head = text.substr(0, 12);
    FUZZ_CHECK(joined.compare(0, head.size(), head) == 0 &&
                   record.m_strType + record.m_strCount + record.m_strAddress == head,
               "S3 " + Escape(line) + " joins to " + Escape(joined));
    // A line too short for its address joins back unchanged, so saves are stable.
    if (text.size() < 12) {
        FUZZ_CHECK(joined == line, "short S3 " + Escape(line) + " joins to " + Escape(joined));
    }
    // The data is cut from position 12 and never longer than the count allows
    // (at most 2 x 255 - 10 characters), the checksum is two characters at most.
    FUZZ_CHECK(record.m_strData.size() <= 500 &&
                   (record.m_strData.empty() ||
                    line.compare(12, record.m_strData.size(), record.m_strData) == 0),
               "S3 " + Escape(line) + ": data " + Escape(record.m_strData));
    FUZZ_CHECK(
        record.m_strChecksum.size() <= 2 && line.find(record.m_strChecksum) != std::string::npos,
        "S3 " + Escape(line) + ": checksum " + Escape(record.m_strChecksum));
    FUZZ_CHECK(record.m_strEnd == LineEndOf(line),
               "S3 " + Escape(line) + ": line end " + Escape(record.m_strEnd));
    if (IsWellFormedS3(line)) {
        FUZZ_CHECK(joined == line,
                   "well-formed S3 " + Escape(line) + " joins to " + Escape(joined));
    }
    CheckReparse(record, "S30A0000000000112233445566778899\r\n", line);
}

void CheckRecordType(const std::string& line) {
    const int type = static_cast<int>(CQARNCfgDoc::GetRecordType(line));
    const char second = line.size() >= 2 ? line[1] : '\0';
    const int expected = second == '0' ? 0 : second == '3' ? 3 : second == '7' ? 7 : -1;
    FUZZ_CHECK(type == expected, Escape(line) + " is of type " + std::to_string(type));
}

void CheckLine(const std::string& line) {
    CheckRecordType(line);
    CheckS0(line);
    CheckS3(line);
    CheckS7(line);
}

// Takes bytes from the input in turn; '0' once it runs dry.
class CByteSource {
public:
    CByteSource(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}
    char Next() { return m_pos < m_size ? static_cast<char>(m_data[m_pos++]) : '0'; }
    std::size_t Left() const { return m_size - m_pos; }

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_pos = 0;
};

// Keeps a body from changing the line end that follows it: a body ending in CR
// before an LF, or in LF before no line end, would read as a different line end.
std::string WithLineEnd(std::string body, int choice) {
    static const char* const kEnds[] = {"\r\n", "\n", ""};
    const std::string end = kEnds[choice % 3];
    if (!body.empty() && (body.back() == '\r' || body.back() == '\n') && end != "\r\n") {
        body.back() = 'x';
    }
    return body + end;
}

// Well-formed S3 and S7 lines made of the input's bytes, whatever they are, so
// that every run checks the join of a well-formed line.
void CheckBuiltLines(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return;
    }
    const int choice = data[0];
    CByteSource source(data + 1, size - 1);
    std::string address;
    for (int i = 0; i < 8; ++i) {
        address += source.Next();
    }
    const std::size_t dataBytes = std::min<std::size_t>(250, source.Left() / 2);
    std::string dataChars;
    for (std::size_t i = 0; i < 2 * dataBytes; ++i) {
        dataChars += source.Next();
    }
    const std::string checksum{source.Next(), source.Next()};
    char count[8];
    std::snprintf(count, sizeof count, (choice & 4) ? "%02x" : "%02X",
                  static_cast<unsigned>(dataBytes + 5));
    const std::string s3 =
        WithLineEnd("S3" + std::string(count) + address + dataChars + checksum, choice);
    FUZZ_CHECK(IsWellFormedS3(s3), "built S3 line is not well-formed: " + Escape(s3));
    CheckLine(s3);

    const std::string s7 =
        WithLineEnd("S7" + address.substr(0, 2) + address + checksum, choice / 3);
    FUZZ_CHECK(IsWellFormedS7(s7), "built S7 line is not well-formed: " + Escape(s7));
    CheckLine(s7);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        CheckLine(std::string(reinterpret_cast<const char*>(data), size));
        CheckBuiltLines(data, size);
    } catch (const std::exception& e) {
        FUZZ_CHECK(false, std::string("exception: ") + e.what());
    }
    return 0;
}
