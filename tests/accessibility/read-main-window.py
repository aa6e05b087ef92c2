"""Reads the running main window as a screen reader does, through AT-SPI, after a file has been
counted, and checks what it hears. Run by screen-reader-check, which starts the program.

usage: read-main-window.py EXPECTED_TOTAL
Prints what it hears; exits 1 when a check fails, 2 when the window never showed the total.
"""
import re
import sys
import time

import pyatspi

expected_total = sys.argv[1]
deadline = time.monotonic() + 60


def main_window():
    desktop = pyatspi.Registry.getDesktop(0)
    for application in desktop:
        if application is None:
            continue
        for window in application:
            if window is not None and window.name == "Glyphmeter":
                return window
    return None


def heard(window):
    """Every object below the window as (role, name, object), depth first."""
    found = []

    def walk(node):
        for child in node:
            if child is None:
                continue
            found.append((child.getRoleName(), child.name, child))
            walk(child)

    walk(window)
    return found


total_name = "Total Characters: " + expected_total
objects = []
while time.monotonic() < deadline:
    window = main_window()
    if window is not None:
        objects = heard(window)
        if any(name == total_name for _, name, _ in objects):
            break
    time.sleep(0.2)
else:
    print("never heard %r; last heard:" % total_name)
    for role, name, _ in objects:
        print("  %s: %r" % (role, name))
    sys.exit(2)

for role, name, _ in objects:
    print("%s: %s" % (role, name))

failures = []


def check(condition, what):
    if not condition:
        failures.append(what)


rows = [name for _, name, _ in objects if re.fullmatch(r"[A-Z]: \d+(, \S+)?", name or "")]
check([row[0] for row in rows] == [chr(ord("A") + r) for r in range(26)],
      "26 letter rows A to Z, each heard as one unit")
check(all(re.fullmatch(r"[A-Z]: \d+, (\.\d+|0|1)", row) for row in rows),
      "every row with its count and frequency")
check(sum(1 for _, name, _ in objects if name == total_name) == 1, "the total with its caption")
check(any(name.startswith("Largest frequency: ") for _, name, _ in objects),
      "the largest frequency with its caption")
check(any(role == "text" and name == "Source" for role, name, _ in objects),
      "the path box named Source")
check(any(role in ("image", "icon") and name for role, name, _ in objects), "the logo named")
check(all(name for _, name, _ in objects), "no nameless object")
for caption in ("Calculate Frequency", "Select File", "Help"):
    check(any(role == "push button" and name == caption for role, name, _ in objects),
          "the button " + caption)

for failure in failures:
    print("FAILED: " + failure)
sys.exit(1 if failures else 0)
