"""End-to-end tests of the desktop program, through its accessibility interface.

Run by run.sh, which provides a display, the session and accessibility buses and a fresh home.
The cases share that home and run in order, as one person's sessions with the program would.
"""
import argparse
import configparser
import os
import re
import subprocess
import sys
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


def find_all(root, role_name=None, name=None):
    found = []
    for node in walk(root):
        try:
            if role_name and role(node) != role_name:
                continue
            if name is not None and node.name != name:
                continue
            found.append(node)
        except Exception:
            continue
    return found


def find(root, role_name=None, name=None):
    nodes = find_all(root, role_name, name)
    return nodes[0] if nodes else None


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

    def main(self):
        return wait_for("the main window", lambda: next(
            (w for w in windows(self.app) if w.name.startswith("Tessarin Password Manager") and
             find(w, "menu bar") and w.getState().contains(pyatspi.STATE_SHOWING)), None))

    def rows(self):
        main = self.main()
        record_list = find(main, "list", "Records")
        return [item.name for item in children(record_list) if role(item) == "list item"]

    def menu(self, path):
        """Chooses a menu item: path like ['File', 'Set Password...']."""
        node = find(self.main(), "menu bar")
        for step in path:
            node = wait_for("the menu item %s among %s" % (step, [(c.name, role(c)) for c in menu_children(node)]),
                            lambda: next((c for c in menu_children(node)
                                          if menu_item_text(c.name) == step), None))
        item = node
        wait_for("the menu item %s to be enabled" % path[-1],
                 lambda: item.getState().contains(pyatspi.STATE_ENABLED))
        press(node)

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
    menus = {p: [] for p in re.findall(r'"([^"]+)"', popups)}
    order = list(menus)
    for menu, item in re.findall(r'\{k\w+(?: \+ \d)?, "([^"]*)", "((?:[^"\\]|\\.)*)", "[^"]*"\}', text):
        if not menu or not item:
            continue
        top = menu.split("|")[0]
        if "|" in menu:
            sub = menu.split("|")[1]
            if sub not in menus[top]:
                menus[top].append(sub)
        else:
            menus[top].append(item.replace("\\t", "\t"))
    return order, menus


class Suite:
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
        program.answer("Do you want to import the file more records.vex?", "Yes")
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

    def run(self):
        cases = [name for name in Suite.__dict__ if name.startswith("test_")]
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


def main():
    # Short replies: see press().
    Atspi.set_timeout(2000, 15000)
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", required=True)
    parser.add_argument("--source", required=True)
    options = parser.parse_args()
    return Suite(options.build, options.source).run()


if __name__ == "__main__":
    sys.exit(main())
