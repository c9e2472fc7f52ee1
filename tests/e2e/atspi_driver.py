"""Drives the desktop program through its accessibility interface, as a screen reader does: the
helpers every end-to-end suite (tests/e2e/e2e_*.py) shares.

run.sh provides a display, the session and accessibility buses and, for each suite, a fresh home.
"""
import argparse
import configparser
import os
import re
import subprocess
import time
import traceback

import pyatspi
from gi.repository import Atspi, GLib

TIMEOUT = 30.0
APP_NAMES = ("Tessarin Desktop", "tessarin")


def wait_for(what, check, timeout=TIMEOUT):
    """Polls check() until it gives something true; fails after the timeout."""
    end = time.monotonic() + timeout
    last_error = None
    while time.monotonic() < end:
        try:
            value = check()
            if value:
                return value
        except Exception as error:  # the tree changes under our feet while windows come and go
            last_error = error
        time.sleep(0.1)
    raise AssertionError("timed out waiting for %s%s" % (
        what, " (%s)" % last_error if last_error else ""))


def children(node):
    try:
        return [node.getChildAtIndex(i) for i in range(node.childCount)]
    except Exception:
        return []


def walk(node, depth=0):
    if node is None or depth > 40:
        return
    yield node
    for child in children(node):
        yield from walk(child, depth + 1)


def role(node):
    return node.getRoleName()


def matching(root, role_name=None, name=None):
    for node in walk(root):
        try:
            if role_name and role(node) != role_name:
                continue
            if name is not None and node.name != name:
                continue
        except Exception:
            continue
        yield node


def find_all(root, role_name=None, name=None):
    return list(matching(root, role_name, name))


def find(root, role_name=None, name=None):
    """The first node that matches, without walking the rest (a long list has many cells)."""
    return next(matching(root, role_name, name), None)


def menu_bar(window):
    """The window's menu bar: one of its own children (the rest of the tree may be large)."""
    return next((c for c in children(window) if role(c) == "menu bar"), None)


def application(process):
    for app in children(pyatspi.Registry.getDesktop(0)):
        try:
            if app.get_process_id() == process.pid:
                return app
        except Exception:
            continue
    return None


def windows(app):
    return [w for w in children(app) if w is not None]


def window_named(app, title):
    for window in windows(app):
        try:
            if window.name == title and window.getState().contains(pyatspi.STATE_SHOWING):
                return window
        except Exception:
            continue
    return None


def press(node):
    """Presses a button or menu item. A press that opens a modal message box is answered only
    once that box closes: the missing reply is expected then, and the box is found afterwards."""
    action = node.queryAction()
    try:
        action.doAction(0)
    except GLib.GError as error:
        if "reply" not in str(error):
            raise


def type_into(field, text):
    field.queryEditableText().setTextContents(text)


def table_headers(table):
    """The column headers' names of a table (its Table interface)."""
    names = []
    for column in range(table.nColumns):
        header = table.getColumnHeader(column)
        names.append(header.name if header is not None else "")
    return names


def table_row(table, row):
    """The cells' names of one row of a table."""
    return [table.getAccessibleAt(row, column).name for column in range(table.nColumns)]


def menu_children(node):
    """The items of a menu bar entry or submenu: Qt puts them under a popup menu of their own."""
    kids = children(node)
    if len(kids) == 1 and role(kids[0]) == "popup menu":
        return children(kids[0])
    return kids


def menu_item_text(text):
    """What a screen reader calls a menu item of the command table: no '&', no key."""
    return text.split("\t")[0].replace("&", "")


class Program:
    def __init__(self, build, args=(), expect_window=True):
        env = dict(os.environ)
        self.process = subprocess.Popen([os.path.join(build, "tessarin")] + list(args), env=env)
        self.app = None
        if expect_window:
            self.app = wait_for("the program on the accessibility bus",
                                lambda: application(self.process))

    def window(self, title):
        return wait_for("the window " + title, lambda: window_named(self.app, title))

    def gone(self, title):
        wait_for("the window %s to close" % title, lambda: window_named(self.app, title) is None)

    def button(self, window, name):
        return wait_for("the button " + name, lambda: find(window, "push button", name))

    def field(self, window, name):
        return wait_for("the field " + name, lambda: find(window, "password text", name) or
                        find(window, "text", name))

    def message(self, text):
        """The message box showing `text`."""
        def box():
            for window in windows(self.app):
                if find(window, "label", text) and window.getState().contains(
                        pyatspi.STATE_SHOWING):
                    return window
            return None
        return wait_for("the message " + text, box)

    def answer(self, text, button):
        self.press(self.button(self.message(text), button))

    def press(self, node):
        press(node)

    def through_first_run(self):
        """Goes through the four Getting Started pages of a first start, to the sample records."""
        for page in range(1, 5):
            window = self.window("Getting Started - Page %d of 4" % page)
            self.press(self.button(window, "Next" if page < 4 else "OK"))
        self.gone("Getting Started - Page 4 of 4")
        wait_for("the sample records", lambda: len(self.rows()) == 12)

    def main(self):
        return wait_for("the main window", lambda: next(
            (w for w in windows(self.app) if w.name.startswith("Tessarin Password Manager") and
             menu_bar(w) and w.getState().contains(pyatspi.STATE_SHOWING)), None))

    def records(self):
        """The record list: a table named "Records"."""
        return find(self.main(), "table", "Records")

    def field_column(self, table):
        """The first text column after the type and the category: field 1 as shown."""
        return next(i for i, name in enumerate(table_headers(table))
                    if name not in ("", "Icon", "Type", "Category", "Note"))

    def rows(self):
        """Field 1 of every row as shown, top to bottom."""
        table = self.records().queryTable()
        if table.nRows == 0:
            return []
        column = self.field_column(table)
        return [table.getAccessibleAt(row, column).name for row in range(table.nRows)]

    def select_rows(self, *names):
        """Makes exactly the rows whose field 1 reads one of `names` the selection."""
        table = self.records().queryTable()
        column = self.field_column(table)
        for row in range(table.nRows):
            wanted = table.getAccessibleAt(row, column).name in names
            if wanted != table.isRowSelected(row):
                if wanted:
                    table.addRowSelection(row)
                else:
                    table.removeRowSelection(row)

        def selected():
            table = self.records().queryTable()
            return sorted(table.getAccessibleAt(row, column).name for row in range(table.nRows)
                          if table.isRowSelected(row))
        wait_for("the selection %s" % (names,), lambda: selected() == sorted(names))

    def menu(self, path):
        """Chooses a menu item: path like ['File', 'Set Password...']."""
        node = menu_bar(self.main())
        for step in path:
            node = wait_for("the menu item %s among %s" % (step, [(c.name, role(c)) for c in menu_children(node)]),
                            lambda: next((c for c in menu_children(node)
                                          if menu_item_text(c.name) == step), None))
        item = node
        wait_for("the menu item %s to be enabled" % path[-1],
                 lambda: item.getState().contains(pyatspi.STATE_ENABLED))
        press(node)

    def choose(self, menu, item):
        """Opens the menu, as a person does (items named after the selection are named when it
        opens), then chooses the item."""
        bar = find(self.main(), "menu bar")
        popup = wait_for("the menu " + menu, lambda: next(
            (c for c in menu_children(bar) if menu_item_text(c.name) == menu), None))
        self.press(popup)
        node = wait_for("the item %s" % item, lambda: next(
            (c for c in menu_children(popup) if menu_item_text(c.name) == item), None))
        self.press(node)

    def exit(self, code=0):
        self.menu(["File", "Exit"])
        self.wait(code)

    def wait(self, code=0):
        returned = self.process.wait(timeout=TIMEOUT)
        assert returned == code, "exit code %s, not %s" % (returned, code)

    def kill(self):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()


def command_table(source):
    """The menu bar's popups and items in order, from the command table's data."""
    text = open(os.path.join(source, "src/resources/command_table_data.cpp"), encoding="utf-8").read()
    popups = re.search(r"kPopups\[\] = \{(.*?)\};", text, re.S).group(1)
    names, parents = {}, {}
    for popup, parent, name in re.findall(r'\{P::(\w+), P::(\w+), "([^"]+)"\}', popups):
        names[popup], parents[popup] = name, parent
    menus = {names[p]: [] for p in names if parents[p] == "None"}
    order = list(menus)
    for popup, item in re.findall(r'\{k\w+(?: \+ \d)?, P::(\w+), "((?:[^"\\]|\\.)*)", "[^"]*"\}', text):
        if popup == "None" or not item:
            continue
        if parents[popup] != "None":
            # A submenu shows in its top popup as an item of its own; deeper ones inside it.
            while parents[parents[popup]] != "None":
                popup = parents[popup]
            top = menus[names[parents[popup]]]
            if names[popup] not in top:
                top.append(names[popup])
        else:
            menus[names[popup]].append(item.replace("\\t", "\t"))
    return order, menus


class CaseSuite:
    """A suite's cases are its methods named test_..., run in the order they are written, as one
    person's sessions with the program would be: they share the suite's home."""

    def __init__(self, build, source):
        self.build = build
        self.source = source
        self.documents = os.path.join(os.environ["HOME"], "Documents")
        self.database = os.path.join(self.documents,
                                     "Marrowgate/Tessarin/_Standalone_/TessarinDatabase.tdb")
        self.settings = os.path.join(os.environ["XDG_CONFIG_HOME"],
                                     "Marrowgate/Tessarin Desktop.conf")
        self.programs = []

    def start(self, *args, expect_window=True):
        program = Program(self.build, args, expect_window)
        self.programs.append(program)
        return program

    def cli(self, *args, stdin=""):
        return subprocess.run([os.path.join(self.build, "tessarin-cli"), "--db", self.database] +
                              list(args), input=stdin, capture_output=True, text=True,
                              timeout=TIMEOUT)

    def winpos(self):
        parser = configparser.RawConfigParser(strict=False)
        parser.read(self.settings, encoding="utf-8")
        for section in parser.sections():
            if parser.has_option(section, "Winpos"):
                return parser.get(section, "Winpos")
        return None

    def run(self):
        cases = [name for name in type(self).__dict__ if name.startswith("test_")]
        failed = 0
        for name in cases:
            started = time.monotonic()
            try:
                getattr(self, name)()
                print("ok     %s (%.1f s)" % (name, time.monotonic() - started), flush=True)
            except Exception:
                failed += 1
                print("FAILED %s" % name, flush=True)
                traceback.print_exc()
                for program in self.programs:
                    program.kill()
                break  # the later cases build on this one
        for program in self.programs:
            program.kill()
        passed = len(cases) - failed if failed == 0 else cases.index(name)
        print("%d passed, %d failed" % (passed, failed + (len(cases) - passed - failed)))
        return 1 if failed else 0




def run_suite(suite_class):
    """Parses run.sh's arguments and runs the suite; the process's exit code."""
    # Short replies: see press().
    Atspi.set_timeout(2000, 15000)
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", required=True)
    parser.add_argument("--source", required=True)
    options = parser.parse_args()
    return suite_class(options.build, options.source).run()
