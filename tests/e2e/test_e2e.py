"""End-to-end tests: the real quiz program in a real X window, driven by the keyboard.

Usage: test_e2e.py QUIZ_EXECUTABLE TESTDATA_DIR
Exits 0 when every test passed, 77 when the machine lacks Xvfb or xdotool, 1 otherwise."""

import os
import shutil
import subprocess
import sys
import time
import traceback

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import qbookfile  # noqa: E402
from xsession import Skip, XSession, private_home, wait_exit  # noqa: E402

QUIZ = os.path.abspath(sys.argv[1])
TESTDATA = os.path.abspath(sys.argv[2])


def answer_box(x, main, expected_title="Quiz"):
    """Waits for the next message box and presses its default button with Enter."""
    box = x.wait_window(expected_title, exclude=(main,))
    x.key(box, "Return")
    x.wait_gone(box)


def test_make_a_book_with_the_keyboard(x):
    home, env = private_home()
    try:
        quiz = x.start([QUIZ], cwd=home, extra_env=env)
        main = x.wait_window("Quiz")
        x.key(main, "ctrl+n")
        dialog = x.wait_window("New Quiz")
        x.type(dialog, "e2ebook")
        x.key(dialog, "Return")
        x.type(dialog, "Science")
        x.key(dialog, "Return")
        x.type(dialog, "Tester")
        x.key(dialog, "Return")  # Enter in a filled author box presses Create
        x.wait_gone(dialog)
        for question, answers, correct in qbookfile.THREE_TYPED:
            x.type(main, question)
            x.key(main, "Return")
            for answer in answers:
                x.type(main, answer)
                x.key(main, "Return")
            x.type(main, str(correct))
            x.key(main, "Return")  # Enter in the correct-answer box adds the question
        x.key(main, "alt+s")
        path = os.path.join(home, "e2ebook.Q")
        deadline = time.monotonic() + 10
        with open(os.path.join(TESTDATA, "e2e-three.Q"), "rb") as f:
            golden = f.read()
        saved = b""
        while time.monotonic() < deadline and saved != golden:
            time.sleep(0.2)
            saved = open(path, "rb").read() if os.path.exists(path) else b""
        assert saved == golden, f"saved book differs from the golden file: {saved!r}"
        x.key(main, "ctrl+q")  # nothing unsaved: Exit asks nothing
        assert wait_exit(quiz) == 0, "Exit did not end the program cleanly"
    finally:
        shutil.rmtree(home, ignore_errors=True)


def run_book(x, keys, end_title, one_chance):
    home, env = private_home()
    try:
        with open(os.path.join(env["XDG_CONFIG_HOME"], "Tarvel.ini"), "w") as f:
            f.write(f"[General]\nonechance={'True' if one_chance else 'False'}\n")
        path = os.path.join(home, "three.Q")
        with open(path, "wb") as f:
            f.write(qbookfile.book("Science", "Tester", [
                ("First", ["a", "b", "c", "d"], 1),
                ("Second", ["a", "b", "c", "d"], 3),
                ("Third", ["a", "b", "c", "d"], 4),
            ]))
        quiz = x.start([QUIZ, path], cwd=home, extra_env=env)
        main = x.wait_window("Quiz")
        for key, messages in keys:
            x.key(main, key)
            for _ in range(messages):
                answer_box(x, main)
        answer_box(x, main, end_title)
        assert quiz.poll() is None, "the program ended with the quiz"
        x.key(main, "ctrl+q")
        assert wait_exit(quiz) == 0
    finally:
        shutil.rmtree(home, ignore_errors=True)


def test_run_a_book_and_win(x):
    run_book(x, [("alt+a", 1), ("alt+c", 1), ("alt+d", 1)], "Winner", one_chance=True)


def test_run_a_book_and_lose(x):
    # One chance: each wrong answer reveals the right one and moves on.
    run_book(x, [("alt+b", 1), ("alt+a", 1), ("alt+a", 1)], "Quiz Over", one_chance=True)


def test_second_try_then_skip(x):
    # Two tries: wrong, then right (5 points); then Esc skips the last two questions.
    run_book(x, [("alt+b", 1), ("alt+a", 1), ("Escape", 0), ("Escape", 0)], "Quiz Over",
             one_chance=False)


def test_one_chance_is_stored_at_once(x):
    home, env = private_home()
    try:
        settings = os.path.join(env["XDG_CONFIG_HOME"], "Tarvel.ini")
        quiz = x.start([QUIZ], cwd=home, extra_env=env)
        main = x.wait_window("Quiz")
        for expected in ("False", "True", "False"):
            x.key(main, "ctrl+o")
            deadline = time.monotonic() + 5
            text = ""
            while time.monotonic() < deadline:
                text = open(settings).read() if os.path.exists(settings) else ""
                if f"onechance={expected}" in text:
                    break
                time.sleep(0.1)
            lines = text.split("\n")
            assert "[General]" in lines, f"no [General] section: {text!r}"
            assert lines[lines.index("[General]") + 1] == f"onechance={expected}", repr(text)
        x.key(main, "ctrl+q")
        assert wait_exit(quiz) == 0
    finally:
        shutil.rmtree(home, ignore_errors=True)


# The run panel's answer rows in pixels below the menu bar: where the program stacks them.
ANSWER_ROWS = [79, 146, 214, 282]
ANSWER_LEFT, ANSWER_WIDTH, ANSWER_HEIGHT = 56, 561, 57
PANEL_HEIGHT = 402
RIGHT = "MMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMM"


def read_right_button(x, main, shot):
    """The letter of the button whose row shows the long right answer, read off the screen."""
    time.sleep(0.3)
    x.screenshot(shot, main)
    height = int(subprocess.run(["identify", "-format", "%h", shot], capture_output=True,
                                text=True, timeout=30, check=True).stdout)
    top = height - PANEL_HEIGHT
    ink = [x.ink(shot, ANSWER_LEFT, top + row, ANSWER_WIDTH, ANSWER_HEIGHT)
           for row in ANSWER_ROWS]
    # The panel's own grey is the floor; the one-character wrong answers barely rise above it.
    above = [value - min(ink) for value in ink]
    darkest = max(range(4), key=lambda i: above[i])
    assert above[darkest] > 10 * sorted(above)[2] + 0.01, f"no answer stands out: {ink}"
    return "abcd"[darkest]


def practice_book(home, questions):
    # Every right answer is the book's first; the run moves them.
    path = os.path.join(home, "practice.Q")
    with open(path, "wb") as f:
        f.write(qbookfile.book("Practice", "Tester", [
            (f"Question {n}", [RIGHT, "-", ".", ","], 1) for n in range(1, questions + 1)]))
    return path


def test_shuffled_answers_win_then_review_one_missed(x):
    home, env = private_home()
    try:
        x.start_window_manager()
        shot = os.path.join(home, "shot.png")
        with open(os.path.join(env["XDG_CONFIG_HOME"], "Tarvel.ini"), "w") as f:
            f.write("[General]\nonechance=True\nshuffleanswers=True\n")
        path = practice_book(home, 8)

        # Every question answered right by reading the buttons: the Winner.
        quiz = x.start([QUIZ, path], cwd=home, extra_env=env)
        main = x.wait_window("Quiz")
        letters = []
        for _ in range(8):
            letters.append(read_right_button(x, main, shot))
            x.key(main, f"alt+{letters[-1]}")
            answer_box(x, main)
        answer_box(x, main, "Winner")
        assert set(letters) != {"a"}, "the answers never moved from the book's order"

        # Review Missed on, from the menu: one wrong answer, then a run of that question alone.
        x.key(main, "alt+e")
        x.key(main, "r")
        settings = os.path.join(env["XDG_CONFIG_HOME"], "Tarvel.ini")
        deadline = time.monotonic() + 5
        while time.monotonic() < deadline and "reviewmissed=True" not in open(settings).read():
            time.sleep(0.1)
        assert "reviewmissed=True" in open(settings).read(), open(settings).read()
        x.key(main, "ctrl+q")
        assert wait_exit(quiz) == 0
        quiz = x.start([QUIZ, path], cwd=home, extra_env=env)
        main = x.wait_window("Quiz")
        for question in range(8):
            right = read_right_button(x, main, shot)
            wrong = "b" if right == "a" else "a"
            x.key(main, f"alt+{wrong if question == 2 else right}")
            answer_box(x, main)
        answer_box(x, main, "Quiz Over")
        answer_box(x, main)  # "Try the 1 questions you missed again?": Enter is Yes
        x.key(main, f"alt+{read_right_button(x, main, shot)}")
        answer_box(x, main)
        answer_box(x, main, "Winner")  # 10 out of 10: the missed question alone
        x.key(main, "ctrl+q")
        assert wait_exit(quiz) == 0
    finally:
        shutil.rmtree(home, ignore_errors=True)


def main():
    tests = [value for name, value in sorted(globals().items()) if name.startswith("test_")]
    try:
        x = XSession()
    except Skip as why:
        print(f"SKIP: {why}")
        return 77
    passed = failed = 0
    try:
        for test in tests:
            started = time.monotonic()
            try:
                test(x)
                passed += 1
                print(f"PASS   : {test.__name__} ({time.monotonic() - started:.1f} s)")
            except Exception:
                failed += 1
                print(f"FAIL!  : {test.__name__}")
                traceback.print_exc()
                shot = os.path.join(os.getcwd(), f"{test.__name__}.png")
                try:
                    x.screenshot(shot)
                    print(f"         screenshot: {shot}")
                except Exception:
                    pass
            finally:
                for process in x.processes:
                    if process.poll() is None:
                        process.kill()
                        process.wait(timeout=10)
                x.processes.clear()
    finally:
        x.close()
    print(f"{passed} passed, {failed} failed")
    return 0 if failed == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
