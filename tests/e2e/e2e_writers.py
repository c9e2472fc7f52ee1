"""End-to-end test of two writers at once: records made in the window while tessarin-cli imports
into the same database again and again. Every record that either reported as saved is in the file,
and the window lists them all."""
import collections
import json
import os
import sys
import threading

from atspi_driver import CaseSuite, run_suite, type_into, wait_for

ROWS = 10
WINDOW_RECORDS = 8
BASE = 300  # a larger file takes longer to save: a write from the other side is more likely


class WritersSuite(CaseSuite):

    def write_csv(self, name, first_values):
        path = os.path.join(self.documents, name)
        with open(path, "w", encoding="cp1252", newline="") as out:
            for value in first_values:
                out.write("Web Logins,%s,user,secret\r\n" % value)
        return path

    def dump(self):
        done = self.cli("dump")
        assert done.returncode == 0, done.stderr
        return [r["values"][0] for r in json.loads(done.stdout)["records"] if not r["deleted"]]

    def row_count(self):
        return self.program.records().queryTable().nRows

    def make_records(self, made):
        for n in range(WINDOW_RECORDS):
            self.program.menu(["Item", "New Item..."])
            dialog = self.program.window("Detail View")
            type_into(self.program.field(dialog, "Field 1"), "window %d" % n)
            self.program.press(self.program.button(dialog, "OK"))
            self.program.gone("Detail View")
            made.append("window %d" % n)

    # The cases, in order.

    def test_a_large_database(self):
        self.program = self.start()
        self.program.through_first_run()
        self.program.exit()
        base = self.write_csv("base.csv", ["base %d" % i for i in range(BASE)])
        done = self.cli("import", base)
        assert done.returncode == 0, done.stderr

    def test_window_and_command_line_write_at_once(self):
        self.program = self.start()
        wait_for("the records", lambda: self.row_count() == BASE + 12)
        results = []
        done_in_window = threading.Event()

        def imports():
            # One import after the other, for as long as the window is being used.
            while not done_in_window.is_set() or len(results) < 2:
                n = len(results)
                path = self.write_csv("import%d.csv" % n, ["import %d row %d" % (n, r)
                                                           for r in range(ROWS)])
                results.append(self.cli("import", path))
        importer = threading.Thread(target=imports, daemon=True)
        importer.start()
        made = []
        try:
            self.make_records(made)
        finally:
            done_in_window.set()
        importer.join()

        for done in results:
            assert done.returncode == 0, done.stderr
            assert "%d records imported" % ROWS in done.stdout, done.stdout

        expected = made + ["import %d row %d" % (n, r) for n in range(len(results))
                           for r in range(ROWS)]
        on_disk = collections.Counter(self.dump())
        missing = [name for name in expected if on_disk[name] != 1]
        assert not missing, "%d not once in the file, as %s" % (len(missing), missing[:5])
        # The window follows: it lists what both wrote, each once.
        total = BASE + 12 + len(expected)
        wait_for("every record listed", lambda: self.row_count() == total, timeout=60)
        listed = collections.Counter(self.program.rows())
        missing = [name for name in expected if listed[name] != 1]
        assert not missing, "%d not listed once, as %s" % (len(missing), missing[:5])
        self.program.exit()


if __name__ == "__main__":
    sys.exit(run_suite(WritersSuite))
