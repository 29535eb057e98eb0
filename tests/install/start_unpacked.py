"""Starts a quiz program on a quiz book in a private X server, answers the first question
with the keyboard and ends the program: proof that the program, its libraries and the book
work together outside the build folder.

Usage: start_unpacked.py QUIZ_EXECUTABLE BOOK KEY [SCREENSHOT.png]
KEY is the access key of the first question's right answer (alt+a to alt+d)."""

import os
import shutil
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
from xsession import XSession, private_home, wait_exit  # noqa: E402


def main():
    quiz, book, key = sys.argv[1:4]
    shot = sys.argv[4] if len(sys.argv) > 4 else None
    home, env = private_home()
    x = XSession()
    try:
        process = x.start([quiz, book], cwd=home, extra_env=env)
        main_window = x.wait_window("Quiz")
        if shot:
            x.screenshot(shot)
        # A message box titled like the main window says whether the answer was right.
        x.key(main_window, key)
        box = x.wait_window("Quiz", exclude=(main_window,))
        x.key(box, "Return")
        x.wait_gone(box)
        assert process.poll() is None, f"the program ended early\n{x.report()}"
        x.key(main_window, "ctrl+q")
        assert wait_exit(process) == 0, "Exit did not end the program cleanly"
    finally:
        x.close()
        shutil.rmtree(home, ignore_errors=True)
    print("the unpacked program ran the book")


if __name__ == "__main__":
    main()
