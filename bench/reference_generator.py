#!/usr/bin/env python3
"""The straightforward path: the generator's rules written out plainly, to
check the real program's output against. Slow and simple on purpose.

  reference_generator.py DIR

reads DIR/TextResouce.txt and writes DIR/textresouce.cpp and DIR/textresouce.h.
Every name and text is a Python str holding one character per UTF-16 code
unit, so sorting strs sorts by unsigned code units, as the program does.
Nested dicts are walked with explicit stacks, never by recursion.
"""
import codecs
import os
import sys
from array import array

TYPE_NAME = "TextResource"


# ---------------------------------------------------------------- reading

def units_of_file(data):
    """The units the text layer delivers: marks, CR LF, U+001A, U+FFFF."""
    if data[:3] == b"\xef\xbb\xbf":
        return units_of_utf8(data[3:])
    if data[:2] == b"\xfe\xff":
        return None
    if data[:2] == b"\xff\xfe":
        data = data[2:]
    if len(data) % 2:
        data = data[:-1]                      # an odd last byte is ignored
    codes = array("H")
    codes.frombytes(data)
    if sys.byteorder != "little":
        codes.byteswap()
    return translate(list(codes))


def units_of_utf8(data):
    # Line ends and U+001A are translated on the bytes, then decoded; each
    # maximal ill-formed subsequence becomes U+FFFD (what Python's decoder
    # does); an incomplete character at the very end is dropped.
    cut = data.find(b"\x1a")
    if cut >= 0:
        data = data[:cut]
    decoder = codecs.getincrementaldecoder("utf-8")("replace")
    text = decoder.decode(data, final=False)   # bytes still pending are dropped
    codes = []
    for ch in text:
        cp = ord(ch)
        if cp > 0xFFFF:
            cp -= 0x10000
            codes.extend((0xD800 + (cp >> 10), 0xDC00 + (cp & 0x3FF)))
        else:
            codes.append(cp)
    return translate(codes)


def translate(codes):
    out = []
    i = 0
    n = len(codes)
    while i < n:
        u = codes[i]
        if u == 0x1A:
            break
        if u == 0x0D and i + 1 < n and codes[i + 1] == 0x0A:
            out.append(0x0A)
            i += 2
            continue
        if u != 0xFFFF:
            out.append(u)
        i += 1
    return "".join(map(chr, out))


def lines_of(text):
    start = 0
    while start < len(text):
        end = text.find("\n", start)
        end = len(text) if end < 0 else end + 1
        yield text[start:end]
        start = end


def build_tree(text):
    root = ({}, {})                            # (children, values)
    for line in lines_of(text):
        line = line.split("\0", 1)[0]
        if "=" not in line:
            continue
        name, value = line.split("=", 1)
        value = value.split("\r", 1)[0].split("\n", 1)[0]
        node = root
        segments = name.split(".")
        for segment in segments[:-1]:
            node = node[0].setdefault(segment, ({}, {}))
        node[1][segments[-1]] = value
    return root


# ---------------------------------------------------------------- writing

def encode(text):
    codes = array("H", (ord(c) for c in text.replace("\n", "\r\n")))
    if sys.byteorder != "little":
        codes.byteswap()
    return codes.tobytes()


def source_text(root):
    out = ['#include "textresouce.h"\n\n',
           '\nextern "C" __declspec(dllexport) void InitString(%s& t)\n{\n' % TYPE_NAME]
    stack = [(root, "")]
    while stack:
        (children, values), prefix = stack.pop()
        for name in sorted(values):
            out.append('\tt.%s%s = L"%s";\n' % (prefix, name, values[name]))
        for name in sorted(children, reverse=True):
            stack.append((children[name], prefix + name + "."))
    out.append("}\n")
    return "".join(out)


def header_text(root):
    out = ["#ifndef _%s_\n#define _%s_\n\nstruct %s\n{\n" % (TYPE_NAME, TYPE_NAME, TYPE_NAME),
           "\ttypedef const wchar_t* S;\n\n"]
    out.extend("\tS %s;\n" % name for name in sorted(root[1]))
    # Open a structure when its item comes off the stack; close it when its
    # closing marker does (pushed below its children).
    stack = [("close", root, 0, None)]
    stack.extend(("open", root[0][name], 1, name) for name in sorted(root[0], reverse=True))
    while stack:
        kind, node, depth, name = stack.pop()
        tabs = "\t" * depth
        if kind == "close":
            out.append(tabs + ("};\n\n#endif\n" if depth == 0 else "} %s;\n" % name))
            continue
        out.append("\n%sstruct _%s\n%s{\n" % (tabs, name, tabs))
        out.extend("%s\tS %s;\n" % (tabs, entry) for entry in sorted(node[1]))
        stack.append(("close", node, depth, name))
        stack.extend(("open", node[0][child], depth + 1, child)
                     for child in sorted(node[0], reverse=True))
    return "".join(out)


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    folder = sys.argv[1]
    with open(os.path.join(folder, "TextResouce.txt"), "rb") as f:
        text = units_of_file(f.read())
    if text is None:
        sys.stdout.write("ERR!\r\n")
        return
    root = build_tree(text)
    for name, produce in (("textresouce.cpp", source_text), ("textresouce.h", header_text)):
        with open(os.path.join(folder, name), "wb") as f:
            f.write(b"\xff\xfe" + encode(produce(root)))


if __name__ == "__main__":
    main()
