"""End-to-end tests of locking now, the Preferences dialog and a start that cannot read the
database: File > Lock asks for the password and shows no record until it is given; a clipboard
clear time changed in Preferences holds after a restart and is the one the program keeps; a
damaged database at start says why, writes nothing when the user quits, and is restored from the
newest automatic backup."""
import os
import subprocess
import sys

import pyatspi

from atspi_driver import CaseSuite, find, find_all, run_suite, type_into, wait_for, windows

PASSWORD = "Copper Wren 4"
FAILURE = "Tessarin Cannot Open Your Database"


def clipboard():
    return subprocess.run(["xclip", "-o", "-selection", "clipboard"], capture_output=True,
                          text=True, timeout=10).stdout


class PreferencesSuite(CaseSuite):

    def log_in(self, program):
        dialog = program.window("Enter Password")
        type_into(program.field(dialog, "Please enter the password."), PASSWORD)
        program.press(program.button(dialog, "OK"))
        program.gone("Enter Password")

    def start_logged_in(self):
        program = self.start()
        self.log_in(program)
        wait_for("the records", lambda: len(program.rows()) == 12)
        return program

    def seconds_field(self, dialog):
        return wait_for("the clipboard's seconds", lambda: find(
            dialog, "spin button", "Seconds before the clipboard is cleared"))

    def automatic_backup(self):
        return os.path.join(self.documents, "Marrowgate/Tessarin/Backup/Tessarin--_Standalone_.vex")

    # The cases, in order.

    def test_lock_asks_for_the_password_and_shows_no_record_until_given(self):
        program = self.start()
        program.through_first_run()
        program.exit()
        done = self.cli("passwd", stdin="%s\n%s\n" % (PASSWORD, PASSWORD))
        assert done.returncode == 0, done.stderr

        program = self.start_logged_in()
        program.menu(["File", "Lock"])
        dialog = program.window("Enter Password")
        assert program.rows() == [], program.rows()
        assert program.main().name == "Tessarin Password Manager (Locked)", program.main().name
        type_into(program.field(dialog, "Please enter the password."), "copper wren 4")
        program.press(program.button(dialog, "OK"))
        program.answer("That is not the correct password.", "OK")
        assert program.rows() == [], program.rows()
        type_into(program.field(dialog, "Please enter the password."), PASSWORD)
        program.press(program.button(dialog, "OK"))
        program.gone("Enter Password")
        wait_for("the records after the unlock", lambda: len(program.rows()) == 12)
        assert program.main().name == "Tessarin Password Manager", program.main().name
        self.running = program

    def test_the_clipboard_clear_time_set_in_preferences_holds_after_a_restart(self):
        program = self.running
        program.menu(["Edit", "Preferences..."])
        dialog = program.window("Preferences")
        field = self.seconds_field(dialog)
        assert field.queryValue().currentValue == 10, field.queryValue().currentValue
        field.queryValue().currentValue = 3
        wait_for("the seconds typed", lambda: field.queryValue().currentValue == 3)
        program.press(program.button(dialog, "OK"))
        program.gone("Preferences")
        program.exit()

        program = self.start_logged_in()
        program.menu(["Edit", "Preferences..."])
        dialog = program.window("Preferences")
        assert self.seconds_field(dialog).queryValue().currentValue == 3
        program.press(program.button(dialog, "Cancel"))
        program.gone("Preferences")
        # The program keeps the copied password that long.
        program.select_rows("Northwind Mail")
        program.choose("Edit", "Copy Password...")
        wait_for("the password on the clipboard", lambda: clipboard() == "m4ple-Lantern!")
        wait_for("the password gone from the clipboard", lambda: clipboard() == "", timeout=15)
        program.exit()

    def test_a_damaged_database_says_why_and_quitting_writes_nothing(self):
        assert os.path.exists(self.automatic_backup()), os.listdir(os.path.dirname(
            self.automatic_backup()))
        with open(self.database, "rb") as f:
            whole = f.read()
        with open(self.database, "wb") as f:
            f.write(whole[:-40])
        program = self.start()
        self.log_in(program)
        dialog = program.window(FAILURE)
        texts = [label.name for label in find_all(dialog, "label")]
        assert any(text.startswith("The database ") and " could not be read: " in text
                   for text in texts), texts
        # The backup of the fixed name or its dated copy, written at the same moment.
        newest = wait_for("the newest backup", lambda: next(
            (r for r in find_all(dialog, "radio button")
             if r.name.startswith("The newest automatic backup: Tessarin--_Standalone_")),
            None))
        assert newest.getState().contains(pyatspi.STATE_CHECKED)
        program.button(dialog, "Try Again")
        program.press(program.button(dialog, "Quit"))
        program.wait(0)
        with open(self.database, "rb") as f:
            assert f.read() == whole[:-40]

    def test_restore_brings_back_the_newest_automatic_backup(self):
        program = self.start()
        self.log_in(program)
        dialog = program.window(FAILURE)
        program.press(program.button(dialog, "Restore..."))
        box = wait_for("the kept file's message", lambda: next(
            (w for w in windows(program.app) if w.getState().contains(pyatspi.STATE_SHOWING) and
             any((label.name or "").startswith("The database as it was before the restore is kept")
                 for label in find_all(w, "label"))), None))
        program.press(program.button(box, "OK"))
        wait_for("the restored records", lambda: len(program.rows()) == 12)
        program.exit()
        listed = self.cli("ls", stdin=PASSWORD + "\n")
        assert listed.returncode == 0, listed.stderr
        assert "Northwind Mail" in listed.stdout, listed.stdout


if __name__ == "__main__":
    sys.exit(run_suite(PreferencesSuite))
