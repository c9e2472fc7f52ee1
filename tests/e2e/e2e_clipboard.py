"""End-to-end tests of the clipboard: a masked value copied through the Edit menu reaches the X
clipboard as its real value, marked as a secret for clipboard managers; records copied and pasted
back come in as new rows."""
import subprocess
import sys

from atspi_driver import (CaseSuite, find, menu_children, menu_item_text, run_suite, wait_for)


def clipboard(target=None):
    """The X clipboard's content as another program reads it (its targets with "TARGETS")."""
    args = ["xclip", "-o", "-selection", "clipboard"] + (["-t", target] if target else [])
    return subprocess.run(args, capture_output=True, text=True, timeout=10).stdout


class ClipboardSuite(CaseSuite):
    # The cases, in order.

    def choose(self, program, menu, item):
        """Opens the menu, as a person does (its items are named when it opens), then chooses the
        item."""
        bar = find(program.main(), "menu bar")
        popup = wait_for("the menu " + menu, lambda: next(
            (c for c in menu_children(bar) if menu_item_text(c.name) == menu), None))
        program.press(popup)
        node = wait_for("the item %s" % item, lambda: next(
            (c for c in menu_children(popup) if menu_item_text(c.name) == item), None))
        program.press(node)

    def test_a_masked_value_reaches_the_clipboard_in_clear_marked_as_a_secret(self):
        program = self.start()
        program.through_first_run()
        program.select_rows("Northwind Mail")
        self.choose(program, "Edit", "Copy Password...")
        wait_for("the password on the clipboard", lambda: clipboard() == "m4ple-Lantern!")
        assert "x-kde-passwordManagerHint" in clipboard("TARGETS").split(), clipboard("TARGETS")
        self.running = program

    def test_records_copied_and_pasted_come_back_as_new_rows(self):
        program = self.running
        program.select_rows("Northwind Mail", "Family car")
        program.menu(["Edit", "Copy"])
        wait_for("the records on the clipboard",
                 lambda: clipboard().startswith("Tessarin vEX File -v2.0\n"))
        program.menu(["Edit", "Paste"])
        wait_for("the pasted rows", lambda: len(program.rows()) == 14)
        assert program.rows().count("Northwind Mail") == 2
        program.exit()


if __name__ == "__main__":
    sys.exit(run_suite(ClipboardSuite))
