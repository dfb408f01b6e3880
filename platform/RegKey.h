// Typed access to one key of the per-user registry.
//
// Used on the stack: open (creating the key and its parents when missing),
// a few reads or writes with defaults, close. A key that could not be opened
// makes every read yield its default (and false) and every write return
// false. A value of another type or size counts as missing. A write the
// database refused (locked by another process past the busy timeout,
// read-only, full) returns false and leaves the database's reason in
// lastError, for the caller to show.
//
// Encodings: strings are REG_SZ (UTF-16LE with terminator); integers,
// colours (COLORREF 0x00BBGGRR) and booleans (0 or 1) are 4-byte REG_DWORD;
// a float is a REG_DWORD holding its IEEE single-precision bits.
#pragma once

#include "platform/RegistryStore.h"

#include <QString>

#include <cstdint>

namespace toliva {

// Strings are written cut to this many UTF-16 code units ...
inline constexpr int kRegStringMaxChars = 260;
// ... and a read takes any value up to that length plus its terminator;
// a longer value counts as missing.
inline constexpr int kRegValueBufferBytes = (kRegStringMaxChars + 1) * 2;

struct RegKey {
    QString path;              // key path below the user's root; empty when closed
    bool opened = false;       // whether the key could be opened or created
    uint32_t lastType = REG_SZ;  // the expected type, then the type a query found
    QString lastError;         // why the last open or write failed; empty after a success

    RegKey() = default;
    ~RegKey();
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;
};

// Opens the key, creating it with every missing parent; a key that was open
// before is closed first. Returns the opened flag.
// The program's groups that several parts read and write.
inline const QString kAppSettingsKey = QStringLiteral("Software\\Toliva\\AppSettings");
inline const QString kLanguageKey = QStringLiteral("Software\\Toliva\\Language");
inline const QString kWordCmdsKey = QStringLiteral("Software\\Toliva\\WordCmds");
inline const QString kEqSettingsKey = QStringLiteral("Software\\Toliva\\EqSettings");

bool OpenRegKey(const QString& subkey, RegKey& key);
void CloseRegKey(RegKey& key);

bool ReadRegString(RegKey& key, const QString& name, QString& out, const QString& def);
bool ReadRegDword(RegKey& key, const QString& name, int& out, int def);
bool ReadRegFloat(RegKey& key, const QString& name, float& out, float def);
bool ReadRegBool(RegKey& key, const QString& name, bool def);

// Writes the text cut to its first kRegStringMaxChars code units.
bool WriteRegString(RegKey& key, const QString& name, const QString& text);
bool WriteRegDword(RegKey& key, const QString& name, int value);
bool WriteRegBool(RegKey& key, const QString& name, bool value);
// The float's bits as a REG_DWORD.
bool WriteRegFloat(RegKey& key, const QString& name, float value);

}  // namespace toliva
