"""End-to-end tests of the clipboard held by another program: one that stopped answering (a
stopped xclip keeps the CLIPBOARD selection and never replies) and one that holds 20 MB. The
arrow keys move the list's selection at once all the same, and Paste follows the first line of
what the other program holds."""
import os
import signal
import subprocess
import sys
import time

import pyatspi

from atspi_driver import CaseSuite, children, find, menu_bar, menu_children, menu_item_text, \
    run_suite, wait_for

VEX_LINE = "Tessarin vEX File -v2.0\r\n"
KEYS = {"Down": 0xff54, "Up": 0xff52}  # X key symbols
BIG = 20 * 1024 * 1024


def take_clipboard(text):
    """Another program (xclip) owning the clipboard with `text`, once it does."""
    owner = subprocess.Popen(["xclip", "-quiet", "-selection", "clipboard", "-i"],
                             stdin=subprocess.PIPE, stdout=subprocess.DEVNULL,
                             stderr=subprocess.DEVNULL)
    owner.stdin.write(text.encode("utf-8"))
    owner.stdin.close()

    def owns():
        # Asked for its targets, the new owner answers. xclip serves one requestor at a time and
        # drops what others ask meanwhile: a question that goes unanswered is asked again.
        out = subprocess.run(["xclip", "-o", "-selection", "clipboard", "-t", "TARGETS"],
                             capture_output=True, text=True, timeout=2).stdout
        return "UTF8_STRING" in out or "STRING" in out
    wait_for("xclip to own the clipboard", owns)
    return owner


def clipboard_hangs():
    try:
        subprocess.run(["xclip", "-o", "-selection", "clipboard"], capture_output=True, timeout=1)
        return False
    except subprocess.TimeoutExpired:
        return True


def press_key(name):
    """A key pressed and released on the keyboard, into the window with the focus."""
    pyatspi.Registry.generateKeyboardEvent(KEYS[name], None, pyatspi.KEY_SYM)


def release(owner):
    if owner.poll() is None:
        os.kill(owner.pid, signal.SIGCONT)
        owner.kill()
        owner.wait()


class ClipboardOwnerSuite(CaseSuite):
    # The cases, in order.

    def focus_list(self, program):
        """The keyboard in the main window, whose focus is in the record list."""
        window = subprocess.run(["xdotool", "search", "--pid", str(program.process.pid), "--name",
                                 "^Tessarin Password Manager"], capture_output=True, text=True,
                                check=True).stdout.split()[0]
        subprocess.run(["xdotool", "windowfocus", "--sync", window], check=True)

    def selected(self, program):
        return tuple(program.records().queryTable().getSelectedRows())

    def key_times(self, program, keys):
        """Presses each key; the seconds until the selection had moved, one for each."""
        press_key("Down")
        wait_for("a row selected", lambda: len(self.selected(program)) == 1)
        times = []
        for key in keys:
            before = self.selected(program)
            started = time.monotonic()
            press_key(key)
            while self.selected(program) == before:
                assert time.monotonic() - started < 30, "the selection did not move"
            times.append(time.monotonic() - started)
        return times

    def paste_enabled(self, program):
        edit = next(c for c in children(menu_bar(program.main())) if c.name == "Edit")
        paste = next(c for c in menu_children(edit) if menu_item_text(c.name) == "Paste")
        return paste.getState().contains(pyatspi.STATE_ENABLED)

    def test_arrow_keys_move_the_selection_at_once_while_the_clipboard_owner_hangs(self):
        program = self.start()
        program.through_first_run()
        owner = take_clipboard("held by a program that stopped answering")
        os.kill(owner.pid, signal.SIGSTOP)
        try:
            assert clipboard_hangs(), "the owner still answers"
            self.focus_list(program)
            times = self.key_times(program, ["Down"] * 6 + ["Up"] * 4)
            times.sort()
            # A read of the clipboard on the window's thread would wait for the owner (seconds).
            assert times[len(times) // 2] <= 0.1 and times[-1] < 1.0, times
        finally:
            release(owner)
        self.running = program

    def test_twenty_megabytes_on_the_clipboard_are_judged_by_their_first_line(self):
        program = self.running
        owner = take_clipboard(VEX_LINE + "x" * BIG)
        try:
            wait_for("Paste enabled for records", lambda: self.paste_enabled(program))
            times = sorted(self.key_times(program, ["Down"] * 5))
            assert times[len(times) // 2] <= 0.1, times
        finally:
            release(owner)
        owner = take_clipboard("y" * BIG)
        try:
            wait_for("Paste disabled for other text", lambda: not self.paste_enabled(program))
        finally:
            release(owner)
        program.exit()


if __name__ == "__main__":
    sys.exit(run_suite(ClipboardOwnerSuite))
