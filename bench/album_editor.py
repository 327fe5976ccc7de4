#!/usr/bin/python3
"""Drives the album editor for bench/album_editor.sh: Edit, the album row's
Pictures button, waits for the rows and thumbnails near the view, scrolls
the list from top to bottom in steps, presses Apply on the unchanged album
and waits for the update, notes the program's peak memory in LOG.peak (kB),
then ends the program. Writes marks into the program's main-loop log
(PICTORA_LOOP_LOG), which the script reads.

    album_editor.py PROGRAM BOOK ALBUM LOG
"""
import sys
import time

import pyatspi

from window_drive import Program, click, find

program, book, album, log = sys.argv[1:5]
pictora = Program([program, "/nonexistent", book], log)

main = pictora.wait("the main window", lambda: pictora.window("Pictora - Books and Albums"))
time.sleep(1)
click(find(main, pyatspi.ROLE_PUSH_BUTTON, "Edit"))
editor = pictora.wait("the book editor", lambda: pictora.window("Edit"))
time.sleep(1)
row = find(editor, pyatspi.ROLE_PUSH_BUTTON, "Pictures")
click(row)
dialog = pictora.wait("the album editor", lambda: pictora.window(f"Edit - {album}"))
pictora.wait("every row and thumbnail",
             lambda: pictora.logged("picture rows built") and pictora.logged("picture thumbnails done"))


def scroll_bars(root, depth=14):
    for child in root if depth else []:
        if child is None:
            continue
        if child.getRole() == pyatspi.ROLE_SCROLL_BAR:
            yield child
        yield from scroll_bars(child, depth - 1)


# The list's bar: the one with the longest way (the comments have bars too).
value = pictora.wait("the scroll bar", lambda: max((bar.queryValue() for bar in scroll_bars(dialog)),
                                                   key=lambda v: v.maximumValue, default=None))
steps = 200
for i in range(steps + 1):
    value.currentValue = value.maximumValue * i / steps
    time.sleep(0.02)
click(find(dialog, pyatspi.ROLE_PUSH_BUTTON, "Apply"))
pictora.wait("the update", lambda: pictora.logged("album update ended"))
time.sleep(1)
# The program's peak memory, for the script.
with open(f"/proc/{pictora.proc.pid}/status", encoding="utf-8") as status, open(log + ".peak", "w") as peak:
    peak.write(next(line.split()[1] for line in status if line.startswith("VmHWM:")))
pictora.end()
