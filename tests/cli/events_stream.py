#!/usr/bin/env python3
"""zendra-cli --json as a bench's program reads it: the real executable against kxwrt-sim, every line of
standard output checked against docs/events.schema.json, and the events of each writer in their order."""

import json
import os
import signal
import subprocess
import sys
import tempfile
import time

import jsonschema

BUILD, SCHEMA = sys.argv[1], sys.argv[2]
CLI, SIM = os.path.join(BUILD, "zendra-cli"), os.path.join(BUILD, "kxwrt-sim")
VALIDATOR = jsonschema.Draft202012Validator(json.load(open(SCHEMA, encoding="utf-8")))
DIR = tempfile.mkdtemp(prefix="zendra-events-")
for name in ("XDG_CONFIG_HOME", "XDG_RUNTIME_DIR", "XDG_DATA_HOME"):
    os.environ[name] = os.path.join(DIR, name.lower())
    os.makedirs(os.environ[name], mode=0o700)
FAILURES = []

# A chip's events after its live ones (phase, progress, serial), in the order they come; ready closes a
# chip of a --repeat.
RANK = {"writer": 1, "chip": 2, "calibration": 4, "warning": 5, "notice": 6, "difference": 7,
        "lockfuse": 8, "fuses": 9, "record": 10, "error": 11, "verdict": 12, "ready": 13}


def hex_file(path, data):
    with open(path, "w", encoding="ascii") as f:
        for at in range(0, len(data), 16):
            chunk = data[at:at + 16]
            record = bytes([len(chunk), at >> 8, at & 0xFF, 0]) + chunk
            f.write(":" + record.hex().upper() + "%02X\n" % (-sum(record) & 0xFF))
        f.write(":00000001FF\n")


class Sim:
    def __init__(self, *options):
        self.process = subprocess.Popen([SIM, *options], stdout=subprocess.PIPE, text=True)
        self.path = self.process.stdout.readline().strip()

    def close(self):
        self.process.terminate()
        self.process.wait(5)


def check_writer_order(name, port, events):
    rank, phase = 0, None
    for e in events:
        kind = e["event"]
        if kind == "serial":
            if rank not in (0, 13) or phase is not None:
                FAILURES.append(f"{name}: {port}: serial taken inside a phase or after the chip's end")
            continue
        if kind in ("phase", "progress"):
            if rank not in (0, 13):
                FAILURES.append(f"{name}: {port}: {kind} after the chip's end events")
            if kind == "phase" and e["state"] == "start":
                if phase is not None:
                    FAILURES.append(f"{name}: {port}: phase {e['phase']} starts inside {phase}")
                phase = e["phase"]
            elif kind == "phase":
                if phase != e["phase"]:
                    FAILURES.append(f"{name}: {port}: phase {e['phase']} ends, {phase} was open")
                phase = None
            elif phase != e["phase"]:
                FAILURES.append(f"{name}: {port}: progress of {e['phase']} outside its phase")
            rank = 0
            continue
        if RANK[kind] < rank and rank != 13:
            FAILURES.append(f"{name}: {port}: {kind} after {[k for k, r in RANK.items() if r == rank][0]}")
        rank = RANK[kind]
    if phase is not None:
        FAILURES.append(f"{name}: {port}: phase {phase} never ends")


def run(name, args, expected_code, expected, interrupt_on=None):
    """Runs zendra-cli --json; every line must be an event of the schema, start first, end last."""
    cli = subprocess.Popen([CLI, "--json", "--lang", "en", *args], stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    lines = []
    for raw in cli.stdout:
        lines.append(raw)
        if interrupt_on and interrupt_on in raw.decode():
            cli.send_signal(signal.SIGINT)
            interrupt_on = None
    err = cli.stderr.read().decode()
    code = cli.wait(120)
    events = []
    for raw in lines:
        try:
            event = json.loads(raw)
        except ValueError:
            FAILURES.append(f"{name}: not JSON: {raw!r}")
            continue
        for problem in VALIDATOR.iter_errors(event):
            FAILURES.append(f"{name}: {raw.decode().strip()}: {problem.message}")
        events.append(event)
    kinds = [e.get("event") for e in events]
    if code != expected_code:
        FAILURES.append(f"{name}: exit code {code}, not {expected_code}: {err}")
    if not kinds or kinds[0] != "start" or kinds[-1] != "end" or kinds.count("start") + kinds.count("end") != 2:
        FAILURES.append(f"{name}: not start ... end: {kinds}")
    elif events[-1]["exitCode"] != code:
        FAILURES.append(f"{name}: end says {events[-1]['exitCode']}, the process {code}")
    for kind in expected:
        if kind not in kinds:
            FAILURES.append(f"{name}: no {kind} event in {kinds}")
    for port in {e["port"] for e in events if "port" in e and e["event"] != "record"}:
        check_writer_order(name, port, [e for e in events if e.get("port") == port and e["event"] != "record"])
    return events, err


def trigger_channel(code_file):
    """A handler drives a gang of two through two pipes: nothing starts before its first line, a start for a
    writer at work and a line it does not know are warned about, and stop ends the loop with the summary."""
    name = "trigger"
    a, b = Sim("--chip", "ATtiny12L"), Sim("--chip", "ATtiny12L", "--delay-ms", "2")
    cli = subprocess.Popen([CLI, "--json", "--lang", "en", "--repeat", "--trigger", "stdin", "--port", a.path,
                            "--port", b.path, "program", code_file],
                           stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.PIPE, bufsize=0)
    said, events = [], []

    def say(line):
        said.append(line)
        cli.stdin.write(line.encode() + b"\n")
        cli.stdin.flush()

    for raw in cli.stdout:
        event = json.loads(raw)
        for problem in VALIDATOR.iter_errors(event):
            FAILURES.append(f"{name}: {raw.decode().strip()}: {problem.message}")
        events.append(event)
        kind, port = event["event"], event.get("port")
        if not said and kind not in ("start", "ready"):
            FAILURES.append(f"{name}: {kind} before the first start")
        if kind == "ready" and not said and sum(e["event"] == "ready" for e in events) == 2:
            time.sleep(0.3)  # nothing may start meanwhile
            say("start")
        elif kind == "phase" and port == b.path and "start B" not in said:
            said.append("start B")
            say("start " + b.path)
            say("load the next tray")
        elif kind == "verdict" and port == a.path:
            verdicts = sum(e["event"] == "verdict" and e.get("port") == a.path for e in events)
            say("start " + a.path if verdicts == 1 else "stop")
    code = cli.wait(60)
    warnings = [(e["code"], e.get("port")) for e in events if e["event"] == "warning"]
    verdicts = [e["port"] for e in events if e["event"] == "verdict"]
    if code != 0 or events[-1]["event"] != "end":
        FAILURES.append(f"{name}: exit code {code}: {cli.stderr.read().decode()}")
    if sorted(warnings, key=str) != sorted([("busy", b.path), ("unknown-command", None)], key=str):
        FAILURES.append(f"{name}: warnings {warnings}")
    if sorted(verdicts) != sorted([a.path, a.path, b.path]):
        FAILURES.append(f"{name}: verdicts of {verdicts}")
    for port in (a.path, b.path):
        check_writer_order(name, port, [e for e in events if e.get("port") == port and e["event"] != "warning"])
    a.close()
    b.close()


def main():
    code_file, other_file = os.path.join(DIR, "code.hex"), os.path.join(DIR, "other.hex")
    hex_file(code_file, bytes(range(64)))
    hex_file(other_file, bytes(range(1, 65)))
    db = os.path.join(DIR, "chips.sqlite")
    stamp = ["--db", db, "--serial-at", "eeprom:0", "--serial-format", "le16", "--serial-start", "100"]

    # Commands x outcomes: name, simulator options per writer, arguments, exit code, events that must come.
    table = [
        ("program passes", [["--chip", "ATtiny12L"]], stamp + ["program", code_file], 0,
         ["writer", "chip", "phase", "serial", "record", "verdict"]),
        ("verify differs", [["--chip", "ATtiny12L"]], ["verify", other_file], 1,
         ["difference", "error", "verdict"]),
        ("writer stops answering", [["--chip", "ATtiny12L", "--silent-after", "12"]], ["program", code_file], 2,
         ["error", "verdict"]),
        ("lock-out refused", [["--chip", "ATtiny12L"]], ["fuse", "write", "RSTDISBL=PB5:I/O"], 5,
         ["lockfuse", "error", "verdict"]),
        ("fuse read", [["--chip", "ATtiny12L"]], ["fuse", "read"], 0, ["fuses", "verdict"]),
        ("detect", [["--chip", "ATtiny12L"]], ["detect"], 0, ["writer", "verdict"]),
        ("gang of two", [["--chip", "ATtiny12L"], ["--chip", "ATtiny12L", "--ignore-writes"]],
         ["program", code_file], 1, ["difference", "verdict"]),
    ]
    for name, sims, args, code, expected in table:
        started = [Sim(*options) for options in sims]
        ports = [a for s in started for a in ("--port", s.path)]
        events, _ = run(name, ports + args, code, expected)
        verdicts = {e["port"] for e in events if e["event"] == "verdict"}
        if verdicts != {s.path for s in started}:
            FAILURES.append(f"{name}: verdicts of {verdicts}")
        for s in started:
            s.close()

    # Ctrl-C in the middle of the flash: the chip's run ends cancelled, and the stream with it.
    slow = Sim("--chip", "ATtiny12L", "--delay-ms", "5")
    run("cancelled", ["--port", slow.path, "program", code_file], 130, ["verdict"], interrupt_on='"progress"')
    slow.close()

    # Without a writer: the files, the store's records, the ports, and a refused report on stdout.
    run("check", ["--device", "ATtiny12L", "check", code_file], 0, ["check"])
    events, _ = run("history", ["--db", db, "history"], 0, ["record"])
    if [e["record"]["serial"] for e in events if e["event"] == "record"] != [100]:
        FAILURES.append(f"history: records {events}")
    run("history stats", ["--db", db, "history", "--stats"], 0, ["stats"])
    run("ports", ["ports"], 0, [])
    run("report on stdout refused", ["--report", "-", "erase"], 4, ["error"])

    # A reader that goes away: the run ends as it would, and says the stream was lost.
    sim = Sim("--chip", "ATtiny12L")
    cli = subprocess.Popen([CLI, "--json", "--lang", "en", "--port", sim.path, "program", code_file],
                           stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    cli.stdout.close()
    err = cli.stderr.read().decode()
    if cli.wait(60) != 2 or "Standard output could not be written" not in err:
        FAILURES.append(f"closed pipe: exit code {cli.returncode}: {err}")
    sim.close()

    trigger_channel(code_file)

    for failure in FAILURES:
        print(failure)
    return 1 if FAILURES else 0


if __name__ == "__main__":
    sys.exit(main())
