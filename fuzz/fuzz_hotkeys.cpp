// Bytes as a ".hks" hotkey file: read them (through the file reader and the
// import of the settings page's row menu too), use every look-up, and check that a table written and read back gives the
// same bytes.
#include "sheet/editing/HotkeyTable.h"

#include "platform/DialogService.h"
#include "platform/MessageSink.h"
#include "platform/RegistryStore.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <unistd.h>

using namespace toliva;

namespace {

class Tiles : public TileHotkeys {
public:
    bool takeKey(uint16_t id, bool, bool, bool) override { return (id & 1) != 0; }
    void clearShortcuts() override {}
};

// The import keeps its folder in the settings: a scratch store, not the
// user's.
void useScratchHome() {
    static const bool once = [] {
        const QString home = QDir::tempPath() + QStringLiteral("/toliva-fuzz-hotkeys-%1").arg(getpid());
        QDir().mkpath(home);
        setenv("TOLIVA_HOME", home.toLocal8Bit().constData(), 1);
        RegistryStore::resetInstance();
        return true;
    }();
    (void)once;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    useScratchHome();
    static RecordingMessageSink sink;
    static QTemporaryDir folder;
    ScopedMessageSink guard(&sink);
    sink.shown.clear();
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));

    HotkeyTable table;
    const int records = table.FromBytes(bytes);
    const bool complete = records == HotkeyTable::kSlots * HotkeyTable::kKeys;
    if (complete != (size >= size_t(HotkeyTable::kFileBytes))) __builtin_trap();

    // The file reader: one message exactly when the file is short.
    const QString path = folder.filePath(QStringLiteral("in.hks"));
    {
        QFile out(path);  // a plain write: no need to sync scratch input to the disk
        if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) || out.write(bytes) != bytes.size()) __builtin_trap();
    }
    HotkeyTable fromFile;
    fromFile.SetDefaults();
    if (fromFile.Load(path) != complete || sink.shown.size() != (complete ? 0u : 1u)) __builtin_trap();

    // The import: a whole table replaces the old one, anything else is
    // reported once and changes nothing.
    {
        ScriptedDialogService dialogs;
        ScopedDialogService dialogGuard(&dialogs);
        dialogs.answers = {ScriptedDialogService::Answer::withFile(path)};
        sink.shown.clear();
        HotkeyTable imported;
        imported.SetDefaults();
        const QByteArray before = imported.ToBytes();
        if (imported.ImportFile() != complete || sink.shown.size() != (complete ? 0u : 1u)) __builtin_trap();
        const QByteArray expected = complete ? bytes.left(HotkeyTable::kFileBytes) : before;
        if (imported.ToBytes() != expected) __builtin_trap();
    }

    const QByteArray written = table.ToBytes();
    if (written.size() != HotkeyTable::kFileBytes) __builtin_trap();
    if (written.left(records * HotkeyTable::kRecordBytes) != bytes.left(records * HotkeyTable::kRecordBytes))
        __builtin_trap();
    HotkeyTable back;
    if (back.FromBytes(written) != HotkeyTable::kSlots * HotkeyTable::kKeys || back.ToBytes() != written)
        __builtin_trap();

    Tiles tiles;
    int ran = 0;
    for (int slot = 0; slot < HotkeyTable::kSlots; ++slot) {
        const HotkeyTable::Binding mods = HotkeyTable::ModifiersOfSlot(slot);
        for (int key = 0; key < HotkeyTable::kKeys; ++key) {
            const SymbolKey& e = table.entries[slot][key];
            table.Match(HotkeyTable::VirtualKeyOfIndex(key), mods.ctrl, mods.shift, mods.alt, &tiles,
                        [&](const SymbolKey&) { ++ran; });
            const HotkeyTable::Binding b = table.GetBinding(e);
            if (b.vk < 0 || table.FindKeyInSlot(HotkeyTable::SlotOf(b.ctrl, b.shift, b.alt), e) < 0) __builtin_trap();
        }
    }
    // A few edits of the first entry.
    const SymbolKey first = table.entries[0][0];
    table.GetKeysText(first, false);
    table.SetBinding(first, 70, true, false, false);
    table.SetBinding(first, 5, false, true, true);
    table.RemoveBinding(first);
    if (!IsEmptyKey(first) && table.HasBinding(first)) __builtin_trap();
    return 0;
}
