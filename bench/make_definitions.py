#!/usr/bin/env python3
"""Writes benchmark definition files (UTF-16LE with FF FE, CR LF lines).

  make_definitions.py entries COUNT FILE   a string table of COUNT entries
  make_definitions.py SHAPE COUNT FILE     COUNT entries of another shape:
      random      names 1 to 6 deep, a random word at every level, random order
      flat        every entry directly in the top level, shuffled
      wide        COUNT groups under the top level, one entry each, shuffled
      repeat      COUNT/100 names, each defined about a hundred times
      descending  the string table in descending name order
      sixdeep     names six segments deep, a random word at every level, random
                  order: past the first level, groups of every entry's own
  make_definitions.py deep GROUPS FILE     one line nesting GROUPS groups
  make_definitions.py long UNITS FILE      one line of UNITS units
  make_definitions.py edge COPIES FILE     the corner cases of the line rules
  make_definitions.py edge8 COPIES FILE    the same in UTF-8 with its mark

The string table is shaped like a large application's: modules at the top,
screens, panels and controls below them, names 1 to 6 segments deep, most
entries 3 or 4 deep, several to a few dozen entries per group. Lines come in
the clustered order people keep such files in, with a few stragglers added
at the end and a few names defined twice. Texts are 10 to 60 units, about a
third Japanese. The other shapes are what generators and merges of many
modules produce; each has its own seed. The output depends only on the
arguments.
"""
import random
import sys

WORDS = (
    "File Edit View Tools Help Window Account Settings Profile Search Print Export Import "
    "Open Save Close Cancel Apply Delete Rename Copy Paste Undo Redo Share Sync Login Logout "
    "Dialog Panel Page Tab Menu Toolbar Status Button Label Tooltip Title Message Error Warning "
    "Confirm Prompt Hint Caption Header Footer Column Row Filter Sort Group Option Preference "
    "Network Proxy Storage Cache Update Download Upload Progress Notification Calendar Contact "
    "Invoice Order Customer Product Report Chart Summary Detail History Archive Backup Restore"
).split()

ENGLISH = (
    "the file could not be saved because another program is using it please try again later "
    "select an item from the list to see its details here changes will apply after restart "
    "your session has expired sign in again to continue working on this document "
    "are you sure you want to delete the selected items this cannot be undone %s of %s"
).split()

# Hiragana, katakana and common kanji, as found in translated UI strings.
JAPANESE = (
    "ファイルを保存できませんでした。もう一度お試しください。"
    "選択した項目を削除してもよろしいですか？この操作は元に戻せません。"
    "設定は再起動後に有効になります。セッションの有効期限が切れました。"
    "ネットワークに接続できません。プロキシの設定を確認してください。"
    "印刷プレビューを表示しています。検索結果がありません。"
)

# Subgroups per group at each depth (root at depth 0), and entries per group:
# a module has about 100 entries, most of them 3 or 4 segments deep.
FANOUT = [(0, 0), (3, 13), (0, 3), (0, 1), (0, 1), (0, 0)]
ENTRIES = [(1, 3), (5, 25), (2, 8), (1, 4), (1, 3), (1, 3)]


def unique_segments(rng, count):
    """`count` distinct sibling names: a word, two words, or a numbered word."""
    names = []
    seen = set()
    while len(names) < count:
        roll = rng.random()
        word = rng.choice(WORDS)
        if roll < 0.2:
            word += rng.choice(WORDS)
        elif roll < 0.3:
            word += str(rng.randint(1, 9))
        if word not in seen:
            seen.add(word)
            names.append(word)
    return names


def text_units(rng):
    length = rng.randint(10, 60)
    if rng.random() < 1 / 3:
        start = rng.randrange(len(JAPANESE))
        text = (JAPANESE * 2)[start:start + length]
    else:
        words = []
        while sum(len(w) + 1 for w in words) < length:
            words.append(rng.choice(ENGLISH))
        text = " ".join(words)[:length]
        text = text[0].upper() + text[1:]
    return text


def string_table(count, rng):
    """Yields (name, text) pairs in a clustered file order."""
    produced = 0
    for leaf in unique_segments(rng, rng.randint(*ENTRIES[0])):
        yield leaf, text_units(rng)
        produced += 1
    module = 0
    while produced < count:
        # One module, walked depth first with an explicit stack.
        top = WORDS[module % len(WORDS)] + (str(module // len(WORDS)) if module >= len(WORDS) else "")
        stack = [(top, 1)]
        module += 1
        while stack and produced < count:
            path, depth = stack.pop()
            for leaf in unique_segments(rng, rng.randint(*ENTRIES[depth])):
                yield path + "." + leaf, text_units(rng)
                produced += 1
                if produced >= count:
                    return
            if depth + 1 < 6:
                low, high = FANOUT[depth]
                for child in reversed(unique_segments(rng, rng.randint(low, high))):
                    stack.append((path + "." + child, depth + 1))


def write_entries(count, path):
    rng = random.Random(20261208)
    lines = []
    stragglers = []
    for name, text in string_table(count, rng):
        roll = rng.random()
        if roll < 0.03:
            stragglers.append(name + "=" + text)        # defined out of place
        elif roll < 0.035:
            lines.append(name + "=" + text_units(rng))   # defined twice,
            stragglers.append(name + "=" + text)         # the later one wins
        else:
            lines.append(name + "=" + text)
        if len(lines) >= 20000:
            flush(path, lines)
    rng.shuffle(stragglers)
    lines.extend(stragglers)
    flush(path, lines)


# ---------------------------------------------------------------- other shapes

def table_names(count, seed):
    """The names of a clustered string table of `count` entries."""
    return [name for name, _ in string_table(count, random.Random(seed))]


def write_lines(path, lines_of):
    """Writes the lines `lines_of` yields, in pieces."""
    lines = []
    for line in lines_of:
        lines.append(line)
        if len(lines) >= 20000:
            flush(path, lines)
    flush(path, lines)


def random_segment(rng):
    """A word, often numbered: about 9 thousand different segments."""
    word = rng.choice(WORDS)
    return word + str(rng.randrange(100)) if rng.random() < 0.5 else word


def write_random(count, path):
    # Names 1 to 6 segments deep, every segment drawn afresh, lines in no
    # order: past the second level almost every entry has its own group path.
    rng = random.Random(20261211)

    def lines():
        for _ in range(count):
            depth = rng.randint(1, 6)
            yield ".".join(random_segment(rng) for _ in range(depth)) + "=" + text_units(rng)
    write_lines(path, lines())


def write_sixdeep(count, path):
    # As `random`, but every name six segments deep: past the first level each
    # entry brings almost four groups of its own.
    rng = random.Random(20261216)

    def lines():
        for _ in range(count):
            yield ".".join(random_segment(rng) for _ in range(6)) + "=" + text_units(rng)
    write_lines(path, lines())


def write_flat(count, path):
    # The table's names with "_" for ".": all in the top level, shuffled.
    rng = random.Random(20261212)
    names = [name.replace(".", "_") for name in table_names(count, 20261212)]
    rng.shuffle(names)
    write_lines(path, (name + "=" + text_units(rng) for name in names))


def write_wide(count, path):
    # One group per table name under the top level, each with one entry.
    rng = random.Random(20261213)
    names = [name.replace(".", "_") for name in table_names(count, 20261213)]
    rng.shuffle(names)
    write_lines(path, (name + ".Text=" + text_units(rng) for name in names))


def write_repeat(count, path):
    # count/100 table names, each line one of them at random: every name is
    # defined about a hundred times, the last definition wins.
    rng = random.Random(20261214)
    names = table_names(max(1, count // 100), 20261214)
    write_lines(path, (rng.choice(names) + "=" + text_units(rng) for _ in range(count)))


def write_descending(count, path):
    # The clustered table sorted backwards by name (by code unit; a name
    # defined twice keeps its two lines in their order).
    rng = random.Random(20261215)
    pairs = list(string_table(count, rng))
    pairs.sort(key=lambda pair: pair[0], reverse=True)
    write_lines(path, (name + "=" + text for name, text in pairs))


_started = set()


def flush(path, lines):
    mode = "ab" if path in _started else "wb"
    with open(path, mode) as out:
        if path not in _started:
            out.write(b"\xff\xfe")
            _started.add(path)
        out.write(("\r\n".join(lines) + "\r\n").encode("utf-16-le"))
    lines.clear()


def write_deep(groups, path):
    line = ".".join(["g"] * (groups + 1)) + "=deep\r\n"
    with open(path, "wb") as out:
        out.write(b"\xff\xfe" + line.encode("utf-16-le"))


def write_long(units, path):
    with open(path, "wb") as out:
        out.write(b"\xff\xfe" + "Long.Text=".encode("utf-16-le"))
        piece = ("長い文章の一部。" + "A long text piece. ") * 1000
        left = units - len("Long.Text=") - 2
        while left > 0:
            chunk = piece[:left]
            out.write(chunk.encode("utf-16-le"))
            left -= len(chunk)
        out.write("\r\n".encode("utf-16-le"))


def write_edge(copies, path, utf8=False):
    """Lines that exercise every rule the tree and the writers apply."""
    lines = [
        "Title=Hello", "Zeta=a=b", "Menu.Edit=Edit", "Menu.Sub.Open=Reopen",
        "b=1", "a=2", "B=3", "ab=4", "=empty name", "a..b=x", ".c=y", "a.=z",
        "A=entry", "A.B=group and entry", "Dup=first", "Dup=second",
        " spaced = text ", "tab\tname=tab\ttext", "quote=\"q\" \\ %s %d",
        "cr\rname=x", "lone=before\rafter", "nul=before\0after=x", "nul\0=ignored",
        "ffff=be\uffffyond", "\U0001F600=smile", "\ue000=private", "\ud7ff=below",
        "comment line without equals", "", "日本.語=テキスト", "latin=café ÿ ¿",
    ]
    # A group with many children, revisited out of order.
    order = list(range(40))
    random.Random(7).shuffle(order)
    lines += ["Wide.G%d.x=%d" % (i, i) for i in range(40)]
    lines += ["Wide.G%d.y=%d" % (i, i) for i in order]
    lines += ["Wide.G%d.Deep.z=%d" % (i, i) for i in reversed(order)]
    body = "\r\n".join(lines) + "\n"  # an LF-only line end too
    text = "".join(body.replace("Menu", "Menu%d" % i) for i in range(copies))
    # Lines of about one read chunk, so that a CR LF and a surrogate pair
    # fall across a chunk boundary somewhere.
    for length in range(131066, 131078):
        text += "Long.L%d=" % length + "x" * (length - 14) + "\U0001F600\r\n"
    text += "last=no line end\r\r\n\x1aafter.end=ignored\r\n"
    with open(path, "wb") as out:
        if utf8:
            out.write(b"\xef\xbb\xbf" + text.encode("utf-8"))
        else:
            out.write(b"\xff\xfe" + text.encode("utf-16-le", "surrogatepass"))


WRITERS = {
    "entries": write_entries, "random": write_random, "flat": write_flat, "wide": write_wide,
    "repeat": write_repeat, "descending": write_descending, "sixdeep": write_sixdeep,
    "deep": write_deep, "long": write_long, "edge": write_edge,
    "edge8": lambda copies, path: write_edge(copies, path, utf8=True),
}


def main():
    if len(sys.argv) != 4 or sys.argv[1] not in WRITERS:
        sys.exit(__doc__)
    kind, size, path = sys.argv[1], int(sys.argv[2]), sys.argv[3]
    WRITERS[kind](size, path)


if __name__ == "__main__":
    main()
