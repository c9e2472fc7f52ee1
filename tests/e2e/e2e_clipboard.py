"""End-to-end tests of the clipboard: a masked value copied through the Edit menu reaches the X
clipboard as its real value, marked as a secret for clipboard managers; records copied are marked
the same way and pasted back come in as new rows; secrets leave the clipboard and the primary
selection after their time and at the exit."""
import re
import subprocess
import sys

import pyatspi

from atspi_driver import CaseSuite, find, run_suite, type_into, wait_for


def clipboard(target=None, selection="clipboard"):
    """The X clipboard's content as another program reads it (its targets with "TARGETS")."""
    args = ["xclip", "-o", "-selection", selection] + (["-t", target] if target else [])
    return subprocess.run(args, capture_output=True, text=True, timeout=10).stdout


class ClipboardSuite(CaseSuite):
    # The cases, in order.

    def test_a_masked_value_reaches_the_clipboard_in_clear_marked_as_a_secret(self):
        program = self.start()
        program.through_first_run()
        program.select_rows("Northwind Mail")
        program.choose("Edit", "Copy Password...")
        wait_for("the password on the clipboard", lambda: clipboard() == "m4ple-Lantern!")
        assert "x-kde-passwordManagerHint" in clipboard("TARGETS").split(), clipboard("TARGETS")
        self.running = program

    def test_records_copied_and_pasted_come_back_as_new_rows(self):
        program = self.running
        program.select_rows("Northwind Mail", "Family car")
        program.menu(["Edit", "Copy"])
        wait_for("the records on the clipboard",
                 lambda: clipboard().startswith("Tessarin vEX File -v2.0\n"))
        # They hold the masked values too: marked as a secret.
        assert "x-kde-passwordManagerHint" in clipboard("TARGETS").split(), clipboard("TARGETS")
        program.menu(["Edit", "Paste"])
        wait_for("the pasted rows", lambda: len(program.rows()) == 14)
        assert program.rows().count("Northwind Mail") == 2
        program.exit()
        # A secret still on the clipboard at the exit goes with the program.
        assert clipboard() == "", clipboard()

    def test_secrets_leave_the_clipboard_and_the_primary_selection_after_their_time(self):
        settings = open(self.settings, encoding="utf-8").read()
        settings, count = re.subn(r"(?m)^(Winpos=.*)$", "\\1\nClipboard%20Clear%20Seconds=2",
                                  settings)
        assert count == 1, settings
        open(self.settings, "w", encoding="utf-8").write(settings)
        program = self.start()
        program.select_rows("Harbor Books")
        program.choose("Edit", "Copy Password...")
        wait_for("the password on the clipboard", lambda: clipboard() == "Quill&Ink-2024")
        wait_for("the password gone from the clipboard", lambda: clipboard() == "", timeout=10)

        # A masked value shown in clear in the record dialog and selected there goes to the primary
        # selection, and leaves it the same way.
        program.menu(["Item", "Edit Item..."])
        dialog = program.window("Detail View")
        program.press(wait_for("the toggle", lambda: find(dialog, "check box",
                                                           "Show masked fields")))
        field = program.field(dialog, "Password")
        text = field.queryText()
        wait_for("the password shown", lambda: text.getText(0, -1) == "Quill&Ink-2024")
        # Selected as a person selects, with the keyboard: X's primary selection takes it then.
        field.queryComponent().grabFocus()
        wait_for("the field focused", lambda: field.getState().contains(pyatspi.STATE_FOCUSED))
        subprocess.run(["xdotool", "key", "ctrl+a"], check=True, timeout=10)
        wait_for("the password in the primary selection",
                 lambda: clipboard(selection="primary") == "Quill&Ink-2024")
        wait_for("the password gone from the primary selection",
                 lambda: clipboard(selection="primary") == "", timeout=10)
        program.press(program.button(dialog, "Cancel"))
        program.gone("Detail View")
        program.exit()


if __name__ == "__main__":
    sys.exit(run_suite(ClipboardSuite))
