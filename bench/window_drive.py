"""What the window benchmarks' drivers share: the program started with its
main-loop meter on, its windows found and waited for through the
accessibility interface, clicks through xdotool, and the marks the program
writes into the meter's log."""
import os
import subprocess
import sys
import time

import pyatspi


class Program:
    """The window program run with args, its meter writing to log and its
    own errors to log + ".err"."""

    def __init__(self, args, log):
        self.log = log
        self.err = log + ".err"
        env = dict(os.environ, PICTORA_LOOP_LOG=log)
        env.pop("NO_AT_BRIDGE", None)
        with open(self.err, "w", encoding="utf-8") as err:
            self.proc = subprocess.Popen(args, env=env, stdout=subprocess.DEVNULL, stderr=err)

    def wait(self, what, predicate, timeout=1800):
        """What predicate returns once it is true; ends the driver with the
        program's errors when the program ends or the time is up first."""
        end = time.time() + timeout
        while time.time() < end:
            found = predicate()
            if found:
                return found
            if self.proc.poll() is not None:
                with open(self.err, encoding="utf-8") as err:
                    sys.exit(f"the program ended ({self.proc.returncode}) while waiting for {what}: {err.read()}")
            time.sleep(0.05)
        self.proc.kill()
        sys.exit(f"timed out waiting for {what}")

    def window(self, name):
        """The program's top-level window titled name, or None."""
        for app in pyatspi.Registry.getDesktop(0):
            try:
                if app.get_process_id() == self.proc.pid:
                    return next((w for w in app if w.name == name), None)
            except Exception:
                pass
        return None

    def logged(self, mark):
        with open(self.log, encoding="utf-8") as lines:
            return any(line.rstrip("\n").endswith(" " + mark) for line in lines)

    def end(self):
        self.proc.kill()
        self.proc.wait()


def find(root, role, name=None, depth=14):
    """The first accessible below root with role (and name), or None."""
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
    """A click in the middle of acc. Its place is told in logical pixels,
    xdotool moves in the screen's: at a display scale of 2 they differ."""
    box = acc.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    scale = int(os.environ.get("GDK_SCALE", "1"))
    subprocess.run(["xdotool", "mousemove", "--sync", str((box.x + box.width // 2) * scale),
                    str((box.y + box.height // 2) * scale), "click", "1"], check=True)
