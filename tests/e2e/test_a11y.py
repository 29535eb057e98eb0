"""Reads the quiz program's windows the way a screen reader does, through AT-SPI.

Run inside a private D-Bus session: dbus-run-session -- python3 test_a11y.py QUIZ
Exits 0 when every check passed, 77 when AT-SPI or Xvfb is missing, 1 otherwise."""

import os
import subprocess
import sys
import tempfile
import time
import traceback

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import qbookfile  # noqa: E402
from xsession import Skip, XSession, private_home, wait_exit  # noqa: E402

QUIZ = os.path.abspath(sys.argv[1])
LAUNCHER = "/usr/libexec/at-spi-bus-launcher"

QUESTION = "Which river flows through Cairo"
ANSWERS = ["The Nile", "The Amazon", "The Danube", "The Thames"]


def atspi():
    try:
        import gi
        gi.require_version("Atspi", "2.0")
        from gi.repository import Atspi
    except (ImportError, ValueError) as why:
        raise Skip(f"AT-SPI for Python is missing: {why}")
    return Atspi


def walk(node, depth=0):
    if node is None or depth > 40:
        return
    yield node
    for i in range(node.get_child_count()):
        yield from walk(node.get_child_at_index(i), depth + 1)


def find_app(Atspi, pid, timeout=20):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        desktop = Atspi.get_desktop(0)
        for i in range(desktop.get_child_count()):
            app = desktop.get_child_at_index(i)
            try:
                if app is not None and app.get_process_id() == pid:
                    return app
            except Exception:
                pass
        time.sleep(0.3)
    raise AssertionError("the program never appeared on the accessibility bus")


def nodes(Atspi, app, *roles):
    found = []
    for node in walk(app):
        try:
            if node.get_role() in roles:
                found.append(node)
        except Exception:
            pass
    return found


def check(condition, message, failures):
    if not condition:
        failures.append(message)
        print(f"  not so: {message}")


def main():
    try:
        Atspi = atspi()
        if not os.path.exists(LAUNCHER):
            raise Skip("at-spi2-core is not installed")
        x = XSession()
    except Skip as why:
        print(f"SKIP: {why}")
        return 77
    launcher = subprocess.Popen([LAUNCHER, "--launch-immediately", "--a11y=1"],
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    time.sleep(1.0)
    failures = []
    home, env = private_home()
    env["QT_LINUX_ACCESSIBILITY_ALWAYS_ON"] = "1"
    env["QT_ACCESSIBILITY"] = "1"
    book = os.path.join(home, "river.Q")
    with open(book, "wb") as f:
        f.write(qbookfile.book("Geography", "Tester", [(QUESTION, ANSWERS, 1)] * 2))
    try:
        Atspi.init()
        button = Atspi.Role.PUSH_BUTTON
        texts = (Atspi.Role.TEXT, Atspi.Role.ENTRY, Atspi.Role.PASSWORD_TEXT)

        # The run panel, then a message box.
        quiz = x.start([QUIZ, book], cwd=home, extra_env=env)
        main_window = x.wait_window("Quiz")
        app = find_app(Atspi, quiz.pid)
        buttons = [b for b in nodes(Atspi, app, button)
                   if b.get_state_set().contains(Atspi.StateType.SHOWING)]
        names = [b.get_name() for b in buttons]
        print(f"run panel buttons: {names}")
        check(len(buttons) >= 6, f"six buttons show in the run panel, not {len(buttons)}", failures)
        check(all(n.strip() for n in names), "every run panel button has a name", failures)
        labels = [l.get_name() for l in nodes(Atspi, app, Atspi.Role.LABEL)]
        check(QUESTION in labels, "the question can be read", failures)
        for answer in ANSWERS:
            check(answer in labels, f"the answer {answer!r} can be read", failures)

        x.key(main_window, "alt+a")
        box = x.wait_window("Quiz", exclude=(main_window,))
        message = "Your answer is correct 10 points added to your score"
        deadline = time.monotonic() + 10
        readable = False
        while time.monotonic() < deadline and not readable:
            readable = any(message in (l.get_name() or "")
                           for l in nodes(Atspi, app, Atspi.Role.LABEL))
            time.sleep(0.2)
        check(readable, "the message box's text can be read", failures)
        x.key(box, "Return")
        x.wait_gone(box)
        quiz.kill()
        quiz.wait(timeout=10)

        # The edit panel.
        quiz = x.start([QUIZ, "/E", book], cwd=home, extra_env=env)
        x.wait_window("Quiz")
        app = find_app(Atspi, quiz.pid)
        buttons = [b for b in nodes(Atspi, app, button)
                   if b.get_state_set().contains(Atspi.StateType.SHOWING)]
        boxes = [t for t in nodes(Atspi, app, *texts)
                 if t.get_state_set().contains(Atspi.StateType.SHOWING)]
        print(f"edit panel buttons: {[b.get_name() for b in buttons]}")
        print(f"edit panel text boxes: {[t.get_name() for t in boxes]}")
        check(len(buttons) >= 9, f"nine buttons show in the edit panel, not {len(buttons)}",
              failures)
        check(len(boxes) >= 6, f"six text boxes show in the edit panel, not {len(boxes)}", failures)
        check(all(b.get_name().strip() for b in buttons), "every edit panel button has a name",
              failures)
        check(all(t.get_name().strip() for t in boxes), "every edit panel text box has a name",
              failures)
        quiz.kill()
        quiz.wait(timeout=10)
    except Exception:
        traceback.print_exc()
        failures.append("exception")
    finally:
        x.close()
        launcher.terminate()
        try:
            launcher.wait(timeout=10)
        except subprocess.TimeoutExpired:
            launcher.kill()
    passed = 0 if failures else 1
    print(f"{passed} passed, {1 - passed} failed")
    return 0 if not failures else 1


if __name__ == "__main__":
    sys.exit(main())
