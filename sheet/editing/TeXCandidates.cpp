#include "sheet/editing/TeXCandidates.h"

#include "model/EqElement.h"
#include "model/EqModel.h"
#include "model/EqTypes.h"
#include "platform/Archive.h"
#include "platform/MessageSink.h"
#include "platform/SafeFile.h"
#include "sheet/editing/TypedTeX.h"
#include "tex/LaTeX.h"
#include "tex/TeXContext.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <climits>

namespace toliva {

int CandidateCaretBack(int kind) {
    if (kind < kCandidateCaretBackFirst || kind > kCandidateCaretBackLast) return 0;
    return kind - 1000;
}

QString CandidatePreviewLaTeX(int kind, const QString& text) {
    // Empty places show as a square: an empty cell or argument draws nothing.
    const QString place = QStringLiteral("\\square ");
    QString latex = QStringLiteral("\\");
    if (IsMatrixTemplateCode(kind)) {
        QString body;
        MatrixTemplateLaTeX(kind, &body);
        body.replace(QLatin1Char('\t'), place);
        return latex + body;
    }
    QString shown = text;
    if (const int back = CandidateCaretBack(kind); back > 0 && back <= shown.size()) {
        shown.insert(shown.size() - back, place);
        shown.replace(QStringLiteral("{}"), QStringLiteral("{\\square}"));
    }
    latex += shown;
    if (kind == kCandidateArgument) latex += QStringLiteral("{A}\\cdots");
    return latex;
}

std::shared_ptr<EqModel> ReadCandidatePreview(int kind, const QString& text, const EqLayoutSettings& style,
                                              const TeXReadContext& context,
                                              const std::function<void(EqModel*)>& expand) {
    auto eq = std::make_shared<EqModel>(style);
    if (!ReadLaTeXDocument(CandidatePreviewLaTeX(kind, text), eq.get(), context)) return nullptr;
    if (expand) expand(eq.get());
    // The matrices of the first line, also those inside its brackets.
    std::function<void(EqElement*)> mark = [&](EqElement* head) {
        for (EqElement* e = head; e; e = e->next) {
            if (IsMatrixType(e->type)) e->ch = uint16_t((e->ch & ~0x0F00) | 0x0100);
            for (EqElement* child : e->children) mark(child);
        }
    };
    if (!eq->lines.empty()) mark(eq->lines.front());
    return eq;
}

// ---- the file

CandidateFileContents ReadCandidateFile(const QByteArray& bytes) {
    CandidateFileContents out;
    Archive ar(bytes);
    try {
        const int32_t n = ar.readI32();
        if (n < 0) throw ArchiveException(ArchiveException::BadFormat, "negative candidate count");
        // Room for no more entries than the bytes can hold (the shortest is
        // two integers and an empty 8-bit string); a count that claims more
        // keeps the entries that are there.
        out.entries.reserve(size_t(std::min<qint64>(n, ar.bytesLeft() / 9)));
        for (int32_t i = 0; i < n; ++i) {
            TeXCandidate c;
            c.kind = std::max<int32_t>(0, ar.readI32());
            c.useCount = std::max<int32_t>(0, ar.readI32());
            c.text = ar.readString();
            out.entries.push_back(std::move(c));
        }
    } catch (const ArchiveException&) {
        out.damaged = true;
    }
    return out;
}

QByteArray WriteCandidateFile(const std::vector<TeXCandidate>& entries, int count) {
    count = std::clamp(count, 0, int(entries.size()));
    QByteArray bytes;
    Archive ar(&bytes, Archive::Store);
    ar.writeI32(count);
    for (int i = 0; i < count; ++i) {
        ar.writeI32(entries[i].kind);
        ar.writeI32(entries[i].useCount);
        ar.writeString(entries[i].text);
    }
    return bytes;
}

// ---- scoring

int64_t ScoreCandidate(QStringView c, QStringView t) {
    const qsizetype i = c.size();
    const qsizetype j = t.size();
    if (i == 0 || j == 0) return 0;
    qsizetype best = 0;
    qsizetype bestAt = 0;
    for (qsizetype k = 0; k < i && best < j; ++k) {
        if (c[k] != t[0]) continue;
        qsizetype l = 1;
        while (k + l < i && l < j && c[k + l] == t[l]) ++l;
        if (l > best) {
            best = l;
            bestAt = k;
        }
    }
    if (best == 0) return 0;
    const int64_t equalLength = i == j ? 1 : 0;
    return (int64_t(best) + equalLength) * 10000 - int64_t(bestAt) * 10 + 10000;
}

// ---- the list

void TeXCandidateList::setCandidatesPerPage(int n) {
    m_perPage = std::max(1, n);
    MovePage(0);
}

void TeXCandidateList::AppendLabels() {
    for (const QString& label : m_labels) {
        if (label.isEmpty()) continue;
        TeXCandidate c;
        c.kind = kCandidatePlain;
        c.useCount = kLabelUseCount;
        c.text = label;
        m_items.push_back(std::move(c));
    }
}

void TeXCandidateList::AgeUseCounts() {
    const int64_t count = int64_t(m_items.size());
    if (count == 0) return;
    int32_t largest = 0;
    for (const TeXCandidate& c : m_items) largest = std::max(largest, c.useCount);
    if (largest <= count) return;
    for (TeXCandidate& c : m_items) c.useCount /= 2;
}

void TeXCandidateList::LoadCandidates() {
    if (m_loaded) return;
    // The user's copy, with the counts built up so far, comes first.
    QString path;
    QByteArray bytes;
    for (const QString& candidate : {m_files.user, m_files.shipped}) {
        if (candidate.isEmpty() || !QFileInfo(candidate).isFile()) continue;
        if (ReadFileCapped(candidate, kMaxInputFileBytes, &bytes, nullptr)) {
            path = candidate;
            break;
        }
    }
    if (path.isEmpty()) return;  // tried again at the next ranking

    CandidateFileContents contents = ReadCandidateFile(bytes);
    m_items = std::move(contents.entries);
    m_fileCount = int(m_items.size());
    m_readError = contents.damaged;
    if (m_readError) {
        showMessage(QStringLiteral("failed to open file : ") + QDir::toNativeSeparators(path), MB_OK | MB_ICONERROR);
    } else {
        AppendLabels();
    }
    finishLoad();
}

void TeXCandidateList::finishLoad() {
    m_loaded = true;
    AgeUseCounts();
    m_lower.clear();
    m_ranking.clear();
    m_pageStart = 0;
}

void TeXCandidateList::ReloadCandidates() {
    m_loaded = false;
    m_readError = false;
    LoadCandidates();
}

void TeXCandidateList::SetCandidatesForTest(std::vector<TeXCandidate> fileEntries) {
    m_items = std::move(fileEntries);
    m_fileCount = int(m_items.size());
    m_readError = false;
    AppendLabels();
    finishLoad();
}

bool TeXCandidateList::SaveCandidates() {
    // A list that was cut short by a damaged file would overwrite the
    // counts of the entries it lost.
    if (!m_loaded || m_readError || m_files.user.isEmpty()) return false;
    const QByteArray bytes = WriteCandidateFile(m_items, m_fileCount);
    return WriteFileSafely(m_files.user, bytes, nullptr);
}

void TeXCandidateList::RankCandidates(const QString& typed) {
    LoadCandidates();
    if (m_lower.size() != m_items.size()) {
        m_lower.clear();
        m_lower.reserve(m_items.size());
        for (const TeXCandidate& c : m_items) m_lower.push_back(c.text.toLower());
    }
    const QStringView t = QStringView(typed).mid(std::min<qsizetype>(1, typed.size()));
    const QString lowerT = t.toString().toLower();
    m_ranking.resize(m_items.size());
    for (size_t k = 0; k < m_items.size(); ++k) {
        int64_t s = ScoreCandidate(m_items[k].text, t);
        // A match that ignores case counts 100 less than the exact one.
        const int64_t s2 = ScoreCandidate(m_lower[k], lowerT) - 100;
        if (s2 >= s) s = s2;
        m_ranking[k] = RankEntry{s + m_items[k].useCount, int(k)};
    }
    // Best last; among equal scores the earlier candidate is shown first.
    std::sort(m_ranking.begin(), m_ranking.end(), [](const RankEntry& a, const RankEntry& b) {
        return a.score != b.score ? a.score < b.score : a.index > b.index;
    });
    m_pageStart = 0;
}

int TeXCandidateList::shownCount() const {
    return std::min(m_perPage, int(m_ranking.size()));
}

int TeXCandidateList::candidateInCell(int cell) const {
    if (cell < 0 || cell >= shownCount()) return -1;
    const int r = int(m_ranking.size()) - m_pageStart - 1 - cell;
    if (r < 0 || r >= int(m_ranking.size())) return -1;
    return m_ranking[size_t(r)].index;
}

bool TeXCandidateList::MovePage(int step) {
    const int before = m_pageStart;
    int s = m_pageStart;
    switch (step) {
    case 0: s = 0; break;
    case 1: s -= m_perPage; break;
    case 2: s += m_perPage; break;
    case 3: s -= 1; break;
    case 4: s += 1; break;
    default: return false;
    }
    // Within the list; a list shorter than a page stays at its start.
    s = std::min(s, int(m_ranking.size()) - m_perPage);
    s = std::max(s, 0);
    m_pageStart = s;
    return m_pageStart != before;
}

int TeXCandidateList::PickCandidate(int number, QString* text) {
    if (number < 1 || number > m_perPage) return -1;
    const int index = candidateInCell(number - 1);
    if (index < 0) return -1;
    TeXCandidate& c = m_items[size_t(index)];
    if (c.useCount < INT32_MAX) ++c.useCount;
    if (text) *text = c.text;
    return c.kind;
}

}  // namespace toliva
