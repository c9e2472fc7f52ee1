"""End-to-end tests of the file commands as a screen reader user meets them: imports of several
formats through the menu and the file dialog (each compared with the command-line tool's import of
the same file), a protected vEX export imported again, another password manager's export imported
twice and every record exported for one, backup and restore, a damaged backup that changes nothing,
a file handed over while the program is locked, and a switch between the users of a handheld
platform (the fake platform libraries)."""
import collections
import json
import os
import re
import shutil
import subprocess
import sys

import pyatspi

from atspi_driver import (TIMEOUT, CaseSuite, children, find, find_all, menu_children, menu_item_text,
                          run_suite, type_into, wait_for, windows)

PASSWORD = "Orchid 42"


def showing(node):
    return node.getState().contains(pyatspi.STATE_SHOWING)


class FilesSuite(CaseSuite):
    # The cases, in order.

    def path(self, name):
        return os.path.join(os.environ["HOME"], name)

    def fixture(self, name):
        return os.path.join(self.source, "tests/data/imports", name)

    def run_cli(self, database, *args, stdin=""):
        done = subprocess.run([os.path.join(self.build, "tessarin-cli"), "--db", database] +
                              list(args), input=stdin, capture_output=True, text=True,
                              timeout=TIMEOUT)
        assert done.returncode == 0, (args, done.stdout, done.stderr)
        return done.stdout

    def listing(self, database=None, stdin=""):
        """The rows as the command-line tool lists them: a multiset."""
        out = self.run_cli(database or self.database, "ls", "--json", stdin=stdin)
        return collections.Counter(json.dumps(row, sort_keys=True) for row in json.loads(out))

    def imported_alone(self, path, format_name, stdin=""):
        """What the command-line tool's import of the file makes of it in a new database."""
        database = self.path("expected-%d.tdb" % len(os.listdir(os.environ["HOME"])))
        self.run_cli(database, "create")
        self.run_cli(database, "import", "--format", format_name, path, stdin=stdin)
        return self.listing(database)

    def message(self, program, pattern):
        """The message box whose text matches the pattern."""
        def box():
            for window in windows(program.app):
                if showing(window) and any(re.fullmatch(pattern, label.name or "")
                                           for label in find_all(window, "label")):
                    return window
            return None
        try:
            return wait_for("the message " + pattern, box)
        except AssertionError as error:
            shown = [label.name for window in windows(program.app) if showing(window)
                     for label in find_all(window, "label")]
            raise AssertionError("%s; shown: %s" % (error, shown)) from None

    def answer(self, program, pattern, button):
        box = self.message(program, pattern)
        program.press(program.button(box, button))
        # The press is taken in the program's own time: the next command is chosen once the
        # message has gone, as a person would.
        def gone():
            try:
                return not showing(box)
            except Exception:  # the box's object is gone from the bus with it
                return True
        wait_for("the message %s gone" % pattern, gone)

    def choose_file(self, program, title, path, button):
        """Types the path into the file dialog's name field and presses its button."""
        dialog = program.window(title)
        field = program.field(dialog, "File name:")
        type_into(field, path)
        program.press(program.button(dialog, button))
        program.gone(title)

    def file_password(self, program, password, confirm=True):
        dialog = program.window("Get Password")
        type_into(program.field(dialog, "Password"), password)
        if confirm:
            type_into(program.field(dialog, "Confirm"), password)
        program.press(program.button(dialog, "OK"))
        program.gone("Get Password")

    def test_imports_through_the_menu_match_the_command_line_tools(self):
        program = self.start()
        program.through_first_run()
        cases = [("Tessarin vEX...", "records.vex", "auto"), ("CSV...", "records.csv", "csv"),
                 ("Yaps TXT...", "yaps.txt", "yaps"), ("TopSecret CSV...", "topsecret.csv",
                                                       "topsecret")]
        for item, name, format_name in cases:
            before = self.listing()
            shown = len(program.rows())
            program.menu(["File", "Import", item])
            self.choose_file(program, "Import File", self.fixture(name), "Open")
            expected = self.imported_alone(self.fixture(name), format_name)
            wait_for("the rows of " + name,
                     lambda: len(program.rows()) == shown + sum(expected.values()))
            added = self.listing() - before
            assert added == expected, (name, added, expected)
        self.running = program

    def test_a_protected_vex_export_imports_again(self):
        program = self.running
        whole = self.listing()
        exported = self.path("exported.vex")
        program.menu(["File", "Export...", "Tessarin vEX..."])
        dialog = program.window("Export")
        assert find(dialog, "radio button", "Export all records").getState().contains(
            pyatspi.STATE_CHECKED)
        program.press(program.button(dialog, "OK"))
        self.choose_file(program, "Export File", exported, "Save")
        self.file_password(program, PASSWORD)
        self.answer(program, re.escape("The file export process was completed successfully."),
                    "OK")
        assert self.imported_alone(exported, "vex", stdin=PASSWORD + "\n") == whole

        shown = len(program.rows())
        program.menu(["File", "Import", "Tessarin vEX..."])
        self.choose_file(program, "Import File", exported, "Open")
        self.file_password(program, PASSWORD, confirm=False)
        wait_for("the records twice", lambda: len(program.rows()) == 2 * shown)
        assert self.listing() == whole + whole

    def records(self, database=None):
        """Each distinct record as type, category, fields in clear and note."""
        out = self.run_cli(database or self.database, "ls", "--json", "--unmask")
        return {json.dumps([row["type"], row["category"], row["fields"], row["note"]])
                for row in json.loads(out)}

    def test_another_managers_export_comes_in_once_and_records_leave_for_one(self):
        program = self.running
        path = os.path.join(self.source, "tests/data/managers/bitwarden.csv")
        before = self.listing()
        shown = len(program.rows())
        for counts in ("3 records were imported, and 0", "0 records were imported, and 3"):
            program.menu(["File", "Import", "From Another Password Manager",
                          "Bitwarden CSV or JSON..."])
            self.choose_file(program, "Import File", path, "Open")
            told = re.escape("The file was read as an export of Bitwarden: %s were skipped as "
                             "already present." % counts)
            # Chosen again at once: the message is said after the command, which has ended.
            self.answer(program, told, "OK")
        wait_for("the rows of bitwarden.csv", lambda: len(program.rows()) == shown + 3)
        assert self.listing() - before == self.imported_alone(path, "bitwarden")

        leaving = self.path("leaving.csv")
        program.menu(["File", "Export...", "For Another Password Manager..."])
        self.choose_file(program, "Export for Another Password Manager", leaving, "Save")
        self.answer(program, re.escape("The file export process was completed successfully.") +
                    "(?s:.*in clear text.*)", "OK")
        assert os.stat(leaving).st_mode & 0o777 == 0o600
        with open(leaving, encoding="utf-8") as f:
            assert f.readline().startswith("folder,favorite,type,name,notes,"), leaving
        back = self.path("back.tdb")
        self.run_cli(back, "create")
        self.run_cli(back, "import", leaving)
        assert self.records(back) == self.records(), (self.records(back) ^ self.records())

    def test_backup_then_restore_brings_back_the_records(self):
        program = self.running
        backup = self.path("backup.vex")
        program.menu(["File", "Backup..."])
        self.choose_file(program, "Backup Database", backup, "Save")
        self.file_password(program, PASSWORD)
        self.answer(program, re.escape("The backup was successful."), "OK")
        saved = self.listing()

        # Something changes after the backup.
        shown = len(program.rows())
        program.menu(["File", "Import", "Yaps TXT..."])
        self.choose_file(program, "Import File", self.fixture("yaps.txt"), "Open")
        wait_for("the rows after the backup", lambda: len(program.rows()) > shown)
        assert self.listing() != saved

        program.menu(["File", "Restore..."])
        self.choose_file(program, "Restore Database", backup, "Open")
        self.answer(program, re.escape(
            "This operation will destroy the current contents of the database and restore the "
            "selected database. Are you sure you want to do this?"), "Yes")
        self.file_password(program, PASSWORD, confirm=False)
        self.answer(program, "The database as it was before the restore is kept as .*", "OK")
        wait_for("the rows of the backup", lambda: len(program.rows()) == shown)
        assert self.listing() == saved

    def test_a_damaged_backup_changes_nothing_and_says_so(self):
        program = self.running
        with open(self.path("backup.vex"), "rb") as f:
            data = f.read()
        damaged = self.path("damaged.vex")
        # Cut inside an enciphered value half way through: no reader can take that for a
        # whole row.
        inside = re.compile(rb",[0-9A-F]{16}").search(data, len(data) // 2).start() + 6
        with open(damaged, "wb") as f:
            f.write(data[:inside])
        before = self.listing()
        shown = len(program.rows())
        program.menu(["File", "Restore..."])
        self.choose_file(program, "Restore Database", damaged, "Open")
        self.answer(program, "This operation will destroy .*", "Yes")
        self.file_password(program, PASSWORD, confirm=False)
        self.answer(program, "The backup is cut short or cannot be read from line .* on\\.", "OK")
        self.answer(program, re.escape("Nothing was restored: the database is as it was."), "OK")
        assert len(program.rows()) == shown
        assert self.listing() == before

    def test_a_file_handed_over_while_locked_is_asked_about_after_the_unlock(self):
        program = self.running
        shown = len(program.rows())
        # Only a database with a password locks.
        program.menu(["File", "Set Password..."])
        dialog = program.window("Set Password")
        type_into(program.field(dialog, "New password"), PASSWORD)
        type_into(program.field(dialog, "Confirm password"), PASSWORD)
        program.press(program.button(dialog, "OK"))
        program.gone("Set Password")
        subprocess.run(["dbus-send", "--session", "--type=signal", "/org/freedesktop/ScreenSaver",
                        "org.freedesktop.ScreenSaver.ActiveChanged", "boolean:true"], check=True)
        dialog = program.window("Enter Password")
        second = self.start(self.fixture("yaps.txt"), expect_window=False)
        second.wait(0)
        # Nothing is asked or imported behind the password dialog.
        type_into(program.field(dialog, "Please enter the password."), PASSWORD)
        program.press(program.button(dialog, "OK"))
        self.answer(program, re.escape("Do you want to import the file %s?" % self.fixture("yaps.txt")),
                    "Yes")
        wait_for("the handed-over rows", lambda: len(program.rows()) > shown)
        program.exit()

    def test_the_user_menu_switches_to_another_users_records(self):
        root = self.path("palm")
        ann = os.path.join(root, "ann", "TessarinDatabase.tdb")
        bob = os.path.join(root, "bob", "TessarinDatabase.tdb")
        self.run_cli(ann, "create")
        self.run_cli(ann, "import", "--format", "yaps", self.fixture("yaps.txt"))
        self.run_cli(bob, "create", "--set-password", stdin="Bob Pass 1\nBob Pass 1\n")
        self.run_cli(bob, "import", "--format", "topsecret", self.fixture("topsecret.csv"),
                     stdin="Bob Pass 1\n")
        config = self.path("fake-platform.conf")
        with open(config, "w") as f:
            f.write("platform_kind=0\nplatform_name=Palm\nuser=Ann|ann|0|Palm|1\n"
                    "user=Bob|bob|0|Palm|2\nroot_dir2=%s/%%s\n" % root)
        os.environ["TESSARIN_PLATFORM_DIR"] = os.path.join(self.build, "fake-platform/full")
        os.environ["TESSARIN_FAKE_PLATFORM"] = config
        try:
            program = self.start()
            ann_rows = sum(self.listing(ann).values())
            bob_rows = sum(self.listing(bob, stdin="Bob Pass 1\n").values())
            wait_for("Ann's records", lambda: len(program.rows()) == ann_rows)
            assert program.main().name == "Tessarin Password Manager - Ann", program.main().name
            # The menu lists the users once it opens.
            user = next(p for p in children(find(program.main(), "menu bar"))
                        if p.name == "User")
            program.press(user)
            bob = wait_for("Bob in the user menu", lambda: next(
                (c for c in menu_children(user) if menu_item_text(c.name) == "Bob"), None))
            program.press(bob)
            dialog = program.window("Enter Password")
            type_into(program.field(dialog, "Please enter the password for this user."),
                      "Bob Pass 1")
            program.press(program.button(dialog, "OK"))
            wait_for("Bob's window", lambda: program.main().name ==
                     "Tessarin Password Manager - Bob")
            wait_for("Bob's records", lambda: len(program.rows()) == bob_rows)
            program.exit()
        finally:
            del os.environ["TESSARIN_PLATFORM_DIR"]
            del os.environ["TESSARIN_FAKE_PLATFORM"]
            shutil.rmtree(root, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(run_suite(FilesSuite))
