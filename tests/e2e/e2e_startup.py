"""End-to-end tests of what a start brings back and what a change made elsewhere must not damage:
the window's place and size as the window manager left them, and a save after another program
changed the database's password while this one held the old key."""
import json
import re
import subprocess
import sys

import pyatspi

from atspi_driver import CaseSuite, run_suite, type_into, wait_for

OLD, NEW = "Amber Otter 3", "Slate Finch 5"


class StartupSuite(CaseSuite):

    def set_winpos(self, text):
        settings = open(self.settings, encoding="utf-8").read()
        settings, count = re.subn(r"(?m)^Winpos=.*$", "Winpos=" + text, settings)
        assert count == 1, settings
        open(self.settings, "w", encoding="utf-8").write(settings)

    def extents(self, program):
        main = program.main()
        return tuple(main.queryComponent().getExtents(pyatspi.DESKTOP_COORDS))

    def dump(self, password):
        done = self.cli("dump", stdin=password + "\n")
        assert done.returncode == 0, done.stderr
        return json.loads(done.stdout)["records"]

    def unlock(self, program, prompt, password):
        dialog = program.window("Enter Password")
        type_into(program.field(dialog, prompt), password)
        program.press(program.button(dialog, "OK"))
        program.gone("Enter Password")

    # The cases, in order.

    def test_window_comes_back_where_it_was_moved_and_resized(self):
        program = self.start()
        program.through_first_run()
        program.exit()
        # A place of the user's choosing, as a window manager would have left it.
        self.set_winpos("0100 0080 0900 0680")
        program = self.start()
        wait_for("the stored place", lambda: self.extents(program) == (100, 80, 800, 600),
                 timeout=10)
        window = subprocess.run(["xdotool", "search", "--pid", str(program.process.pid), "--name",
                                 "^Tessarin Password Manager"], capture_output=True, text=True,
                                check=True).stdout.split()[0]
        subprocess.run(["xdotool", "windowmove", window, "150", "120", "windowsize", window,
                        "700", "500"], check=True)
        wait_for("the new place", lambda: self.extents(program) == (150, 120, 700, 500), timeout=10)
        program.exit()
        assert self.winpos() == "0150 0120 0850 0620", self.winpos()
        program = self.start()
        wait_for("the place it closed at", lambda: self.extents(program) == (150, 120, 700, 500),
                 timeout=10)
        program.exit()

    def test_a_save_after_the_password_changed_elsewhere_asks_and_damages_nothing(self):
        done = self.cli("passwd", stdin="%s\n%s\n" % (OLD, OLD))
        assert done.returncode == 0, done.stderr
        before = self.dump(OLD)
        program = self.start()
        self.unlock(program, "Please enter the password.", OLD)
        wait_for("the records", lambda: len(program.rows()) == 12)
        done = self.cli("passwd", stdin="%s\n%s\n%s\n" % (OLD, NEW, NEW))
        assert done.returncode == 0, done.stderr
        # Duplicating a record saves the database: the program must find the new key first, and
        # abandons the command for the list read again with it.
        program.select_rows("Northwind Mail")
        program.menu(["Item", "Duplicate Item..."])
        self.unlock(program, "Please enter the password for this user.", NEW)
        wait_for("the records read again", lambda: len(program.rows()) == 12)
        program.select_rows("Northwind Mail")
        program.menu(["Item", "Duplicate Item..."])
        dialog = program.window("Detail View")
        program.press(program.button(dialog, "OK"))
        program.gone("Detail View")
        wait_for("the copy", lambda: "Northwind Mail Copy" in program.rows())
        program.exit()
        after = self.dump(NEW)
        kept = [r for r in after if r["values"][0] != "Northwind Mail Copy"]
        assert kept == before, (before, after)
        assert len(after) == len(before) + 1, after


if __name__ == "__main__":
    sys.exit(run_suite(StartupSuite))
