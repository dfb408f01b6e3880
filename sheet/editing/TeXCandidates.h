// The candidates of the TeX prompt bar, without a window: the candidate file
// "Dat/KwTCMData.dat", the ranking of the candidates against a typed command,
// the use counts and their ageing, the page of candidates shown, and what a
// candidate's kind means.
//
// Candidate file (little-endian archive, no header): int32 entry count N,
// then N entries of int32 kind, int32 use count and the command text without
// its backslash as an archive string (platform/Archive.h). The program
// folder holds the shipped file; the use counts the user builds up are
// written to a copy in the per-user folder, which is read in its place from
// then on.
//
// Kinds: 0 a plain command (a space follows), 1 a command with one argument
// ("{}" follows), 2 to 5 a spacing command with a unit (sheet/editing/
// TypedTeX.h, TeXCandidateSuffix), 1001 to 4096 a text with the caret set
// back kind - 1000 characters, and the matrix templates
// (IsMatrixTemplateCode, sheet/editing/TypedTeX.h).
#pragma once

#include "sheet/editing/TypedTeX.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace toliva {

class EqModel;
struct EqLayoutSettings;
struct TeXReadContext;

// ---- kinds

constexpr int kCandidatePlain = 0;
constexpr int kCandidateArgument = 1;
constexpr int kCandidateCaretBackFirst = 1001;
constexpr int kCandidateCaretBackLast = 4096;

// How many characters back from the end of the inserted text the caret
// goes for a caret kind (1001 to 4096); 0 for every other kind.
int CandidateCaretBack(int kind);

// The LaTeX text a candidate's preview is read from: a backslash and the
// text; for kind 1 "{A}\cdots" follows; a matrix template gives its body.
// Empty places (the caret's place, empty braces, matrix cells) hold
// "\square" so that the preview shows them.
QString CandidatePreviewLaTeX(int kind, const QString& text);

// The candidate as an equation in style (read with context, item references
// expanded by expand when given): every matrix of its first line (inside
// its structures too) gets style bits 0x100 in its ch. Null when the text does not convert.
std::shared_ptr<EqModel> ReadCandidatePreview(int kind, const QString& text, const EqLayoutSettings& style,
                                              const TeXReadContext& context,
                                              const std::function<void(EqModel*)>& expand = nullptr);

// ---- records and the file

struct TeXCandidate {
    int32_t kind = 0;
    int32_t useCount = 0;
    QString text;  // without the backslash
    // The preview: its half size in pixels at its scale; scale -1 means not
    // measured yet. The bar owns and draws it.
    float previewHalfWidth = 0;
    float previewHalfHeight = 0;
    float previewScale = -1.0f;
    std::shared_ptr<EqModel> preview;
    bool previewTried = false;  // the text was read once (a failed read is not tried again)
};

// What reading a candidate file gave: the entries read (all of them, or
// those before the damage) and whether the data ended or broke early.
struct CandidateFileContents {
    std::vector<TeXCandidate> entries;
    bool damaged = false;
};

// Never allocates for a count the bytes cannot hold; a count above the
// entries there keeps those read. Negative kinds and use
// counts read as 0.
CandidateFileContents ReadCandidateFile(const QByteArray& bytes);
QByteArray WriteCandidateFile(const std::vector<TeXCandidate>& entries, int count);

// ---- scoring and ranking

// The score of candidate text c for typed text t (without its backslash):
// 0 when t is empty or no character of t's start matches; otherwise the
// longest run a of t's start found in c (the earliest of equal runs, at
// position b) gives (a + e) x 10000 - b x 10 + 10000, e = 1 when c and t are
// equally long.
int64_t ScoreCandidate(QStringView c, QStringView t);

struct RankEntry {
    int64_t score = 0;
    int index = 0;
};

// Where the candidate file is read from and written to.
struct CandidateFiles {
    QString shipped;  // "Dat/KwTCMData.dat" in the program folder
    QString user;     // the per-user copy; empty: none (nothing is ever written)
};

// The bar's list: file entries, then the TeX labels; the ranking and the page
// shown.
class TeXCandidateList {
public:
    static constexpr int kLabelUseCount = 5;

    TeXCandidateList() = default;
    explicit TeXCandidateList(CandidateFiles files) : m_files(std::move(files)) {}

    void setFiles(CandidateFiles files) { m_files = std::move(files); }
    const CandidateFiles& files() const { return m_files; }
    // The TeX labels of the stored formulas, in item order (empty ones are skipped).
    void setLabels(const QStringList& labels) { m_labels = labels; }

    // Reads the candidates once: the user's copy when there is one, else the
    // shipped file. A missing file loads nothing and is tried again next
    // time. A damaged file shows "failed to open file : " and the path
    // through the message sink, keeps the entries before the damage, leaves
    // the labels out and is never written over. Use counts are then aged:
    // all halved when the largest is above the number of candidates.
    void LoadCandidates();
    // Forgets the loaded state and reads the file and labels again (the
    // label list changed); counts not saved are replaced by the file's.
    void ReloadCandidates();
    // Writes the file entries with their use counts to the user's copy
    // (through a temporary file); nothing when not loaded, after a read
    // error or without a user path. False when nothing was written.
    bool SaveCandidates();

    // Loads when needed, scores every candidate against typed (its first
    // character, the backslash, is left out) and sorts; page start 0.
    void RankCandidates(const QString& typed);

    // The page: P cells per page (4 to 9 from the context menu, at least 1).
    int candidatesPerPage() const { return m_perPage; }
    void setCandidatesPerPage(int n);
    int pageStart() const { return m_pageStart; }
    // The number of cells shown: min(P, total).
    int shownCount() const;
    // The candidate index shown in 0-based cell; -1 for a cell beyond the
    // candidates.
    int candidateInCell(int cell) const;
    // Step 0 to the start, 1 a page back, 2 a page forward, 3 one candidate
    // back, 4 one forward; kept within the list. True when the start moved.
    bool MovePage(int step);
    // 1-based number of a shown cell: its text and kind (-1 and nothing for
    // any other number, and for a cell beyond the candidates); its use count
    // goes up by one.
    int PickCandidate(int number, QString* text);

    bool loaded() const { return m_loaded; }
    bool readError() const { return m_readError; }
    int fileEntryCount() const { return m_fileCount; }
    int total() const { return int(m_items.size()); }
    std::vector<TeXCandidate>& candidates() { return m_items; }
    const std::vector<TeXCandidate>& candidates() const { return m_items; }
    const std::vector<RankEntry>& ranking() const { return m_ranking; }

    // For tests and the bar: installs candidates as if read from a file.
    void SetCandidatesForTest(std::vector<TeXCandidate> fileEntries);

private:
    // After the entries are in place: loaded, counts aged, ranking and page start reset.
    void finishLoad();
    void AgeUseCounts();
    void AppendLabels();

    CandidateFiles m_files;
    QStringList m_labels;
    std::vector<TeXCandidate> m_items;
    std::vector<QString> m_lower;  // each text in lower case, for the ranking
    std::vector<RankEntry> m_ranking;
    int m_fileCount = 0;
    bool m_loaded = false;
    bool m_readError = false;
    int m_pageStart = 0;
    int m_perPage = 8;
};

}  // namespace toliva
