"""A private X server and the means to drive the quiz program in it with xdotool.

Every wait is bounded, and everything started here is ended when the session closes."""

import os
import shutil
import signal
import subprocess
import tempfile
import time


class Skip(Exception):
    """The machine lacks a tool these tests need."""


def need(*tools):
    for tool in tools:
        if shutil.which(tool) is None:
            raise Skip(f"{tool} is not installed")


class XSession:
    # -noreset: by default the server resets each time its last client leaves (every xdotool
    # call, or a program the test ended), and a program connecting during that reset is refused.
    def __init__(self, width=1280, height=1024):
        need("Xvfb", "xdotool")
        self.processes = []
        read, write = os.pipe()
        self.xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write), "-screen", "0", f"{width}x{height}x24",
             "-nolisten", "tcp", "-noreset"],
            pass_fds=(write,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write)
        number = b""
        deadline = time.monotonic() + 20
        while not number.endswith(b"\n") and time.monotonic() < deadline:
            chunk = os.read(read, 16)
            if not chunk:
                break
            number += chunk
        os.close(read)
        if not number.strip():
            self.close()
            raise RuntimeError("Xvfb did not start")
        self.display = ":" + number.decode().strip()
        self.env = dict(os.environ, DISPLAY=self.display)
        self.env.pop("QT_QPA_PLATFORM", None)
        self.env.pop("WAYLAND_DISPLAY", None)

    def start(self, argv, cwd, extra_env=None):
        env = dict(self.env)
        env.update(extra_env or {})
        process = subprocess.Popen(argv, cwd=cwd, env=env, stdout=subprocess.PIPE,
                                   stderr=subprocess.STDOUT, start_new_session=True)
        self.processes.append(process)
        return process

    def start_window_manager(self, timeout=15):
        """Openbox on this display, for tests that need windows managed as on a desktop."""
        need("openbox", "xprop")
        self.start(["openbox", "--sm-disable"], cwd="/")
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            result = subprocess.run(["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"], env=self.env,
                                    capture_output=True, text=True, timeout=10)
            if "window id" in result.stdout:
                time.sleep(0.3)
                return
            time.sleep(0.1)
        raise AssertionError(f"openbox did not start within {timeout} s\n{self.report()}")

    def xdotool(self, *args, timeout=10):
        result = subprocess.run(["xdotool", *args], env=self.env, capture_output=True,
                                text=True, timeout=timeout)
        return result.stdout.strip()

    def windows(self, name):
        """Visible windows whose title is exactly name, oldest first."""
        out = self.xdotool("search", "--onlyvisible", "--name", f"^{name}$")
        return [int(w) for w in out.split()] if out else []

    def wait_window(self, name, timeout=15, exclude=()):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            found = [w for w in self.windows(name) if w not in exclude]
            if found:
                time.sleep(0.3)  # let the window finish mapping and take its first paint
                return found[-1]
            time.sleep(0.1)
        raise AssertionError(f"no window titled {name!r} within {timeout} s\n{self.report()}")

    def report(self):
        """The windows on the screen and what every program started here is doing."""
        lines = []
        for window in self.xdotool("search", "--onlyvisible", "--name", ".").split():
            lines.append(f"  window {window}: {self.xdotool('getwindowname', window)!r}")
        for process in self.processes:
            state = "running" if process.poll() is None else f"ended with {process.returncode}"
            output = b""
            if process.stdout is not None:
                os.set_blocking(process.stdout.fileno(), False)
                output = process.stdout.read() or b""
            lines.append(f"  {' '.join(map(str, process.args))}: {state}")
            lines += [f"    | {line}" for line in output.decode(errors="replace").splitlines()[-30:]]
        return "\n".join(lines)

    def wait_gone(self, window, timeout=10):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            visible = self.xdotool("search", "--onlyvisible", "--name", ".")
            if str(window) not in visible.split():
                return
            time.sleep(0.1)
        raise AssertionError(f"window {window} still open after {timeout} s")

    def focus(self, window):
        # Most tests run without a window manager: give the window the keyboard ourselves.
        self.xdotool("windowfocus", "--sync", str(window))
        time.sleep(0.15)

    def key(self, window, *keys):
        self.focus(window)
        for key in keys:
            self.xdotool("key", "--clearmodifiers", key)
            time.sleep(0.08)

    def type(self, window, text):
        self.focus(window)
        self.xdotool("type", "--delay", "15", text, timeout=60)
        time.sleep(0.1)

    def screenshot(self, path, window="root", trim=False):
        """One window, or the whole screen with its empty border trimmed away when trim."""
        crop = ["-trim", "+repage"] if trim else []
        subprocess.run(["import", "-display", self.display, "-window", str(window), *crop, path],
                       timeout=30, check=True)

    def ink(self, path, left, top, width, height):
        """How dark a rectangle of a screenshot is: 0 for white, 1 for black."""
        result = subprocess.run(
            ["convert", path, "-crop", f"{width}x{height}+{left}+{top}", "+repage",
             "-colorspace", "gray", "-format", "%[fx:1-mean]", "info:"],
            capture_output=True, text=True, timeout=30, check=True)
        return float(result.stdout)

    def close(self):
        for process in self.processes:
            if process.poll() is None:
                os.killpg(process.pid, signal.SIGKILL)
                process.wait(timeout=10)
        if self.xvfb.poll() is None:
            self.xvfb.terminate()
            try:
                self.xvfb.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.xvfb.kill()
                self.xvfb.wait(timeout=10)


def wait_exit(process, timeout=10):
    try:
        return process.wait(timeout=timeout)
    except subprocess.TimeoutExpired:
        raise AssertionError(f"the program did not end within {timeout} s")


def private_home():
    """A temporary home with its own configuration folder, so no real settings are touched."""
    home = tempfile.mkdtemp(prefix="quiz-e2e-")
    config = os.path.join(home, "config")
    os.makedirs(config)
    return home, {"HOME": home, "XDG_CONFIG_HOME": config}
