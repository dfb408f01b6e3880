// The source-editor control library: a small shared library that holds the
// Scintilla editing control (QScintilla) of the LaTeX source window. The
// program loads it by name at start-up (LoadSourceEditorLibrary,
// sheet/CLaTeXWnd.h) and creates every source editor through its factory.
#pragma once

class QWidget;

// The library's base name: "libViVeDoV.so" beside the program.
#define TOLIVA_SOURCE_EDITOR_LIBRARY "ViVeDoV"
// The factory's exported name.
#define TOLIVA_SOURCE_EDITOR_FACTORY "toliva_create_source_editor"

extern "C" {
// Creates a bare Scintilla control (a QsciScintillaBase) as a child of
// parent; the caller (or the parent) owns it.
typedef QWidget* (*TolivaSourceEditorFactory)(QWidget* parent);
}
