"""Reads and drives the running Quendal window through AT-SPI, the layer a
screen reader uses: every control must be there with a readable name, and a
calculation started through the accessibility actions must show its result."""

import sys
import time

import pyatspi


def find_app(name, timeout=20.0):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        desktop = pyatspi.Registry.getDesktop(0)
        for i in range(desktop.childCount):
            app = desktop.getChildAtIndex(i)
            if app is not None and (app.name or "").lower() == name:
                return app
        time.sleep(0.2)
    sys.exit(f"no application named {name} on the accessibility bus")


def walk(node):
    yield node
    for i in range(node.childCount):
        child = node.getChildAtIndex(i)
        if child is not None:
            yield from walk(child)


def text_of(node):
    text = node.queryText()
    return text.getText(0, text.characterCount)


def find(app, role, name):
    for node in walk(app):
        if node.getRoleName() == role and node.name == name:
            return node
    sys.exit(f"no {role} named {name!r}; the tree has: " +
             ", ".join(f"{n.getRoleName()} {n.name!r}" for n in walk(app)))


def wait_for(predicate, what, timeout=10.0):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        if predicate():
            return
        time.sleep(0.1)
    sys.exit(f"timed out waiting for {what}")


def main():
    app = find_app("quendal")
    find(app, "frame", "Quendal by Morvik")
    voltage = find(app, "text", "电压:")
    frequency = find(app, "text", "频率:")
    capacitance = find(app, "text", "C1:")
    current = find(app, "text", "电流:")
    find(app, "image", "电路图")
    find(app, "menu item", "退出")
    find(app, "menu item", "说明")
    calculate_current = find(app, "push button", "计算电流")
    find(app, "push button", "计算电容")
    if text_of(voltage) != "220" or text_of(frequency) != "50":
        sys.exit("the inputs do not start at 220 V and 50 Hz")
    for field in (voltage, frequency, capacitance, current):
        if not field.description:
            sys.exit(f"the field {field.name!r} does not tell its unit")

    capacitance.queryEditableText().insertText(0, "1", 1)
    actions = calculate_current.queryAction()
    press = next(i for i in range(actions.nActions) if actions.getName(i) in ("Press", "press", "click"))
    actions.doAction(press)
    wait_for(lambda: text_of(current) == "69.12", "the current 69.12 in the 电流 field")
    find(app, "label", "容抗3.1831 K欧\n电流:69.12 mA")
    print("accessibility: every control named, calculation through AT-SPI shows 69.12 mA")


main()
