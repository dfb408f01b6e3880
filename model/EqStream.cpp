#include "EqStream.h"

#include "EqElement.h"
#include "EqFonts.h"
#include "EqModel.h"
#include "GlyphOutline.h"
#include "platform/Archive.h"

namespace toliva {
namespace {

constexpr uint8_t kAlignFlag = 0x40;
// The smallest element record: type, flags, character, payload length, child
// count and the has-next byte.
constexpr qint64 kMinElementRecord = 16;

bool carriesGlyph(int32_t type) { return IsGlyphSymbolType(type) || IsOwnOutlineBigOperatorType(type); }

void checkDepth(int depth) {
    if (depth > kMaxStreamDepth)
        throw ArchiveException(ArchiveException::BadFormat, "equation stream nested too deeply");
}

void saveChain(const EqElement* first, Archive& ar, bool markMode, int depth) {
    checkDepth(depth);
    for (const EqElement* e = first; e; e = e->next) {
        ar.writeI32(e->type);
        uint8_t flags = uint8_t(e->phantom) & uint8_t(~kAlignFlag);
        if (e->alignMark) flags |= kAlignFlag;
        ar.writeU8(flags);
        ar.writeU16(e->ch);
        ar.writeU32(gp::ColorrefFromArgb(e->colour));
        if (markMode) {
            ar.writeU8(e->mark ? 1 : 0);
            ar.writeU8(e->mark2 ? 1 : 0);
        }
        ar.writeI32(int32_t(e->payload.size()));
        ar.writeBytes(e->payload.data(), qint64(e->payload.size()));
        if (carriesGlyph(e->type)) {
            // The reader takes an outline for every such element: one without
            // its own outline writes an empty record.
            if (e->glyph) {
                SerializeGlyph(*e->glyph, ar);
            } else {
                GlyphOutline empty;
                SerializeGlyph(empty, ar);
            }
        }
        ar.writeI32(int32_t(e->children.size()));
        for (const EqElement* child : e->children) saveChain(child, ar, markMode, depth + 1);
        ar.writeU8(e->next ? 1 : 0);
    }
}

// Reads one element's record (fields up to the glyph) into e.
void loadElementFields(EqElement* e, Archive& ar, bool markMode, uint8_t version) {
    e->type = ar.readI32();
    const uint8_t flags = ar.readU8();
    e->alignMark = (flags & kAlignFlag) ? 1 : 0;
    e->phantom = version < 2 ? 0 : int8_t(flags & uint8_t(~kAlignFlag));
    e->ch = ar.readU16();
    if (version > 2)
        e->colour = gp::ArgbFromColorref(ar.readU32());
    else
        e->colour = e->owner->settings.colours[EqLayoutSettings::ColourText];
    if (markMode) {
        e->mark = ar.readU8() ? 1 : 0;
        e->mark2 = ar.readU8() ? 1 : 0;
    }
    const int32_t length = ar.readI32();
    ar.requireItems(length, 1);
    const QByteArray bytes = ar.readByteArray(length);
    e->payload.assign(bytes.begin(), bytes.end());
    if (carriesGlyph(e->type)) {
        e->glyph.reset();
        auto glyph = std::make_unique<GlyphOutline>();
        SerializeGlyph(*glyph, ar);
        if (!GlyphIsEmptyRecord(*glyph)) e->glyph = std::move(glyph);
    }
}

// Reads a chain into the constructed element first. Every new element is
// linked into the tree before its record is read, so whatever was read stays
// owned by the equation when the stream ends early.
void loadChain(EqElement* first, Archive& ar, bool markMode, int depth, uint8_t version) {
    checkDepth(depth);
    EqModel* eq = first->owner;
    for (EqElement* e = first;;) {
        loadElementFields(e, ar, markMode, version);
        if (e == first && e->type != EqTypeChainHead)
            throw ArchiveException(ArchiveException::BadFormat, "chain does not start with a head");

        const int32_t childCount = ar.readI32();
        ar.requireItems(childCount, kMinElementRecord);
        for (int32_t i = 0; i < childCount; ++i) {
            auto* head = new EqElement(eq);
            head->type = EqTypeChainHead;
            head->parent = e;
            e->children.push_back(head);
            loadChain(head, ar, markMode, depth + 1, version);
        }

        if (!ar.readU8()) break;
        auto* next = new EqElement(eq);
        next->prev = e;
        next->parent = e->parent;
        e->next = next;
        e = next;
    }
}

// The fields that describe how an equation is shown rather than what it
// holds; a scratch equation takes them from the target.
void copyViewState(EqModel& to, const EqModel& from) {
    to.flag0 = from.flag0;
    to.flag1 = from.flag1;
    to.ownsChains = from.ownsChains;
    to.markHighlight = from.markHighlight;
    to.outlineText = from.outlineText;
    to.warnNewerVersion = from.warnNewerVersion;
    to.phantomColour = from.phantomColour;
    to.outputMode = from.outputMode;
}

}  // namespace

void SaveChain(const EqElement* first, Archive& ar, bool markMode) { saveChain(first, ar, markMode, 0); }

void LoadChain(EqElement* first, Archive& ar, bool markMode, int depth) {
    loadChain(first, ar, markMode, depth, first->owner->settings.options[EqLayoutSettings::OptVersion]);
}

void SaveEquation(EqModel* eq, Archive& ar, bool markMode) {
    SerializeLayoutSettings(eq->settings, ar, eq);
    ar.writeI32(int32_t(eq->lines.size()));
    for (const EqElement* line : eq->lines) SaveChain(line, ar, markMode);
}

void LoadEquation(EqModel* eq, Archive& ar, bool markMode) {
    ClearEquation(eq);
    SerializeLayoutSettings(eq->settings, ar, eq);
    // The element layout follows the version of the record in the stream,
    // even when the style itself comes from the defaults file.
    const uint8_t version = eq->settings.options[EqLayoutSettings::OptVersion];
    if (eq->settings.options[EqLayoutSettings::OptOwnStyle] == 0xFF) LoadUserLayoutDefaults(eq, eq->settings);

    const int32_t lineCount = ar.readI32();
    ar.requireItems(lineCount, kMinElementRecord);
    for (int32_t i = 0; i < lineCount; ++i) {
        auto* head = new EqElement(eq);
        head->type = EqTypeChainHead;
        eq->lines.push_back(head);
        loadChain(head, ar, markMode, 0, version);
    }
    eq->needsLayout = 1;
}

bool LoadEquationAtomically(EqModel* eq, const QByteArray& bytes, bool markMode) {
    EqModel scratch(eq->settings);
    copyViewState(scratch, *eq);
    bool read = true;
    try {
        Archive ar(bytes);
        LoadEquation(&scratch, ar, markMode);
    } catch (const ArchiveException&) {
        read = false;
    }
    // What the read reported reaches eq whether or not eq takes the result.
    EqNotes notes = TakeEquationNotes(eq);
    notes.add(TakeEquationNotes(&scratch));
    if (read) {
        eq->swap(scratch);
        SetupEquationFonts(eq);
        eq->needsLayout = 1;
    }
    EquationFonts(eq).notes.add(notes);
    return read;
}

QByteArray EquationToBytes(EqModel* eq, bool markMode) {
    QByteArray bytes;
    Archive ar(&bytes, Archive::Store);
    SaveEquation(eq, ar, markMode);
    return bytes;
}

}  // namespace toliva
