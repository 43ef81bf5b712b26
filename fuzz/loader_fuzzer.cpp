// Any bytes as an ".s19" file: File > Open loads the lines that a text-mode
// reader sees, or refuses a file without a single well-formed S0, S3 or S7
// line; File > Save writes exactly the records held, and what was saved loads
// back to the same records and saves to the same bytes again, unless no line
// of it is well-formed, when it is refused in turn. The configuration check
// counts the bytes a save writes.

#include "core/data/CConfigCheck.h"
#include "core/data/CQARNCfgDoc.h"
#include "core/data/CRecordList.h"
#include "fuzz/FuzzCheck.h"
#include "platform/common/ETovrikError.h"
#include "tests/support/CTempDir.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace {

using FuzzCheck::Escape;

int HexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if ((c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f')) {
        return (c & 0x0F) + 9;
    }
    return -1;
}

// 'S' or 's', the type digit, then only hex digits, an even number of them,
// whose first byte counts the bytes after it, at least the address and the
// checksum; the checksum itself does not matter.
bool IsWellFormed(const std::string& text) {
    if (text.size() < 4 || (text[0] != 'S' && text[0] != 's') ||
        (text[1] != '0' && text[1] != '3' && text[1] != '7') || text.size() % 2 != 0) {
        return false;
    }
    for (std::size_t i = 2; i < text.size(); ++i) {
        if (HexValue(text[i]) < 0) {
            return false;
        }
    }
    const std::size_t count = static_cast<std::size_t>(HexValue(text[2])) * 16 +
                              static_cast<std::size_t>(HexValue(text[3]));
    const std::size_t addressBytes = text[1] == '0' ? 2 : 4;
    return count == (text.size() - 4) / 2 && count >= addressBytes + 1;
}

// The lines of a file as the load must see them, each with CR LF appended:
// the byte 0x1A ends the text, lines end at LF, and a CR right before the LF
// belongs to the line end.
struct CExpectedLoad {
    std::vector<std::string> headers;
    std::vector<std::string> records;
    std::vector<std::string> ends;
    bool bAnyWellFormed = false;

    explicit CExpectedLoad(const std::string& file) {
        const std::string text = file.substr(0, file.find('\x1A'));
        std::size_t pos = 0;
        while (pos < text.size()) {
            const std::size_t lf = text.find('\n', pos);
            std::string line =
                text.substr(pos, lf == std::string::npos ? std::string::npos : lf - pos);
            if (lf != std::string::npos && !line.empty() && line.back() == '\r') {
                line.pop_back();
            }
            pos = lf == std::string::npos ? text.size() : lf + 1;
            bAnyWellFormed = bAnyWellFormed || IsWellFormed(line);
            line += "\r\n";
            switch (line[1]) {
                case '0':
                    headers.push_back(line);
                    break;
                case '3':
                    records.push_back(line);
                    break;
                case '7':
                    ends.push_back(line);
                    break;
                default:
                    break;
            }
        }
    }
};

// The records held after a load, each as its joined line.
struct CHeldRecords {
    std::string header;
    std::vector<std::string> records;
    std::string end;

    explicit CHeldRecords(const CQARNCfgDoc& doc)
        : header(doc.m_pHeader->GetLine()), end(doc.m_pEndRecord->GetLine()) {
        for (const auto& record : g_recordList) {
            records.push_back(record->GetLine());
        }
    }
    bool operator==(const CHeldRecords&) const = default;

    std::string Joined() const {
        std::string text = header;
        for (const std::string& record : records) {
            text += record;
        }
        return text + end;
    }
};

// Millions of loads and saves: in memory (/dev/shm) where the system has it.
CTempDir& Dir() {
    static CTempDir dir(std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : "");
    FUZZ_CHECK(!dir.Path().empty(), "cannot make a temporary directory");
    return dir;
}

void Load(CQARNCfgDoc& doc, const std::string& path) {
    const std::error_code error = doc.OnOpenDocument(path);
    FUZZ_CHECK(!error, "load failed: " + error.message());
}

std::string Save(CQARNCfgDoc& doc, const std::string& path) {
    const std::error_code error = doc.OnSaveDocument(path);
    FUZZ_CHECK(!error, "save failed: " + error.message());
    return CTempDir::Read(path);
}

void CheckLoad(const CQARNCfgDoc& doc, const CHeldRecords& held, const std::string& file) {
    const CExpectedLoad expected(file);
    FUZZ_CHECK(doc.m_nFileSize == static_cast<int>(file.size()),
               "file of " + std::to_string(file.size()) + " bytes loads with m_nFileSize " +
                   std::to_string(doc.m_nFileSize));
    FUZZ_CHECK(held.records.size() == expected.records.size(),
               std::to_string(held.records.size()) + " records held, " +
                   std::to_string(expected.records.size()) + " S3 lines in " + Escape(file));
    for (std::size_t i = 0; i < held.records.size(); ++i) {
        // Type, count and address come first, cut from the line's start.
        const std::string head = expected.records[i].substr(0, 12);
        FUZZ_CHECK(held.records[i].compare(0, head.size(), head) == 0,
                   "record " + std::to_string(i) + " " + Escape(held.records[i]) +
                       " does not start like its line " + Escape(expected.records[i]));
    }
    // A new document's header and end record stay empty without such a line;
    // of several, the last one wins.
    const std::string header = expected.headers.empty() ? "" : expected.headers.back();
    FUZZ_CHECK(held.header == header,
               "header " + Escape(held.header) + ", last S0 line " + Escape(header));
    if (expected.ends.empty()) {
        FUZZ_CHECK(held.end.empty(), "end record " + Escape(held.end) + " without an S7 line");
    } else {
        const std::string end = expected.ends.back().substr(0, 14);
        FUZZ_CHECK(held.end.compare(0, end.size(), end) == 0,
                   "end record " + Escape(held.end) + ", last S7 line " + Escape(end));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string file(reinterpret_cast<const char*>(data), size);
    const std::string input = Dir().Write("input.s19", file);
    const std::string first = Dir().File("first.s19");
    const std::string second = Dir().File("second.s19");

    std::string savedOnce;
    std::optional<CHeldRecords> loadedOnce;
    {
        CQARNCfgDoc doc;
        const CExpectedLoad expected(file);
        if (!expected.bAnyWellFormed) {
            FUZZ_CHECK(
                doc.OnOpenDocument(input) == ETovrikError::NotConfiguration,
                "a file without a well-formed S-record line was not refused: " + Escape(file));
            FUZZ_CHECK(g_recordList.IsEmpty() && doc.GetPathName().empty(),
                       "a refused file changed the document");
            return 0;
        }
        Load(doc, input);
        loadedOnce.emplace(doc);
        CheckLoad(doc, *loadedOnce, file);
        savedOnce = Save(doc, first);
        FUZZ_CHECK(savedOnce == loadedOnce->Joined(),
                   "saved " + Escape(savedOnce) + ", records held " + Escape(loadedOnce->Joined()));
        const long long total = CConfigCheck(doc).Info().nTotalBytes;
        FUZZ_CHECK(total == static_cast<long long>(savedOnce.size()),
                   "the check counts " + std::to_string(total) + " bytes, a save writes " +
                       std::to_string(savedOnce.size()));
    }
    {
        CQARNCfgDoc doc;
        // What the save dropped or cut may have been every well-formed line.
        if (!CExpectedLoad(savedOnce).bAnyWellFormed) {
            FUZZ_CHECK(
                doc.OnOpenDocument(first) == ETovrikError::NotConfiguration,
                "a saved file without a well-formed line was not refused: " + Escape(savedOnce));
            return 0;
        }
        Load(doc, first);
        FUZZ_CHECK(CHeldRecords(doc) == *loadedOnce,
                   "file " + Escape(file) + " loads as " + Escape(loadedOnce->Joined()) +
                       ", which saved and loaded again is " + Escape(CHeldRecords(doc).Joined()));
        const std::string savedTwice = Save(doc, second);
        FUZZ_CHECK(savedTwice == savedOnce, "file " + Escape(file) + " saves as " +
                                                Escape(savedOnce) + ", which saves as " +
                                                Escape(savedTwice));
    }
    return 0;
}
