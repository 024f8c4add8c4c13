"""Near-valid definition files for the differential test.

Each case is a few definition lines built from pieces that sit on either
side of what C++ accepts: identifiers and keywords of every mode, names the
generated code itself uses, non-ASCII letters and non-letters, universal
character names, every escape form and malformed ones, surrogates, control
and format characters, and nesting around the compilers' limits.
"""

ASCII_NAMES = ["Title", "a", "x1", "Menu", "_x", "Sa", "T", "s", "b2", "Open", "_", "z9_"]
KEYWORDS = ["int", "class", "delete", "wchar_t", "nullptr", "and", "xor_eq", "bitor", "typedef", "const",
            "alignas", "thread_local", "static_assert", "decltype"]
CXX20_KEYWORDS = ["char8_t", "concept", "consteval", "constinit", "co_await", "co_return", "co_yield", "requires"]
GNU_KEYWORDS = ["typeof", "asm"]
# Names that the implementations reserve: some are their keywords or macros.
RESERVED = ["__foo", "_Bar", "a__b", "__typeof__", "__attribute__", "__asm__", "__int128", "__restrict",
            "_Complex", "__real__", "__imag__", "__alignof__", "__extension__", "__null", "__cplusplus",
            "__FILE__", "__LINE__", "__DATE__", "__TIME__", "__COUNTER__", "__STDC_HOSTED__", "__int64",
            "__declspec", "_Bool", "__func__", "__PRETTY_FUNCTION__", "__has_include", "__builtin_va_list",
            "__thread", "__label__", "__volatile__", "__const", "__signed__", "__inline", "__decltype",
            "_Alignas", "_Atomic", "__FUNCTION__", "__STDC__", "_Pragma", "__VA_ARGS__", "__VA_OPT__"]
MACROS = ["linux", "unix", "ERROR", "NULL", "min", "errno", "i386"]
CONTEXTUAL = ["final", "override", "import", "module", "main", "std", "InitString", "TextResource", "t",
              "_TextResource_", "S", "defined", "__has_cpp_attribute", "_Pragma", "TextResource_"]
# Non-ASCII characters: identifier characters of every kind, and others.
LETTERS = ["\u00e9", "\u00df", "\u6f22", "\u03b1", "\u0416", "\U0001d400", "\u3131", "\u01c5", "\u2118",
           "\u212e", "\u0e33", "\uff9e", "\u309b", "\u00aa", "\u00b5", "\u0387", "\u1369", "\u19da",
           "\U00010570",  # Unicode 14
           "\U00011f04", "\U0001e030",  # Unicode 15
           "\U00010e80",  # Unicode 13
           "\u0628", "\u05d0", "\u0915", "\u093f", "\u0301", "\u0660", "\u00b7", "\u0903", "\u203f",
           "\u2054", "\u00ad", "\u200c", "\u200d", "\U000e0100", "\ufe00", "\u1dc0", "\u20d0"]
NON_LETTERS = ["\u00d7", "\u00a9", "\U0001f600", "\u00a0", "\u2028", "\u202e", "\u2066", "\u200e", "\u061c",
               "\ufeff", "\ufffd", "\u2060", "\u3000", "\u2e2f", "\u0085", "\u009b", "\u2070", "\u2460",
               "\u2776", "\u3004", "\ufdd0", "\ufffe", "\u0378", "\U0002a6e0", "\U000e0001", "\U0010fffd"]
# Pieces that are right on their own.
SAFE_LETTERS = ["\u00e9", "\u00df", "\u6f22", "\u03b1", "\u0416", "\U0001d400", "\u3131", "\u2118", "\u00b7",
                "\u0301", "\u0660", "\U00010570", "\U000e0100", "\u0e33"]
SAFE_UCNS = ["\\u00E9", "\\U000000E9", "\\u6f22", "\\u0301", "\\u00B7", "\\U0001D400", "\\u0024"]
SAFE_ESCAPES = ["\\n", "\\t", "\\\\", "\\\"", "\\x41", "\\101", "\\u00E9", "\\U0001F600", "\\0", "\\?", "\\'"]
BLANKS = ["", " ", "\t", "\u000b", "\u000c"]
ASCII_ODD = [" ", "\t", "-", "$", "@", "`", "+", "'", "\"", "\\", "#", "?", "9"]
CONTROLS = ["\u0001", "\u001b", "\u007f", "\u0008", "\u000b", "\u000c"]
SURROGATES = ["\ud800", "\udfff", "\udbff"]
UCNS = ["\\u00E9", "\\U000000E9", "\\u00e9", "\\u0041", "\\u0024", "\\u0040", "\\u0060", "\\u0001", "\\u00A9",
        "\\uD800", "\\u12", "\\U00110000", "\\u0301", "\\U0001F600", "\\u0660", "\\u00B7", "\\u00AD",
        "\\u6F22", "\\U0001D400", "\\u202E", "\\U00011F04", "\\U00010570", "\\u2118", "\\u0e33", "\\u",
        "\\u00", "\\U0000", "\\N{LATIN SMALL LETTER E WITH ACUTE}", "\\x41"]

TEXT_PLAIN = ["Hello", "a=b", "x y", "", " ", "Reopen file", "100%", "%s", "'", "?", "{}", "日本語", "??=",
              "??/", "\u00e9", "\U0001f600", "\u200d", "a\u0301"]
TEXT_ESCAPES = ["\\n", "\\t", "\\\\", "\\\"", "\\'", "\\?", "\\a", "\\b", "\\f", "\\r", "\\v", "\\0", "\\101",
                "\\0a", "\\08", "\\377", "\\400", "\\777", "\\x41", "\\x41BC", "\\x", "\\xg", "\\x12345",
                "\\xFFFFFFFFF", "\\x0", "\\x00a", "\\xFFFF", "\\x10000", "\\u00E9", "\\u12", "\\uD800", "\\uDFFF",
                "\\U0010FFFF", "\\U00110000", "\\u0041", "\\u0000", "\\U00000000", "\\u0024", "\\u0001",
                "\\u007F", "\\u009F", "\\U0001F600", "\\e", "\\E", "\\q", "\\%", "\\(", "\\{", "\\[", "\\z",
                "\\8", "\\9", "\\ ", "\\\t", "\\\u00e9", "\\\U0001f600", "\\\u00a0", "\\\u0085", "\\\u0001",
                "\\\u007f", "\\\u202e", "\\N{LATIN SMALL LETTER A}", "\\o{101}", "\\x{41}", "\\u{41}", "\\U",
                "\\u", "\\uFFFF", "\\uFEFF", "\\u202E", "\\\ufeff", "\\\u200d"]
TEXT_ODD = ["\"", "\u0001", "\u001b", "\u007f", "\u0085", "\u009b", "\u202e", "\u2066", "\u2069", "\u200e",
            "\u061c", "\ufeff", "\u2028", "\u00ad", "\u200b", "\ufffe", "\ufdd0", "\t", "\u000b", "\u000c"]


def pick(rng, items):
    return items[rng.randrange(len(items))]


def segment(rng, groups, utf16, risk):
    """One segment of a dotted name; `groups` are the groups it lies in. With
    probability 1 - `risk` a piece is one that compiles on its own."""
    if rng.random() >= risk:
        name = pick(rng, ASCII_NAMES + CONTEXTUAL[:9])
        while rng.random() < 0.3:
            name += pick(rng, ASCII_NAMES + SAFE_LETTERS + SAFE_UCNS)
        return name
    roll = rng.random()
    if roll < 0.15:
        name = pick(rng, ASCII_NAMES)
    elif roll < 0.27:
        name = pick(rng, KEYWORDS + CXX20_KEYWORDS + GNU_KEYWORDS + MACROS)
    elif roll < 0.37:
        name = pick(rng, RESERVED)
    elif roll < 0.47:
        name = pick(rng, CONTEXTUAL)
    elif roll < 0.55 and groups:
        enclosing = pick(rng, groups)
        name = pick(rng, [enclosing, "_" + enclosing, enclosing + "_"])
    elif roll < 0.6:
        name = pick(rng, BLANKS) + pick(rng, ASCII_NAMES) + pick(rng, BLANKS)
    else:
        name = ""
        for _ in range(rng.randrange(1, 4)):
            part = rng.random()
            if part < 0.3:
                name += pick(rng, ASCII_NAMES)
            elif part < 0.6:
                name += pick(rng, LETTERS)
            elif part < 0.72:
                name += pick(rng, UCNS)
            elif part < 0.82:
                name += pick(rng, NON_LETTERS)
            elif part < 0.92:
                name += pick(rng, ASCII_ODD)
            elif part < 0.96:
                name += pick(rng, CONTROLS)
            elif utf16:
                name += pick(rng, SURROGATES)
    return name


def text(rng, utf16, risk):
    out = ""
    for _ in range(rng.randrange(0, 4)):
        roll = rng.random()
        if rng.random() >= risk:
            out += pick(rng, TEXT_PLAIN + SAFE_ESCAPES)
        elif roll < 0.2:
            out += pick(rng, TEXT_PLAIN)
        elif roll < 0.8:
            out += pick(rng, TEXT_ESCAPES)
        elif roll < 0.95 or not utf16:
            out += pick(rng, TEXT_ODD)
        else:
            out += pick(rng, SURROGATES)
    roll = rng.random()
    if roll < 0.02:
        out += "x" * rng.choice([8187, 8188, 8189, 8190])
    elif roll < 0.04:
        out += "\\"
    return out


def make_name(rng, known, utf16, risk):
    """A dotted name: often one that shares groups with names before it."""
    if known and rng.random() < 0.5:
        base = pick(rng, known)
        parts = base[:rng.randrange(len(base) + 1)]
    else:
        parts = []
    if rng.random() < 0.03:
        depth = rng.choice([253, 254, 255, 256, 257])
        parts = [pick(rng, ["a", "b"]) + str(level % 2) for level in range(depth)]
    for _ in range(rng.choice([1, 1, 1, 2, 2, 3]) if len(parts) < 3 else 1):
        parts.append(segment(rng, parts, utf16, risk))
    return parts


def make_case(rng):
    """(lines, file bytes) of one definition file."""
    encoding = rng.choice(["utf-16-le", "utf-16-le-mark", "utf-8-mark"])
    utf16 = encoding != "utf-8-mark"
    # Most files are nearly right: each piece goes wrong only now and then.
    risk = rng.choice([0.03, 0.08, 0.15, 0.4, 1.0])
    lines = []
    known = []
    for _ in range(rng.randrange(1, 6)):
        roll = rng.random()
        if roll < 0.08:
            lines.append(pick(rng, ["# comment", "Menu.Open", "", "a.b c"]))
            continue
        parts = make_name(rng, known, utf16, risk)
        known.append(parts)
        lines.append(".".join(parts) + "=" + text(rng, utf16, risk))
    return lines, encode_case(lines, {"utf-16-le": b"", "utf-16-le-mark": b"\xff\xfe",
                                      "utf-8-mark": b"\xef\xbb\xbf"}[encoding])


def encode_case(lines, data):
    """The bytes of `lines` in the encoding of `data` (known by its start)."""
    body = "".join(line + "\r\n" for line in lines)
    if data.startswith(b"\xef\xbb\xbf"):
        return b"\xef\xbb\xbf" + body.encode("utf-8")
    mark = b"\xff\xfe" if data.startswith(b"\xff\xfe") else b""
    return mark + body.encode("utf-16-le", "surrogatepass")
