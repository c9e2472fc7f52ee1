"""End-to-end tests of the record, type and category dialogs: new, edit, duplicate and delete
records, custom labels and masks, an icon, a generated password, types and categories defined,
renamed and deleted, and a character the database cannot hold. Each result is read back from the
file with tessarin-cli dump."""
import json
import sys

import pyatspi

from atspi_driver import CaseSuite, children, find, role, run_suite, type_into, wait_for

UNFILED = "0000000000000000"


def text_of(node):
    text = node.queryText()
    return text.getText(0, text.characterCount)


class RecordsSuite(CaseSuite):

    def dump(self):
        done = self.cli("dump")
        assert done.returncode == 0, done.stderr
        return json.loads(done.stdout)

    def record(self, first, data=None):
        data = data or self.dump()
        found = [r for r in data["records"] if r["values"][0] == first and not r["deleted"]]
        assert len(found) == 1, (first, [r["values"][0] for r in data["records"]])
        return found[0]

    def select(self, *names):
        self.program.select_rows(*names)

    def open_record(self, name, command="Edit Item..."):
        self.select(name)
        self.program.menu(["Item", command])
        return self.program.window("Detail View")

    def ok(self, window, title):
        self.program.press(self.program.button(window, "OK"))
        self.program.gone(title)

    # The cases, in order.

    def test_first_start_lists_the_sample_records(self):
        self.program = self.start()
        self.program.through_first_run()

    def test_new_record_is_saved(self):
        self.program.menu(["Item", "New Item..."])
        dialog = self.program.window("Detail View")
        type_into(self.program.field(dialog, "Field 1"), "E2E Alpha")
        type_into(self.program.field(dialog, "Field 2"), "alice")
        self.ok(dialog, "Detail View")
        wait_for("the new row", lambda: "E2E Alpha" in self.program.rows())
        record = self.record("E2E Alpha")
        assert record["values"][1] == "alice", record
        assert record["type_key"] == UNFILED, record

    def test_edit_and_duplicate(self):
        dialog = self.open_record("E2E Alpha")
        assert text_of(self.program.field(dialog, "Field 2")) == "alice"
        type_into(self.program.field(dialog, "Field 2"), "bob")
        self.ok(dialog, "Detail View")
        assert self.record("E2E Alpha")["values"][1] == "bob"

        dialog = self.open_record("E2E Alpha", "Duplicate Item...")
        assert text_of(self.program.field(dialog, "Field 1")) == "E2E Alpha Copy"
        self.ok(dialog, "Detail View")
        copy = self.record("E2E Alpha Copy")
        assert copy["values"][1] == "bob", copy
        # Without a handheld records have no numbers; with one, the copy has its own.
        original = self.record("E2E Alpha")["record_number"]
        assert copy["record_number"] == 0 or copy["record_number"] != original, (copy, original)

    def test_custom_labels_mask_and_icon(self):
        self.select("E2E Alpha")
        self.program.menu(["Item", "Customize Fields..."])
        dialog = self.program.window("Customize Record")
        type_into(self.program.field(dialog, "Field 2"), "Login")
        box = wait_for("the mask box", lambda: find(dialog, "check box", "Mask Field 2"))
        self.program.press(box)
        self.ok(dialog, "Customize Record")

        dialog = self.open_record("E2E Alpha")
        wait_for("the new label", lambda: find(dialog, "label", "Login:"))
        self.program.press(self.program.button(dialog, "Icon..."))
        chooser = self.program.window("Choose Icon")
        grid = wait_for("the icon grid", lambda: find(chooser, None, "Icons"))
        x, y, width, height = grid.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        # The second cell of the first row shows built-in icon 8.
        pyatspi.Registry.generateMouseEvent(x + width * 3 // 16, y + height // 16, "b1c")
        wait_for("the choice", lambda: grid.description == "Icon 8")
        self.ok(chooser, "Choose Icon")
        self.ok(dialog, "Detail View")
        record = self.record("E2E Alpha")
        assert record["custom_labels"][1] == "Login", record
        assert record["mask"] & 0x02, record
        assert record["icon"] == 8, record

    def test_generated_password_goes_into_the_field(self):
        dialog = self.open_record("E2E Alpha")
        field = self.program.field(dialog, "Field 3")
        field.queryComponent().grabFocus()
        self.program.press(self.program.button(dialog, "Password..."))
        generator = self.program.window("Generate Password")
        self.program.press(self.program.button(generator, "Generate"))
        password_field = self.program.field(generator, "Password")
        password = wait_for("a password", lambda: text_of(password_field))
        assert len(password) == 8, password
        strength = find(generator, "label", "Strength")
        wait_for("the strength", lambda: " bits: " in strength.description)
        self.ok(generator, "Generate Password")
        self.ok(dialog, "Detail View")
        stored = self.record("E2E Alpha")["values"][2]
        assert stored.encode("utf-8") == password.encode("utf-8"), (stored, password)

    def test_types_and_categories(self):
        self.program.menu(["File", "Edit Types..."])
        editor = self.program.window("Edit Types")
        self.program.press(self.program.button(editor, "New..."))
        define = self.program.window("Define Type")
        type_into(self.program.field(define, "Name"), "unfiled")
        self.program.press(self.program.button(define, "OK"))
        self.program.answer("A type with that name already exists.", "OK")
        type_into(self.program.field(define, "Name"), "E2E Type")
        type_into(self.program.field(define, "Field 1"), "Code")
        self.ok(define, "Define Type")
        types = {t["name"]: t for t in self.dump()["types"] if not t["deleted"]}
        assert types["E2E Type"]["labels"][0] == "Code", types["E2E Type"]

        type_list = find(editor, "list", "Types")
        items = [c.name for c in children(type_list) if role(c) == "list item"]
        children(type_list)[items.index("E2E Type")].queryAction().doAction(0)
        self.program.press(self.program.button(editor, "Edit..."))
        define = self.program.window("Define Type")
        type_into(self.program.field(define, "Name"), "E2E Kind")
        self.ok(define, "Define Type")
        names = [t["name"] for t in self.dump()["types"] if not t["deleted"]]
        assert "E2E Kind" in names and "E2E Type" not in names, names

        self.program.press(self.program.button(editor, "Delete..."))
        self.program.answer("Deleting a type will cause all entries with that type to be\nmoved "
                            "to the Unfiled type.\n\nAre you sure you want to do this?", "Yes")
        wait_for("the entry to go", lambda: "E2E Kind" not in
                 [c.name for c in children(type_list) if role(c) == "list item"])
        names = [t["name"] for t in self.dump()["types"] if not t["deleted"]]
        assert "E2E Kind" not in names, names
        self.program.press(self.program.button(editor, "Done"))
        self.program.gone("Edit Types")

        self.program.menu(["File", "Edit Categories..."])
        editor = self.program.window("Edit Categories")
        self.program.press(self.program.button(editor, "New..."))
        define = self.program.window("Define Category")
        self.program.press(self.program.button(define, "OK"))
        self.program.answer("You must supply a name for this type.", "OK")
        type_into(self.program.field(define, "Name"), "E2E Cat")
        self.ok(define, "Define Category")
        names = [c["name"] for c in self.dump()["categories"] if not c["deleted"]]
        assert "E2E Cat" in names, names

        category_list = find(editor, "list", "Categories")
        items = [c.name for c in children(category_list) if role(c) == "list item"]
        children(category_list)[items.index("E2E Cat")].queryAction().doAction(0)
        self.program.press(self.program.button(editor, "Edit..."))
        define = self.program.window("Define Category")
        type_into(self.program.field(define, "Name"), "E2E Group")
        self.ok(define, "Define Category")
        names = [c["name"] for c in self.dump()["categories"] if not c["deleted"]]
        assert "E2E Group" in names and "E2E Cat" not in names, names
        self.program.press(self.program.button(editor, "Delete..."))
        self.program.answer("Deleting a type will cause all entries with that type to be\nmoved "
                            "to the Unfiled type.\n\nAre you sure you want to do this?", "Yes")
        wait_for("the category to go", lambda: "E2E Group" not in
                 [c["name"] for c in self.dump()["categories"] if not c["deleted"]])
        self.program.press(self.program.button(editor, "Done"))
        self.program.gone("Edit Categories")

    def test_a_character_windows_1252_cannot_hold_is_refused(self):
        before = self.dump()
        dialog = self.open_record("E2E Alpha")
        field = self.program.field(dialog, "Field 4")
        type_into(field, "\u0416uk")
        notice = find(dialog, "label", "Input notice")
        wait_for("the notice", lambda: "U+0416" in notice.description)
        assert "Windows-1252" in notice.description, notice.description
        assert text_of(field) == ""
        self.ok(dialog, "Detail View")
        after = self.record("E2E Alpha")
        assert after["values"][3] == "", after
        assert after["values"] == self.record("E2E Alpha", before)["values"]

    def test_delete_records(self):
        self.select("E2E Alpha", "E2E Alpha Copy")
        self.program.menu(["Item", "Delete Item..."])
        self.program.answer("Are you really sure you want to delete the selected item(s)?", "Yes")
        wait_for("the rows to go", lambda: "E2E Alpha" not in self.program.rows())
        firsts = [r["values"][0] for r in self.dump()["records"] if not r["deleted"]]
        assert "E2E Alpha" not in firsts and "E2E Alpha Copy" not in firsts, firsts
        self.program.exit()


if __name__ == "__main__":
    sys.exit(run_suite(RecordsSuite))
