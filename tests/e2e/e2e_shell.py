"""End-to-end tests of the desktop program's shell: first run, menus, placement, passwords, the
lock, a second start, and a password changed by another program."""
import os
import re
import subprocess
import sys

import pyatspi

from atspi_driver import (CaseSuite, children, command_table, find, menu_children, menu_item_text,
                          role, run_suite, type_into, wait_for)


class ShellSuite(CaseSuite):
    # The cases, in order.

    def test_first_run_lists_the_sample_records_after_four_pages(self):
        program = self.start()
        for page in range(1, 4):
            window = program.window("Getting Started - Page %d of 4" % page)
            assert find(window, "push button", "Download Handheld Trial") is None
            program.press(program.button(window, "Next"))
        window = program.window("Getting Started - Page 4 of 4")
        program.button(window, "Download Handheld Trial")
        program.press(program.button(window, "OK"))
        program.gone("Getting Started - Page 4 of 4")
        rows = wait_for("the sample records", lambda: program.rows() if len(program.rows()) == 12 else None)
        assert "Northwind Mail" in rows and "Travel Visa" in rows, rows
        program.exit()

    def test_menu_bar_is_the_command_table(self):
        program = self.start()
        bar = find(program.main(), "menu bar")
        order, menus = command_table(self.source)
        shown = [menu_item_text(c.name) for c in children(bar)]
        # Without a handheld there is no user menu, and no sync menu without sync.
        expected = [menu_item_text(p) for p in order if p not in ("&User", "Sync")]
        assert shown == expected, (shown, expected)
        for popup in children(bar):
            items = [menu_item_text(c.name) for c in menu_children(popup)
                     if role(c) != "separator" and c.name]
            want = [menu_item_text(t) for t in menus["&" + popup.name] if t] if "&" + popup.name in menus \
                else [menu_item_text(t) for t in menus[popup.name]]
            # The details item says what it will do: the pane is shown at first.
            want = ["Hide Details" if w == "Show Details..." else w for w in want]
            assert items == want, (popup.name, items, want)
        program.exit()

    def test_window_placement_round_trips(self):
        program = self.start()
        main = program.main()
        program.exit()
        saved = self.winpos()
        assert saved and re.fullmatch(r"-?\d{4} -?\d{4} -?\d{4} -?\d{4}", saved), saved
        left, top, right, bottom = (int(saved[i:i + 4]) for i in (0, 5, 10, 15))
        program = self.start("/rl")
        main = program.main()
        x, y, width, height = wait_for("the window's place", lambda: main.queryComponent().getExtents(
            pyatspi.DESKTOP_COORDS))
        program.exit()
        moved = self.winpos()
        assert moved == "%04d %04d %04d %04d" % (left + 30, top + 30, right + 30, bottom + 30), \
            (saved, moved, (x, y, width, height))

    def test_set_password_then_log_in(self):
        program = self.start()
        program.menu(["File", "Set Password..."])
        dialog = program.window("Set Password")
        type_into(program.field(dialog, "New password"), "Blue Heron 7")
        type_into(program.field(dialog, "Confirm password"), "Blue Heron 8")
        program.press(program.button(dialog, "OK"))
        program.answer("Your new password doesn't match the confirm password.", "OK")
        type_into(program.field(dialog, "Confirm password"), "Blue Heron 7")
        program.press(program.button(dialog, "OK"))
        program.gone("Set Password")
        program.exit()
        assert "Password set: yes" in self.cli("info", stdin="Blue Heron 7\n").stdout

        program = self.start()
        dialog = program.window("Enter Password")
        assert find(dialog, "label", "(Password is case sensitive)")
        type_into(program.field(dialog, "Please enter the password."), "blue heron 7")
        program.press(program.button(dialog, "OK"))
        program.answer("That is not the correct password.", "OK")
        type_into(program.field(dialog, "Please enter the password."), "Blue Heron 7")
        program.press(program.button(dialog, "OK"))
        assert len(wait_for("the records", program.rows)) == 12
        self.running = program

    def test_second_start_hands_over_its_file(self):
        program = self.running
        other = os.path.join(os.environ["HOME"], "more records.vex")
        with open(os.path.join(self.source, "src/resources/sample/sample-data.vex"), "rb") as f:
            data = f.read()
        with open(other, "wb") as f:
            f.write(data)
        second = self.start(other, expect_window=False)
        second.wait(0)
        # The question names the whole path, and No is what Enter would answer.
        box = program.message("Do you want to import the file %s?" % other)
        assert find(box, "push button", "No").getState().contains(pyatspi.STATE_IS_DEFAULT)
        program.press(program.button(box, "Yes"))
        wait_for("the imported records", lambda: len(program.rows()) == 24)

    def test_session_lock_locks_the_program(self):
        program = self.running
        subprocess.run(["dbus-send", "--session", "--type=signal", "/org/freedesktop/ScreenSaver",
                        "org.freedesktop.ScreenSaver.ActiveChanged", "boolean:true"], check=True)
        dialog = program.window("Enter Password")
        assert program.rows() == [], program.rows()
        users = find(dialog, "combo box")
        assert not users.getState().contains(pyatspi.STATE_ENABLED)
        type_into(program.field(dialog, "Please enter the password."), "Blue Heron 7")
        program.press(program.button(dialog, "OK"))
        wait_for("the records after the unlock", lambda: len(program.rows()) == 24)

    def test_password_changed_elsewhere_asks_again_and_damages_nothing(self):
        program = self.running
        changed = self.cli("passwd", stdin="Blue Heron 7\nRed Kite 9\nRed Kite 9\n")
        assert changed.returncode == 0, changed.stderr
        # The next command finds the file's password changed: the program asks for it.
        program.menu(["File", "Auto-Lock..."])
        dialog = program.window("Enter Password")
        type_into(program.field(dialog, "Please enter the password for this user."), "Blue Heron 7")
        program.press(program.button(dialog, "OK"))
        program.answer("That is not the correct password.", "OK")
        type_into(program.field(dialog, "Please enter the password for this user."), "Red Kite 9")
        program.press(program.button(dialog, "OK"))
        rows = wait_for("the records read again", lambda: program.rows() if len(program.rows()) == 24 else None)
        assert "Northwind Mail" in rows
        program.exit()
        listed = self.cli("ls", stdin="Red Kite 9\n")
        assert listed.returncode == 0, listed.stderr
        assert listed.stdout.count("Northwind Mail") == 2, listed.stdout



if __name__ == "__main__":
    sys.exit(run_suite(ShellSuite))
