#!/usr/bin/python3
"""Mutation run of the core: how many planted faults do the tests catch?

Samples mutants of the C++ sources under the named folders with a fixed seed (a file is chosen
with a weight of its lines of code, then one of its mutation sites), builds each one
incrementally in its own build folder, runs the GoogleTest suite with a time limit and reports
the score per file and the mutants that survived.

    /usr/bin/python3 tools/mutants/run_mutants.py [options] src/document src/analysis src/pipeline tools/cli

Operators: relational-boundary (< <=, > >=), relational-negate (< >=, > <=, == !=), plus-minus
(binary + -, += -=), constant (integer literal +1 and -1), delete-statement (an expression
statement, break, continue, throw or a bare return) and return-bool (return true/false).

Each mutant is built in its own build folder (Release, default build-mutants): ninja
recompiles the mutated object first, and a mutant whose object file comes out byte for byte
the original's is equivalent and not tested; one that does not build is skipped. Otherwise the
tests are relinked and `core_tests` runs with a limit of 4 x the unmutated run, at least 60 s;
a time-out counts as killed. The table per file, the score and the survivors are printed and
written to <build>/mutants-report.txt; mutants-report.json adds every mutant with the tests that
killed it and, per test, its kills and the kills no other test made. --list prints the sample
without building, --only FILE runs one file's share of it, --all every site instead of a sample.
Its own tests, which ctest runs as tools_MutationRun:
/usr/bin/python3 tools/mutants/test_run_mutants.py

The source is changed in place and always put back: the original is first written to a backup
in the build folder, the file is restored in a `finally` with SIGINT, SIGTERM and SIGHUP turned
into exceptions (and held off while a file is being written), and a backup left by a run that
was killed outright is restored at the start of the next run.
"""
import argparse
import bisect
import contextlib
import ctypes
import fcntl
import hashlib
import json
import os
import random
import re
import shlex
import shutil
import signal
import subprocess
import sys
import tempfile
import time
from dataclasses import asdict, dataclass, field
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
DEFAULT_FOLDERS = ["src/document", "src/analysis", "src/pipeline", "tools/cli"]
SOURCE_SUFFIXES = (".cpp", ".cc", ".cxx")
TEST_TARGET = "core_tests"
TEST_BINARY = "tests/core_tests"

# ---------------------------------------------------------------------------------------------
# Lexer


@dataclass(frozen=True)
class Token:
    kind: str  # id, num, str, chr, punct
    text: str
    start: int
    end: int
    line: int
    col: int


PUNCTUATORS = sorted(
    """<=> <<= >>= ... ->* :: -> ++ -- << >> <= >= == != && || += -= *= /= %= &= |= ^= .* ##
    { } [ ] ( ) ; : , . ? ~ ! + - * / % ^ & | = < > #""".split(),
    key=len,
    reverse=True,
)
IDENT_RE = re.compile(r"[A-Za-z_][A-Za-z0-9_]*")
# A preprocessing number: digits, letters, dots, digit separators and signed exponents.
NUMBER_RE = re.compile(r"\.?[0-9](?:[0-9A-Za-z_.]|'(?=[0-9A-Za-z])|(?<=[eEpP])[+-])*")
RAW_PREFIXES = {"R", "u8R", "uR", "UR", "LR"}
STRING_PREFIXES = {"u8", "u", "U", "L"}


def tokenize(text):
    """Tokens of C++ source without comments, preprocessor lines and whitespace."""
    tokens = []
    i, n = 0, len(text)
    line_starts = [0] + [m.end() for m in re.finditer("\n", text)]

    def position(offset):
        line = bisect.bisect_right(line_starts, offset)
        return line, offset - line_starts[line - 1] + 1

    def skip_quoted(j, quote):  # j is just past the opening quote
        while j < n and text[j] != quote and text[j] != "\n":
            j += 2 if text[j] == "\\" else 1
        return min(j + 1, n)

    def add(kind, start, end):
        line, col = position(start)
        tokens.append(Token(kind, text[start:end], start, end, line, col))

    line_begins = True  # only whitespace since the last newline
    while i < n:
        c = text[i]
        if c == "\n":
            line_begins = True
            i += 1
            continue
        if c in " \t\r\f\v":
            i += 1
            continue
        if c == "\\" and text.startswith("\n", i + 1):
            i += 2
            continue
        if text.startswith("//", i):
            end = text.find("\n", i)
            i = n if end < 0 else end
            continue
        if text.startswith("/*", i):
            end = text.find("*/", i + 2)
            i = n if end < 0 else end + 2
            continue
        if c == "#" and line_begins:
            # A directive runs to the end of the line, continued by a backslash.
            while i < n and text[i] != "\n":
                if text[i] == "\\" and text.startswith("\n", i + 1):
                    i += 2
                elif text.startswith("/*", i):
                    end = text.find("*/", i + 2)
                    i = n if end < 0 else end + 2
                else:
                    i += 1
            continue
        line_begins = False
        start = i
        m = IDENT_RE.match(text, i)
        if m:
            word, j = m.group(), m.end()
            if j < n and text[j] == '"' and word in RAW_PREFIXES:
                open_paren = text.find("(", j + 1)
                delimiter = text[j + 1 : open_paren] if open_paren >= 0 else ""
                close = text.find(")" + delimiter + '"', open_paren + 1)
                i = n if open_paren < 0 or close < 0 else close + len(delimiter) + 2
                kind = "str"
            elif j < n and text[j] in "\"'" and word in STRING_PREFIXES:
                i = skip_quoted(j + 1, text[j])
                kind = "str" if text[j] == '"' else "chr"
            else:
                add("id", start, j)
                i = j
                continue
            m = IDENT_RE.match(text, i)  # a user-defined literal suffix
            i = m.end() if m else i
            add(kind, start, i)
            continue
        m = NUMBER_RE.match(text, i)
        if m:
            add("num", start, m.end())
            i = m.end()
            continue
        if c in "\"'":
            i = skip_quoted(i + 1, c)
            m = IDENT_RE.match(text, i)
            i = m.end() if m else i
            add("str" if c == '"' else "chr", start, i)
            continue
        for p in PUNCTUATORS:
            if text.startswith(p, i):
                add("punct", start, i + len(p))
                i += len(p)
                break
        else:
            i += 1  # a stray character ($, @, a non-ASCII letter): not a token we mutate
    return tokens


# ---------------------------------------------------------------------------------------------
# Mutation sites


@dataclass
class Mutant:
    file: str  # relative to the source root
    line: int
    col: int
    op: str
    original: str
    replacement: str
    start: int
    end: int
    id: int = 0

    def where(self):
        return f"{self.file}:{self.line}:{self.col}"

    def describe(self):
        return f"{self.where()}  {self.op}  {show(self.original)} -> {show(self.replacement)}"


def show(text, limit=70):
    text = " ".join(text.split())
    text = text if len(text) <= limit else text[: limit - 3] + "..."
    return repr(text)


# Tokens inside template argument lists; anything else stops the search for the closing `>`.
TEMPLATE_STOPPERS = {
    ";", "{", "}", "&&", "||", "?", ":", "=", "==", "!=", "<=", ">=", "<=>", "+=", "-=", "*=",
    "/=", "%=", "&=", "|=", "^=", "<<=", ">>=", "!", "|", "^", "%", "/", "->", "<<", ".", "return",
}


def find_templates(tokens):
    """Positions of template angle brackets: (openers, closers, tokens inside)."""
    openers, closers, inside = set(), set(), set()
    for i, t in enumerate(tokens):
        if t.text != "<" or i == 0:
            continue
        if tokens[i - 1].kind != "id" or tokens[i - 1].text == "operator":
            continue
        is_template_head = tokens[i - 1].text == "template"
        depth, parens, mine = 1, 0, []
        for j in range(i + 1, min(i + 80, len(tokens))):
            u = tokens[j].text
            if parens > 0:
                if u in (";", "{", "}"):
                    break
                parens += 1 if u in "([" else -1 if u in ")]" else 0
                continue
            if u == "<":
                if tokens[j - 1].kind != "id":
                    break
                depth += 1
            elif u in (">", ">>"):
                depth -= len(u)
                mine.append(j)
                if depth <= 0:
                    openers.add(i)
                    closers.update(mine)
                    inside.update(range(i + 1, j))
                    break
            elif u in ("(", "["):
                parens += 1
            elif u in (")", "]"):
                break
            elif u in TEMPLATE_STOPPERS and not (is_template_head and u == "="):
                break
    return openers, closers, inside


CONTROL_KEYWORDS = {"if", "for", "while", "switch", "catch"}
FUNCTION_BODY_AFTER = {")", "const", "noexcept", "override", "final", "mutable", "]", "}"}
# Words that start a declaration or a control statement, never an expression statement.
NOT_EXPRESSION_START = {
    "alignas", "alignof", "auto", "bool", "break", "case", "catch", "char", "char8_t",
    "char16_t", "char32_t", "class", "co_await", "co_return", "co_yield", "const", "consteval",
    "constexpr", "constinit", "continue", "decltype", "default", "delete", "do", "double",
    "else", "enum", "explicit", "extern", "float", "for", "friend", "goto", "if", "inline",
    "int", "long", "mutable", "namespace", "new", "noexcept", "operator", "private",
    "protected", "public", "register", "return", "short", "signed", "sizeof", "static",
    "static_assert", "struct", "switch", "template", "thread_local", "throw", "try", "typedef",
    "typename", "union", "unsigned", "using", "virtual", "void", "volatile", "wchar_t", "while",
}
# After the (qualified) name that starts a statement, these make it an expression statement.
EXPRESSION_FOLLOW = {
    "(", "=", "+=", "-=", "*=", "/=", "%=", "&=", "|=", "^=", "<<=", ">>=", ".", "->", "[",
    "++", "--", "<<",
}
# Words after which a `+` or `-` is unary and a `name[N]` is an index, not a declaration.
OPERAND_LESS = {
    "return", "case", "throw", "co_return", "co_yield", "co_await", "else", "do", "sizeof",
    "alignof", "delete", "new", "and", "or", "not", "xor", "goto",
}


def classify_brace(tokens, k, outer, since):
    """Kind of the block the `{` at k opens: code, class, ns or init."""
    prev = tokens[k - 1].text if k > 0 else ""
    head = [t.text for t in tokens[since:k]]
    if outer == "code":
        if prev in (";", "{", "}", ")", "]", "else", "do", "try", ":", "mutable", "noexcept"):
            return "code"
        if "->" in head and ")" in head:  # a lambda with a trailing return type
            return "code"
        return "class" if head and head[0] in ("struct", "class", "union", "enum") else "init"
    if "namespace" in head or (head[:1] == ["extern"] and len(head) == 2):
        return "ns"
    if prev in FUNCTION_BODY_AFTER or ("->" in head and ")" in head):
        return "code"
    if any(w in head for w in ("struct", "class", "union", "enum")) and "(" not in head:
        return "class"
    return "init"


def statement_starts(tokens):
    """Indices of the tokens that begin a statement in a function body."""
    starts = []
    frames = [("ns", 0)]  # kind, paren depth at the brace
    parens = []  # one entry per open ( or [: does it close a control head?
    at_start = False
    first = None  # the first token of the current statement
    since = 0  # start of the current declaration outside function bodies
    for k, t in enumerate(tokens):
        kind, depth = frames[-1]
        level = kind == "code" and len(parens) == depth
        if level and at_start and t.text not in ("{", "}", ";"):
            starts.append(k)
            first = k
            at_start = False
        u = t.text
        if t.kind != "punct" and u not in ("else", "do", "try"):
            continue
        if u in ("(", "["):
            before = tokens[k - 1].text if k > 0 else ""
            control = u == "(" and (
                before in CONTROL_KEYWORDS
                or (before == "constexpr" and k > 1 and tokens[k - 2].text == "if")
            )
            parens.append(control)
        elif u in (")", "]"):
            control = parens.pop() if parens else False
            if control and kind == "code" and len(parens) == depth:
                at_start = True
        elif u == "{":
            new_kind = classify_brace(tokens, k, kind, since)
            frames.append((new_kind, len(parens)))
            at_start = new_kind == "code"
            since = k + 1
        elif u == "}":
            closed = frames.pop() if len(frames) > 1 else frames[0]
            del parens[closed[1] :]
            kind, depth = frames[-1]
            at_start = kind == "code" and closed[0] != "init" and len(parens) == depth
            since = k + 1
        elif u == ";":
            at_start = level
            since = k + 1
        elif u in ("else", "do", "try"):
            at_start = level
        elif u == ":" and level and first is not None and tokens[first].text in ("case", "default"):
            at_start = True
    return starts


def statement_end(tokens, k):
    """Index of the `;` that ends the statement at k, or None if it holds a block."""
    depth = 0
    for j in range(k, min(k + 400, len(tokens))):
        u = tokens[j].text
        if u in ("{", "}"):
            return None
        if u in ("(", "["):
            depth += 1
        elif u in (")", "]"):
            depth -= 1
            if depth < 0:
                return None
        elif u == ";" and depth == 0:
            return j
    return None


def is_expression_statement(tokens, k, end):
    t = tokens[k]
    if t.text in ("++", "--", "this", "*"):
        return True
    p = k + 1 if t.text == "::" else k
    if p >= end or tokens[p].kind != "id" or tokens[p].text in NOT_EXPRESSION_START:
        return False
    p += 1
    while p + 1 < end and tokens[p].text == "::" and tokens[p + 1].kind == "id":
        p += 2
    return p < end and tokens[p].text in EXPRESSION_FOLLOW


INTEGER_RE = re.compile(
    r"^(?P<digits>0[xX][0-9a-fA-F']+|0[bB][01']+|[0-9][0-9']*)(?P<suffix>(?:[uU]|[lL]|[zZ])*)$"
)


def shifted_integer(text, delta):
    """The integer literal `text` plus delta in the same base, or None."""
    m = INTEGER_RE.match(text)
    if not m:
        return None
    digits, suffix = m.group("digits").replace("'", ""), m.group("suffix")
    lower = digits.lower()
    if lower.startswith("0x"):
        base, prefix = 16, digits[:2]
    elif lower.startswith("0b"):
        base, prefix = 2, digits[:2]
    elif len(digits) > 1 and digits[0] == "0":
        base, prefix = 8, "0"
    else:
        base, prefix = 10, ""
    value = int(digits[len(prefix) :] or "0", base) + delta
    if value < 0:
        return None if "u" in suffix.lower() else "(-1)"
    body = {16: "x", 2: "b", 8: "o", 10: "d"}[base]
    body = format(value, body)
    if base == 16 and any(ch.isupper() for ch in digits[2:]):
        body = body.upper()
    if base == 8 and value == 0:
        prefix = ""
    return prefix + body + suffix


RELATIONAL = {
    "<": [("relational-boundary", "<="), ("relational-negate", ">=")],
    "<=": [("relational-boundary", "<"), ("relational-negate", ">")],
    ">": [("relational-boundary", ">="), ("relational-negate", "<=")],
    ">=": [("relational-boundary", ">"), ("relational-negate", "<")],
    "==": [("relational-negate", "!=")],
    "!=": [("relational-negate", "==")],
}
DECLARATOR_BEFORE = {"*"}  # an array of pointers


def in_array_size(tokens, k, closers):
    """True for a token in the N of `type name[N]`, a declaration rather than an index."""
    depth = 0
    for j in range(k - 1, max(k - 20, 1), -1):
        u = tokens[j].text
        if u in (")", "]"):
            depth += 1
        elif u == "(" and depth:
            depth -= 1
        elif u == "[" and depth:
            depth -= 1
        elif u == "[":
            name, before = tokens[j - 1], tokens[j - 2]
            if name.kind != "id" or name.text in OPERAND_LESS:
                return False
            if before.kind == "id":
                return before.text not in OPERAND_LESS
            return before.text in DECLARATOR_BEFORE or j - 2 in closers
        elif u in (";", "{", "}", "(", "=", ","):
            return False
    return False


def find_sites(text, file="<source>"):
    """Every mutant of one C++ source, in source order."""
    tokens = tokenize(text)
    openers, closers, inside = find_templates(tokens)
    sites = []

    def add(t, op, replacement, end_token=None):
        end = (end_token or t).end
        original = text[t.start : end]
        sites.append(Mutant(file, t.line, t.col, op, original, replacement, t.start, end))

    for k, t in enumerate(tokens):
        prev = tokens[k - 1] if k > 0 else None
        nxt = tokens[k + 1] if k + 1 < len(tokens) else None
        after_operator = prev is not None and prev.text == "operator"
        if t.kind == "punct" and t.text in RELATIONAL:
            if after_operator or k in openers or k in closers or k in inside:
                continue
            for op, replacement in RELATIONAL[t.text]:
                add(t, op, replacement)
        elif t.kind == "punct" and t.text in ("+", "-", "+=", "-="):
            if after_operator or k in inside or prev is None or nxt is None:
                continue
            if in_array_size(tokens, k, closers):
                continue
            if prev.kind == "str" or nxt.kind == "str":
                continue  # string concatenation
            if len(t.text) == 1:
                operand = (prev.kind in ("id", "num", "chr") and prev.text not in OPERAND_LESS) or (
                    prev.text in (")", "]")
                )
                if not operand:
                    continue  # unary
            add(t, "plus-minus", {"+": "-", "-": "+", "+=": "-=", "-=": "+="}[t.text])
        elif t.kind == "num":
            if k in inside or in_array_size(tokens, k, closers):
                continue
            if prev is not None and prev.text == "=" and nxt is not None and nxt.text == ";":
                if k > 1 and tokens[k - 2].text in (")", "const", "override", "noexcept"):
                    continue  # a pure virtual function
            for delta in (1, -1):
                shifted = shifted_integer(t.text, delta)
                if shifted is not None:
                    add(t, "constant", shifted)
        elif t.text in ("true", "false") and t.kind == "id":
            if prev is not None and prev.text == "return" and nxt is not None and nxt.text == ";":
                add(t, "return-bool", "false" if t.text == "true" else "true")

    for k in statement_starts(tokens):
        end = statement_end(tokens, k)
        if end is None:
            continue
        first = tokens[k].text
        deletable = (
            (first in ("break", "continue", "return") and end == k + 1)
            or first == "throw"
            or is_expression_statement(tokens, k, end)
        )
        if deletable:
            original = text[tokens[k].start : tokens[end].end]
            # Keep the line count, so that every later line keeps its number.
            add(tokens[k], "delete-statement", ";" + "\n" * original.count("\n"), tokens[end])

    sites.sort(key=lambda m: (m.start, m.op, m.replacement))
    return sites


def code_lines(text):
    """Lines holding at least one token: the size a file is weighted with."""
    return len({t.line for t in tokenize(text)})


def apply(text, mutant):
    if text[mutant.start : mutant.end] != mutant.original:
        raise ValueError(f"{mutant.where()}: the source no longer reads {mutant.original!r}")
    return text[: mutant.start] + mutant.replacement + text[mutant.end :]


def source_files(root, folders):
    files = []
    for folder in folders:
        base = (root / folder).resolve()
        if not base.is_dir():
            raise SystemExit(f"run_mutants: no folder {folder}")
        files += [p for p in sorted(base.rglob("*")) if p.suffix in SOURCE_SUFFIXES and p.is_file()]
    return sorted({p.relative_to(root).as_posix() for p in files})


def sample(sites_by_file, weights, count, seed):
    """`count` mutants: a file drawn with its weight, then one of its sites, without repeats.
    The result depends only on the sources, the seed and the count."""
    rng = random.Random(seed)
    remaining = {f: list(s) for f, s in sites_by_file.items() if s and weights.get(f, 0) > 0}
    chosen = []
    while len(chosen) < count and remaining:
        files = sorted(remaining)
        f = rng.choices(files, weights=[weights[x] for x in files])[0]
        chosen.append(remaining[f].pop(rng.randrange(len(remaining[f]))))
        if not remaining[f]:
            del remaining[f]
    for number, m in enumerate(chosen, 1):
        m.id = number
    return chosen


# ---------------------------------------------------------------------------------------------
# Restoring the sources


class Interrupted(BaseException):
    """SIGTERM or SIGHUP: unwinds like Ctrl-C so that every `finally` restores its file."""

    def __init__(self, signum):
        super().__init__(signal.Signals(signum).name)
        self.signum = signum


STOP_SIGNALS = (signal.SIGINT, signal.SIGTERM, signal.SIGHUP)


def install_signal_handlers():
    def stop(signum, _frame):
        raise Interrupted(signum)

    signal.signal(signal.SIGINT, signal.default_int_handler)
    signal.signal(signal.SIGTERM, stop)
    signal.signal(signal.SIGHUP, stop)


@contextlib.contextmanager
def signals_held():
    """Holds the stop signals off while a file is half written; they arrive right after."""
    old = signal.pthread_sigmask(signal.SIG_BLOCK, STOP_SIGNALS)
    try:
        yield
    finally:
        signal.pthread_sigmask(signal.SIG_SETMASK, old)


def write_atomically(path, data):
    """Replaces path with data through a temporary file beside it, keeping its mode."""
    path = Path(path)
    temporary = path.with_name(path.name + ".mutants-tmp")
    mode = path.stat().st_mode if path.exists() else None
    with open(temporary, "wb") as f:
        f.write(data)
        f.flush()
        os.fsync(f.fileno())
    if mode is not None:
        os.chmod(temporary, mode & 0o7777)
    os.replace(temporary, path)


class SourceGuard:
    """Changes a source file for one mutant and always puts the original back.

    Before the file is touched, its original text (`<file>.orig`) and the mutated text
    (`<file>.mutant`) are written under backup_dir. A backup that is still there at the start
    of a run belongs to a run that was killed: restore_leftovers() puts it back, unless the file
    has been edited since, which it reports and leaves alone."""

    def __init__(self, root, backup_dir):
        self.root = Path(root)
        self.backup_dir = Path(backup_dir)

    def _backup(self, rel):
        base = self.backup_dir / rel
        return base.with_name(base.name + ".orig"), base.with_name(base.name + ".mutant")

    @contextlib.contextmanager
    def mutated(self, rel, new_text):
        path = self.root / rel
        original = path.read_bytes()
        orig_backup, mutant_copy = self._backup(rel)
        try:
            with signals_held():
                orig_backup.parent.mkdir(parents=True, exist_ok=True)
                write_atomically(orig_backup, original)
                write_atomically(mutant_copy, new_text.encode())
                write_atomically(path, new_text.encode())
            yield path
        finally:
            with signals_held():
                if orig_backup.exists():
                    write_atomically(path, original)
                    orig_backup.unlink()
                mutant_copy.unlink(missing_ok=True)

    def restore_leftovers(self, log=print):
        """Puts back every file a killed run left mutated; returns the restored paths."""
        restored, conflicts = [], []
        if not self.backup_dir.is_dir():
            return restored
        for orig_backup in sorted(self.backup_dir.rglob("*.orig")):
            rel = orig_backup.relative_to(self.backup_dir).as_posix()[: -len(".orig")]
            path = self.root / rel
            mutant_copy = orig_backup.with_name(orig_backup.name[: -len(".orig")] + ".mutant")
            original = orig_backup.read_bytes()
            current = path.read_bytes() if path.exists() else None
            mutant = mutant_copy.read_bytes() if mutant_copy.exists() else None
            with signals_held():
                if current is None or current == mutant:
                    write_atomically(path, original)
                    restored.append(rel)
                    log(f"run_mutants: restored {rel} from the backup of an interrupted run")
                elif current != original:
                    conflicts.append(rel)
                    continue
                orig_backup.unlink()
                mutant_copy.unlink(missing_ok=True)
                path.with_name(path.name + ".mutants-tmp").unlink(missing_ok=True)
        for temporary in self.backup_dir.rglob("*.mutants-tmp"):
            temporary.unlink(missing_ok=True)
        if conflicts:
            raise SystemExit(
                "run_mutants: these files changed since an interrupted run mutated them; compare "
                f"each with its backup under {self.backup_dir} and delete the backup:\n  "
                + "\n  ".join(conflicts)
            )
        return restored


@contextlib.contextmanager
def tree_lock(root):
    """One mutation run per source tree at a time, whatever its build folder."""
    digest = hashlib.sha1(str(Path(root).resolve()).encode()).hexdigest()[:12]
    path = Path(tempfile.gettempdir()) / f"vorlix-mutants-{os.getuid()}-{digest}.lock"
    with open(path, "w") as f:
        try:
            fcntl.flock(f, fcntl.LOCK_EX | fcntl.LOCK_NB)
        except BlockingIOError:
            raise SystemExit(f"run_mutants: another mutation run is working in {root}")
        yield


# ---------------------------------------------------------------------------------------------
# Building and testing


@dataclass
class Outcome:
    status: str  # killed, timeout, survived, not-compiled, same-object, skipped
    killers: list = field(default_factory=list)
    detail: str = ""
    build_s: float = 0.0
    test_s: float = 0.0


def stop_group(process):
    """Stops a child and everything it started (it leads its own session)."""
    for sig, grace in ((signal.SIGTERM, 5), (signal.SIGKILL, 5)):
        try:
            os.killpg(process.pid, sig)
        except ProcessLookupError:
            return
        try:
            process.wait(grace)
            return
        except subprocess.TimeoutExpired:
            pass


def die_with_parent():
    """In the child: a SIGKILL when this script dies, so that no test loops on unwatched."""
    try:
        ctypes.CDLL(None, use_errno=True).prctl(1, signal.SIGKILL)  # PR_SET_PDEATHSIG
    except (OSError, AttributeError):
        pass


def run(cmd, cwd, timeout=None, env=None):
    """(exit code or None on time-out, output, seconds)."""
    begin = time.monotonic()
    process = subprocess.Popen(
        cmd, cwd=cwd, env=env, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
        stdin=subprocess.DEVNULL, start_new_session=True, preexec_fn=die_with_parent,
    )
    try:
        output, _ = process.communicate(timeout=timeout)
        code = process.returncode
    except subprocess.TimeoutExpired:
        stop_group(process)
        output, _ = process.communicate()
        code = None
    except BaseException:
        stop_group(process)
        raise
    return code, output.decode(errors="replace"), time.monotonic() - begin


FAILED_RE = re.compile(r"^\[  FAILED  \] ([A-Za-z_][\w/]*\.[\w/]+)", re.M)


def failed_tests(output):
    return sorted(set(FAILED_RE.findall(output)))


def first_error(output):
    for line in output.splitlines():
        if "error" in line:
            return line.strip()[:300]
    return output.strip().splitlines()[-1][:300] if output.strip() else ""


class Bench:
    def __init__(self, root, build_dir, jobs, fail_fast, log):
        self.root, self.build_dir, self.jobs, self.log = root, build_dir, jobs, log
        self.fail_fast = fail_fast
        self.ninja = shutil.which("ninja") or "ninja"
        self.objects = {}
        self.baseline = {}
        self.timeout = None
        self.scratch = build_dir / "mutants-tmp"

    def build(self, targets, timeout=1800):
        cmd = [self.ninja, "-C", str(self.build_dir), "-j", str(self.jobs)] + targets
        return run(cmd, self.root, timeout)

    def prepare(self, files, min_timeout, factor, timeout):
        if not (self.build_dir / "build.ninja").exists():
            self.log(f"Configuring {self.build_dir} (Release)")
            code, output, _ = run(
                ["cmake", "-S", str(self.root), "-B", str(self.build_dir), "-G", "Ninja",
                 "-DCMAKE_BUILD_TYPE=Release", "-DVORLIX_BUILD_BENCH=OFF"], self.root)
            if code != 0:
                raise SystemExit(f"run_mutants: cmake failed\n{output}")
        self.log(f"Building {TEST_TARGET} in {self.build_dir}")
        code, output, seconds = self.build([TEST_TARGET])
        if code != 0:
            raise SystemExit(f"run_mutants: the unmutated build fails\n{output[-4000:]}")
        self.log(f"  built in {seconds:.0f} s")
        commands = json.loads((self.build_dir / "compile_commands.json").read_text())
        for entry in commands:
            source = Path(entry["directory"], entry["file"]).resolve()
            if not source.is_relative_to(self.root):
                continue
            rel = source.relative_to(self.root).as_posix()
            if rel not in files:
                continue
            args = entry.get("arguments") or shlex.split(entry["command"])
            output_path = entry.get("output") or args[args.index("-o") + 1]
            obj = Path(entry["directory"], output_path).resolve()
            self.objects.setdefault(rel, []).append(obj.relative_to(self.build_dir).as_posix())
        for rel, objs in self.objects.items():
            self.baseline[rel] = [self.digest(o) for o in objs]
        code, output, seconds = self.test(1800)
        if code != 0:
            raise SystemExit(
                "run_mutants: the tests fail without a mutant; mend them first:\n  "
                + "\n  ".join(failed_tests(output) or [first_error(output)])
            )
        self.timeout = timeout or max(min_timeout, factor * seconds)
        self.log(f"Unmutated tests: {seconds:.1f} s; time limit per run {self.timeout:.0f} s")
        return seconds

    def digest(self, obj):
        path = self.build_dir / obj
        return hashlib.sha256(path.read_bytes()).hexdigest() if path.exists() else None

    def stamp(self, obj):
        path = self.build_dir / obj
        return path.stat().st_mtime_ns if path.exists() else None

    def test(self, timeout):
        shutil.rmtree(self.scratch, ignore_errors=True)
        self.scratch.mkdir(parents=True)
        env = dict(os.environ, GTEST_COLOR="no", TMPDIR=str(self.scratch))
        cmd = [str(self.build_dir / TEST_BINARY), "--gtest_brief=1"]
        if self.fail_fast:
            cmd.append("--gtest_fail_fast")
        try:
            return run(cmd, self.build_dir / "tests", timeout, env)
        finally:
            shutil.rmtree(self.scratch, ignore_errors=True)

    def try_mutant(self, rel):
        """Builds and tests the tree as it stands, with `rel` mutated."""
        objs = self.objects.get(rel)
        if not objs:
            return Outcome("skipped", detail="no compile command for this file")
        stamps = [self.stamp(o) for o in objs]
        code, output, build_s = self.build(objs)
        if code != 0:
            return Outcome("not-compiled", detail=first_error(output), build_s=build_s)
        if any(self.stamp(o) == s for o, s in zip(objs, stamps)):
            # An object ninja did not rebuild would pass for an equivalent mutant.
            return Outcome("skipped", detail="ninja did not rebuild the object", build_s=build_s)
        if [self.digest(o) for o in objs] == self.baseline[rel]:
            return Outcome("same-object", build_s=build_s)
        code, output, link_s = self.build([TEST_TARGET])
        build_s += link_s
        if code != 0:
            return Outcome("not-compiled", detail=first_error(output), build_s=build_s)
        code, output, test_s = self.test(self.timeout)
        if code is None:
            return Outcome("timeout", build_s=build_s, test_s=test_s)
        if code == 0:
            return Outcome("survived", build_s=build_s, test_s=test_s)
        killers = failed_tests(output)
        detail = "" if killers else f"signal {-code}" if code < 0 else f"exit {code}"
        return Outcome("killed", killers, detail, build_s, test_s)


# ---------------------------------------------------------------------------------------------
# Report

COLUMNS = ["killed", "timeout", "survived", "not-compiled", "same-object"]
HEADINGS = ["Killed", "Timed out", "Survived", "Not compiled", "Same object"]


def tally(records):
    counts = {c: 0 for c in COLUMNS + ["skipped"]}
    for r in records:
        counts[r["status"]] += 1
    caught = counts["killed"] + counts["timeout"]
    tested = caught + counts["survived"]
    counts["tested"] = tested
    counts["score"] = round(100.0 * caught / tested, 1) if tested else None
    return counts


def score_text(counts):
    return "-" if counts["score"] is None else f"{counts['score']:.1f} %"


def make_report(meta, records):
    by_file = {}
    for r in records:
        by_file.setdefault(r["file"], []).append(r)
    files = {f: tally(rs) for f, rs in sorted(by_file.items())}
    total = tally(records)
    width = max([len(f) for f in files] + [len("Total")])
    lines = [
        f"Mutation run of {', '.join(meta['folders'])}: seed {meta['seed']}, "
        f"{meta['sampled']} mutants sampled"
        + (f", {len(records)} run" if meta["interrupted"] else ""),
    ]
    if meta["interrupted"]:
        lines.append(f"INTERRUPTED ({meta['interrupted']}): the table counts only the mutants run.")
    header = f"{'File':<{width}}  " + "  ".join(HEADINGS) + "    Score"
    lines += ["", header, "-" * len(header)]

    def row(name, counts):
        cells = "  ".join(f"{counts[c]:>{len(h)}}" for c, h in zip(COLUMNS, HEADINGS))
        return f"{name:<{width}}  {cells}  {score_text(counts):>7}"

    lines += [row(f, c) for f, c in files.items()]
    lines += ["-" * len(header), row("Total", total), ""]
    lines.append(
        f"Score: {score_text(total)} of the {total['tested']} mutants that built into a changed "
        "object (killed and timed out over killed, timed out and survived)."
    )
    if meta.get("seconds_per_mutant"):
        lines.append(f"Time: {meta['seconds_per_mutant']:.1f} s per mutant on average, "
                     f"{meta['elapsed_s'] / 60:.1f} min in all.")
    survivors = sorted((r for r in records if r["status"] == "survived"),
                       key=lambda r: (r["file"], r["line"], r["col"]))
    lines += ["", f"Survivors ({len(survivors)}):"]
    for r in survivors:
        lines.append(f"  #{r['id']:<4} {r['file']}:{r['line']}  {r['op']}  "
                     f"{show(r['original'])} -> {show(r['replacement'])}")
    silent = meta.get("silent_suites")
    if silent is not None and total["tested"] >= 100:
        lines += ["", "Test suites that killed no mutant: " + (", ".join(silent) or "none")]
    return "\n".join(lines) + "\n", files, total


def test_kills(records, all_tests):
    """Per test: mutants it killed and mutants only it killed."""
    kills = {t: {"kills": 0, "sole_kills": 0} for t in all_tests}
    for r in records:
        for t in r.get("killers", []):
            entry = kills.setdefault(t, {"kills": 0, "sole_kills": 0})
            entry["kills"] += 1
            entry["sole_kills"] += len(r["killers"]) == 1
    return kills


def list_tests(build_dir):
    code, output, _ = run([str(build_dir / TEST_BINARY), "--gtest_list_tests"], build_dir, 120)
    if code != 0:
        return []
    tests, suite = [], None
    for line in output.splitlines():
        if not line.strip() or line.startswith("Running"):
            continue
        if not line.startswith(" "):
            suite = line.split("#")[0].strip()
        else:
            tests.append(suite + line.split("#")[0].strip())
    return tests


def write_reports(build_dir, meta, records, all_tests):
    text, files, total = make_report(meta, records)
    kills = test_kills(records, all_tests)
    data = dict(meta, files=files, total=total, mutants=records, tests=kills)
    build_dir.mkdir(parents=True, exist_ok=True)
    write_atomically(build_dir / "mutants-report.txt", text.encode())
    report = json.dumps(data, indent=1) + "\n"
    write_atomically(build_dir / "mutants-report.json", report.encode())
    return text


def silent_suites(records, all_tests):
    killed_by = {t.split(".")[0] for r in records for t in r.get("killers", [])}
    return sorted({t.split(".")[0] for t in all_tests} - killed_by)


# ---------------------------------------------------------------------------------------------


def parse_args(argv):
    p = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    p.add_argument("folders", nargs="*", default=DEFAULT_FOLDERS,
                   help="folders to mutate, relative to the source root (default: %(default)s)")
    p.add_argument("--count", type=int, default=400, help="mutants to sample (default 400)")
    p.add_argument("--seed", type=int, default=1, help="seed of the sample (default 1)")
    p.add_argument("--build-dir", default="build-mutants",
                   help="build folder of the run, relative to the source root "
                   "(default build-mutants)")
    p.add_argument("--jobs", "-j", type=int, default=os.cpu_count() or 2, help="ninja jobs")
    p.add_argument("--list", action="store_true", help="only print the sampled mutants")
    p.add_argument("--only", metavar="FILE", help="run only the sampled mutants of FILE")
    p.add_argument("--all", action="store_true", help="every mutation site instead of a sample")
    p.add_argument("--timeout", type=float, help="seconds per test run (default: 4 x the "
                   "unmutated run, at least 60)")
    p.add_argument("--fail-fast", action="store_true",
                   help="stop the tests at the first failure (faster; the JSON then names only "
                   "the first test that killed each mutant)")
    return p.parse_args(argv)


def main(argv=None):
    args = parse_args(argv)
    log = lambda text: print(text, flush=True)  # noqa: E731
    build_dir = (ROOT / args.build_dir).resolve()
    install_signal_handlers()
    with tree_lock(ROOT):
        SourceGuard(ROOT, build_dir / "mutants-backup").restore_leftovers(log)
        files = source_files(ROOT, args.folders)
        texts = {f: (ROOT / f).read_text() for f in files}
        sites = {f: find_sites(texts[f], f) for f in files}
        weights = {f: code_lines(texts[f]) for f in files}
        if args.all:
            chosen = [m for f in files for m in sites[f]]
            for number, m in enumerate(chosen, 1):
                m.id = number
        else:
            chosen = sample(sites, weights, args.count, args.seed)
        if args.only:
            only = Path(args.only)
            only = (only if only.is_absolute() else (Path.cwd() / only)).resolve()
            rel = only.relative_to(ROOT).as_posix() if only.is_relative_to(ROOT) else args.only
            if rel not in files:
                raise SystemExit(f"run_mutants: {args.only} is not a source under {args.folders}")
            chosen = [m for m in chosen if m.file == rel]
            files = [rel]
        order = sorted(chosen, key=lambda m: (m.file, m.start, m.op, m.replacement))
        if args.list:
            print_list(order, files, sites, weights)
            return 0
        return run_all(args, build_dir, order, texts, log)


def print_list(order, files, sites, weights):
    sampled = {}
    for m in order:
        sampled[m.file] = sampled.get(m.file, 0) + 1
    width = max(len(f) for f in files)
    print(f"{'File':<{width}}  Lines  Sites  Sampled")
    for f in files:
        print(f"{f:<{width}}  {weights[f]:>5}  {len(sites[f]):>5}  {sampled.get(f, 0):>7}")
    lines, count = sum(weights[f] for f in files), sum(len(sites[f]) for f in files)
    print(f"{'Total':<{width}}  {lines:>5}  {count:>5}  {len(order):>7}")
    print(f"\n{len(order)} mutants:")
    for m in order:
        print(f"  #{m.id:<4} {m.describe()}")


def run_all(args, build_dir, order, texts, log):
    bench = Bench(ROOT, build_dir, args.jobs, args.fail_fast, log)
    guard = SourceGuard(ROOT, build_dir / "mutants-backup")
    files = sorted({m.file for m in order})
    meta = {"folders": args.folders, "seed": args.seed, "count": args.count,
            "sampled": len(order), "only": args.only, "all_sites": args.all,
            "fail_fast": args.fail_fast, "interrupted": None}
    records, all_tests, begin = [], [], time.monotonic()
    try:
        meta["baseline_test_s"] = round(bench.prepare(set(files), 60, 4, args.timeout), 2)
        meta["timeout_s"] = round(bench.timeout, 1)
        all_tests = list_tests(build_dir)
        for number, m in enumerate(order, 1):
            current = (ROOT / m.file).read_text()
            if current != texts[m.file]:
                outcome = Outcome("skipped", detail="the file changed during the run")
            else:
                with guard.mutated(m.file, apply(current, m)):
                    outcome = bench.try_mutant(m.file)
            record = dict(asdict(m), **asdict(outcome))
            for key in ("start", "end"):
                record.pop(key)
            records.append(record)
            note = f" by {len(outcome.killers)} tests" if outcome.killers else ""
            if outcome.detail and outcome.status != "not-compiled":
                note += f" ({outcome.detail})"
            log(f"[{number:>3}/{len(order)}] #{m.id:<4} {m.describe()}: {outcome.status}{note} "
                f"{outcome.build_s + outcome.test_s:.0f} s")
            meta["elapsed_s"] = round(time.monotonic() - begin, 1)
            meta["seconds_per_mutant"] = round(meta["elapsed_s"] / number, 1)
            write_reports(build_dir, meta, records, all_tests)
    except (KeyboardInterrupt, Interrupted) as stop:
        meta["interrupted"] = "SIGINT" if isinstance(stop, KeyboardInterrupt) else str(stop)
        log(f"\nrun_mutants: interrupted by {meta['interrupted']}; every file is restored.")
    meta["elapsed_s"] = round(time.monotonic() - begin, 1)
    if records and not args.fail_fast:
        meta["silent_suites"] = silent_suites(records, all_tests)
    text = write_reports(build_dir, meta, records, all_tests)
    log("\n" + text)
    log(f"Written to {build_dir / 'mutants-report.txt'} and mutants-report.json")
    if meta["interrupted"]:
        return 128 + signal.Signals[meta["interrupted"]].value
    return 0


if __name__ == "__main__":
    try:
        sys.exit(main())
    except BrokenPipeError:  # `--list | head`
        os.dup2(os.open(os.devnull, os.O_WRONLY), sys.stdout.fileno())
        sys.exit(1)
