// Small free functions: where the program and the per-user data lie,
// splitting two-part texts, reading whole text files and numbers in text. No widgets here;
// the interface font is in the UI kit.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace toliva {

// The folder of the program, with a trailing '/'. Data files beside the
// program are found as this folder plus a relative name ("Languages/", "Dat/").
QString GetModuleFolder();
// The same; when list is given, the program's full path is first put at its head.
QString GetModuleFolder(QStringList* list);
// The program folder, with a trailing '/'.
QString GetAppDirectory();

// Creates <user data>/first and <user data>/first/second (an existing folder
// is no error). firstPath gets the first folder with a trailing '/', secondPath
// the second one, with a trailing '/' when trailingSlash is set. Either out
// pointer may be null. Returns whether both folders exist afterwards.
bool MakeAppDataFolder(const QString& first, const QString& second, bool trailingSlash, QString* firstPath,
                       QString* secondPath);

// Sets *first to the whole text. When the text holds a '|' after its first
// character, *first becomes the part before the first '|' and *second the part
// after it; otherwise *second is left as it was.
void SplitAtBar(const QString& text, QString* first, QString* second);

// The text that ReadTextFile makes of a file's bytes: the bytes are simplified-
// Chinese text (code page 936); "\r\n" counts as one line end, and every line,
// the last one too, is followed by "\n".
QString DecodeTextFile(const QByteArray& bytes);
// Reads a whole text file (see DecodeTextFile) into *out, which is emptied
// first. Returns whether the text is non-empty; a file that cannot be opened,
// or is larger than kMaxInputFileBytes (platform/SafeFile.h), gives false and
// an empty text.
bool ReadTextFile(const QString& path, QString* out);

// The text as _wtoi reads it: blanks, a sign, decimal digits; stops at the
// first other character; 0 without digits; saturates at INT_MIN / INT_MAX.
int TextToInt(const QString& text);
// The text as _wtof reads it: blanks, a sign, digits with an optional '.'
// and an optional exponent, in the C locale; stops at the first character
// that does not fit; 0.0 without digits. Hexadecimal, infinity and NaN forms
// are not read, and overflow gives +-DBL_MAX, so the result is always finite.
double TextToDouble(const QString& text);

// The stem of a temporary file's name, "%04d_%04d": a high-resolution
// counter and a random number, each modulo 1000 ("TEM" + stem + ".xff").
QString MakeRandomFileName();
// The stem of the counter and the random number given.
QString RandomFileNameStem(quint64 counter, quint32 random);

}  // namespace toliva
