#!/usr/bin/python3
"""Drives Vesk Bar's panel through the accessibility bus: `drive_panel.py press|focus|wait NAME` presses, focuses
or waits for (shown or scrolled out of view) the control of this accessible name; fails after 15 seconds."""
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
        children = [node.getChildAtIndex(i) for i in range(node.childCount)]
    except Exception:  # a control that went away while the tree was walked
        return
    for child in children:
        yield from walk(child, depth + 1)


def find(name, showing):
    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and "vesk" in (app.name or "").lower():
            for node in walk(app):
                try:
                    if node.name == name and node.getRole() in ROLES and \
                            (not showing or node.getState().contains(pyatspi.STATE_SHOWING)):
                        return node
                except Exception:
                    continue
    return None


command, name = sys.argv[1], sys.argv[2]
deadline = time.monotonic() + 15
node = None
while node is None and time.monotonic() < deadline:
    node = find(name, showing=command != "wait")
    time.sleep(0.2)
if node is None:
    sys.exit("drive_panel: no control named %r" % name)
if command != "wait":
    node.queryAction().doAction(0)
