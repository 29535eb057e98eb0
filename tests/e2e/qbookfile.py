"""Writes quiz book files byte for byte, independently of the program's own writer."""

import struct


def text(value):
    data = value.encode("cp1252")
    return struct.pack("<H", len(data)) + data


def book(category, author, questions, magic="QB", count=None):
    """questions: (question, [four answers], correct) tuples."""
    out = text(category) + text(author) + text(magic)
    out += struct.pack("<h", len(questions) if count is None else count)
    for question, answers, correct in questions:
        out += text(question) + b"".join(text(a) for a in answers) + struct.pack("<B", correct)
    return out


THREE_TYPED = [
    ("What is H2O", ["Water", "Salt", "Air", "Gold"], 1),
    ("How many legs has a spider", ["Six", "Eight", "Ten", "Four"], 2),
    ("Which planet is red", ["Venus", "Earth", "Mars", "Pluto"], 3),
]
