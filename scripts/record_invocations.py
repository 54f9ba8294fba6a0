#!/usr/bin/env python3
"""Records what korvel does for a fixed set of varied invocations, and
compares two such records.

    record_invocations.py record KORVEL OUT.jsonl
    record_invocations.py compare BEFORE.jsonl AFTER.jsonl

Every invocation runs in a new scratch directory holding the same input
files, with SOURCE_DATE_EPOCH and the locale fixed, so that two builds of the
program can be compared byte for byte: the status, standard output, standard
error and every file the run leaves (by SHA-256), reports included. The set
is generated from a fixed seed and covers every option, every output kind,
batches, reports, verification and failures.
"""

import hashlib
import json
import os
import random
import shutil
import subprocess
import sys
import tempfile

GS1_DATA = [
    "[01]09501101530003[17]261231[10]AB12",
    "(01)09501101530003(21)ABC",
    "https://id.gs1.org/01/09501101530003/10/AB12",
    "[01]09501101530004",  # wrong check digit
    "[00]123456789012345675[8030]12=4",
    "[99]x",
]
HIBC_DATA = ["A123BJC5D6E71", "A99912345/$$52001510X3", "a b"]
PLAIN_DATA = [
    "1234567890Data", "HELLO WORLD 2026", "hello world", "0123456789" * 8, "x", "",
    "Ärger über Öl", "\\x01\\x02bytes", "a" * 600, "ABC\\n123", "€ euro",
]
OUTPUTS = ["o.png", "o.svg", "o.eps", "o.pdf", "o.PNG", "o.Svg", "o"]

# Option values: valid ones, edge ones and ones the program refuses or drops.
ORIGINAL = {
    "-x": ["120", "1", "0", "-5", "99999999", "12abc"],
    "-y": ["120", "64", "0", "abc"],
    "-n": ["1", "4", "5.5", "0", "-2", "0.4"],
    "-f": ["0", "1", "11", "24", "30", "31", "-1", "7x"],
    "-m": ["0", "1", "2", "3", "4", "5", "6", "7"],
    "-o": ["0", "90", "180", "270", "45"],
    "-b": ["ffff00", "FFFFFF", "0x12", "zz"],
    "-r": ["000000", "ff0000", "123456789"],
    "-q": ["0", "1", "2"],
    "-z": ["0", "1", "2", "3"],
    "-v": ["0", "1", "2", "-1"],
    "-s": ["0", "1"],
    "-p": ["1", "2", "16", "17"],
    "-t": ["2", "3", "16", "1"],
    "-i": ["1", "1234", "70000"],
    "-e": ["0", "2", "10", "-1"],
}
LONG_PREFIXES = {"--xs": "120", "--ysize": "80", "--xd": "3", "--fm": "5", "--or": "90",
                 "--bc": "00ff00", "--fc": "0000ff", "--qz": "0", "--alignh": "2", "--qsize": "4"}
EXTENDED = {
    "--type": ["png", "svg", "eps", "pdf", "PDF", "gif"],
    "--module-mm": ["0.5", "1", "0", "101", "0,5"],
    "--dpi": ["300", "96", "0", "100001"],
    "--palette": [None],
    "--time": ["0", "1700000000", "-1"],
    "--shape": ["square", "rectangle", "Rectangle", "round"],
    "--dmre": [None],
    "--utf8": [None],
    "--minimal": [None],
    "--gs1-separator": ["fnc1", "gs", "GS", "tab"],
}


def plain(rng):
    return rng.choice(PLAIN_DATA)


def invocations():
    rng = random.Random(20261207)
    calls = []
    # Each original option and value alone, on a PNG.
    for option, values in ORIGINAL.items():
        for value in values:
            calls.append([option, value, "-d", "OPTION TEST", "o.png"])
    for prefix, value in LONG_PREFIXES.items():
        calls.append([prefix, value, "-d", "PREFIX", "o.png"])
        calls.append([prefix + "=" + value, "-d", "PREFIX", "o.svg"])
    # Each extended option and value, on every output kind.
    for option, values in EXTENDED.items():
        for value in values:
            for output in OUTPUTS[:4]:
                argument = option if value is None else option + "=" + value
                extra = ["--dpi=300"] if option == "--module-mm" else []
                calls.append([argument] + extra + ["-d", "EXTENDED 42", output])
    # Framed data.
    for data in GS1_DATA:
        for flags in (["--gs1"], ["--gs1-nocheck"], ["--gs1", "--hri"], ["--gs1", "--gs1-separator=gs"]):
            calls.append(flags + ["-d", data, rng.choice(OUTPUTS[:4])])
    for data in HIBC_DATA:
        calls.append(["--hibc", "-d", data, "o.png"])
        calls.append(["--hibc", "--hri", "-d", data, "o.svg"])
    # Random combinations of original options and plain data.
    for _ in range(260):
        call = []
        for option in rng.sample(sorted(ORIGINAL), rng.randint(1, 5)):
            call += [option, rng.choice(ORIGINAL[option])]
        if rng.random() < 0.3:
            option = rng.choice(sorted(EXTENDED))
            value = rng.choice(EXTENDED[option])
            call.append(option if value is None else option + "=" + value)
        call += ["-d", plain(rng), rng.choice(OUTPUTS)]
        calls.append(call)
    # Standard output, reports, verification.
    for output_kind in ("png", "svg", "eps", "pdf"):
        calls.append(["--stdout", "--type=" + output_kind, "-d", "TO STDOUT"])
        calls.append(["--report=r.json", "-d", "REPORTED", "o." + output_kind])
        calls.append(["--report=-", "-d", "REPORTED", "o." + output_kind])
        calls.append(["--verify", "-d", "VERIFIED", "o." + output_kind])
        calls.append(["--verify", "--report=r.json", "-o", "90", "-d", "VERIFIED", "o." + output_kind])
        calls.append(["--verify", "--gs1", "-d", GS1_DATA[0], "o." + output_kind])
    calls += [["--report=-", "--gs1", "--hri", "-d", GS1_DATA[0], "o.png"],
              ["--stdout", "--report=-", "-d", "x"], ["--stdout", "--hri", "--gs1", "-d", GS1_DATA[0]],
              ["--report=o.png", "-d", "x", "o.png"], ["--report=", "-d", "x", "o.png"]]
    # Batches and input files.
    for jobs in ("1", "2", "4"):
        calls.append(["--batch=labels.txt", "--jobs=" + jobs, "b-#####.png"])
        calls.append(["--batch=labels.txt", "--jobs=" + jobs, "--report=r.json", "b.svg"])
        calls.append(["--batch=gs1.txt", "--gs1", "--jobs=" + jobs, "--report=-", "g-###.pdf"])
        calls.append(["--batch=labels.txt", "--jobs=" + jobs, "--verify", "v-#.png"])
    calls += [["--batch=missing.txt", "b.png"], ["--batch=labels.txt", "--stdout"],
              ["--batch=labels.txt", "-d", "x", "b.png"], ["--input=payload.bin", "p.png"],
              ["--input=payload.bin", "--batch=labels.txt", "p.png"], ["--input=missing.bin", "p.png"],
              ["--input=payload.bin", "-d", "x", "p.png"], ["--input=payload.bin", "--stdout"],
              ["--batch=gs1.txt", "--hibc", "h.png"], ["--jobs=0", "--batch=labels.txt", "b.png"],
              ["--jobs=257", "--batch=labels.txt", "b.png"]]
    # Conflicts and refusals.
    calls += [["--minimal", "-m", "4", "-d", "x", "o.png"], ["--gs1", "--hibc", "-d", "x", "o.png"],
              ["--utf8", "--gs1", "-d", "x", "o.png"], ["--hri", "-d", "x", "o.png"],
              ["--module-mm=1", "-d", "x", "o.png"], ["--module-mm=1", "-x", "100", "-d", "x", "o.svg"],
              ["--verify=1", "-d", "x", "o.png"], ["--palette=1", "o.png"], ["--p", "2", "o.png"],
              ["--r", "ff0000", "o.png"], ["--v", "0", "o.png"], ["-h"], ["--help"], ["-d", "x"],
              ["-q"], ["--bogus", "o.png"], ["-d", "x", "o.png", "extra.png"], ["--", "-o.png"],
              ["-f", "1", "-d", "THIS DOES NOT FIT INTO A TEN BY TEN SYMBOL", "o.png"],
              ["-m", "2", "-d", "lower case for c40 is fine", "o.png"], ["-m", "5", "-d", "\\xff", "o.png"],
              ["-s", "1", "-p", "3", "-t", "2", "-d", "x", "o.png"], ["-n", "100000", "-d", "x", "o.png"],
              ["-x", "70000", "-y", "70000", "-d", "x", "o.png"], ["-d", "x", "nodir/o.png"],
              ["--dmre", "-f", "42", "-d", "3", "o.png"], ["--dmre", "--verify", "-f", "40", "-d", "DM", "o.png"],
              ["--shape=rectangle", "-d", "rect", "o.png"], ["--utf8", "-d", "日本語", "o.png"],
              ["--minimal", "-d", "ABCabc123456789", "o.png"]]
    return calls


def scratch_files(directory):
    with open(os.path.join(directory, "labels.txt"), "w") as f:
        f.write("first line\nSECOND 2\n\nthird\\x41\n" + "0123456789" * 3 + "\n")
    with open(os.path.join(directory, "gs1.txt"), "w") as f:
        f.write("\n".join(GS1_DATA) + "\n")
    with open(os.path.join(directory, "payload.bin"), "wb") as f:
        f.write(bytes(range(256)))


def digest(data):
    return hashlib.sha256(data).hexdigest()


def run(korvel, arguments, directory):
    environment = {"PATH": os.path.dirname(korvel) + ":/usr/bin:/bin", "LC_ALL": "C",
                   "SOURCE_DATE_EPOCH": "1700000000"}
    before = set(os.listdir(directory))
    done = subprocess.run([korvel] + arguments, cwd=directory, env=environment, stdin=subprocess.DEVNULL,
                          capture_output=True, timeout=120)
    files = {}
    for name in sorted(set(os.listdir(directory)) - before | {"labels.txt"}):
        with open(os.path.join(directory, name), "rb") as f:
            files[name] = digest(f.read())
    return {"arguments": arguments, "status": done.returncode, "stdout": digest(done.stdout),
            "stderr": done.stderr.decode("utf-8", "replace"), "files": files}


def record(korvel, out_path):
    korvel = os.path.abspath(korvel)
    calls = invocations()
    with open(out_path, "w") as out:
        for number, arguments in enumerate(calls, 1):
            directory = tempfile.mkdtemp(prefix="korvel-record-")
            try:
                scratch_files(directory)
                out.write(json.dumps(run(korvel, arguments, directory)) + "\n")
            finally:
                shutil.rmtree(directory)
            if number % 100 == 0:
                print(f"{number} of {len(calls)} invocations", file=sys.stderr)
    print(f"recorded {len(calls)} invocations into {out_path}", file=sys.stderr)


def compare(before_path, after_path):
    with open(before_path) as f:
        before = [json.loads(line) for line in f]
    with open(after_path) as f:
        after = [json.loads(line) for line in f]
    if [b["arguments"] for b in before] != [a["arguments"] for a in after]:
        print("the two records hold different invocations")
        return 2
    differing = 0
    for b, a in zip(before, after):
        fields = [key for key in ("status", "stdout", "stderr", "files") if b[key] != a[key]]
        if fields:
            differing += 1
            print("korvel " + " ".join(b["arguments"]))
            for key in fields:
                print(f"  {key}: {b[key]!r}\n  {' ' * len(key)}  {a[key]!r}")
    print(f"{len(before)} invocations, {len(before) - differing} identical, {differing} differ")
    return 1 if differing else 0


def main():
    if len(sys.argv) == 4 and sys.argv[1] == "record":
        record(sys.argv[2], sys.argv[3])
        return 0
    if len(sys.argv) == 4 and sys.argv[1] == "compare":
        return compare(sys.argv[2], sys.argv[3])
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main())
