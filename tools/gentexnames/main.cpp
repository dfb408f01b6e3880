// gentexnames: builds the TeX name table "Dat/KwTLData.dat" from its readable
// source (data/sources/texnames.tsv).
//
//   gentexnames SOURCE.tsv OUTPUT.dat
//
// Source lines: name, kind, value1, value2 and a comment, separated by tabs.
// Lines that begin with '#' and hold no tab are comments; blank lines are
// skipped. Numbers are decimal or 0x-hexadecimal.
//
// Output: the file form of tex/TeXCode.h (WriteTeXNameTable), the entries in
// source order inside each first-letter bucket.
//
// The source is refused (exit status 1, nothing written) when a line is
// malformed, a name is empty, longer than 32 UTF-16 units or holds a
// backslash (only the line-break name, a single backslash, may), a line
// repeats an earlier one exactly, or a name repeats an earlier name without
// the comment "reverse only" that marks a second key of the same symbol.
#include "platform/SafeFile.h"
#include "tex/TeXCode.h"

#include <QByteArray>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr size_t kNameUnits = toliva::CTeXCode::kNameUnits;

struct Entry {
    std::u16string name;
    int32_t kind = 0;
    int32_t value1 = 0;
    int32_t value2 = 0;
    int line = 0;
};

std::vector<std::string> splitTabs(const std::string& s) {
    std::vector<std::string> fields;
    size_t start = 0;
    for (;;) {
        const size_t tab = s.find('\t', start);
        fields.push_back(s.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
        if (tab == std::string::npos) break;
        start = tab + 1;
    }
    return fields;
}

bool parseInt32(const std::string& text, int32_t* value) {
    if (text.empty()) return false;
    const char* begin = text.c_str();
    char* end = nullptr;
    errno = 0;
    const long long v = std::strtoll(begin, &end, 0);
    if (errno != 0 || end == begin || *end != '\0') return false;
    if (v < INT32_MIN || v > INT32_MAX) return false;
    *value = int32_t(v);
    return true;
}

// UTF-8 to UTF-16; false on malformed input.
bool toUtf16(const std::string& in, std::u16string* out) {
    out->clear();
    size_t i = 0;
    while (i < in.size()) {
        const unsigned char c = static_cast<unsigned char>(in[i]);
        uint32_t cp = 0;
        int more = 0;
        if (c < 0x80) {
            cp = c;
        } else if ((c & 0xE0) == 0xC0) {
            cp = c & 0x1F;
            more = 1;
        } else if ((c & 0xF0) == 0xE0) {
            cp = c & 0x0F;
            more = 2;
        } else if ((c & 0xF8) == 0xF0) {
            cp = c & 0x07;
            more = 3;
        } else {
            return false;
        }
        if (more > 0 && i + more >= in.size()) return false;
        for (int k = 1; k <= more; ++k) {
            const unsigned char d = static_cast<unsigned char>(in[i + k]);
            if ((d & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (d & 0x3F);
        }
        i += 1 + more;
        if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out->push_back(char16_t(0xD800 + (cp >> 10)));
            out->push_back(char16_t(0xDC00 + (cp & 0x3FF)));
        } else {
            out->push_back(char16_t(cp));
        }
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: gentexnames SOURCE.tsv OUTPUT.dat\n";
        return 2;
    }
    const std::string sourcePath = argv[1];
    const std::string outputPath = argv[2];

    std::ifstream in(sourcePath, std::ios::binary);
    if (!in) {
        std::cerr << sourcePath << ": cannot open\n";
        return 1;
    }

    std::vector<Entry> entries;
    std::map<std::u16string, size_t> firstByName;  // name -> index of its first entry
    int errors = 0;
    auto fail = [&](int line, const std::string& what) {
        std::cerr << sourcePath << ":" << line << ": " << what << "\n";
        ++errors;
    };

    std::string text;
    int lineNo = 0;
    while (std::getline(in, text)) {
        ++lineNo;
        if (!text.empty() && text.back() == '\r') text.pop_back();
        if (text.empty()) continue;
        if (text[0] == '#' && text.find('\t') == std::string::npos) continue;

        const std::vector<std::string> f = splitTabs(text);
        if (f.size() < 4 || f.size() > 5) {
            fail(lineNo, "expected name, kind, value1, value2 and a comment separated by tabs");
            continue;
        }
        Entry e;
        e.line = lineNo;
        if (!toUtf16(f[0], &e.name)) {
            fail(lineNo, "the name is not valid UTF-8");
            continue;
        }
        if (!parseInt32(f[1], &e.kind) || !parseInt32(f[2], &e.value1) || !parseInt32(f[3], &e.value2)) {
            fail(lineNo, "kind, value1 and value2 must be 32-bit numbers");
            continue;
        }
        const std::string comment = f.size() == 5 ? f[4] : std::string();
        const bool reverseOnly = comment.rfind("reverse only", 0) == 0;

        if (e.name.empty()) {
            fail(lineNo, "empty name");
            continue;
        }
        if (e.name.size() > kNameUnits) {
            fail(lineNo, "the name is longer than 32 UTF-16 units");
            continue;
        }
        if (e.name != u"\\" && e.name.find(u'\\') != std::u16string::npos) {
            fail(lineNo, "names are written without the backslash");
            continue;
        }
        if (e.name.find(u'\0') != std::u16string::npos) {
            fail(lineNo, "the name holds a NUL character");
            continue;
        }

        const auto seen = firstByName.find(e.name);
        if (seen != firstByName.end()) {
            bool exact = false;
            for (const Entry& other : entries) {
                if (other.name == e.name && other.kind == e.kind && other.value1 == e.value1 &&
                    other.value2 == e.value2) {
                    exact = true;
                    fail(lineNo, f[0] + " repeats line " + std::to_string(other.line));
                    break;
                }
            }
            if (exact) continue;
            if (!reverseOnly) {
                fail(lineNo, f[0] + " is already named on line " + std::to_string(entries[seen->second].line) +
                                 " and would never be found; mark the line \"reverse only\" if it names a second key");
                continue;
            }
        } else {
            if (reverseOnly) {
                fail(lineNo, f[0] + " is marked \"reverse only\" but no earlier line has this name");
                continue;
            }
            firstByName.emplace(e.name, entries.size());
        }
        entries.push_back(std::move(e));
    }
    if (in.bad()) {
        std::cerr << sourcePath << ": read error\n";
        return 1;
    }
    if (errors) {
        std::cerr << sourcePath << ": " << errors << " error(s); " << outputPath << " not written\n";
        return 1;
    }

    // The table's own writer groups the entries by first letter, keeping
    // source order inside a group.
    std::vector<toliva::TeXNameEntry> table;
    table.reserve(entries.size());
    for (const Entry& e : entries) {
        toliva::TeXNameEntry t;
        t.kind = e.kind;
        t.value1 = e.value1;
        t.value2 = e.value2;
        std::copy(e.name.begin(), e.name.end(), t.name);
        table.push_back(t);
    }
    const QByteArray bytes = toliva::WriteTeXNameTable(table);

    // A failed write leaves the old table as it was.
    QString reason;
    if (!toliva::WriteFileSafely(toliva::DecodeFileName(outputPath), bytes, &reason)) {
        std::cerr << outputPath << ": cannot write: " << reason.toStdString() << "\n";
        return 1;
    }
    return 0;
}
