#!/usr/bin/python3
"""Drives the window program as a user would, through the accessibility
interface: finds windows and buttons by the texts a user reads, presses
buttons with the mouse, types into fields. Run inside a D-Bus session on an
X display:

    dbus-run-session -- drive_pictora.py REPORT SCENARIO PROGRAM [ARGS...]

Writes what it sees as "key: value" lines to the file REPORT (standard output
is shared with the accessibility services); the calling test judges them.
With SCREENSHOT_DIR set it leaves pictures of the windows there. Scenarios:
  first-start   no settings file: the settings dialog comes first; OK; Close.
  first-cancel  no settings file: Cancel in the settings dialog.
  session       the main window's list; the viewer buttons of the rows named
                in VIEW_ROWS (separated by "|") and the browser button, each
                waiting for one more call in the log CALLS; the settings
                dialog: an edit dropped by Cancel, values refused by OK (a
                picture size of 0 and an address with a line break: an
                error box, the dialog and the settings file stay), then
                edits kept by OK (the album folder typed, NEW_ALBUM, and kept
                when its folder chooser is cancelled; the source folder
                picked in its folder chooser, NEW_FROM); the list again;
                Close.
  album         the typical request: Edit; New Album over the camera folder
                once every thumbnail has come (THUMBNAILS of them): the files
                not in PICKS ("NAME" or "NAME:DEGREES", separated by "|")
                unpicked, the turns set, the album NAME, TITLE, HEAD and LAST
                typed, OK; New Book (SUB_BOOK: "FOLDER|TITLE"); the row RENAME
                ("OLD|NEW") renamed and Apply; the row REMOVE removed through
                both confirmations; Update All; OK; Close. The editor's rows,
                the buttons of the files and any message box are reported.
  sorting       a day's pictures sorted in the album editor, opened from the
                book editor's row ALBUM once its THUMBNAILS have come: the
                picture GOOD marked good and flagged Print, COMMENT
                ("NAME|TEXT") typed, TURN turned by 270 degrees, Apply; in
                the reopened editor TURN turned by 270 degrees again, OK;
                Update All; the rows _Best and _PrintBook opened to edit
                (OK); Close of the editor; then from the main window the
                album viewer of ALBUM, the book viewer of BOOK with the album
                viewer of its row INNER nested in it, and the good picks and
                the best book to look at; in the album viewer the files
                of PLAY ("|" between them) started through their buttons,
                each waiting for one more call in the log CALLS. Each
                dialog's picture buttons are reported with their sizes.
  geometry      every dialog on a screen of SCREEN ("WIDTHxHEIGHT", logical
                pixels) measured once its pictures are in: it lies within
                the screen, has kept the size it opened at, and its action
                buttons lie within it and the screen; most are closed with
                Escape. On the way: the album editor of ALBUM shows three
                pictures a line or more with their marks and flags whole;
                New Book takes the texts of the sub-book BOOK when its name
                is typed and the field left, and Enter makes it; the
                sub-book's editor stands off its parent's; the collections
                name the album of a picture whose name several albums give.
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


def fail(message):
    report("error", message)
    PROC.kill()
    sys.exit(1)


def wait_for(what, predicate, timeout=TIMEOUT):
    end = time.time() + timeout
    while time.time() < end:
        found = predicate()
        if found:
            return found
        if PROC.poll() is not None:
            fail(f"program ended (status {PROC.returncode}) while waiting for {what}")
        time.sleep(0.1)
    if timeout == TIMEOUT:
        fail(f"timed out waiting for {what}")
    return None


def toplevel(role, name):
    """The showing top-level window of role and name, or None."""
    for app in pyatspi.Registry.getDesktop(0):
        try:
            if app is None or app.get_process_id() != PROC.pid:
                continue
            for window in app:
                if window.getRole() == role and window.name == name and showing(window):
                    return window
        except Exception:  # gone meanwhile
            continue
    return None


def showing(acc):
    return acc.getState().contains(pyatspi.STATE_SHOWING)


def descendants(root, role):
    for child in root:
        if child is None:
            continue
        if child.getRole() == role:
            yield child
        yield from descendants(child, role)


def find(root, role, name):
    found = None
    for _ in range(20):
        try:
            found = next((acc for acc in descendants(root, role) if acc.name == name), None)
            break
        except Exception:  # the window's rows are being built again
            time.sleep(0.2)
    if found is None:
        fail(f"no {name} in {root.name}")
    return found


def field(root, label, role):
    """The first widget of role after the label in the label's row."""
    caption = find(root, pyatspi.ROLE_LABEL, label)
    siblings = list(caption.parent)
    return next(acc for acc in siblings[siblings.index(caption):] if acc.getRole() == role)


def extents(acc):
    box = acc.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    return (box.x, box.y, box.width, box.height)


def settled_extents(acc):
    """The accessible's place on the screen once it stays put."""
    place = None
    for _ in range(50):
        time.sleep(0.1)
        now = extents(acc)
        if now == place and showing(acc):
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


def click(acc):
    """Clicks acc with the mouse once its place on the screen has settled.
    (An accessible click action would not return while a dialog it opens
    is running.)"""
    x, y, width, height = settled_extents(acc)
    scale = int(os.environ.get("GDK_SCALE", "1"))  # the places are in logical pixels, the mouse moves in the screen's
    subprocess.run(["xdotool", "mousemove", "--sync", str(scale * (x + width // 2)), str(scale * (y + height // 2))],
                   check=True)
    time.sleep(0.1)
    subprocess.run(["xdotool", "click", "1"], check=True)


def press_until(acc, what, predicate):
    """Clicks until predicate holds: a click that reaches a window still being
    set up on a loaded machine is lost, and a user would click again."""
    for _ in range(3):
        click(acc)
        found = wait_for(what, predicate, timeout=5)
        if found:
            return found
    return wait_for(what, predicate)


def press(root, name, what, predicate):
    return press_until(find(root, pyatspi.ROLE_PUSH_BUTTON, name), what, predicate)


def dialog_closed():
    return toplevel(pyatspi.ROLE_DIALOG, "Settings") is None


def open_settings(main):
    return press(main, "Settings", "the settings dialog", lambda: toplevel(pyatspi.ROLE_DIALOG, "Settings"))


def press_close(window, button):
    press(window, button, f"the end after {button}", lambda: PROC.poll() is not None)
    report("exit", PROC.returncode)


def shown(text):
    return text.replace("\r", "\\r").replace("\n", "\\n") or "-"


def report_list(main, height=False):
    """The base's comments and the rows of the list that show without
    scrolling as the user reads them: the widgets of one row left to right,
    buttons in brackets, "-" for an empty text."""
    settled_extents(main)  # the window grown to its rows, when they came anew
    report("base", shown(main[0][0].name))
    for key, view in zip(("head", "last"), descendants(main, pyatspi.ROLE_TEXT)):
        report(key, shown(view.queryText().getText(0, -1)))
    if height:
        report("list height", extents(next(descendants(main, pyatspi.ROLE_SCROLL_PANE)))[3])
    rows = {}
    for acc in next(descendants(main, pyatspi.ROLE_VIEWPORT))[0]:
        if showing(acc):
            x, y, _, _ = extents(acc)
            text = f"[{acc.name}]" if acc.getRole() == pyatspi.ROLE_PUSH_BUTTON else shown(acc.name)
            rows.setdefault(y, []).append((x, text))
    for y in sorted(rows):
        report("row", " | ".join(text for _, text in sorted(rows[y])))


def calls():
    try:
        with open(os.environ["CALLS"], encoding="utf-8") as log:
            return sum(1 for line in log if line == ".\n")
    except FileNotFoundError:
        return 0


def press_for_call(button):
    done = calls() + 1
    press_until(button, "the started program", lambda: calls() >= done)


def viewer_button(main, row):
    """The viewer button beside the name label of row."""
    name = find(main, pyatspi.ROLE_LABEL, row)
    return next(acc for acc in name.parent if acc.name == "Viewer" and extents(acc)[1] == extents(name)[1])


def choose_folder(dialog, row, folder):
    """The row's Browse... button; then OK with the folder typed into the
    chooser's location field, or Cancel when folder is None."""
    def chooser():
        return toplevel(pyatspi.ROLE_FILE_CHOOSER, row)
    window = press_until(field(dialog, row, pyatspi.ROLE_PUSH_BUTTON), "the folder chooser", chooser)
    if folder is not None:
        subprocess.run(["xdotool", "key", "ctrl+l"], check=True)
        location = wait_for("the location field",
                            lambda: next((acc for acc in descendants(window, pyatspi.ROLE_TEXT) if showing(acc)), None))
        location.queryEditableText().setTextContents(folder)
    press(window, "OK" if folder else "Cancel", "the chooser to close", lambda: chooser() is None)


def session():
    main = wait_for("the main window", lambda: toplevel(pyatspi.ROLE_FRAME, MAIN_TITLE))
    report_list(main, height=True)
    screenshot(main, "program-main-window")
    for row in os.environ["VIEW_ROWS"].split("|"):
        press_for_call(viewer_button(main, row))
    press_for_call(find(main, pyatspi.ROLE_PUSH_BUTTON, "Browser"))

    dialog = open_settings(main)
    screenshot(dialog, "program-settings-dialog")
    report("source folder", field(dialog, "Source Folder", pyatspi.ROLE_TEXT).queryText().getText(0, -1))
    field(dialog, "JPEG Quality", pyatspi.ROLE_SPIN_BUTTON).queryValue().currentValue = 85
    press(dialog, "Cancel", "the dialog to close", dialog_closed)
    dialog = open_settings(main)
    quality = field(dialog, "JPEG Quality", pyatspi.ROLE_SPIN_BUTTON)
    report("quality after cancel", int(quality.queryValue().currentValue))
    quality.queryValue().currentValue = 85
    address = field(dialog, "HTML Address", pyatspi.ROLE_TEXT).queryEditableText()
    width = field(dialog, "Picture Size", pyatspi.ROLE_SPIN_BUTTON).queryValue()
    address.setTextContents("x\r\nalba=/etc")
    width.currentValue = 0
    settings = os.path.join(os.environ["XDG_CONFIG_HOME"], "pictora", "pictora.ini")
    before = open(settings, "rb").read()
    error = press(dialog, "OK", "the error box", lambda: toplevel(pyatspi.ROLE_ALERT, "Error"))
    report("refused", " | ".join(shown(label.name) for label in descendants(error, pyatspi.ROLE_LABEL) if label.name))
    press(error, "OK", "the error box to close", lambda: toplevel(pyatspi.ROLE_ALERT, "Error") is None)
    report("settings kept", toplevel(pyatspi.ROLE_DIALOG, "Settings") is not None and open(settings, "rb").read() == before)
    width.currentValue = 1024
    address.setTextContents("(C) A. Tester")
    field(dialog, "Album Folder", pyatspi.ROLE_TEXT).queryEditableText().setTextContents(os.environ["NEW_ALBUM"])
    choose_folder(dialog, "Album Folder", None)
    choose_folder(dialog, "Source Folder", os.environ["NEW_FROM"])
    keep = find(dialog, pyatspi.ROLE_CHECK_BOX, "Keep Header")
    press_until(keep, "the header kept", lambda: keep.getState().contains(pyatspi.STATE_CHECKED))
    location = find(dialog, pyatspi.ROLE_CHECK_BOX, "Keep Location in Pictures")
    press_until(location, "the location kept", lambda: location.getState().contains(pyatspi.STATE_CHECKED))
    style = next(descendants(dialog, pyatspi.ROLE_COMBO_BOX))
    style.querySelection().selectChild(1)
    wait_for("the responsive style", lambda: style.name == "responsive")
    press(dialog, "OK", "the dialog to close", dialog_closed)
    report_list(main)
    press_close(main, "Close")


def dialog(name):
    return wait_for(f"the {name} dialog", lambda: toplevel(pyatspi.ROLE_DIALOG, name))


def gone(acc):
    try:
        return not showing(acc)
    except Exception:  # destroyed
        return True


def after(label, role, root):
    """The first widget of role in or after the sibling that follows label."""
    caption = find(root, pyatspi.ROLE_LABEL, label)
    siblings = list(caption.parent)
    for sibling in siblings[siblings.index(caption) + 1:]:
        if sibling.getRole() == role:
            return sibling
        found = next(descendants(sibling, role), None)
        if found is not None:
            return found
    fail(f"no field after {label}")


def type_into(root, label, role, text):
    after(label, role, root).queryEditableText().setTextContents(text)


def answer_box(title, button):
    box = wait_for(f"the box {title}", lambda: toplevel(pyatspi.ROLE_ALERT, title))
    report("box", f"{title}: " + shown(next(descendants(box, pyatspi.ROLE_LABEL)).name))
    press(box, button, f"the {title} box to close", lambda: gone(box))


def editor_rows(editor):
    """The rows of the book editor: secret mark, name, buttons, texts."""
    cells = {}
    for acc in next(descendants(editor, pyatspi.ROLE_VIEWPORT))[0]:
        x, y, _, _ = extents(acc)
        role = acc.getRole()
        if role == pyatspi.ROLE_CHECK_BOX:
            text = "secret" if acc.getState().contains(pyatspi.STATE_CHECKED) else "-"
        elif role == pyatspi.ROLE_TEXT:
            text = acc.queryText().getText(0, -1)
        elif role == pyatspi.ROLE_PUSH_BUTTON:
            text = f"[{acc.name}]"
        else:
            text = shown(acc.name)
        cells.setdefault(y, []).append((x, text))
    for y in sorted(cells):
        report("row", " | ".join(text for _, text in sorted(cells[y])))


def row_cell(editor, name, role, label=None):
    """The widget of role (and label) in the row whose name entry reads name."""
    entry = wait_for(f"the row {name}", lambda: next(
        (acc for acc in descendants(editor, pyatspi.ROLE_TEXT) if acc.queryText().getText(0, -1) == name), None))
    y = extents(entry)[1]
    return entry if role == pyatspi.ROLE_TEXT else next(
        acc for acc in entry.parent if acc.getRole() == role and acc.name == label and extents(acc)[1] == y)


def thumbnails(album):
    return [acc for acc in descendants(album, pyatspi.ROLE_TOGGLE_BUTTON) if acc.queryImage().getImageSize()[0] > 0]


def report_files(album):
    """The file buttons in reading order: name, size of the picture shown, picked or not."""
    buttons = sorted(descendants(album, pyatspi.ROLE_TOGGLE_BUTTON), key=lambda acc: extents(acc)[1::-1])
    for button in buttons:
        width, height = button.queryImage().getImageSize()
        picked = "picked" if button.getState().contains(pyatspi.STATE_CHECKED) else "-"
        report("file", f"{button.name} | {width}x{height if width > 0 else ''} | {picked}".replace("| -1x |", "| - |"))


def turn(album, name, degrees):
    """Ticks the Rotate box below the file's name and sets its angle."""
    label = find(album, pyatspi.ROLE_LABEL, name)
    x, y, width, _ = extents(label)
    check = min((acc for acc in descendants(album, pyatspi.ROLE_CHECK_BOX)
                 if acc.name == "Rotate" and extents(acc)[1] > y and x <= extents(acc)[0] < x + width),
                key=lambda acc: extents(acc)[1])
    check.queryAction().doAction(0)
    spin = next(acc for acc in check.parent if acc.getRole() == pyatspi.ROLE_SPIN_BUTTON)
    wait_for("the angle", lambda: spin.getState().contains(pyatspi.STATE_SENSITIVE))
    spin.queryValue().currentValue = degrees


def press_and_reopen(editor, button, what):
    """Presses one of the editor's buttons and waits for the editor to come back."""
    press(editor, button, f"{what} to begin", lambda: gone(editor))
    return dialog("Edit")


def album():
    main = wait_for("the main window", lambda: toplevel(pyatspi.ROLE_FRAME, MAIN_TITLE))
    editor = press(main, "Edit", "the book editor", lambda: toplevel(pyatspi.ROLE_DIALOG, "Edit"))
    editor_rows(editor)
    new = press(editor, "New Album", "the album creation dialog", lambda: toplevel(pyatspi.ROLE_DIALOG, "New Album"))
    count = int(os.environ["THUMBNAILS"])
    wait_for("the thumbnails", lambda: len(thumbnails(new)) >= count)
    picks = dict((pick.split(":") + ["0"])[:2] for pick in os.environ["PICKS"].split("|"))
    for button in descendants(new, pyatspi.ROLE_TOGGLE_BUTTON):
        if button.name not in picks:
            button.queryAction().doAction(0)
    for name, degrees in picks.items():
        if degrees != "0":
            turn(new, name, int(degrees))
    type_into(new, "Album", pyatspi.ROLE_TEXT, os.environ["NAME"])
    type_into(new, "Title", pyatspi.ROLE_TEXT, os.environ["TITLE"])
    type_into(new, "Head Comment", pyatspi.ROLE_TEXT, os.environ["HEAD"])
    type_into(new, "Closing Comment", pyatspi.ROLE_TEXT, os.environ["LAST"])
    time.sleep(0.5)  # the turned thumbnail drawn
    report_files(new)
    screenshot(new, "program-album-creation-dialog")
    press(new, "OK", "the album to be built", lambda: gone(new))
    editor = dialog("Edit")
    row_cell(editor, os.environ["NAME"], pyatspi.ROLE_TEXT)
    editor_rows(editor)
    screenshot(editor, "program-book-editor")

    book = press(editor, "New Book", "the book creation dialog", lambda: toplevel(pyatspi.ROLE_DIALOG, "New Book"))
    folder, title = os.environ["SUB_BOOK"].split("|")
    type_into(book, "Book Folder", pyatspi.ROLE_TEXT, folder)
    type_into(book, "Title", pyatspi.ROLE_TEXT, title)
    screenshot(book, "program-book-creation-dialog")
    press(book, "OK", "the book to be made", lambda: gone(book))
    editor = dialog("Edit")

    old, new_name = os.environ["RENAME"].split("|")
    row_cell(editor, old, pyatspi.ROLE_TEXT).queryEditableText().setTextContents(new_name)
    editor = press_and_reopen(editor, "Apply", "the save")
    remove = row_cell(editor, os.environ["REMOVE"], pyatspi.ROLE_PUSH_BUTTON, "Remove")
    press_until(remove, "the first confirmation", lambda: toplevel(pyatspi.ROLE_ALERT, "Remove (1/2)"))
    answer_box("Remove (1/2)", "OK")
    answer_box("Remove (2/2)", "OK")
    wait_for("the row to go", lambda: not any(
        acc.queryText().getText(0, -1) == os.environ["REMOVE"] for acc in descendants(editor, pyatspi.ROLE_TEXT)))
    editor = press_and_reopen(editor, "Update All", "the update")
    editor_rows(editor)
    press(editor, "OK", "the editor to close", lambda: gone(editor))
    report_list(main)
    press_close(main, "Close")


def by_description(root, role, name, description):
    return wait_for(f"{name} of {description}", lambda: next(
        (acc for acc in descendants(root, role) if acc.name == name and acc.description == description), None))


def pictures(dialog):
    """The picture buttons of a picture list with the size they show."""
    viewport = next(descendants(dialog, pyatspi.ROLE_VIEWPORT))
    return [acc for acc in descendants(viewport, pyatspi.ROLE_PUSH_BUTTON) if acc.name]


def settled_pictures(dialog, what):
    """The picture buttons once every row near the view is in."""
    def shown():
        try:
            buttons = pictures(dialog)
            ready = buttons and all(acc.description or acc.name.lower().endswith((".wav", ".mp3", ".m4a"))
                                    for acc in buttons)
        except Exception:  # a row went while it was read
            return 0
        return len(buttons) if ready else 0
    # The rows come in slices of the main loop: the list is whole once a
    # second passes without a new one.
    count, last = wait_for(f"the pictures of {what}", shown), 0
    while count != last:
        time.sleep(1)
        count, last = wait_for(f"the pictures of {what}", shown), count
    return pictures(dialog)


def report_pictures(dialog, what):
    """Each picture button's file and the size of its picture in pixels."""
    report(what, ", ".join(f"{acc.name} {acc.description or '-'}" for acc in settled_pictures(dialog, what)))


def open_row(window, row, role_name, title):
    """Presses the button of the row whose name label or entry reads row and
    waits for the dialog title."""
    def button():
        try:
            for acc in descendants(window, pyatspi.ROLE_PUSH_BUTTON):
                if acc.name == role_name and any(
                        (c.name == row or (c.getRole() == pyatspi.ROLE_TEXT and c.queryText().getText(0, -1) == row))
                        and extents(c)[1] == extents(acc)[1] for c in acc.parent):
                    return acc
        except Exception:  # the rows are being built again
            pass
        return None
    # The window builds its rows again after a dialog it opened closes: a
    # button found just before may go before it is pressed.
    for _ in range(5):
        found = wait_for(f"the row {row}", button)
        try:
            if extents(found)[0] >= 0 and showing(found):
                return press_until(found, title, lambda: toplevel(pyatspi.ROLE_DIALOG, title))
        except Exception:
            pass
        time.sleep(0.5)
    fail(f"the row {row} did not stay")


def close_dialog(dialog, button="OK"):
    press(dialog, button, f"{dialog.name} to close", lambda: gone(dialog))


def set_turn(editor, name, degrees):
    check = by_description(editor, pyatspi.ROLE_CHECK_BOX, "Rotate", name)
    if not check.getState().contains(pyatspi.STATE_CHECKED):
        check.queryAction().doAction(0)
    spin = next(acc for acc in check.parent if acc.getRole() == pyatspi.ROLE_SPIN_BUTTON)
    wait_for("the angle", lambda: spin.getState().contains(pyatspi.STATE_SENSITIVE))
    spin.queryValue().currentValue = degrees


def sorting():
    main = wait_for("the main window", lambda: toplevel(pyatspi.ROLE_FRAME, MAIN_TITLE))
    book = press(main, "Edit", "the book editor", lambda: toplevel(pyatspi.ROLE_DIALOG, "Edit"))
    name, count = os.environ["ALBUM"], int(os.environ["THUMBNAILS"])
    title = f"Edit - {name}"
    editor = open_row(book, name, "Pictures", title)
    wait_for("the thumbnails", lambda: sum(1 for acc in pictures(editor) if acc.description) >= count)
    report_pictures(editor, "editor")
    good = os.environ["GOOD"]
    # The controls may lie below the visible part of the list: toggled as
    # a screen reader toggles them.
    for role, label in ((pyatspi.ROLE_RADIO_BUTTON, "Good"), (pyatspi.ROLE_CHECK_BOX, "Print")):
        control = by_description(editor, role, label, good)
        control.queryAction().doAction(0)
        wait_for(label, lambda: control.getState().contains(pyatspi.STATE_CHECKED))
    commented, text = os.environ["COMMENT"].split("|")
    by_description(editor, pyatspi.ROLE_TEXT, "", commented).queryEditableText().setTextContents(text)
    set_turn(editor, os.environ["TURN"], 270)
    screenshot(editor, "program-album-editor")
    press(editor, "Apply", "the update to begin", lambda: gone(editor))
    editor = wait_for("the editor again", lambda: toplevel(pyatspi.ROLE_DIALOG, title))
    report("after apply", "good" if by_description(editor, pyatspi.ROLE_RADIO_BUTTON, "Good", good).getState().contains(
        pyatspi.STATE_CHECKED) else "not good")
    set_turn(editor, os.environ["TURN"], 270)
    close_dialog(editor)
    book = wait_for("the book editor", lambda: toplevel(pyatspi.ROLE_DIALOG, "Edit"))
    book = press_and_reopen(book, "Update All", "the update")
    for row, shot in (("_Best", "program-good-picks-editable"), ("_PrintBook", "program-best-book-editable")):
        collection = open_row(book, row, "Pictures", f"Selection - {row}")
        report_pictures(collection, row + " to edit")
        screenshot(collection, shot)
        close_dialog(collection)
    close_dialog(book)

    viewer = open_row(main, name, "Pictures", f"View - {name}")
    report_pictures(viewer, "viewer")
    screenshot(viewer, "program-album-viewer")
    for file in os.environ["PLAY"].split("|"):
        button = next(acc for acc in pictures(viewer) if acc.name == file)
        done = calls() + 1
        button.queryAction().doAction(0)
        wait_for(f"{file} to start", lambda: calls() >= done)
    close_dialog(viewer)
    inner_book = os.environ["BOOK"]
    books = open_row(main, inner_book, "View", f"View - {inner_book}")
    screenshot(books, "program-book-viewer")
    inner = os.environ["INNER"]
    nested = open_row(books, inner, "Pictures", f"View - {inner}")
    report_pictures(nested, "nested viewer")
    close_dialog(nested)
    close_dialog(books)
    for row, shot in (("_Best", "program-good-picks"), ("_PrintBook", "program-best-book")):
        collection = open_row(main, row, "Pictures", f"Selection - {row}")
        report_pictures(collection, row)
        screenshot(collection, shot)
        close_dialog(collection)
    press_close(main, "Close")


ACTIONS = {"OK", "Cancel", "Apply", "Browser", "New Book", "New Album", "Update All"}


def within(inner, outer):
    x, y, width, height = inner
    ox, oy, owidth, oheight = outer
    return ox <= x and oy <= y and x + width <= ox + owidth and y + height <= oy + oheight


def fits(window, what, opened=None):
    """Reports whether window and its action buttons lie within the screen,
    and whether it kept the size it opened at."""
    screen = (0, 0) + tuple(int(n) for n in os.environ["SCREEN"].split("x"))
    place = settled_extents(window)
    problems = []
    if not within(place, screen):
        problems.append("the window %dx%d at %d,%d" % (place[2], place[3], place[0], place[1]))
    if opened is not None and opened[2:] != place[2:]:
        problems.append("grew from %dx%d to %dx%d" % (opened[2:] + place[2:]))
    for button in descendants(window, pyatspi.ROLE_PUSH_BUTTON):
        if button.name in ACTIONS and showing(button):
            box = extents(button)
            if not (within(box, screen) and within(box, place)):
                problems.append("%s at %d,%d" % (button.name, box[0], box[1]))
    report(what, "; ".join(problems) or "fits")
    return place


def key(window, keys):
    """Presses keys in window, the pointer resting on its corner (without a
    window manager the keyboard goes where the pointer is)."""
    x, y, _, _ = extents(window)
    scale = int(os.environ.get("GDK_SCALE", "1"))
    subprocess.run(["xdotool", "mousemove", "--sync", str(scale * (x + 3)), str(scale * (y + 3))], check=True)
    subprocess.run(["xdotool", "key"] + keys.split(), check=True)


def escape(window):
    """Escape closes window."""
    name = window.name
    for _ in range(3):
        key(window, "Escape")
        if wait_for(f"{name} to close", lambda: gone(window), timeout=5):
            return
    fail(f"Escape did not close {name}")


def measure_pictures(window, what, count):
    """Measures a picture dialog once its pictures have come."""
    opened = settled_extents(window)
    wait_for(f"the pictures of {what}", lambda: sum(1 for acc in pictures(window) if acc.description) >= count)
    settled_pictures(window, what)
    return fits(window, what, opened)


def labels_with_album(window):
    viewport = next(descendants(window, pyatspi.ROLE_VIEWPORT))
    return ", ".join(sorted(acc.name for acc in descendants(viewport, pyatspi.ROLE_LABEL) if " (" in acc.name))


def geometry():
    name, book_name, count = os.environ["ALBUM"], os.environ["BOOK"], int(os.environ["THUMBNAILS"])
    main = wait_for("the main window", lambda: toplevel(pyatspi.ROLE_FRAME, MAIN_TITLE))
    fits(main, "main window")
    settings = open_settings(main)
    fits(settings, "settings")
    escape(settings)

    book = press(main, "Edit", "the book editor", lambda: toplevel(pyatspi.ROLE_DIALOG, "Edit"))
    parent = fits(book, "book editor")
    new = press(book, "New Album", "the album creation dialog", lambda: toplevel(pyatspi.ROLE_DIALOG, "New Album"))
    opened = settled_extents(new)
    wait_for("the thumbnails", lambda: len(thumbnails(new)) >= count)
    screenshot(new, "geometry-album-creation-dialog")
    fits(new, "new album", opened)
    chooser = press_until(field(new, "From", pyatspi.ROLE_PUSH_BUTTON), "the folder chooser",
                          lambda: toplevel(pyatspi.ROLE_FILE_CHOOSER, "Source Folder"))
    fits(chooser, "folder chooser")
    escape(chooser)
    escape(new)
    wait_for("the book editor to reopen", lambda: gone(book))
    book = dialog("Edit")

    made = press(book, "New Book", "the book creation dialog", lambda: toplevel(pyatspi.ROLE_DIALOG, "New Book"))
    fits(made, "new book")
    click(after("Book Folder", pyatspi.ROLE_TEXT, made))
    subprocess.run(["xdotool", "type", "--delay", "50", book_name], check=True)
    click(after("Title", pyatspi.ROLE_TEXT, made))  # leaves the folder's field
    wait_for("the sub-book's title", lambda: after("Title", pyatspi.ROLE_TEXT, made).queryText().getText(0, -1))
    key(made, "Return")
    wait_for("the book to be made", lambda: gone(made) or toplevel(pyatspi.ROLE_ALERT, "Error"))
    if not gone(made):
        answer_box("Error", "OK")
        escape(made)
    wait_for("the book editor to reopen", lambda: gone(book))
    book = dialog("Edit")

    editor = open_row(book, name, "Pictures", f"Edit - {name}")
    place = measure_pictures(editor, "album editor", count)
    # The first line: the pictures beside the top one (centred in their
    # cells, so their tops differ).
    # (A button out of view has no place.)
    shown = sorted((acc for acc in pictures(editor) if extents(acc)[0] > -1000), key=lambda acc: extents(acc)[1::-1])
    top = extents(shown[0])
    first_line = [acc for acc in shown if top[1] <= extents(acc)[1] + extents(acc)[3] // 2 <= top[1] + top[3]]
    first = shown[0].name
    view = extents(next(descendants(editor, pyatspi.ROLE_VIEWPORT)))
    controls = [acc for role in (pyatspi.ROLE_RADIO_BUTTON, pyatspi.ROLE_CHECK_BOX, pyatspi.ROLE_SPIN_BUTTON)
                for acc in descendants(editor, role) if acc.description == first]
    # Scrolled down with the wheel, as a user would, until the first row's
    # controls are in view.
    scale = int(os.environ.get("GDK_SCALE", "1"))
    subprocess.run(["xdotool", "mousemove", "--sync", str(scale * (view[0] + view[2] // 2)),
                    str(scale * (view[1] + view[3] // 2))], check=True)
    for _ in range(30):
        if all(within(extents(acc), view) for acc in controls):
            break
        subprocess.run(["xdotool", "click", "5"], check=True)
        time.sleep(0.2)
    report("three a line or more", len(first_line) >= 3)
    report("marks and flags whole", len(controls) == 10 and all(within(extents(acc), view) for acc in controls))
    screenshot(editor, "geometry-album-editor")
    escape(editor)
    book = dialog("Edit")

    inner = open_row(book, book_name, "Edit", f"Edit - {book_name}")
    place = fits(inner, "sub-book editor")
    report("stands off its parent", place[0] > parent[0] and place[1] > parent[1])
    escape(inner)
    book = dialog("Edit")
    for row in ("_Best", "_PrintBook"):
        collection = open_row(book, row, "Pictures", f"Selection - {row}")
        measure_pictures(collection, row, 2)
        report(row + " labels", labels_with_album(collection))
        escape(collection)
        book = dialog("Edit")
    escape(book)

    viewer = open_row(main, name, "Pictures", f"View - {name}")
    measure_pictures(viewer, "album viewer", count)
    escape(viewer)
    books = open_row(main, book_name, "View", f"View - {book_name}")
    fits(books, "book viewer")
    escape(books)
    press_close(main, "Close")


def main():
    global PROC
    scenario, program = sys.argv[2], sys.argv[3:]
    env = dict(os.environ)
    env.pop("NO_AT_BRIDGE", None)  # the program must join the accessibility bus
    # GTK's own allocations that live until exit are no finding of ours.
    env["ASAN_OPTIONS"] = env.get("ASAN_OPTIONS", "") + ":detect_leaks=0"
    PROC = subprocess.Popen(program, env=env)
    if scenario in ("session", "album", "sorting", "geometry"):
        globals()[scenario]()
        return
    dialog = wait_for("the settings dialog", lambda: toplevel(pyatspi.ROLE_DIALOG, "Settings"))
    report("main window before the dialog", toplevel(pyatspi.ROLE_FRAME, MAIN_TITLE) is not None)
    if scenario == "first-cancel":
        press_close(dialog, "Cancel")
        return
    main_window = press(dialog, "OK", "the main window", lambda: toplevel(pyatspi.ROLE_FRAME, MAIN_TITLE))
    report("title", main_window.name)
    press_close(main_window, "Close")


main()
