"""End-to-end tests of the record list and the details pane: the list read as a table, the
controls around it by their names, masking, the details of a chosen row, records that another
program adds while the window is open, and the view's settings over a restart."""
import configparser
import os
import sys

import pyatspi

from atspi_driver import (CaseSuite, children, find, find_all, menu_children, menu_item_text,
                          run_suite, table_headers, table_row, wait_for)


def labelled_by(node):
    for relation in node.getRelationSet():
        if relation.getRelationType() == pyatspi.RELATION_LABELLED_BY:
            return [relation.getTarget(i).name for i in range(relation.getNTargets())]
    return []


def showing(node):
    return node.getState().contains(pyatspi.STATE_SHOWING)


class ListSuite(CaseSuite):
    # The cases, in order.

    def row_of(self, program, field1):
        table = program.records().queryTable()
        return table, program.rows().index(field1)

    def buttons(self, program):
        return sorted(b.name for b in find_all(program.main(), "push button") if showing(b))

    def preference(self, name):
        """A value of the user's section as the settings file holds it (QSettings writes a space
        in a name as %20)."""
        parser = configparser.RawConfigParser(strict=False)
        parser.optionxform = str
        parser.read(self.settings, encoding="utf-8")
        key = name.replace(" ", "%20")
        section = next(s for s in parser.sections() if parser.has_option(s, key))
        return parser.get(section, key)

    def test_the_list_reads_as_a_table_with_its_controls_named(self):
        program = self.start()
        program.through_first_run()
        table = program.records().queryTable()
        assert table_headers(table) == ["Icon", "Type", "Category", "Field 1", "Field 2",
                                        "Field 3", "Field 4", "Field 5", "Field 6", "Note"], \
            table_headers(table)
        table, row = self.row_of(program, "Northwind Mail")
        cells = table_row(table, row)
        assert cells[1:6] == ["Web Logins", "Personal", "Northwind Mail", "jordan.avery", "****"], cells
        table, row = self.row_of(program, "Family car")
        assert table_row(table, row)[9] == "Note", table_row(table, row)
        # The choosers are labelled by their labels and show what they choose.
        combos = find_all(program.main(), "combo box")
        assert sorted((labelled_by(c)[0], c.name) for c in combos) == [
            ("Category:", "All Categories"), ("Types:", "All Types")], \
            [(labelled_by(c), c.name) for c in combos]
        assert self.buttons(program) == ["Delete...", "Duplicate...", "Edit...", "New...",
                                         "Unmask"], self.buttons(program)
        self.running = program

    def test_unmask_shows_the_values_and_renames_the_button(self):
        program = self.running
        program.press(program.button(program.main(), "Unmask"))
        table, row = wait_for("the password in clear", lambda: (lambda t, r: (t, r) if table_row(
            t, r)[5] == "m4ple-Lantern!" else None)(*self.row_of(program, "Northwind Mail")))
        program.button(program.main(), "Mask")
        view = next(p for p in children(find(program.main(), "menu bar")) if p.name == "View")
        assert "Mask" in [menu_item_text(c.name) for c in menu_children(view)]
        program.press(program.button(program.main(), "Mask"))
        wait_for("the password masked again",
                 lambda: table_row(*self.row_of(program, "Northwind Mail"))[5] == "****")

    def test_a_chosen_row_shows_in_the_details_pane_with_its_copy_buttons(self):
        program = self.running
        table, row = self.row_of(program, "Northwind Mail")
        table.getAccessibleAt(row, 3).queryAction().doAction(0)
        wait_for("the row selected", lambda: table.isRowSelected(row))
        copies = wait_for("the copy buttons", lambda: [
            b for b in self.buttons(program) if b.startswith("Copy")] or None)
        assert copies == ["Copy Category", "Copy Description", "Copy Password", "Copy URL",
                          "Copy Username"], copies

    def test_records_another_program_adds_show_up_at_once(self):
        program = self.running
        imported = self.cli("import", os.path.join(self.source, "src/resources/sample/sample-data.vex"))
        assert imported.returncode == 0, imported.stderr
        wait_for("the imported records", lambda: len(program.rows()) == 24)
        assert program.rows().count("Northwind Mail") == 2

    def test_view_settings_survive_a_restart(self):
        program = self.running
        program.menu(["View", "Hide Details"])
        wait_for("the pane hidden", lambda: not [
            b for b in self.buttons(program) if b.startswith("Copy")])
        program.exit()
        assert self.preference("Showing Details") == "0"
        assert self.preference("Details Pane Width") == "250"
        program = self.start()
        view = next(p for p in children(find(program.main(), "menu bar")) if p.name == "View")
        assert "Show Details" in [menu_item_text(c.name) for c in menu_children(view)]
        assert len(program.rows()) == 24
        # The first row starts selected.
        assert program.records().queryTable().isRowSelected(0)
        program.exit()


if __name__ == "__main__":
    sys.exit(run_suite(ListSuite))
