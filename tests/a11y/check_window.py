"""Reads and drives the running Quendal windows through AT-SPI, the layer a
screen reader uses: every control of the main window and of the About dialog
must be there with a readable name, a calculation started through the
accessibility actions must show its result, and the About dialog must open
and close through them."""

import pathlib
import re
import sys
import time

import pyatspi
from gi.repository import GLib


DESCRIPTION = (
    "输入电容计算电流,输入电流计算电容,泄放电阻R1要保证功率否则容易烧,也不能太大,"
    "要恰好能释放掉C1的电荷!例子是半波整流的 需要自己修改!阻容降压电路需要接入负载后在通电! "
    "犹豫阻容降压为非隔离电路 造成一切后果与此工具无关!")


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


# Role names that newer AT-SPI libraries spell differently (the at-spi2-core
# of Debian 13 calls a push button "button").
ROLE_ALIASES = {"push button": {"push button", "button"}}


def search(root, role, name):
    roles = ROLE_ALIASES.get(role, {role})
    return next((node for node in walk(root)
                 if node.getRoleName() in roles and node.name == name), None)


def find(root, role, name):
    node = search(root, role, name)
    if node is None:
        sys.exit(f"no {role} named {name!r}; the tree has: " +
                 ", ".join(f"{n.getRoleName()} {n.name!r}" for n in walk(root)))
    return node


def press(node, names=("Press", "press", "click")):
    actions = node.queryAction()
    index = next((i for i in range(actions.nActions) if actions.getName(i) in names), None)
    if index is None:
        sys.exit(f"{node.getRoleName()} {node.name!r} cannot be pressed; its actions: " +
                 ", ".join(actions.getName(i) for i in range(actions.nActions)))
    actions.doAction(index)


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
    about_menu = find(app, "menu item", "说明")
    calculate_current = find(app, "push button", "计算电流")
    find(app, "push button", "计算电容")
    if text_of(voltage) != "220" or text_of(frequency) != "50":
        sys.exit("the inputs do not start at 220 V and 50 Hz")
    units = {voltage: "单位: V (伏)", frequency: "单位: Hz (赫兹)",
             capacitance: "单位: µF (微法)", current: "单位: mA (毫安)"}
    for field, unit in units.items():
        if field.description != unit:
            sys.exit(f"the field {field.name!r} describes itself as {field.description!r}, "
                     f"not by its unit {unit!r}")

    report = "容抗3.1831 K欧\n电流:69.12 mA"
    heard = []

    def listen(event):
        # Qt 6.8 announces the report; before it, a notification named by the
        # report comes into view, which is what Orca speaks away from the focus.
        if event.type == "object:announcement":
            told = event.any_data
        elif event.detail1 and event.source.getRoleName() == "notification":
            told = event.source.name
        else:
            return
        if told == report:
            heard.append(event.type)

    kinds = ("object:announcement", "object:state-changed:showing")
    pyatspi.Registry.registerEventListener(listen, *kinds)
    # Qt sends only the events that some client listens for, and learns of a
    # new listener from the registry a moment later.
    time.sleep(1)
    capacitance.queryEditableText().insertText(0, "1", 1)
    press(calculate_current)
    wait_for(lambda: text_of(current) == "69.12", "the current 69.12 in the 电流 field")
    find(app, "label", report)
    deadline = time.monotonic() + 10
    while not heard and time.monotonic() < deadline:
        # Events arrive through GLib's main loop, which nothing else runs here.
        while GLib.MainContext.default().iteration(False):
            pass
        time.sleep(0.1)
    pyatspi.Registry.deregisterEventListener(listen, *kinds)
    if not heard:
        sys.exit(f"no {' or '.join(kinds)} event told the new report {report!r}")

    check_about(app, about_menu)
    print("accessibility: every control of both windows named, the boxes described by their "
          f"units, calculation through AT-SPI shows 69.12 mA and is told by {heard[0]}, "
          "the About dialog opens and closes")


def release_version():
    """major.minor.patch of the build's identity, as the About dialog shows it."""
    identity = pathlib.Path(__file__).resolve().parents[2] / "cmake" / "AppIdentity.cmake"
    found = re.search(r'set\(QUENDAL_RELEASE_VERSION "(\d+\.\d+\.\d+)\.\d+"\)',
                      identity.read_text(encoding="utf-8"))
    if found is None:
        sys.exit(f"{identity} names no QUENDAL_RELEASE_VERSION")
    return found.group(1)


def top_window(app, role, name):
    """A window of the application; only the top level is read, as a dialog
    that is going away may take its children with it mid-walk."""
    for i in range(app.childCount):
        window = app.getChildAtIndex(i)
        if window is not None and window.getRoleName() == role and window.name == name:
            return window
    return None


def check_about(app, about_menu):
    caption = "关于 Quendal"
    press(about_menu)
    wait_for(lambda: top_window(app, "dialog", caption) is not None, f"the dialog {caption!r}")
    dialog = top_window(app, "dialog", caption)
    for text in ("Quendal", f"版本 {release_version()}", DESCRIPTION, "警告: ..."):
        find(dialog, "label", text)
    find(dialog, "image", "Quendal")
    # AT-SPI names a button by its text without the mnemonic's "&".
    find(dialog, "push button", "系统信息(S)...")
    press(find(dialog, "push button", "确定"))
    wait_for(lambda: top_window(app, "dialog", caption) is None, f"the dialog {caption!r} to close")


main()
