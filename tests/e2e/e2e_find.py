"""End-to-end tests of Find: the dialog read through its names, the list narrowed to the records
holding the text, case and whole-word matching, and Find All bringing every record back."""
import collections
import json
import sys

import pyatspi

from atspi_driver import CaseSuite, find, run_suite, type_into, wait_for


def checked(node):
    return node.getState().contains(pyatspi.STATE_CHECKED)


class FindSuite(CaseSuite):
    # The cases, in order.

    def find(self, program, text, case_sensitive=False, whole_word=False):
        program.menu(["Item", "Find..."])
        dialog = program.window("Find")
        type_into(program.field(dialog, "Find"), text)
        for name, wanted in (("Case Sensitive", case_sensitive), ("Whole Word Only", whole_word)):
            box = wait_for("the check box " + name, lambda: find(dialog, "check box", name))
            if checked(box) != wanted:
                program.press(box)
                wait_for(name + " set", lambda: checked(box) == wanted)
        program.press(program.button(dialog, "OK"))
        program.gone("Find")

    def test_find_narrows_the_list_to_the_records_holding_the_text(self):
        program = self.start()
        program.through_first_run()
        self.find(program, "NORTHWIND")
        wait_for("the found records", lambda: "Northwind Mail" in program.rows() and
                 len(program.rows()) < 12)
        self.running = program

    def test_case_and_whole_word_and_find_all(self):
        program = self.running
        self.find(program, "NORTHWIND", case_sensitive=True)
        wait_for("no record in capitals", lambda: program.rows() == [])
        self.find(program, "Northwin", whole_word=True)
        wait_for("no whole word", lambda: program.rows() == [])
        self.find(program, "Northwind", whole_word=True)
        wait_for("the whole word found", lambda: "Northwind Mail" in program.rows())
        program.menu(["Item", "Find All"])
        wait_for("every record again", lambda: len(program.rows()) == 12)

    def expected_by_search(self, text):
        """What the search field must list: the records `ls --find` gives, and those whose type or
        category is named with the text."""
        found = self.cli("ls", "--json", "--find", text)
        assert found.returncode == 0, found.stderr
        names = [row["fields"][0] for row in json.loads(found.stdout)]
        everything = self.cli("ls", "--json")
        assert everything.returncode == 0, everything.stderr
        folded = text.lower()
        for row in json.loads(everything.stdout):
            if row["fields"][0] not in names and (folded in row["type"].lower() or
                                                  folded in row["category"].lower()):
                names.append(row["fields"][0])
        return collections.Counter(names)

    def test_the_search_field_lists_what_ls_finds_and_the_named_types_and_categories(self):
        program = self.running
        search = program.field(program.main(), "Search")
        for text in ("jordan", "BANK", "person", "555-01", "9", "no such text"):
            wanted = self.expected_by_search(text)
            type_into(search, text)
            wait_for("the rows for " + text,
                     lambda: collections.Counter(program.rows()) == wanted)
            # The status bar says how many are listed of how many there are.
            counts = "%d of 12 records" % sum(wanted.values())
            wait_for("the status bar's " + counts,
                     lambda: find(program.main(), "label", counts))
        # Emptied, the search lists every record again.
        type_into(search, "")
        wait_for("every record again", lambda: len(program.rows()) == 12)
        program.exit()


if __name__ == "__main__":
    sys.exit(run_suite(FindSuite))
