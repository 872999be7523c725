#!/usr/bin/python3
"""Tests of the mutation run's site scanner, sample and restore logic (ctest runs them as
tools_MutationRun):

    /usr/bin/python3 tools/mutants/test_run_mutants.py
"""
import os
import signal
import subprocess
import sys
import tempfile
import textwrap
import unittest
from pathlib import Path

sys.dont_write_bytecode = True
HERE = Path(__file__).resolve().parent
sys.path.insert(0, str(HERE))
import run_mutants as rm  # noqa: E402


def sites_in_body(statements):
    """(op, original, replacement) of every mutant of a function body."""
    sites = rm.find_sites(f"void f() {{\n{statements}\n}}\n")
    return {(m.op, m.original, m.replacement) for m in sites}


DELETE = "delete-statement"
BOUNDARY, NEGATE = "relational-boundary", "relational-negate"


class ScannerTest(unittest.TestCase):
    def test_comments_strings_chars_and_directives_hold_no_sites(self):
        for source in [
            "// if (a < b) x = y + 1;\n",
            "/* if (a < b)\n   x = y + 1; */\n",
            'const char* s = "a < b; x = y + 1;";\n',
            "const char c = '<', d = '\\'';\n",
            'auto r = R"x(a < b; f(1); ")" )x";\n',
            "#include <vector>\n#if LIMIT > 1\n#endif\n",
            "#define LESS(a, b) \\\n    ((a) < (b) + 1)\n",
        ]:
            with self.subTest(source=source):
                self.assertEqual(rm.find_sites(source), [])

    def test_template_brackets_shifts_and_arrows_are_not_relational(self):
        for body, relational in [
            ("std::vector<std::vector<int>> a;", []),
            ("auto x = static_cast<int>(y) < z;", ["<"]),
            ("out << x; in >> y; p->q(); r = s >> 2;", []),
            ("if (a < b && c > d) g();", ["<", ">"]),
            ("for (long long i = from < 0 ? 0 : from; i < to; ++i) g();", ["<", "<"]),
            ("auto n = FormatFast<2>(v, w, out, size);", []),
        ]:
            with self.subTest(body=body):
                sites = rm.find_sites(f"void f() {{ {body} }}")
                found = [m.original for m in sites if m.op == NEGATE]
                self.assertEqual(found, relational)
        declarations = "template <typename T, int N = 3> struct A;\nbool operator<(const A& a);\n"
        self.assertEqual(rm.find_sites(declarations), [])
        self.assertEqual(rm.find_sites("std::array<double, 4> a; char b[kSize + 1];"), [])

    def test_operators_by_statement(self):
        cases = {
            "x = -y;": {(DELETE, "x = -y;", ";")},
            's = t + "a";': {(DELETE, 's = t + "a";', ";")},
            "n -= 2;": {(DELETE, "n -= 2;", ";"), ("plus-minus", "-=", "+="),
                        ("constant", "2", "1"), ("constant", "2", "3")},
            "return true;": {("return-bool", "true", "false")},
            "int a[4] = {};": set(),
            "x = 0x1F + 1'000u;": {(DELETE, "x = 0x1F + 1'000u;", ";"), ("plus-minus", "+", "-"),
                                   ("constant", "0x1F", "0x20"), ("constant", "0x1F", "0x1E"),
                                   ("constant", "1'000u", "1001u"), ("constant", "1'000u", "999u")},
            "y = 0.5f * x;": {(DELETE, "y = 0.5f * x;", ";")},
            "a[0] = 1e3;": {(DELETE, "a[0] = 1e3;", ";"), ("constant", "0", "1"),
                            ("constant", "0", "(-1)")},
            "for (int i = 0u; i != n; ++i) g(i);": {("constant", "0u", "1u"), (NEGATE, "!=", "=="),
                                                   (DELETE, "g(i);", ";")},
            "if (x) { break; } else continue;": {(DELETE, "break;", ";"),
                                                 (DELETE, "continue;", ";")},
            "int y = f(x); std::string s; return y;": set(),
            'std::sort(v.begin(), v.end()); out << "n"; *p++ = c; throw E();': {
                (DELETE, "std::sort(v.begin(), v.end());", ";"), (DELETE, 'out << "n";', ";"),
                (DELETE, "*p++ = c;", ";"), (DELETE, "throw E();", ";")},
            "switch (k) { case A: x = y; break; default: return; }": {
                (DELETE, "x = y;", ";"), (DELETE, "break;", ";"), (DELETE, "return;", ";")},
            "auto g = [&](int i) -> bool { h(i); return i >= j; };": {
                (DELETE, "h(i);", ";"), (BOUNDARY, ">=", ">"), (NEGATE, ">=", "<")},
            "x = c ? a : b - d;": {(DELETE, "x = c ? a : b - d;", ";"), ("plus-minus", "-", "+")},
            "ok = a && y[i - j] > z;": {(DELETE, "ok = a && y[i - j] > z;", ";"),
                                        ("plus-minus", "-", "+"), (BOUNDARY, ">", ">="),
                                        (NEGATE, ">", "<=")},
            "int* p[N + 1]; std::vector<int> v[N - 1];": set(),
        }
        for body, expected in cases.items():
            with self.subTest(body=body):
                self.assertEqual(sites_in_body(body), expected)

    def test_only_function_bodies_have_statements_to_delete(self):
        source = textwrap.dedent("""\
            namespace {
            struct S {
                int v = 1;
                void Set(int x) { v = x; }
            };
            constexpr int kTable[] = {1, 2};
            }
            """)
        deleted = [m.original for m in rm.find_sites(source) if m.op == DELETE]
        self.assertEqual(deleted, ["v = x;"])

    def test_sites_point_at_their_text(self):
        source = "int f(int a) {\n    // a < 0\n    return a\n        < 7;\n}\n"
        sites = rm.find_sites(source, "src/f.cpp")
        less = next(m for m in sites if m.op == BOUNDARY)
        self.assertEqual((less.file, less.line, less.col), ("src/f.cpp", 4, 9))
        for m in sites:
            self.assertEqual(source[m.start : m.end], m.original)

    def test_deleting_a_statement_keeps_every_later_line_in_place(self):
        source = "void f() {\n    g(1,\n      2);\n    h();\n}\n"
        m = next(m for m in rm.find_sites(source) if m.op == DELETE and m.original.startswith("g"))
        mutated = rm.apply(source, m)
        self.assertEqual(mutated.count("\n"), source.count("\n"))
        self.assertEqual(mutated.splitlines()[3], "    h();")

    def test_apply_refuses_a_source_that_changed(self):
        m = rm.find_sites("int f() { return 1; }")[0]
        with self.assertRaises(ValueError):
            rm.apply("int f() { return 2; }", m)

    def test_sample_is_fixed_by_the_seed_and_weighted_by_size(self):
        def sites():
            return {f: [rm.Mutant(f, i, 1, "constant", "1", "2", i, i + 1) for i in range(500)]
                    for f in ("big.cpp", "small.cpp")}

        weights = {"big.cpp": 90, "small.cpp": 10}
        first = [(m.file, m.line) for m in rm.sample(sites(), weights, 300, seed=1)]
        again = [(m.file, m.line) for m in rm.sample(sites(), weights, 300, seed=1)]
        other = [(m.file, m.line) for m in rm.sample(sites(), weights, 300, seed=2)]
        self.assertEqual(first, again)
        self.assertNotEqual(first, other)
        self.assertEqual(len(set(first)), 300)
        big = sum(f == "big.cpp" for f, _ in first)
        self.assertTrue(240 < big < 290, big)
        everything = rm.sample(sites(), weights, 5000, seed=1)
        self.assertEqual(len(everything), 1000)
        self.assertEqual([m.id for m in everything[:3]], [1, 2, 3])

    def test_failed_tests_are_read_from_brief_output(self):
        output = textwrap.dedent("""\
            [  FAILED  ] CycleFinders.Plateau (3 ms)
            [  FAILED  ] Pairs/PairingTest.Resync/2, where GetParam() = 4 (1 ms)
            [  FAILED  ] 2 tests, listed below:
            [  FAILED  ] CycleFinders.Plateau
            """)
        self.assertEqual(rm.failed_tests(output),
                         ["CycleFinders.Plateau", "Pairs/PairingTest.Resync/2"])


class RestoreTest(unittest.TestCase):
    ORIGINAL = "int f() { return 1; }\n"
    MUTANT = "int f() { return 2; }\n"

    def setUp(self):
        self.tmp = tempfile.TemporaryDirectory()
        self.root = Path(self.tmp.name)
        (self.root / "src").mkdir()
        self.source = self.root / "src/f.cpp"
        self.source.write_text(self.ORIGINAL)
        self.backups = self.root / "build-mutants/mutants-backup"
        self.guard = rm.SourceGuard(self.root, self.backups)

    def tearDown(self):
        self.tmp.cleanup()

    def leftovers(self):
        return sorted(p.name for p in self.backups.rglob("*") if p.is_file())

    def test_an_exception_inside_the_mutant_restores_the_file(self):
        with self.assertRaises(KeyboardInterrupt):
            with self.guard.mutated("src/f.cpp", self.MUTANT):
                self.assertEqual(self.source.read_text(), self.MUTANT)
                self.assertEqual(self.leftovers(), ["f.cpp.mutant", "f.cpp.orig"])
                raise KeyboardInterrupt
        self.assertEqual(self.source.read_text(), self.ORIGINAL)
        self.assertEqual(self.leftovers(), [])

    def test_a_backup_left_by_a_killed_run_is_restored(self):
        for state, current in [("mutated", self.MUTANT), ("already restored", self.ORIGINAL),
                               ("deleted", None)]:
            with self.subTest(state=state):
                (self.backups / "src").mkdir(parents=True, exist_ok=True)
                (self.backups / "src/f.cpp.orig").write_text(self.ORIGINAL)
                (self.backups / "src/f.cpp.mutant").write_text(self.MUTANT)
                self.source.unlink(missing_ok=True)
                if current is not None:
                    self.source.write_text(current)
                restored = self.guard.restore_leftovers(log=lambda _: None)
                self.assertEqual(restored, [] if current == self.ORIGINAL else ["src/f.cpp"])
                self.assertEqual(self.source.read_text(), self.ORIGINAL)
                self.assertEqual(self.leftovers(), [])

    def test_a_file_edited_after_a_killed_run_is_not_overwritten(self):
        (self.backups / "src").mkdir(parents=True)
        (self.backups / "src/f.cpp.orig").write_text(self.ORIGINAL)
        (self.backups / "src/f.cpp.mutant").write_text(self.MUTANT)
        self.source.write_text("int f() { return 3; }\n")
        with self.assertRaises(SystemExit):
            self.guard.restore_leftovers(log=lambda _: None)
        self.assertEqual(self.source.read_text(), "int f() { return 3; }\n")
        self.assertEqual(self.leftovers(), ["f.cpp.mutant", "f.cpp.orig"])

    def test_a_signal_while_the_file_is_written_waits_for_the_write(self):
        saved = {s: signal.getsignal(s) for s in rm.STOP_SIGNALS}
        rm.install_signal_handlers()
        try:
            finished = False
            with self.assertRaises(rm.Interrupted):
                with rm.signals_held():
                    os.kill(os.getpid(), signal.SIGTERM)
                    finished = True
            self.assertTrue(finished)
        finally:
            for s, handler in saved.items():
                signal.signal(s, handler)

    def test_a_stop_signal_during_a_mutant_restores_the_file(self):
        child = textwrap.dedent(f"""\
            import sys, time
            sys.dont_write_bytecode = True
            sys.path.insert(0, {str(HERE)!r})
            import run_mutants as rm
            rm.install_signal_handlers()
            guard = rm.SourceGuard({str(self.root)!r}, {str(self.backups)!r})
            with guard.mutated("src/f.cpp", {self.MUTANT!r}):
                print("mutated", flush=True)
                time.sleep(60)
            """)
        for sig in (signal.SIGINT, signal.SIGTERM):
            with self.subTest(signal=sig.name):
                process = subprocess.Popen([sys.executable, "-c", child], stdout=subprocess.PIPE,
                                           stderr=subprocess.PIPE, text=True)
                self.assertEqual(process.stdout.readline().strip(), "mutated")
                self.assertEqual(self.source.read_text(), self.MUTANT)
                process.send_signal(sig)
                _, errors = process.communicate(timeout=30)
                self.assertNotEqual(process.returncode, 0)
                expected = "Interrupted" if sig == signal.SIGTERM else "KeyboardInterrupt"
                self.assertIn(expected, errors)
                self.assertEqual(self.source.read_text(), self.ORIGINAL)
                self.assertEqual(self.leftovers(), [])


if __name__ == "__main__":
    unittest.main()
