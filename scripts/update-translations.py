#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Keeps translations/mirelune_<lang>.ts in step with the sources.

Every Chinese string literal of the console's sources is a source text of the context
"Mirelune" (the code shows it through mirelune::Tr, platform/tr.h), but for the literals written
TrIn("Context", "text") or InContext("Context", "text"): a Chinese text that means something
else elsewhere, in a context of its own. The menu catalogue's item lists are split into their
item names. Existing translations are kept; new texts are added as
unfinished, texts no longer in the sources are marked obsolete. Qt's lrelease (run by CMake)
compiles the .ts files into the .qm files the console loads.

usage: scripts/update-translations.py [--seed FILE.tsv] [--check]
  --seed   tab-separated "source<TAB>translation[<TAB>context]" lines filling texts without a
           translation (context "Mirelune" when none is given)
  --check  exit 1 when a text has no translation (nothing is written)
"""
import glob
import html
import os
import re
import sys
import xml.etree.ElementTree as ET

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SOURCE_DIRS = ["ui/look", "ui/session", "ui/graph", "ui/pages", "ui/dialogs", "ui/tuning", "ui/window", "admin", "modes", "remote", "controls", "platform", "link", "model", "graph", "cli"]
# The command-line tool's help texts are translated whole, never line by line.
WHOLE_TEXT_DIRS = {"cli"}
# Literals that list the menu catalogue's items: "name,address,name,address..."
CATALOGUE_FILES = {os.path.join("model", "menu_catalogue.cpp")}
CJK = re.compile(r"[\u3000-\u303f\u4e00-\u9fff\uff00-\uffef]")
LITERAL = re.compile(r'"((?:[^"\\\n]|\\.)*)"')
# Raw string literals hold code of other languages (the shells' completion scripts), no texts.
CODE_TOKEN = re.compile(r'R"(\w*)\(.*?\)\1"|"(?:[^"\\\n]|\\.)*"|\'(?:[^\'\\\n]|\\.)*\'|//[^\n]*|/\*.*?\*/', re.S)
# Not shown to the user: font family names.
NOT_TEXTS = {"宋体"}


def unescape(s):
    return bytes(s, "utf-8").decode("unicode_escape").encode("latin-1").decode("utf-8") if "\\" in s else s


CONTEXT_TEXT = re.compile(r'\b(?:TrIn|InContext)\(\s*"(\w+)"\s*,\s*"((?:[^"\\\n]|\\.)*)"\s*\)')
MAIN = "Mirelune"


def source_texts():
    """{context: set of source texts}"""
    texts = {MAIN: set()}
    for d in SOURCE_DIRS:
        for path in sorted(glob.glob(os.path.join(ROOT, d, "*.cpp")) + glob.glob(os.path.join(ROOT, d, "*.h"))):
            with open(path, encoding="utf-8") as f:
                code = f.read()
            # Comments hold no texts of the program; a "//" inside a literal (a URL) is no comment.
            code = CODE_TOKEN.sub(lambda m: m.group(0) if m.group(0)[0] in "\"'" else "", code)
            # Adjacent literals are one text.
            code = re.sub(r'"\s*\n\s*"', "", code)
            # Texts of a context of their own, taken out before the rest is read.
            for m in CONTEXT_TEXT.finditer(code):
                text = unescape(m.group(2))
                if CJK.search(text):
                    texts.setdefault(m.group(1), set()).add(text)
            code = CONTEXT_TEXT.sub("", code)
            for m in LITERAL.finditer(code):
                if not CJK.search(m.group(1)):
                    continue
                text = unescape(m.group(1))
                if not CJK.search(text) or text in NOT_TEXTS:
                    continue
                if os.path.relpath(path, ROOT) in CATALOGUE_FILES and text.count(",") >= 3:
                    parts = text.split(",")
                    texts[MAIN].update(p for p in parts[0::2] if CJK.search(p))
                    continue
                texts[MAIN].add(text)
                # A message the core builds from lines is translated line by line.
                if "\n" in text and d not in WHOLE_TEXT_DIRS:
                    texts[MAIN].update(line for line in text.split("\n") if CJK.search(line))
    return texts


def load_ts(path):
    """{context: {source: translation}}"""
    known = {}
    if os.path.exists(path):
        for ctx in ET.parse(path).getroot().iter("context"):
            name = ctx.findtext("name") or MAIN
            for msg in ctx.iter("message"):
                src = msg.findtext("source") or ""
                tr = msg.find("translation")
                if tr is not None and tr.text and tr.get("type") not in ("unfinished", "obsolete", "vanished"):
                    known.setdefault(name, {})[src] = tr.text
    return known


def write_ts(path, lang, texts, known):
    out = ['<?xml version="1.0" encoding="utf-8"?>', "<!DOCTYPE TS>",
           f'<TS version="2.1" language="{lang}" sourcelanguage="zh_CN">']
    contexts = [MAIN] + sorted((set(texts) | set(known)) - {MAIN})
    for ctx in contexts:
        here, done = texts.get(ctx, set()), known.get(ctx, {})
        if not here and not done:
            continue
        out += ["<context>", f"    <name>{ctx}</name>"]
        for src in sorted(here | set(done)):
            out.append("    <message>")
            out.append(f"        <source>{html.escape(src, quote=False)}</source>")
            if src not in here:
                out.append(f'        <translation type="vanished">{html.escape(done[src], quote=False)}</translation>')
            elif src in done:
                out.append(f"        <translation>{html.escape(done[src], quote=False)}</translation>")
            else:
                out.append('        <translation type="unfinished"></translation>')
            out.append("    </message>")
        out.append("</context>")
    out += ["</TS>", ""]
    with open(path, "w", encoding="utf-8") as f:
        f.write("\n".join(out))


def main(argv):
    seed = {}
    check = "--check" in argv
    if "--seed" in argv:
        with open(argv[argv.index("--seed") + 1], encoding="utf-8") as f:
            for line in f:
                line = line.rstrip("\n")
                if "\t" in line:
                    parts = line.split("\t")
                    ctx = parts[2] if len(parts) > 2 and parts[2] else MAIN
                    seed.setdefault(ctx, {})[parts[0].replace("\\n", "\n")] = parts[1].replace("\\n", "\n")
    texts = source_texts()
    missing_any = False
    for path in sorted(glob.glob(os.path.join(ROOT, "translations", "mirelune_*.ts"))):
        lang = os.path.basename(path)[len("mirelune_"):-3]
        known = load_ts(path)
        for ctx, pairs in seed.items():
            for k, v in pairs.items():
                known.setdefault(ctx, {}).setdefault(k, v)
        missing = sorted((ctx, t) for ctx, here in texts.items() for t in here if t not in known.get(ctx, {}))
        if missing:
            missing_any = True
            print(f"{os.path.relpath(path, ROOT)}: {len(missing)} texts without a translation", file=sys.stderr)
            for ctx, t in missing:
                print("  " + ("" if ctx == MAIN else ctx + ": ") + t.replace("\n", "\\n"), file=sys.stderr)
        if not check:
            write_ts(path, lang, texts, known)
    return 1 if (check and missing_any) else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
