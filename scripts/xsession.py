"""What the checks that use a program as a user would share: an X display of its own, xdotool on it,
and the steps they print."""
import os
import re
import subprocess
import sys
import time

SIGN_IN_TITLE = "Аутентификация"
# Wine's programs as scripts/wine-env.sh exports them; the same paths when a check runs without it.
WINE = os.environ.get("WINE", "/usr/lib/wine/wine64")
WINESERVER = os.environ.get("WINESERVER", "/usr/lib/wine/wineserver64")


def step(text):
    print(f"  {text}", flush=True)


class Display:
    """Xvfb on the first free display number."""

    def __init__(self, size):
        read_end, write_end = os.pipe()
        self.server = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-nolisten", "tcp", "-screen", "0", size + "x24"],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        with os.fdopen(read_end) as reader:
            self.name = ":" + reader.readline().strip()

    def env(self):
        env = dict(os.environ, DISPLAY=self.name)
        env.pop("QT_QPA_PLATFORM", None)
        env.pop("WINEQT_QPA_PLATFORM", None)
        return env

    def xdotool(self, *args, timeout=60):
        result = subprocess.run(["xdotool", *args], env=self.env(), capture_output=True, text=True,
                                timeout=timeout)
        if result.returncode != 0:
            raise RuntimeError(f"xdotool {' '.join(args)}: {result.stderr.strip()}")
        return result.stdout.strip()

    def windows(self, title):
        """The visible windows whose titles match, now."""
        found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", title], env=self.env(),
                               capture_output=True, text=True)
        return found.stdout.split() if found.returncode == 0 else []

    def window(self, title, timeout=90):
        """The visible window whose title matches, once it is there."""
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            found = self.windows(title)
            if found:
                return found[0]
            time.sleep(0.25)
        raise RuntimeError(f"no window titled {title!r} came up in {timeout} s")

    def type(self, window, text):
        self.xdotool("windowfocus", "--sync", window)
        self.xdotool("type", "--delay", "30", text)

    def keys(self, window, *keys):
        self.xdotool("windowfocus", "--sync", window)
        for key in keys:
            self.xdotool("key", key)
            time.sleep(0.15)

    def click(self, window, x, y):
        """A left click at a point of the window's client area."""
        self.xdotool("mousemove", "--window", window, str(x), str(y))
        time.sleep(0.2)
        self.xdotool("click", "1")

    def screenshot(self, path):
        subprocess.run(["import", "-window", "root", path], env=self.env(), check=True, timeout=60)

    def close(self):
        self.server.terminate()
        self.server.wait(10)


def wait_for(condition, timeout, what):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        if condition():
            return
        time.sleep(0.25)
    raise RuntimeError(f"{what}: not within {timeout} s")


def report_output(log, heading="The program's output"):
    """Prints the end of what the programs wrote to the log file, after a failure."""
    log.seek(0)
    output = log.read().decode(errors="replace")
    if output.strip():
        print(f"{heading}:\n" + output[-4000:], file=sys.stderr)


def wine_running(prefix, pattern):
    """Whether a process of this Wine prefix (its WINEPREFIX, as the check set it) runs a command line
    that matches the pattern: the check's own programs and scripts, never those of another prefix."""
    expression = re.compile(pattern)
    wanted = b"WINEPREFIX=" + os.fsencode(prefix)
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open(f"/proc/{entry}/environ", "rb") as environ:
                if wanted not in environ.read().split(b"\0"):
                    continue
            with open(f"/proc/{entry}/cmdline", "rb") as cmdline:
                command = cmdline.read().replace(b"\0", b" ").decode(errors="replace")
        except OSError:  # ended meanwhile, or not ours to read
            continue
        if expression.search(command):
            return True
    return False


def stop(runs):
    """Ends the started programs that still run."""
    for run in runs:
        if run.poll() is None:
            run.kill()
            run.wait(10)
