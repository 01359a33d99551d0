#!/usr/bin/env python3
"""The prompt program's terminal fallback, end to end on a pseudo-terminal without a display:
UploadReviewProbe reviews an upload whose file name and record carry escape sequences and a
carriage return. Nothing of them reaches the terminal raw (each shows as its control picture),
and when the caller is killed while the question waits, the prompt program ends.

    prompt_terminal_test.py BIN_DIR
"""
import os
import pty
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import time

bin_dir = sys.argv[1]
failures = []
work = tempfile.mkdtemp()
name = os.path.join(work, "pay\x1b[31mred\rX.txt")
with open(name, "w", newline="") as upload:
    upload.write("K" + "0" * 106 + "\r\n" + "5\x1b[2J12678" + "d" * 12 + "000000000001050\r\n")

env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY")}
pid, terminal = pty.fork()
if pid == 0:
    os.execve(os.path.join(bin_dir, "UploadReviewProbe"), ["UploadReviewProbe", name], env)

shown = b""
deadline = time.time() + 30
while time.time() < deadline and b"[y]" not in shown:
    if select.select([terminal], [], [], 0.2)[0]:
        try:
            shown += os.read(terminal, 4096)
        except OSError:
            break
text = shown.decode("utf-8", "replace")
print(text)
if b"[y]" not in shown:
    failures.append("the question never came")
# The terminal turns each line feed into CR LF; any other CR or an ESC came from the caller.
if b"\x1b" in shown or shown.count(b"\r") != shown.count(b"\n"):
    failures.append("a control byte of the caller's text reached the terminal raw")
for expected in ("pay\u241b[31mred\u240dX.txt", "\u241b[2J1"):
    if expected not in text:
        failures.append("not shown as stand-ins: " + ascii(expected))

prompts = subprocess.run(["pgrep", "-P", str(pid)], capture_output=True, text=True).stdout.split()
if not prompts:
    failures.append("no prompt program was running")
os.kill(pid, signal.SIGKILL)
os.waitpid(pid, 0)


def gone(process):
    try:
        with open(f"/proc/{process}/stat") as stat:
            return stat.read().split()[2] == "Z"
    except OSError:
        return True


deadline = time.time() + 5
while time.time() < deadline and not all(gone(p) for p in prompts):
    time.sleep(0.1)
if not all(gone(p) for p in prompts):
    failures.append("the prompt program still asks 5 s after its caller was killed")
    for process in prompts:
        os.kill(int(process), signal.SIGKILL)

shutil.rmtree(work, ignore_errors=True)
for failure in failures:
    print("FAIL:", failure)
if not failures:
    print("terminal prompt: control bytes shown as stand-ins; it ended with its caller")
sys.exit(1 if failures else 0)
