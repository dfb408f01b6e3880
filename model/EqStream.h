// The archive stream of an equation: the native binary form used by
// documents, the clipboard, undo snapshots and formula lists.
#pragma once

#include <QByteArray>

namespace toliva {

class Archive;
class EqModel;
struct EqElement;

// Child chains nested deeper than this are refused as a damaged stream.
constexpr int kMaxStreamDepth = 512;

// Writes the style record (as the current version), the line count and every
// line. An element of types 6-8 or 860-863 without an outline of its own
// writes an empty outline record. A tree nested deeper than kMaxStreamDepth
// is refused with an ArchiveException (BadFormat): it could not be read back.
void SaveEquation(EqModel* eq, Archive& ar, bool markMode = false);
// Reads into eq. Counts that the bytes left cannot hold, nesting deeper than
// kMaxStreamDepth and a chain that does not start with a head are damage. On
// an archive exception the elements read so far stay in eq and the exception
// propagates. The elements follow the layout of the stream's own version even
// when the style is replaced by the per-user defaults (own-style marker 0xFF).
// What the read reports (a newer version, a damaged defaults file, missing
// fonts) goes to the equation's notes (TakeEquationNotes, model/EqFonts.h).
void LoadEquation(EqModel* eq, Archive& ar, bool markMode = false);

void SaveChain(const EqElement* first, Archive& ar, bool markMode);
// Reads a chain into the already constructed element first; depth is the
// nesting level of the chain.
void LoadChain(EqElement* first, Archive& ar, bool markMode, int depth = 0);

// For callers that must not lose data (open, paste, undo): reads into a
// scratch equation and swaps it into eq only when the whole stream was read.
// Returns false (eq untouched) on a damaged stream. The notes of the read go
// to eq's notes either way.
bool LoadEquationAtomically(EqModel* eq, const QByteArray& bytes, bool markMode = false);

QByteArray EquationToBytes(EqModel* eq, bool markMode = false);

}  // namespace toliva
