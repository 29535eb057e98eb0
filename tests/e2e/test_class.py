"""A class in a real browser: the Class window (Xvfb) hosts a book, headless Chromium joins,
answers right, wrong, then right at the second try, and sees the score, while the teacher's
table, read as a screen reader reads it, shows the student. It runs in a network namespace of
its own, where loopback is the only address. Usage: test_class.py QUIZ [SCREENSHOT_FOLDER]"""

import os
import re
import shutil
import subprocess
import sys
import time
import traceback

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import qbookfile  # noqa: E402
from test_a11y import LAUNCHER, atspi, find_app, nodes  # noqa: E402
from xsession import Skip, XSession, need, private_home  # noqa: E402

QUIZ = os.path.abspath(sys.argv[1])
SHOTS = os.path.abspath(sys.argv[2]) if len(sys.argv) > 2 else None
NAME = "<script>alert(1)</script>"
BOOK = [("Which river flows through Cairo", ["The Nile", "The Amazon", "", "The Thames"], 1),
        ("How many legs has a spider", ["Six", "Eight", "Ten", "Four"], 2)]


def browser():
    try:
        from selenium import webdriver
    except ImportError as why:
        raise Skip(f"selenium is missing: {why}")
    need("chromium", "chromedriver")
    options = webdriver.ChromeOptions()
    list(map(options.add_argument, ("--headless=new", "--no-sandbox", "--disable-gpu")))
    return webdriver.Chrome(options=options)


def wait(what, condition, timeout=15):
    deadline = time.monotonic() + timeout
    while not (value := condition()):
        assert time.monotonic() < deadline, f"{what} within {timeout} s"
        time.sleep(0.1)
    return value


def isolate():
    """Runs this test again in a private network namespace, under its own D-Bus session."""
    if os.environ.get("QUIZ_E2E_ISOLATED"):
        return None
    need("unshare", "dbus-run-session")
    ip = shutil.which("ip", path=os.environ["PATH"] + ":/usr/sbin:/sbin")
    if ip is None or subprocess.run(["unshare", "-rn", "true"]).returncode != 0:
        raise Skip("no private network namespace for the class")
    env = dict(os.environ, QUIZ_E2E_ISOLATED="1")
    return subprocess.run(["unshare", "-rn", "sh", "-c", f"{ip} link set lo up && exec \"$@\"",
                           "sh", "dbus-run-session", "--", sys.executable, *sys.argv],
                          env=env).returncode


def main():
    try:
        status = isolate()
        if status is not None:
            return status
        Atspi = atspi()
        if not os.path.exists(LAUNCHER):
            raise Skip("at-spi2-core is not installed")
        driver = browser()
    except Skip as why:
        print(f"SKIP: {why}")
        return 77
    x = XSession()
    launcher = subprocess.Popen([LAUNCHER, "--launch-immediately", "--a11y=1"])
    time.sleep(1.0)
    home, env = private_home()
    env.update(QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_ACCESSIBILITY="1", XDG_DATA_HOME=home)
    book = os.path.join(home, "class.Q")
    with open(book, "wb") as f:
        f.write(qbookfile.book("Geography", "Tester", BOOK))
    failed = False
    try:
        Atspi.init()
        x.start_window_manager()
        quiz = x.start([QUIZ, book], cwd=home, extra_env=env)
        main_window = x.wait_window("Quiz")
        x.key(main_window, "alt+q", "h")
        window = x.wait_window("Class - Geography")
        app = find_app(Atspi, quiz.pid)
        labels = lambda: [l.get_name() or "" for l in nodes(Atspi, app, Atspi.Role.LABEL)]
        code = wait("a code shows", lambda: next(
            (t for t in labels() if re.fullmatch(r"\d{6}", t)), None))
        port = wait("an address shows", lambda: next(
            (m.group(1) for t in labels() for m in [re.search(r"http://[\d.]+:(\d+)", t)] if m),
            None))
        x.key(window, "alt+o")  # One Chance off: a second try after a wrong answer

        driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride", {
            "width": 390, "height": 844, "deviceScaleFactor": 1, "mobile": True})
        driver.get(f"http://127.0.0.1:{port}/?code={code}")
        find = lambda css: driver.find_element("css selector", css)
        wait("the join form shows", lambda: find("#join").is_displayed())
        assert find("#code").get_attribute("value") == code, "the address fills in the code"
        find("#name").send_keys(NAME)
        find("#joinbutton").click()
        question = lambda: find("#question").text
        wait("question 1 shows", lambda: question() == BOOK[0][0])
        buttons = lambda: driver.find_elements("css selector", "#answers button")
        assert [b.text for b in buttons()] == ["The Nile", "The Amazon", "The Thames"], \
            "only the filled answers are offered"
        assert find("#number").text == "Question 1 of 2"
        if SHOTS:
            driver.save_screenshot(os.path.join(SHOTS, "student.png"))
        buttons()[0].click()
        feedback = lambda: find("#feedback").text
        wait("the right answer scores 10", lambda: "10 points" in feedback())
        wait("question 2 shows", lambda: question() == BOOK[1][0])
        buttons()[0].click()
        wait("a wrong answer asks again", lambda: "Please try again" in feedback())
        assert not buttons()[0].is_enabled(), "the wrong answer cannot be chosen again"
        assert "Eight" not in feedback(), "the right answer is not told before the last try"
        driver.refresh()  # the token in the cookie resumes at the second try
        wait("a reload resumes", lambda: question() == BOOK[1][0] and buttons())
        assert not buttons()[0].is_enabled(), "the reload keeps the wrong answer out"
        buttons()[1].click()
        wait("the second try scores 5", lambda: "5 points" in feedback())
        wait("the score shows", lambda: find("#endtext").text == "Your score is 15 out of 20.")
        assert find("#endtitle").text == "Quiz is over"

        cells = lambda: [c.get_name() for c in nodes(Atspi, app, Atspi.Role.TABLE_CELL)]
        wait("the teacher's table shows the student as written, finished with 15",
             lambda: all(v in cells() for v in (NAME, "2 of 2", "15", "Yes")))
        if SHOTS:
            x.screenshot(os.path.join(SHOTS, "class.png"), window=window)
        print("1 passed, 0 failed")
    except Exception:
        traceback.print_exc()
        print(x.report())
        failed = True
    finally:
        driver.quit()
        x.close()
        launcher.kill()
        launcher.wait(timeout=10)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
