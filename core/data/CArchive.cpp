#include "data/CArchive.h"

#include "platform/CFileReader.h"
#include "platform/CPathName.h"

#include <algorithm>

namespace {

constexpr std::size_t kWriteChunk = std::size_t{64} * 1024;
constexpr char kTextEnd = 0x1A;  // ends the text in text mode

}  // namespace

std::error_code CArchive::Open(const std::string& path) {
    m_path = path;
    if (m_mode == load) {
        m_bOpen = !Fail(CFileReader::ReadRegularFile(path, m_text, m_nFileSize));
        const std::size_t textEnd = m_text.find(kTextEnd);
        if (textEnd != std::string::npos) {
            // A Ctrl+Z at the very end of a file is an old editor's habit; one
            // with more text after it hides that text from the load.
            if (m_text.find_first_not_of(" \t\r\n", textEnd + 1) != std::string::npos) {
                m_nTextEndLine =
                    1 + static_cast<int>(std::count(
                            m_text.begin(), m_text.begin() + static_cast<std::ptrdiff_t>(textEnd),
                            '\n'));
                m_nUnreadBytes = static_cast<std::int64_t>(m_text.size() - textEnd - 1);
            }
            m_text.resize(textEnd);
        }
    } else {
        m_bOpen = !Fail(m_file.Open(path));
    }
    return m_error;
}

bool CArchive::Fail(std::error_code error) {
    if (error && !m_error) {
        m_error = error;
    }
    return static_cast<bool>(error);
}

std::string CArchive::GetFileName() const {
    return CPathName::FileName(m_path);
}

std::int64_t CArchive::GetFileSize() const {
    return m_bOpen ? m_nFileSize : 0;
}

bool CArchive::ReadString(std::string& line) {
    if (!m_bOpen || m_mode != load || m_nPos >= m_text.size()) {
        return false;
    }
    const std::size_t start = m_nPos;
    const std::size_t lf = m_text.find('\n', start);
    std::size_t end = lf == std::string::npos ? m_text.size() : lf;
    m_nPos = lf == std::string::npos ? m_text.size() : lf + 1;
    if (lf != std::string::npos && end > start && m_text[end - 1] == '\r') {
        --end;  // CR LF reads as LF
    }
    line.assign(m_text, start, end - start);
    return true;
}

void CArchive::WriteString(const std::string& text) {
    if (!m_bOpen || m_mode != store || m_error) {
        return;
    }
    m_pending += text;
    if (m_pending.size() >= kWriteChunk) {
        Flush();
    }
}

bool CArchive::Flush() {
    const bool ok = !Fail(m_file.Write(m_pending.data(), m_pending.size()));
    m_pending.clear();
    return ok;
}

std::error_code CArchive::Close() {
    if (!m_bOpen) {
        return m_error ? m_error : std::make_error_code(std::errc::bad_file_descriptor);
    }
    m_bOpen = false;
    if (m_mode == store && !m_error && Flush()) {
        Fail(m_file.Commit());
    }
    return m_error;
}
