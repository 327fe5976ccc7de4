#!/usr/bin/python3
"""Opens the album creation dialog of the window program as a user would
(Edit, then New Album, clicked through the accessibility interface) and
waits for every thumbnail; with "build", then presses OK and waits for the
album. The program writes its main-loop meter to LOOP_LOG.

    dbus-run-session -- album_dialog.py PROGRAM CAMERA BOOK LOOP_LOG [build]
"""
import sys
import time

import pyatspi

from window_drive import Program, click, find

program, camera, book, log = sys.argv[1:5]
build = sys.argv[5:] == ["build"]
pictora = Program([program, camera, book], log)

main = pictora.wait("the main window", lambda: pictora.window("Pictora - Books and Albums"))
time.sleep(1)  # settled
click(find(main, pyatspi.ROLE_PUSH_BUTTON, "Edit"))
editor = pictora.wait("the book editor", lambda: pictora.window("Edit"))
time.sleep(1)
click(find(editor, pyatspi.ROLE_PUSH_BUTTON, "New Album"))
dialog = pictora.wait("the album creation dialog", lambda: pictora.window("New Album"))
pictora.wait("every thumbnail", lambda: pictora.logged("thumbnails done") and pictora.logged("buttons built"))
if build:
    title = find(dialog, pyatspi.ROLE_LABEL, "Title").parent
    next(acc for acc in title if acc.getRole() == pyatspi.ROLE_TEXT).queryEditableText().setTextContents("Bench")
    time.sleep(1)
    click(find(dialog, pyatspi.ROLE_PUSH_BUTTON, "OK"))
    pictora.wait("the album", lambda: pictora.logged("build ended"))
    time.sleep(2)  # the dialog closes and the editor opens again
pictora.end()
