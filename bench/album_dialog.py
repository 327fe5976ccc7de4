#!/usr/bin/python3
"""Opens the album creation dialog of the window program as a user would
(Edit, then New Album, clicked through the accessibility interface) and
waits for every thumbnail; with "build", then presses OK and waits for the
album. The program writes its main-loop meter to LOOP_LOG.

    dbus-run-session -- album_dialog.py PROGRAM CAMERA BOOK LOOP_LOG [build]
"""
import os
import subprocess
import sys
import time

import pyatspi

program, camera, book, log = sys.argv[1:5]
build = sys.argv[5:] == ["build"]
env = dict(os.environ, PICTORA_LOOP_LOG=log)
env.pop("NO_AT_BRIDGE", None)
proc = subprocess.Popen([program, camera, book], env=env, stdout=subprocess.DEVNULL)


def wait(what, predicate, timeout=1800):
    end = time.time() + timeout
    while time.time() < end:
        found = predicate()
        if found:
            return found
        if proc.poll() is not None:
            sys.exit(f"the program ended while waiting for {what}")
        time.sleep(0.05)
    proc.kill()
    sys.exit(f"timed out waiting for {what}")


def window(role, name):
    for app in pyatspi.Registry.getDesktop(0):
        try:
            if app.get_process_id() == proc.pid:
                return next((w for w in app if w.getRole() == role and w.name == name), None)
        except Exception:
            pass
    return None


def find(root, role, name):
    stack = [root]
    while stack:
        acc = stack.pop()
        if acc.getRole() == role and acc.name == name:
            return acc
        stack.extend(child for child in acc if child is not None)
    return None


def button(root, name):
    return find(root, pyatspi.ROLE_PUSH_BUTTON, name)


def click(acc):
    box = acc.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    subprocess.run(["xdotool", "mousemove", "--sync", str(box.x + box.width // 2), str(box.y + box.height // 2),
                    "click", "1"], check=True)


def logged(mark):
    with open(log, encoding="utf-8") as lines:
        return any(line.rstrip("\n").endswith(" " + mark) for line in lines)


main = wait("the main window", lambda: window(pyatspi.ROLE_FRAME, "Pictora - Books and Albums"))
time.sleep(1)  # settled
click(button(main, "Edit"))
editor = wait("the book editor", lambda: window(pyatspi.ROLE_DIALOG, "Edit"))
time.sleep(1)
click(button(editor, "New Album"))
dialog = wait("the album creation dialog", lambda: window(pyatspi.ROLE_DIALOG, "New Album"))
wait("every thumbnail", lambda: logged("thumbnails done") and logged("buttons built"))
if build:
    title = find(dialog, pyatspi.ROLE_LABEL, "Title").parent
    next(acc for acc in title if acc.getRole() == pyatspi.ROLE_TEXT).queryEditableText().setTextContents("Bench")
    time.sleep(1)
    click(button(dialog, "OK"))
    wait("the album", lambda: logged("build ended"))
    time.sleep(2)  # the dialog closes and the editor opens again
proc.kill()
proc.wait()
