#!/usr/bin/env python3
"""Moves the program's plain diagnostic lines into the log category of their area.

    tools/logcategories.py            # rewrite the files under src/ in place
    tools/logcategories.py --check    # list what it would change, exit 1 if anything

Every qDebug(...) / qWarning(...) under src/ becomes qCDebug(lcArea ...) /
qCWarning(lcArea ...); the text of each line stays exactly as it was. A few debug lines
that tell the user why the keypad cannot be used become warnings, so they show without
--verbose. The file gets the include of its categories. Running it again changes nothing,
so it can be run after merging code that still logs the plain way.

The area of a line: a device-link line ("HIDManager: ") is the device link's wherever it
stands, "[Layer]" and "[Layout]" lines are the layers' and the layout's; otherwise the
file decides (see area_of_file).
"""
import os
import re
import sys

TOP = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SRC = os.path.join(TOP, "src")

CORE_HEADER = '"model/logcategories.h"'
SIM_HEADER = '"sim/simlog.h"'
SKIP = {"model/logcategories.h", "model/logcategories.cpp", "sim/simlog.h", "sim/simlog.cpp"}

# Lines a user needs to see without asking: they explain why the keypad cannot be used or
# why the panel is incomplete.
WARNINGS = ("HIDManager: access denied path=", "Failed to load image:")

CALL = re.compile(r"\bq(Debug|Warning)\(")


def area_of_file(rel):
    name = os.path.basename(rel)
    if rel.startswith("device/"):
        return "lcLegacy" if name.startswith("legacy") else "lcDevice"
    if rel.startswith("sim/"):
        return "lcSim"
    if rel == "app/widgetlayers.cpp":
        return "lcLayers"
    if rel == "app/widgetlayout.cpp":
        return "lcLayout"
    if rel.startswith(("pages/", "controls/")):
        return "lcPages"
    return "lcWindow"  # app/, i18n/, model/


def statement_end(text, start):
    """Index just past the ';' that ends the statement beginning at start."""
    depth, i, n = 0, start, len(text)
    while i < n:
        c = text[i]
        if c in "\"'":
            i += 1
            while i < n and text[i] != c:
                i += 2 if text[i] == "\\" else 1
        elif c in "([{":
            depth += 1
        elif c in ")]}":
            depth -= 1
            if depth < 0:  # the end of an enclosing expression (a lambda's body)
                return i
        elif c == ";" and depth == 0:
            return i + 1
        i += 1
    return n


def area_of_statement(statement, rel):
    if '"HIDManager: ' in statement:
        return "lcDevice"
    if '"[Layer]' in statement:
        return "lcLayers"
    if '"[Layout]' in statement:
        return "lcLayout"
    return area_of_file(rel)


def realign(rest, shift, column):
    """`rest`: the statement after its call token, which began at `column` + the token's
    length. Continuation lines that lined up with the call's first argument or with its
    first "<<" move right by `shift`, so they still line up."""
    lines = rest.split("\n")
    marks = {column}
    at = lines[0].find("<<")
    if at >= 0:
        marks.add(column + at)
    for i in range(1, len(lines)):
        indent = len(lines[i]) - len(lines[i].lstrip(" "))
        if lines[i].strip() and indent in marks:
            lines[i] = " " * shift + lines[i]
    return "\n".join(lines)


def convert(text, rel):
    out, pos, changed = [], 0, False
    for m in CALL.finditer(text):
        if m.start() < pos:
            continue
        statement = text[m.start():statement_end(text, m.end() - 1)]
        area = area_of_statement(statement, rel)
        level = m.group(1)
        if level == "Debug" and any(w in statement for w in WARNINGS):
            level = "Warning"
        # qDebug() takes nothing; qDebug("format", ...) takes the category first.
        rest = text[m.end():]
        if rest.lstrip().startswith(")"):
            replacement = "qC%s(%s" % (level, area)
        else:
            replacement = "qC%s(%s, " % (level, area)
        out.append(text[pos:m.start()])
        out.append(replacement)
        token = m.group(0)
        column = m.start() - (text.rfind("\n", 0, m.start()) + 1) + len(token)
        out.append(realign(statement[len(token):], len(replacement) - len(token), column))
        pos = m.start() + len(statement)
        changed = True
    out.append(text[pos:])
    return "".join(out), changed


def add_include(text, header):
    if "#include " + header in text:
        return text
    lines = text.split("\n")
    quoted = [i for i, l in enumerate(lines) if l.startswith('#include "')]
    if quoted:
        # Among the program's own includes, in name order after the file's own header.
        first = quoted[0]
        group = [i for i in quoted if i > first]
        if not group:
            lines[first + 1:first + 1] = ["", "#include " + header]
            return "\n".join(lines)
        at = group[-1] + 1
        for i in group:
            if lines[i][len("#include "):] > header:
                at = i
                break
        lines.insert(at, "#include " + header)
    else:
        system = [i for i, l in enumerate(lines) if l.startswith("#include <")]
        at = system[0] if system else 0
        lines[at:at] = ["#include " + header, ""]
    return "\n".join(lines)


def main():
    check = "--check" in sys.argv[1:]
    touched = []
    for root, _dirs, files in os.walk(SRC):
        for name in sorted(files):
            if not name.endswith((".cpp", ".h")):
                continue
            path = os.path.join(root, name)
            rel = os.path.relpath(path, SRC).replace(os.sep, "/")
            if rel in SKIP:
                continue
            with open(path, encoding="utf-8") as f:
                original = f.read()
            text, changed = convert(original, rel)
            if not changed:
                continue
            text = add_include(text, SIM_HEADER if rel.startswith("sim/") else CORE_HEADER)
            if text == original:
                continue
            touched.append(rel)
            if not check:
                with open(path, "w", encoding="utf-8") as f:
                    f.write(text)
    for rel in sorted(touched):
        print(("would change " if check else "changed ") + "src/" + rel)
    return 1 if check and touched else 0


if __name__ == "__main__":
    sys.exit(main())
