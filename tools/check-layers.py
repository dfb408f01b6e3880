#!/usr/bin/env python3
"""Keeps the lower layers free of widgets.

model/, tex/, platform/, the evaluator under sheet/calc/, the editing logic under sheet/editing/ and the
shell's window-free parts (shell/settings/, shell/document/) show no
dialog and link no Qt Widgets. This check fails when a file there
  - includes a header of a widget module (<QtWidgets/...>, <QWidget>,
    <QDialog>, <QApplication>, <QMessageBox>, <QFileDialog>, ... and the
    modules built on widgets: QtPrintSupport, QtSvgWidgets, QtOpenGLWidgets,
    QScintilla), or anything from uikit/;
  - or when a CMake target defined there links Qt6::Widgets, directly or
    through another target (its compile commands then carry QT_WIDGETS_LIB),
    or names Qt6::Widgets or toliva_uikit in its CMake files;
  - or when a file under sheet/editing/ includes the sheet's widget headers
    (sheet/*.h outside sheet/editing/ and the evaluator in sheet/calc/), or a
    file of sheet/ and one of panels/ include each other.

Usage: tools/check-layers.py [--build-dir build/debug]
The link check reads compile_commands.json of the build folder; without one
only the CMake files are read.
"""

import argparse
import glob
import json
import os
import re
import shlex
import sys

LAYERS = ("model", "tex", "platform", "sheet/calc", "sheet/editing", "shell/settings", "shell/document", "shell/layout",
          "shell/presentation", "shell/pad", "shell/update", "shell/recognition", "shell/print")
# Targets that must stay free of widgets wherever their folder is.
WIDGETLESS_TARGETS = ("toliva_editing", "toliva_shellcore")
SOURCE_EXTENSIONS = (".h", ".hh", ".hpp", ".c", ".cc", ".cpp", ".cxx", ".inc", ".ipp")
# Qt modules whose headers mean widgets: QtWidgets itself and those built on it.
WIDGET_MODULES = ("QtWidgets", "QtPrintSupport", "QtSvgWidgets", "QtOpenGLWidgets", "Qsci")
# Used when the Qt headers cannot be listed (they come with qt6-base-dev).
FALLBACK_WIDGET_HEADERS = {
    "QApplication", "QWidget", "QDialog", "QMessageBox", "QFileDialog", "QColorDialog", "QFontDialog",
    "QInputDialog", "QMainWindow", "QPushButton", "QLabel", "QLineEdit", "QComboBox", "QCheckBox",
    "QGroupBox", "QLayout", "QVBoxLayout", "QHBoxLayout", "QGridLayout", "QMenu", "QMenuBar", "QToolBar",
    "QStatusBar", "QScrollArea", "QTabWidget", "QListWidget", "QTreeWidget", "QTableWidget", "QStyle",
    "QPrinter", "QPrintDialog",
}
INCLUDE_RE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')
LINK_WIDGETS_RE = re.compile(r"\b(Qt6?::Widgets|Qt6?::PrintSupport|Qt6?::SvgWidgets|Qt6?::OpenGLWidgets|toliva_uikit)\b")


def qt_header_roots():
    roots = []
    for pattern in ("/usr/include/*/qt6", "/usr/include/qt6", "/usr/lib/*/qt6/include"):
        roots += [p for p in glob.glob(pattern) if os.path.isdir(os.path.join(p, "QtWidgets"))]
    return roots


def widget_header_names():
    """Bare header names (as in <QWidget> or <qwidget.h>) that belong to widget
    modules only: names other Qt modules also carry (qaction.h forwards to
    QtGui) stay allowed."""
    roots = qt_header_roots()
    if not roots:
        return set(FALLBACK_WIDGET_HEADERS)
    widget, other = set(), set()
    for root in roots:
        for module in os.listdir(root):
            folder = os.path.join(root, module)
            if not os.path.isdir(folder):
                continue
            names = {n for n in os.listdir(folder) if not os.path.isdir(os.path.join(folder, n))}
            (widget if module in WIDGET_MODULES else other).update(names)
    return (widget - other) | FALLBACK_WIDGET_HEADERS


def layer_files(root):
    for layer in LAYERS:
        for folder, _, names in os.walk(os.path.join(root, layer)):
            for name in sorted(names):
                yield os.path.join(folder, name)


def check_includes(root, widget_headers):
    problems = []
    for path in layer_files(root):
        if not path.endswith(SOURCE_EXTENSIONS):
            continue
        rel = os.path.relpath(path, root)
        with open(path, encoding="utf-8", errors="replace") as f:
            for number, line in enumerate(f, 1):
                m = INCLUDE_RE.match(line)
                if not m:
                    continue
                header = m.group(2).strip()
                parts = [p for p in header.split("/") if p not in ("", ".")]
                where = f"{rel}:{number}: #include {m.group(1)}{header}{'>' if m.group(1) == '<' else chr(34)}"
                if "uikit" in parts:
                    problems.append(f"{where}: includes from uikit/")
                elif rel.startswith("sheet/editing/") and parts[:1] == ["sheet"] and parts[1:2] not in (["editing"], ["calc"]):
                    problems.append(f"{where}: the editing logic includes the sheet's widget code")
                elif parts and parts[0] in WIDGET_MODULES:
                    problems.append(f"{where}: a {parts[0]} header")
                elif len(parts) == 1 and parts[0] in widget_headers:
                    problems.append(f"{where}: a Qt Widgets header")
    return problems


def check_sheet_panels(root):
    """The sheet and the panels never include each other: the shell wires them."""
    problems = []
    for own, other in (("sheet", "panels"), ("panels", "sheet")):
        for folder, _, names in os.walk(os.path.join(root, own)):
            for name in sorted(names):
                path = os.path.join(folder, name)
                if not path.endswith(SOURCE_EXTENSIONS):
                    continue
                rel = os.path.relpath(path, root)
                with open(path, encoding="utf-8", errors="replace") as f:
                    for number, line in enumerate(f, 1):
                        m = INCLUDE_RE.match(line)
                        if m and m.group(2).strip().startswith(other + "/"):
                            problems.append(f"{rel}:{number}: {own}/ includes {m.group(2).strip()}")
    return problems


def check_cmake_files(root):
    problems = []
    for path in layer_files(root):
        name = os.path.basename(path)
        if name != "CMakeLists.txt" and not name.endswith(".cmake"):
            continue
        rel = os.path.relpath(path, root)
        with open(path, encoding="utf-8", errors="replace") as f:
            for number, line in enumerate(f, 1):
                code = line.split("#", 1)[0]
                m = LINK_WIDGETS_RE.search(code)
                if m:
                    problems.append(f"{rel}:{number}: names {m.group(1)}: {line.strip()}")
    return problems


def check_compile_commands(root, build_dir):
    """A target that links Qt6::Widgets (or a target that does) compiles with
    QT_WIDGETS_LIB; the object folder of each command names its target's
    source folder."""
    path = os.path.join(build_dir, "compile_commands.json")
    if not os.path.isfile(path):
        print(f"check-layers: no {path}; the link check reads only the CMake files", file=sys.stderr)
        return []
    with open(path, encoding="utf-8") as f:
        commands = json.load(f)
    flagged = {}
    for entry in commands:
        args = entry.get("arguments") or shlex.split(entry.get("command", ""))
        output = entry.get("output")
        if output is None and "-o" in args:
            output = args[args.index("-o") + 1]
        if not output:
            continue
        output = os.path.relpath(os.path.join(entry.get("directory", build_dir), output), build_dir)
        m = re.match(r"^((?:%s)(?:/[^/]+)*)/CMakeFiles/([^/]+)\.dir/" % "|".join(LAYERS), output)
        if not m:
            m = re.match(r"^(.*?)/CMakeFiles/(%s)\.dir/" % "|".join(WIDGETLESS_TARGETS), output)
        if not m:
            continue
        if any(a in ("-DQT_WIDGETS_LIB", "-DQT_PRINTSUPPORT_LIB") for a in args):
            key = (m.group(1), m.group(2))
            # Name a source of the tree rather than a generated file.
            if key not in flagged or flagged[key].startswith(build_dir):
                flagged[key] = entry["file"]
    return [
        f"{folder}/: target {target} links Qt6::Widgets (directly or through a target it links); "
        f"its compile of {os.path.relpath(example, root)} defines QT_WIDGETS_LIB"
        for (folder, target), example in sorted(flagged.items())
    ]


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--root", default=os.path.dirname(here))
    parser.add_argument("--build-dir", default=None, help="build folder with compile_commands.json (default build/debug)")
    options = parser.parse_args()
    root = os.path.abspath(options.root)
    build_dir = os.path.abspath(options.build_dir or os.path.join(root, "build", "debug"))

    problems = check_includes(root, widget_header_names())
    problems += check_sheet_panels(root)
    problems += check_cmake_files(root)
    problems += check_compile_commands(root, build_dir)
    if problems:
        print("check-layers: " + ", ".join(l + "/" for l in LAYERS) + " must not use Qt Widgets or uikit/;"
              " sheet/ and panels/ must not include each other:", file=sys.stderr)
        for p in problems:
            print("  " + p, file=sys.stderr)
        print(f"check-layers: FAILED ({len(problems)} problems)", file=sys.stderr)
        return 1
    print("check-layers: " + ", ".join(l + "/" for l in LAYERS) + " use no widgets and nothing from uikit/;"
          " sheet/ and panels/ keep apart")
    return 0


if __name__ == "__main__":
    sys.exit(main())
