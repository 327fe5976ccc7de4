#!/usr/bin/python3
"""Drives the window program as a user would, through the accessibility
interface: finds windows and buttons by the texts a user reads, presses
buttons, types into fields. Run inside a D-Bus session on an X display:

    dbus-run-session -- drive_pictora.py REPORT SCENARIO PROGRAM [ARGS...]

Writes what it sees as "key: value" lines to the file REPORT (standard
output is shared with the accessibility services); the calling test judges
them. With SCREENSHOT_DIR set in the environment, it leaves pictures of the
windows it works with there. Scenarios:
  settings     main window first; Settings, change JPEG quality to 85 and
               the HTML address, OK; then Close.
  first-start  no settings file: the settings dialog comes before the main
               window; OK; then Close.
  first-cancel no settings file: Cancel in the settings dialog.
"""
import os
import subprocess
import sys
import time

import pyatspi

MAIN_TITLE = "Pictora - Books and Albums"
TIMEOUT = 60


REPORT = open(sys.argv[1], "w", encoding="utf-8")


def report(key, value):
    print(f"{key}: {value}", file=REPORT, flush=True)


def wait_for(what, predicate, proc):
    end = time.time() + TIMEOUT
    while time.time() < end:
        found = predicate()
        if found:
            return found
        if proc.poll() is not None:
            report("error", f"program ended (status {proc.returncode}) while waiting for {what}")
            sys.exit(1)
        time.sleep(0.1)
    report("error", f"timed out waiting for {what}")
    proc.kill()
    sys.exit(1)


def application(proc):
    for app in pyatspi.Registry.getDesktop(0):
        try:
            if app is not None and app.get_process_id() == proc.pid:
                return app
        except Exception:  # an application that went away meanwhile
            continue
    return None


def showing(acc):
    return acc.getState().contains(pyatspi.STATE_SHOWING)


def toplevel(proc, role, name):
    """The showing top-level window of role and name, or None."""
    app = application(proc)
    if app is None:
        return None
    for window in app:
        if window is not None and window.getRole() == role and window.name == name and showing(window):
            return window
    return None


def find(root, role, name):
    """First descendant of root with role and name, depth first."""
    for child in root:
        if child is None:
            continue
        if child.getRole() == role and child.name == name:
            return child
        found = find(child, role, name)
        if found is not None:
            return found
    return None


def field(root, label, role):
    """The first widget of role after the label in the label's row."""
    caption = find(root, pyatspi.ROLE_LABEL, label)
    if caption is None:
        return None
    row = caption.parent
    after = False
    for child in row:
        if child == caption:
            after = True
        elif after and child.getRole() == role:
            return child
    return None


def extents(button):
    box = button.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    return (box.x, box.y, box.width, box.height)


def settled_extents(acc):
    """The accessible's place on the screen once it stays put."""
    place = None
    for _ in range(50):
        time.sleep(0.1)
        now = extents(acc)
        if now == place and acc.getState().contains(pyatspi.STATE_SHOWING):
            break
        place = now
    return place


def screenshot(window, name):
    folder = os.environ.get("SCREENSHOT_DIR")
    if not folder:
        return
    import gi
    gi.require_version("Gdk", "3.0")
    from gi.repository import Gdk
    Gdk.init([])
    x, y, width, height = settled_extents(window)
    time.sleep(0.5)  # drawn by now
    shot = Gdk.pixbuf_get_from_window(Gdk.get_default_root_window(), x, y, width, height)
    os.makedirs(folder, exist_ok=True)
    shot.savev(os.path.join(folder, name + ".png"), "png", [], [])


def press(root, name):
    """Clicks the button with the mouse, as a user would, once its place on
    the screen has settled. (Its accessible click action would not return
    while a dialog it opens is running.)"""
    button = find(root, pyatspi.ROLE_PUSH_BUTTON, name)
    if button is None:
        report("error", f"no button {name}")
        sys.exit(1)
    x, y, width, height = settled_extents(button)
    subprocess.run(["xdotool", "mousemove", "--sync", str(x + width // 2), str(y + height // 2)], check=True)
    time.sleep(0.1)
    subprocess.run(["xdotool", "click", "1"], check=True)


def press_until(proc, root, name, what, predicate):
    """Presses the button until predicate holds: a click that reaches a
    window still being set up on a loaded machine is lost, and a user would
    click again."""
    for _ in range(3):
        press(root, name)
        end = time.time() + 5
        while time.time() < end:
            found = predicate()
            if found:
                return found
            time.sleep(0.1)
    return wait_for(what, predicate, proc)


def settings_dialog(proc):
    return wait_for("the settings dialog", lambda: toplevel(proc, pyatspi.ROLE_DIALOG, "Settings"), proc)


def main_window(proc):
    return wait_for("the main window", lambda: toplevel(proc, pyatspi.ROLE_FRAME, MAIN_TITLE), proc)


def press_and_wait_for_exit(proc, window, button):
    press_until(proc, window, button, f"the program to end after {button}", lambda: proc.poll() is not None)
    report("exit", proc.returncode)


def main():
    scenario, program = sys.argv[2], sys.argv[3:]
    env = dict(os.environ)
    env.pop("NO_AT_BRIDGE", None)  # the program must join the accessibility bus
    # GTK's own allocations that live until exit are no finding of ours.
    env["ASAN_OPTIONS"] = env.get("ASAN_OPTIONS", "") + ":detect_leaks=0"
    proc = subprocess.Popen(program, env=env)

    if scenario == "settings":
        main = main_window(proc)
        report("title", main.name)
        screenshot(main, "program-main-window")
        dialog = press_until(proc, main, "Settings", "the settings dialog",
                             lambda: toplevel(proc, pyatspi.ROLE_DIALOG, "Settings"))
        screenshot(dialog, "program-settings-dialog")
        quality = field(dialog, "JPEG Quality", pyatspi.ROLE_SPIN_BUTTON)
        quality.queryValue().currentValue = 85
        address = field(dialog, "HTML Address", pyatspi.ROLE_TEXT)
        address.queryEditableText().setTextContents("(C) A. Tester")
        press_until(proc, dialog, "OK", "the dialog to close",
                    lambda: toplevel(proc, pyatspi.ROLE_DIALOG, "Settings") is None)
        report("dialog", "closed")
        press_and_wait_for_exit(proc, main, "Close")
    elif scenario == "first-start":
        dialog = settings_dialog(proc)
        report("main window before OK", toplevel(proc, pyatspi.ROLE_FRAME, MAIN_TITLE) is not None)
        main = press_until(proc, dialog, "OK", "the main window",
                           lambda: toplevel(proc, pyatspi.ROLE_FRAME, MAIN_TITLE))
        report("title", main.name)
        press_and_wait_for_exit(proc, main, "Close")
    elif scenario == "first-cancel":
        dialog = settings_dialog(proc)
        press_and_wait_for_exit(proc, dialog, "Cancel")
    else:
        report("error", f"unknown scenario {scenario}")
        proc.kill()
        sys.exit(2)


main()
