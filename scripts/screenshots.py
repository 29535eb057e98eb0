#!/usr/bin/env python3
"""Makes the README's screenshots: the real program in a private X server (Xvfb).

Usage: scripts/screenshots.py [QUIZ_EXECUTABLE]   (default build/app/quiz)
Writes docs/idle.png, docs/run.png, docs/edit.png, docs/picker.png, docs/practice.png,
docs/recent.png and docs/long-question.png."""

import os
import shutil
import sys
import time

root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(root, "tests", "e2e"))
from xsession import XSession, private_home  # noqa: E402
import qbookfile  # noqa: E402

quiz = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(root, "build/app/quiz"))
sample = os.path.join(root, "examples", "general-knowledge.Q")
docs = os.path.join(root, "docs")
os.makedirs(docs, exist_ok=True)


def shoot(x, window, name, trim=False):
    time.sleep(0.5)
    x.screenshot(os.path.join(docs, name), window, trim)
    print(f"docs/{name}")


x = XSession(1024, 768)
home, env = private_home()
try:
    shutil.copy(sample, home)
    book = os.path.join(home, os.path.basename(sample))

    p = x.start([quiz], cwd=home, extra_env=env)
    main = x.wait_window("Quiz")
    shoot(x, main, "idle.png")
    x.key(main, "ctrl+r")
    picker = x.wait_window("Open")
    x.key(picker, "Tab", "Tab", "space")
    # The picker over the main window: the whole screen, its empty border trimmed away.
    shoot(x, "root", "picker.png", trim=True)
    x.key(picker, "Escape")
    p.kill()

    p = x.start([quiz, book], cwd=home, extra_env=env)
    main = x.wait_window("Quiz")
    shoot(x, main, "run.png")
    p.kill()

    p = x.start([quiz, "/E", book], cwd=home, extra_env=env)
    main = x.wait_window("Quiz")
    shoot(x, main, "edit.png")
    p.kill()

    # The practice options in the Edit menu, two of them on.
    with open(os.path.join(env["XDG_CONFIG_HOME"], "Tarvel.ini"), "w") as f:
        f.write("[General]\nshuffleanswers=True\nreviewmissed=True\n")
    p = x.start([quiz], cwd=home, extra_env=env)
    main = x.wait_window("Quiz")
    x.key(main, "alt+e")
    shoot(x, "root", "practice.png", trim=True)
    p.kill()

    # Recent Books after running three books, the sample last.
    for name in ("capitals.Q", "rivers.Q"):
        shutil.copy(book, os.path.join(home, name))
    for path in (os.path.join(home, "capitals.Q"), os.path.join(home, "rivers.Q"), book):
        p = x.start([quiz, path], cwd=home, extra_env=env)
        x.wait_window("Quiz")
        p.kill()
        p.wait(timeout=10)
    p = x.start([quiz], cwd=home, extra_env=env)
    main = x.wait_window("Quiz")
    x.key(main, "alt+q", "b")
    shoot(x, "root", "recent.png", trim=True)
    p.kill()

    # A 1,000-character question with four 300-character answers, the window enlarged, the
    # answers in book order.
    os.remove(os.path.join(env["XDG_CONFIG_HOME"], "Tarvel.ini"))
    question = ("How long can a question be before it no longer fits? " * 20)[:1000]
    answers = [(f"Answer {letter} is a long one too, with many words to wrap across lines. " * 6)
               [:300] for letter in "ABCD"]
    longbook = os.path.join(home, "long.Q")
    with open(longbook, "wb") as f:
        f.write(qbookfile.book("Long", "Ann", [(question, answers, 2)]))
    x.start_window_manager()
    p = x.start([quiz, longbook], cwd=home, extra_env=env)
    main = x.wait_window("Quiz")
    x.xdotool("windowsize", str(main), "1000", "560")
    shoot(x, main, "long-question.png")
    p.kill()
finally:
    x.close()
    shutil.rmtree(home, ignore_errors=True)
