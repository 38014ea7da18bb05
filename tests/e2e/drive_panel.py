#!/usr/bin/python3
"""Drives Vesk Bar's panel through the accessibility bus, for the end-to-end test.

  drive_panel.py press NAME       press the button with this accessible name
  drive_panel.py focus NAME       give the control with this accessible name the keyboard focus
  drive_panel.py wait NAME        wait until the panel holds a control with this accessible name

Each step waits at most 15 seconds for the control and exits 1 when it never appears."""
import sys
import time

import pyatspi

ROLES = {pyatspi.ROLE_PUSH_BUTTON, pyatspi.ROLE_TEXT, pyatspi.ROLE_ENTRY, pyatspi.ROLE_LABEL,
         pyatspi.ROLE_STATIC, pyatspi.ROLE_TOGGLE_BUTTON}


def walk(node, depth=0):
    if node is None or depth > 60:
        return
    yield node
    try:
        count = node.childCount
    except Exception:
        return
    for i in range(count):
        try:
            child = node.getChildAtIndex(i)
        except Exception:
            continue
        yield from walk(child, depth + 1)


def find(name, showing=True, timeout=15.0):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        for app in pyatspi.Registry.getDesktop(0):
            if app is None or "vesk" not in (app.name or "").lower():
                continue
            for node in walk(app):
                try:
                    if node.name == name and node.getRole() in ROLES and \
                            (not showing or node.getState().contains(pyatspi.STATE_SHOWING)):
                        return node
                except Exception:
                    continue
        time.sleep(0.2)
    return None


def main():
    command, name = sys.argv[1], sys.argv[2]
    # A row may lie below the visible part of the list; it is in the panel all the same.
    node = find(name, showing=command != "wait")
    if node is None:
        print("drive_panel: no control named %r" % name, file=sys.stderr)
        return 1
    if command in ("press", "focus"):
        node.queryAction().doAction(0)
    return 0


if __name__ == "__main__":
    sys.exit(main())
