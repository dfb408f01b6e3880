// The lines of a generator's readable source: blank lines and "#" comments
// are skipped, a trailing carriage return is dropped, every line is checked
// as UTF-8 and split at its tabs. Errors are reported as "path:line: what"
// and counted.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <fstream>
#include <iostream>
#include <string>

namespace toliva::tools {

class SourceLines {
public:
    explicit SourceLines(std::string path) : m_path(std::move(path)), m_in(m_path, std::ios::binary) {}

    bool isOpen() const { return bool(m_in); }
    const std::string& path() const { return m_path; }

    // The fields of the next line; false at the end of the file.
    bool next(QStringList* fields) {
        std::string raw;
        while (std::getline(m_in, raw)) {
            ++m_lineNo;
            if (!raw.empty() && raw.back() == '\r') raw.pop_back();
            if (raw.empty() || raw[0] == '#') continue;
            const QString line = QString::fromUtf8(raw);
            if (line.toUtf8() != QByteArray::fromStdString(raw)) {
                fail("not valid UTF-8");
                continue;
            }
            *fields = line.split(u'\t');
            return true;
        }
        return false;
    }

    // An error on the current line.
    void fail(const std::string& what) {
        std::cerr << m_path << ":" << m_lineNo << ": " << what << "\n";
        ++m_errors;
    }
    // An error about the whole file.
    void failFile(const std::string& what) {
        std::cerr << m_path << ": " << what << "\n";
        ++m_errors;
    }
    int errors() const { return m_errors; }

private:
    std::string m_path;
    std::ifstream m_in;
    int m_lineNo = 0;
    int m_errors = 0;
};

}  // namespace toliva::tools
