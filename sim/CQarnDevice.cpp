#include "sim/CQarnDevice.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

#include "sim/CStopSignal.h"

namespace {

using Clock = std::chrono::steady_clock;

// A client that takes no byte for this long has gone away; the answer is dropped.
// Well above the one second that an uploading client may spend between two polls.
constexpr int kStallLimitMs = 3000;

// Line noise: bytes outside 9..126 as a disturbed line would deliver them.
const std::string kNoise("\x00\x07\x80\xFF\x7F\x01", 6);
constexpr size_t kNoiseInsideEvery = 8;  // --noise-inside: one noise byte after this many

// --flood: printable text whose every 4096-byte piece starts "QA", so no piece
// reads as a record.
constexpr const char* kFloodText = "QARN";

// --garbage: what a receiver at the wrong baud rate makes of a byte: mostly
// runs of ones or zeros outside 9..126, now and then a printable character,
// never a line feed.
const std::string kGarbageBytes("\x00\x01\x03\x06\x80\xC0\xE0\xF0\xF8\xFC\xFE\xFF", 12);
constexpr const char* kGarbagePrintable = "x~?`|^";

// --log-lines: what a data logger prints; the second character of some is '7'.
const std::vector<std::string> kLogLines = {
    "12:59:58 logger ready\r\n", "13:00:00 sensor ok\r\n", "13:00:01 flow 42 l/min\r\n",
    "13:00:02 valve 2 open\r\n", "17:00:00 sensor ok\r\n", "17:00:01 flow 40 l/min\r\n",
};

// --extra-text: what a person might add to a line.
constexpr const char* kExtraText = " ; comment";

// --bitflip: one hex digit in the middle of the line, past its byte count,
// becomes another.
void FlipHexDigit(std::string& line) {
    static const char kDigits[] = "0123456789ABCDEF";
    const std::size_t end = line.find_first_of("\r\n");
    const std::size_t text = end == std::string::npos ? line.size() : end;
    if (text < 5) {
        return;
    }
    const std::size_t pos = 4 + (text - 4) / 2;
    const char* digit = std::strchr(kDigits, std::toupper(static_cast<unsigned char>(line[pos])));
    const int value = digit != nullptr && *digit != '\0' ? static_cast<int>(digit - kDigits) : 0;
    line[pos] = kDigits[value ^ 1];
}

// --store-bitflip: as --bitflip, but the checksum is made to fit the digit
// changed: the device stored a wrong byte and reports what it stored.
void StoreHexDigitFlipped(std::string& line) {
    FlipHexDigit(line);
    const std::size_t end = line.find_first_of("\r\n");
    const std::size_t text = end == std::string::npos ? line.size() : end;
    if (text < 6 || text % 2 != 0) {
        return;
    }
    unsigned sum = 0;
    for (std::size_t i = 2; i + 2 < text; i += 2) {
        const std::string digits = line.substr(i, 2);
        if (!std::isxdigit(static_cast<unsigned char>(digits[0])) ||
            !std::isxdigit(static_cast<unsigned char>(digits[1]))) {
            return;  // not hex: no checksum to fit
        }
        sum += static_cast<unsigned>(std::stoul(digits, nullptr, 16));
    }
    char checksum[3];
    std::snprintf(checksum, sizeof checksum, "%02X", ~sum & 0xFFu);
    line.replace(text - 2, 2, checksum);
}

std::string Command(const std::string& line) {
    std::string text = line;
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) {
        text.pop_back();
    }
    return text;
}

bool IsEndLine(const std::string& line) {
    return line.size() >= 2 && line[0] == 'S' && line[1] == '7';
}

long long ElapsedUs(Clock::time_point since) {
    return std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - since).count();
}

}  // namespace

CQarnDevice::CQarnDevice(const CSimOptions& options, const CConfigImage& config,
                         CPseudoTerminal& terminal, CSimLog& log)
    : m_options(options), m_config(config), m_terminal(terminal), m_log(log) {}

int CQarnDevice::Run() {
    while (!CStopSignal::Stopped() && !m_bHungUp) {
        pollfd p{m_terminal.MasterFd(), POLLIN, 0};
        int r = CStopSignal::Poll(&p, 1, -1);
        if (r < 0) {
            if (errno == EINTR) {
                continue;
            }
            std::fprintf(stderr, "qarn-sim: poll: %s\n", std::strerror(errno));
            return 1;
        }
        if ((p.revents & POLLIN) == 0 || !ReadInput()) {
            CStopSignal::Poll(nullptr, 0, 50);  // no client yet: do not spin
            continue;
        }
        HandleInput();
    }
    m_log.Note(m_bHungUp ? "line dropped, exiting" : "stopped");
    return 0;
}

bool CQarnDevice::ReadInput() {
    char buf[4096];
    ssize_t n = read(m_terminal.MasterFd(), buf, sizeof buf);
    if (n > 0) {
        m_strInput.append(buf, static_cast<size_t>(n));
        return true;
    }
    return n < 0 && (errno == EAGAIN || errno == EINTR);
}

bool CQarnDevice::InputWaiting() {
    if (!m_strInput.empty()) {
        return true;
    }
    pollfd p{m_terminal.MasterFd(), POLLIN, 0};
    return poll(&p, 1, 0) > 0 && (p.revents & POLLIN) != 0;
}

void CQarnDevice::HandleInput() {
    while (!m_strInput.empty() && !m_bHungUp && !CStopSignal::Stopped()) {
        // While receiving a download, --hangup-after counts its bytes.
        size_t room = std::string::npos;
        if (m_mode == Mode::Receiving && m_options.m_nHangupAfter >= 0) {
            const size_t limit = static_cast<size_t>(m_options.m_nHangupAfter);
            const size_t got = m_strReceived.size() + m_strLine.size();
            if (got >= limit) {
                HangUp("line dropped after receiving " + std::to_string(got) + " bytes");
                return;
            }
            room = limit - got;
        }
        size_t end = m_strInput.find('\n');
        if (end == std::string::npos || end >= room) {
            const size_t take = std::min(room, m_strInput.size());
            m_strLine.append(m_strInput, 0, take);
            m_strInput.erase(0, take);
            continue;
        }
        m_strLine.append(m_strInput, 0, end + 1);
        m_strInput.erase(0, end + 1);
        std::string line;
        line.swap(m_strLine);
        OnLine(line);
    }
    if (!m_bHungUp && m_mode == Mode::Receiving && m_options.m_nHangupAfter >= 0 &&
        m_strReceived.size() + m_strLine.size() >= static_cast<size_t>(m_options.m_nHangupAfter)) {
        HangUp("line dropped after receiving " + std::to_string(m_options.m_nHangupAfter) +
               " bytes");
    }
}

void CQarnDevice::OnLine(const std::string& line) {
    m_log.Received(line);
    std::string command = Command(line);
    if (command.empty() && m_mode == Mode::Command && m_options.m_nStale > 0 && !m_bStaleSent) {
        SendStaleTail();
        return;
    }
    if (command == "#CD" || command == "#CU") {
        m_bStaleSent = false;
        if (m_mode == Mode::Receiving) {
            m_log.Note("download abandoned after " + std::to_string(m_strReceived.size()) +
                       " bytes");
        }
        m_mode = Mode::Command;
        m_strReceived.clear();
        if (command == "#CD") {
            Answer(line);
        } else {
            if (m_options.m_bEcho) {
                Transmit(line);
            }
            m_mode = Mode::Receiving;
        }
        return;
    }
    if (m_mode == Mode::Receiving) {
        m_strReceived += line;
        if (IsEndLine(line)) {
            SaveReceived();
            KeepReceived();
            m_mode = Mode::Command;
        }
    }
}

void CQarnDevice::Answer(const std::string& request) {
    // The fault limits count configuration bytes only, not echo or noise.
    long limit = -1;
    bool hangUp = false;
    if (m_options.m_nHangupAfter >= 0 &&
        (m_options.m_nSilenceAfter < 0 || m_options.m_nHangupAfter <= m_options.m_nSilenceAfter)) {
        limit = m_options.m_nHangupAfter;
        hangUp = true;
    } else if (m_options.m_nSilenceAfter >= 0) {
        limit = m_options.m_nSilenceAfter;
    }

    std::string answer = m_options.m_bEcho ? request : "";
    for (long i = 0; i < m_options.m_nFlood; ++i) {
        answer += kFloodText[i % 4];
    }
    long counted = 0;
    bool cut = false;
    size_t noise = 0;
    const std::vector<std::string> lines = AnswerLines();
    for (size_t i = 0; i < lines.size() && !cut; ++i) {
        if (m_options.m_bNoise && i > 0) {
            answer += kNoise;
        }
        // A line no fault touches goes in whole: a device answers at once, and
        // byte by byte the answer would start late on a loaded machine.
        if (limit < 0 && !m_options.m_bNoiseInside) {
            answer += lines[i];
            counted += static_cast<long>(lines[i].size());
            continue;
        }
        for (size_t k = 0; k < lines[i].size(); ++k) {
            if (limit >= 0 && counted >= limit) {
                cut = true;
                break;
            }
            if (m_options.m_bNoiseInside && k > 0 && k % kNoiseInsideEvery == 0) {
                answer += kNoise[noise++ % kNoise.size()];
            }
            answer += lines[i][k];
            ++counted;
        }
    }
    cut = cut || (limit >= 0 && counted >= limit);
    if (lines.empty()) {
        m_log.Note("no configuration to send");
    }

    if (!Transmit(answer)) {
        return;
    }
    m_log.Note("sent " + std::to_string(counted) + " configuration bytes");
    if (m_options.m_bEndless && !cut) {
        AnswerEndlessly(lines);
    } else if (cut && hangUp) {
        m_terminal.WaitUntilRead(2000);
        HangUp("line dropped after sending " + std::to_string(counted) + " bytes");
    } else if (cut) {
        m_log.Note("fell silent");
    }
}

std::vector<std::string> CQarnDevice::AnswerLines() const {
    if (m_options.m_bLogLines) {
        return kLogLines;
    }
    std::vector<std::string> lines = HeldLines();
    if (m_options.m_bEndless) {
        std::erase_if(lines, IsEndLine);
    }
    // Lines count as the configuration holds them, whatever else is played.
    const auto bitflip = static_cast<std::size_t>(m_options.m_nBitflip);
    if (bitflip > 0 && bitflip <= lines.size()) {
        FlipHexDigit(lines[bitflip - 1]);
    }
    const auto extra = static_cast<std::size_t>(m_options.m_nExtraText);
    if (extra > 0 && extra <= lines.size()) {
        std::string& line = lines[extra - 1];
        line.insert(std::min(line.find_first_of("\r\n"), line.size()), kExtraText);
    }
    const auto drop = static_cast<std::size_t>(m_options.m_nDropLine);
    const auto repeat = static_cast<std::size_t>(m_options.m_nRepeatLine);
    std::vector<std::string> answer;
    for (std::size_t i = 1; i <= lines.size(); ++i) {
        if (i != drop) {
            answer.push_back(lines[i - 1]);
        }
        if (i == repeat) {
            answer.push_back(lines[i - 1]);
        }
    }
    const auto endAfter = static_cast<std::size_t>(m_options.m_nEndAfter);
    const auto end = std::find_if(lines.begin(), lines.end(), IsEndLine);
    if (endAfter > 0 && endAfter < answer.size() && end != lines.end()) {
        answer.resize(endAfter);
        answer.push_back(*end);
    }
    return answer;
}

void CQarnDevice::AnswerEndlessly(const std::vector<std::string>& lines) {
    std::string data;
    for (const std::string& line : lines) {
        if (line.size() >= 2 && line[1] == '3') {
            data += line;
        }
    }
    if (data.empty()) {
        return;
    }
    long long sent = 0;
    while (Transmit(data)) {
        sent += static_cast<long long>(data.size());
    }
    m_log.Note("endless answer stopped after " + std::to_string(sent) + " more bytes");
}

void CQarnDevice::SendStaleTail() {
    m_bStaleSent = true;
    std::string all;
    for (const std::string& line : HeldLines()) {
        all += line;
    }
    const auto size = static_cast<std::size_t>(m_options.m_nStale);
    const std::string tail = all.size() > size ? all.substr(all.size() - size) : all;
    if (Transmit(tail)) {
        m_log.Note("sent " + std::to_string(tail.size()) + " stale bytes");
    }
}

bool CQarnDevice::Transmit(const std::string& text) {
    const std::string bytes = m_options.m_bGarbage ? Garbled(text) : text;
    const int fd = m_terminal.MasterFd();
    const long long baud = m_options.m_nBaud;
    auto start = Clock::now();
    auto lastProgress = start;
    size_t sent = 0;
    while (sent < bytes.size()) {
        if (CStopSignal::Stopped()) {
            return false;
        }
        if (InputWaiting()) {
            m_log.Note("answer cut short by input after " + std::to_string(sent) + " bytes");
            return false;
        }
        // Ten bits a byte: byte k is due k * 10 / baud seconds after the start.
        size_t due = bytes.size();
        if (baud > 0) {
            due = std::min(due, static_cast<size_t>(ElapsedUs(start) * baud / 10'000'000 + 1));
        }
        int waitMs = 0;
        if (due > sent) {
            ssize_t n = write(fd, bytes.data() + sent, std::min<size_t>(due - sent, 4096));
            if (n > 0) {
                sent += static_cast<size_t>(n);
                lastProgress = Clock::now();
                continue;
            }
            if (n < 0 && errno != EAGAIN && errno != EINTR) {
                m_log.Note(std::string("write failed: ") + std::strerror(errno));
                return false;
            }
            if (ElapsedUs(lastProgress) > kStallLimitMs * 1000LL) {
                m_log.Note("client stopped reading; answer dropped after " + std::to_string(sent) +
                           " bytes");
                return false;
            }
            waitMs = 10;
        } else {
            long long dueUs = static_cast<long long>(sent) * 10'000'000 / baud;
            waitMs = static_cast<int>(std::max(1LL, (dueUs - ElapsedUs(start)) / 1000));
        }
        pollfd p{fd, static_cast<short>(POLLIN | (due > sent ? POLLOUT : 0)), 0};
        CStopSignal::Poll(&p, 1, waitMs);
    }
    return true;
}

void CQarnDevice::SaveReceived() {
    const std::string& path = m_options.m_strReceived;
    if (path.empty()) {
        m_log.Note("received " + std::to_string(m_strReceived.size()) + " bytes (not saved)");
        return;
    }
    // Written beside the target and renamed over it, so a reader never sees half a file.
    std::string temp = path + ".XXXXXX";
    int fd = mkstemp(temp.data());
    if (fd >= 0) {
        fchmod(fd, 0644);
    }
    bool ok = fd >= 0;
    for (size_t done = 0; ok && done < m_strReceived.size();) {
        ssize_t n = write(fd, m_strReceived.data() + done, m_strReceived.size() - done);
        ok = n > 0;
        done += ok ? static_cast<size_t>(n) : 0;
    }
    ok = ok && fsync(fd) == 0;
    if (fd >= 0) {
        ok = close(fd) == 0 && ok;
    }
    ok = ok && rename(temp.c_str(), path.c_str()) == 0;
    if (!ok) {
        std::fprintf(stderr, "qarn-sim: cannot save %s: %s\n", path.c_str(), std::strerror(errno));
        m_log.Note("cannot save " + path + ": " + std::strerror(errno));
        unlink(temp.c_str());
        return;
    }
    m_log.Note("saved " + std::to_string(m_strReceived.size()) + " bytes to " + path);
}

void CQarnDevice::KeepReceived() {
    if (!m_options.m_bKeepReceived) {
        return;
    }
    m_kept = CConfigImage::SplitLines(m_strReceived);
    m_bKept = true;
    const auto flip = static_cast<std::size_t>(m_options.m_nStoreBitflip);
    if (flip > 0 && flip <= m_kept.size()) {
        StoreHexDigitFlipped(m_kept[flip - 1]);
    }
    m_log.Note("keeps the " + std::to_string(m_kept.size()) + " lines received");
}

const std::vector<std::string>& CQarnDevice::HeldLines() const {
    return m_bKept ? m_kept : m_config.Lines();
}

void CQarnDevice::HangUp(const std::string& why) {
    m_log.Note(why);
    m_terminal.Unplug();
    m_bHungUp = true;
}

std::string CQarnDevice::Garbled(const std::string& bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (const char c : bytes) {
        // xorshift32, stirred with the byte sent.
        unsigned x = m_nGarbageState ^ static_cast<unsigned char>(c);
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        m_nGarbageState = x;
        if (x % 8 == 0) {
            out += kGarbagePrintable[(x / 8) % 6];
        } else {
            out += kGarbageBytes[(x / 8) % kGarbageBytes.size()];
        }
    }
    return out;
}
