#!/usr/bin/python3
"""An assistive-technology client on the accessibility bus, for the end-to-end scenarios.

  atspi.py listen <file>   appends "<event type>\t<role>\t<name>" for Spanlet's name changes
                           and shown objects until killed
  atspi.py unnamed         prints one line per control in Spanlet's shown windows that has
                           neither a name nor a label, and exits 1 if there is any
  atspi.py names <window>  prints the name and the description of every shown object in
                           Spanlet's shown window of that name, one a line
  atspi.py press <window> <button>
                           presses the shown push button of that name in that window, as a
                           screen reader's user would; exits 1 when there is none
"""
import sys

import pyatspi

# Roles a person operates; each needs a name a screen reader can speak.
CONTROLS = {
    pyatspi.ROLE_PUSH_BUTTON, pyatspi.ROLE_TOGGLE_BUTTON, pyatspi.ROLE_CHECK_BOX,
    pyatspi.ROLE_RADIO_BUTTON, pyatspi.ROLE_COMBO_BOX, pyatspi.ROLE_SPIN_BUTTON,
    pyatspi.ROLE_SLIDER, pyatspi.ROLE_TEXT, pyatspi.ROLE_ENTRY, pyatspi.ROLE_LIST,
    pyatspi.ROLE_TABLE, pyatspi.ROLE_TREE, pyatspi.ROLE_TREE_TABLE, pyatspi.ROLE_MENU_ITEM,
    pyatspi.ROLE_LINK, pyatspi.ROLE_PAGE_TAB,
}


def spanlet():
    desktop = pyatspi.Registry.getDesktop(0)
    for app in desktop:
        if app is not None and app.name == "Spanlet":
            return app
    return None


def listen(path):
    out = open(path, "a", buffering=1)

    def heard(event):
        if event.host_application is None or event.host_application.name != "Spanlet":
            return
        try:
            out.write(f"{event.type}\t{event.source.getRoleName()}\t{event.source.name}\n")
        except Exception:  # the object went away before it was read
            pass

    pyatspi.Registry.registerEventListener(
        heard, "object:property-change:accessible-name", "object:state-changed:showing")
    out.write("listening\n")
    pyatspi.Registry.start()


def named(node):
    if node.name.strip():
        return True
    return any(r.getRelationType() == pyatspi.RELATION_LABELLED_BY and r.getNTargets() > 0
               and r.getTarget(0).name.strip() for r in node.getRelationSet())


def unnamed():
    app = spanlet()
    if app is None:
        print("Spanlet is not on the accessibility bus")
        return 1
    missing = []
    controls = 0

    def walk(node, path):
        if node is None:
            return
        states = node.getState()
        if not states.contains(pyatspi.STATE_SHOWING):
            return
        here = f"{path}/{node.getRoleName()}"
        if node.getRole() in CONTROLS:
            nonlocal controls
            controls += 1
            if not named(node):
                missing.append(here)
        # A list's rows are its content, not controls of their own.
        if node.getRole() in (pyatspi.ROLE_LIST, pyatspi.ROLE_TABLE, pyatspi.ROLE_TREE):
            return
        for child in node:
            walk(child, here)

    windows = 0
    for window in app:
        if window is not None and window.getState().contains(pyatspi.STATE_SHOWING):
            windows += 1
            walk(window, window.name)
    for line in missing:
        print("unnamed:", line)
    print(f"{controls} controls in {windows} windows")
    return 1 if missing or windows == 0 else 0


def names(title):
    app = spanlet()
    shown = []

    def walk(node):
        if node is not None and node.getState().contains(pyatspi.STATE_SHOWING):
            shown.append(node.name)
            shown.append(node.description)
            for child in node:
                walk(child)

    for window in app or []:
        if window is not None and window.name == title:
            walk(window)
    print("\n".join(shown))


def press(title, button):
    def find(node):
        if node is None or not node.getState().contains(pyatspi.STATE_SHOWING):
            return None
        if node.getRole() == pyatspi.ROLE_PUSH_BUTTON and node.name == button:
            return node
        for child in node:
            found = find(child)
            if found is not None:
                return found
        return None

    for window in spanlet() or []:
        if window is not None and window.name == title:
            found = find(window)
            if found is not None:
                found.queryAction().doAction(0)
                return 0
    return 1


if __name__ == "__main__":
    if sys.argv[1:2] == ["listen"]:
        listen(sys.argv[2])
    elif sys.argv[1:2] == ["unnamed"]:
        sys.exit(unnamed())
    elif sys.argv[1:2] == ["names"]:
        names(sys.argv[2])
    elif sys.argv[1:2] == ["press"] and len(sys.argv) == 4:
        sys.exit(press(sys.argv[2], sys.argv[3]))
    else:
        print(__doc__)
        sys.exit(2)
