#!/usr/bin/python3
"""Drives the album editor for bench/album_editor.sh: Edit, the album row's
Pictures button, waits for every row and thumbnail, scrolls the list from
top to bottom in steps, presses Apply on the unchanged album and waits for
the update, then ends the program. Writes marks into the program's
main-loop log (PICTORA_LOOP_LOG), which the script reads.

    album_editor.py PROGRAM BOOK ALBUM LOG
"""
import os
import subprocess
import sys
import time

import pyatspi

program, book, album, log = sys.argv[1:5]
env = dict(os.environ, PICTORA_LOOP_LOG=log)
env.pop("NO_AT_BRIDGE", None)
proc = subprocess.Popen([program, "/nonexistent", book], env=env, stdout=subprocess.DEVNULL,
                        stderr=open(log + ".err", "w"))


def wait(what, predicate, timeout=1800):
    end = time.time() + timeout
    while time.time() < end:
        found = predicate()
        if found:
            return found
        if proc.poll() is not None:
            with open(log + ".err", encoding="utf-8") as err:
                sys.exit(f"the program ended ({proc.returncode}) while waiting for {what}: {err.read()}")
        time.sleep(0.05)
    proc.kill()
    sys.exit(f"timed out waiting for {what}")


def window(name):
    for app in pyatspi.Registry.getDesktop(0):
        try:
            if app.get_process_id() == proc.pid:
                return next((w for w in app if w.name == name), None)
        except Exception:
            pass
    return None


def find(root, role, name=None, depth=12):
    if depth == 0:
        return None
    for child in root:
        if child is None:
            continue
        if child.getRole() == role and (name is None or child.name == name):
            return child
        found = find(child, role, name, depth - 1)
        if found is not None:
            return found
    return None


def click(acc):
    box = acc.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    subprocess.run(["xdotool", "mousemove", "--sync", str(box.x + box.width // 2), str(box.y + box.height // 2),
                    "click", "1"], check=True)


def logged(mark):
    with open(log, encoding="utf-8") as lines:
        return any(line.rstrip("\n").endswith(" " + mark) for line in lines)


main = wait("the main window", lambda: window("Pictora - Books and Albums"))
time.sleep(1)
click(find(main, pyatspi.ROLE_PUSH_BUTTON, "Edit"))
editor = wait("the book editor", lambda: window("Edit"))
time.sleep(1)
row = find(editor, pyatspi.ROLE_PUSH_BUTTON, "Pictures")
click(row)
dialog = wait("the album editor", lambda: window(f"Edit - {album}"))
wait("every row and thumbnail", lambda: logged("picture rows built") and logged("picture thumbnails done"))


def scroll_bars(root, depth=14):
    for child in root if depth else []:
        if child is None:
            continue
        if child.getRole() == pyatspi.ROLE_SCROLL_BAR:
            yield child
        yield from scroll_bars(child, depth - 1)


# The list's bar: the one with the longest way (the comments have bars too).
value = wait("the scroll bar", lambda: max((bar.queryValue() for bar in scroll_bars(dialog)),
                                           key=lambda v: v.maximumValue, default=None))
steps = 200
for i in range(steps + 1):
    value.currentValue = value.maximumValue * i / steps
    time.sleep(0.02)
click(find(dialog, pyatspi.ROLE_PUSH_BUTTON, "Apply"))
wait("the update", lambda: logged("album update ended"))
time.sleep(1)
proc.kill()
proc.wait()
