// Any byte stream as the device's answer to an upload request. The worker runs
// with every pause at 0 against a port that hands out the stream and then falls
// silent. It must cut the stream into the lines that a reference reading of
// the stream gives, store the S0, S3 and S7 ones, count their characters, and
// end as that reading says; nothing it keeps holds a byte outside 9..126, and
// a kept line that lost such bytes after its first accepted one says so. An
// answer that ends with its S7 line finishes exactly when what was received is
// whole (the configuration check finds no problem and no warning), and is
// damaged or incomplete otherwise; every other end gives the configuration
// held before back, and keeps what was received aside.

#include "data/CConfigCheck.h"
#include "data/CQARNCfgDoc.h"
#include "data/CRecordList.h"
#include "fuzz/FuzzCheck.h"
#include "support/CFakePort.h"
#include "support/CRecordingView.h"
#include "transfer/CTransferSession.h"

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace {

using FuzzCheck::Escape;

constexpr std::size_t kMaxLine = 4096;
constexpr const char* kPreviousHeader = "S0PREVIOUS\r\n";
constexpr const char* kPreviousRecord = "S30700000000112233\r\n";
constexpr const char* kPreviousEnd = "S70500000000FA\r\n";

bool IsAccepted(unsigned char byte) {
    return byte >= 9 && byte <= 126;
}

bool OnlyAccepted(const std::string& text) {
    for (const char c : text) {
        if (!IsAccepted(static_cast<unsigned char>(c))) {
            return false;
        }
    }
    return true;
}

int TypeOf(const std::string& line) {
    if (line.size() < 2) {
        return -1;
    }
    return line[1] == '0' ? 0 : line[1] == '3' ? 3 : line[1] == '7' ? 7 : -1;
}

// The answer read the way the device protocol defines it: bytes outside 9..126
// are dropped, a line ends after its LF or at kMaxLine characters, and the
// first S7 line ends the reading. A line that the silence after the stream cut
// short is still a line, and makes the end a communication error.
struct CExpectedUpload {
    std::vector<std::string> lines;  // every line read, dropped ones included
    std::vector<std::string> headers, records, ends;
    std::size_t linesWithLosses = 0;  // kept lines that lost bytes after their first accepted one
    std::size_t bytesRead = 0;
    std::size_t acceptedBytes = 0;
    long total = 0;
    ETransferOutcome outcome = ETransferOutcome::CommError;

    explicit CExpectedUpload(const std::string& answer) {
        if (answer.empty()) {
            outcome = ETransferOutcome::NoConnection;
            return;
        }
        std::string line;
        bool lineOpen = false;
        bool lost = false;
        for (const char c : answer) {
            const auto byte = static_cast<unsigned char>(c);
            ++bytesRead;
            lineOpen = true;
            if (IsAccepted(byte)) {
                line += c;
                ++acceptedBytes;
            } else {
                lost = lost || !line.empty();
            }
            if (byte == '\n' || line.size() >= kMaxLine) {
                lineOpen = false;
                if (Add(line, lost) == 7) {
                    outcome = ETransferOutcome::Finished;
                    return;
                }
                line.clear();
                lost = false;
            }
        }
        if (lineOpen) {
            Add(line, lost);
        }
    }

    int Add(const std::string& line, bool lost) {
        lines.push_back(line);
        const int type = TypeOf(line);
        linesWithLosses += type >= 0 && lost ? 1 : 0;
        std::vector<std::string>* kept = type == 0   ? &headers
                                         : type == 3 ? &records
                                         : type == 7 ? &ends
                                                     : nullptr;
        if (kept != nullptr) {
            kept->push_back(line);
            total += static_cast<long>(line.size());
        }
        return type;
    }

    bool StoredNothing() const { return headers.empty() && records.empty() && ends.empty(); }
};

const char* OutcomeName(ETransferOutcome outcome) {
    switch (outcome) {
        case ETransferOutcome::None:
            return "None";
        case ETransferOutcome::Finished:
            return "Finished";
        case ETransferOutcome::Aborted:
            return "Aborted";
        case ETransferOutcome::PortNotOpened:
            return "PortNotOpened";
        case ETransferOutcome::NoConnection:
            return "NoConnection";
        case ETransferOutcome::CommError:
            return "CommError";
        case ETransferOutcome::Damaged:
            return "Damaged";
        case ETransferOutcome::Incomplete:
            return "Incomplete";
    }
    return "?";
}

void CheckKept(const std::string& what, const std::string& joined) {
    FUZZ_CHECK(OnlyAccepted(joined), what + " holds a byte outside 9..126: " + Escape(joined));
    FUZZ_CHECK(joined.size() <= kMaxLine,
               what + " is " + std::to_string(joined.size()) + " characters long");
}

bool HoldsThePreviousConfiguration(const CQARNCfgDoc& doc) {
    return g_recordList.GetCount() == 1 && (*g_recordList.begin())->GetLine() == kPreviousRecord &&
           doc.m_pHeader->GetLine() == kPreviousHeader &&
           doc.m_pEndRecord->GetLine() == kPreviousEnd;
}

// The configuration in memory, header first and end line last.
std::string InMemory(const CQARNCfgDoc& doc) {
    std::string all = doc.m_pHeader->GetLine();
    for (const auto& record : g_recordList) {
        all += record->GetLine();
    }
    return all + doc.m_pEndRecord->GetLine();
}

// What the upload received, in memory: the lines of the reference reading.
void CheckReceived(const CQARNCfgDoc& doc, const CExpectedUpload& expected) {
    FUZZ_CHECK(g_recordList.GetCount() == expected.records.size(),
               std::to_string(g_recordList.GetCount()) + " records stored, " +
                   std::to_string(expected.records.size()) + " S3 lines received");
    std::size_t i = 0;
    for (const auto& record : g_recordList) {
        const std::string& line = expected.records[i];
        const std::string joined = record->GetLine();
        CheckKept("record " + std::to_string(i), joined);
        // Type, count and address are the first characters of the received line.
        const std::string head = line.substr(0, 12);
        FUZZ_CHECK(
            joined.compare(0, head.size(), head) == 0,
            "record " + std::to_string(i) + " " + Escape(joined) + " from line " + Escape(line));
        ++i;
    }
    const std::string header = doc.m_pHeader->GetLine();
    CheckKept("the header", header);
    const std::string wantedHeader = expected.headers.empty() ? "" : expected.headers.back();
    FUZZ_CHECK(header == wantedHeader,
               "header " + Escape(header) + ", expected " + Escape(wantedHeader));

    const std::string end = doc.m_pEndRecord->GetLine();
    CheckKept("the end record", end);
    const std::string head = expected.ends.empty() ? "" : expected.ends.back().substr(0, 14);
    FUZZ_CHECK(end.compare(0, head.size(), head) == 0 && end.empty() == head.empty(),
               "end record " + Escape(end) + " from line " + Escape(head));
}

void Upload(const std::string& answer) {
    g_recordList.RemoveAll();
    CQARNCfgDoc doc;
    doc.m_pHeader->Parse(kPreviousHeader);
    doc.m_pEndRecord->Parse(kPreviousEnd);
    auto previous = std::make_unique<Csrecord>();
    previous->Parse(kPreviousRecord);
    g_recordList.AddTail(std::move(previous));

    CFakePort port(answer);
    CRecordingView view;
    CTransferSession host(view, port);
    CTransferRequest request;
    request.eMode = ETransferMode::Upload;
    request.timing = CTransferTiming{0, 0, 0, 0, 0, 0, 0, 0};
    FUZZ_CHECK(host.Start(doc, request), "no worker thread");
    FUZZ_CHECK(host.WaitForEnd(std::chrono::minutes(1)), "the worker did not end");

    const CExpectedUpload expected(answer);
    // An answer that reaches its S7 line finishes, or is damaged or
    // incomplete; the check below says which it must be.
    const bool bEnded = expected.outcome == ETransferOutcome::Finished;
    const ETransferOutcome outcome = host.Outcome();
    const bool bNotWhole =
        outcome == ETransferOutcome::Damaged || outcome == ETransferOutcome::Incomplete;
    FUZZ_CHECK(outcome == expected.outcome || (bEnded && bNotWhole),
               std::string("upload ended ") + OutcomeName(outcome) + ", expected " +
                   OutcomeName(expected.outcome) + " for " + Escape(answer));
    // The worker has settled the configuration: ending the session changes nothing.
    const std::string settled = InMemory(doc);
    host.EndSession();
    FUZZ_CHECK(!host.IsRunning() && !port.IsOpen() && InMemory(doc) == settled,
               "the worker did not end cleanly");
    FUZZ_CHECK(port.WireBytes() == "\r\n\r\n#CD\r\n", "request " + Escape(port.WireBytes()));
    FUZZ_CHECK(port.AnswerBytesRead() == expected.bytesRead,
               std::to_string(port.AnswerBytesRead()) + " bytes read, expected " +
                   std::to_string(expected.bytesRead));
    FUZZ_CHECK(host.Total() == expected.total, "the total " + std::to_string(host.Total()) +
                                                   ", stored lines hold " +
                                                   std::to_string(expected.total) + " characters");
    FUZZ_CHECK(view.m_nPostedSteps == static_cast<long>(expected.acceptedBytes),
               std::to_string(view.m_nPostedSteps) + " steps posted for " +
                   std::to_string(expected.acceptedBytes) + " accepted bytes");
    FUZZ_CHECK(view.m_nPostedCounts == static_cast<long>(expected.lines.size()),
               std::to_string(view.m_nPostedCounts) + " counts posted for " +
                   std::to_string(expected.lines.size()) + " lines");
    if (outcome != ETransferOutcome::Finished) {
        FUZZ_CHECK(HoldsThePreviousConfiguration(doc) && !doc.IsModified(),
                   "the configuration held before the upload is not back");
        FUZZ_CHECK(host.HasReceived() == !expected.StoredNothing(),
                   "what was received is not kept aside");
        host.KeepReceived();
    }
    if (!expected.StoredNothing()) {
        CheckReceived(doc, expected);
    }
    FUZZ_CHECK(host.ReceivedCheck().has_value() == bNotWhole,
               std::string("an upload ") + OutcomeName(outcome) +
                   (bNotWhole ? " without" : " with") + " the check of what it received");
    const CConfigCheck check(doc);
    const std::size_t losses = static_cast<std::size_t>(
        std::count_if(check.Problems().begin(), check.Problems().end(),
                      [](const CConfigFinding& f) { return f.eKind == EConfigFinding::Dropped; }));
    FUZZ_CHECK(losses == expected.linesWithLosses,
               std::to_string(losses) + " lines noted as having lost bytes, " +
                   std::to_string(expected.linesWithLosses) + " did in " + Escape(answer));
    if (bEnded) {
        const ETransferOutcome verdict = !check.IsValid()   ? ETransferOutcome::Damaged
                                         : !check.IsWhole() ? ETransferOutcome::Incomplete
                                                            : ETransferOutcome::Finished;
        FUZZ_CHECK(outcome == verdict, std::string("an upload ") + OutcomeName(outcome) + " of " +
                                           Escape(answer) + " against the check's verdict " +
                                           OutcomeName(verdict));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Upload(std::string(reinterpret_cast<const char*>(data), size));
    g_recordList.RemoveAll();
    return 0;
}
