"""The package and the korvel program agree: for a few hundred random inputs
under each set of options, the symbol's matrix equals the image the program
writes at one pixel per module without quiet zone, a rendering with the same
render options has the same pixels, and an input the program refuses raises
an exception with the program's message."""

import random
import string
import subprocess
import threading
import time

import numpy
import pytest

import korvel
from conftest import pixels


def gtin(rng):
    digits = [rng.randrange(10) for _ in range(13)]
    total = sum(d * (3 if i % 2 == 0 else 1) for i, d in enumerate(digits))
    return "".join(map(str, digits)) + str((10 - total % 10) % 10)


def gs1_label(rng):
    lot = "".join(rng.choice(string.ascii_uppercase + string.digits + "-/") for _ in range(rng.randint(1, 20)))
    serial = "".join(rng.choice(string.ascii_letters + string.digits) for _ in range(rng.randint(1, 20)))
    parts = [f"[01]{gtin(rng)}", f"[10]{lot}", f"[17]{rng.randint(24, 39):02d}{rng.randint(1, 12):02d}00",
             f"[21]{serial}"]
    rng.shuffle(parts[1:])
    return "".join(parts)


def text(rng, alphabet, longest=60):
    return "".join(rng.choice(alphabet) for _ in range(rng.randint(1, longest)))


UNICODE = string.ascii_letters + string.digits + " .,-éüßÅçΩЖ東京→€"
ESCAPED = [*string.ascii_uppercase, *string.digits, " ", "~1", "~~", "~X00", "~XFF", "a", "/"]

# name, line maker, encode options, program options, render keywords and the program's
# equivalent (for a second run compared pixel by pixel), or None.
OPTION_SETS = [
    ("text", lambda rng: text(rng, UNICODE), {}, ["--utf8"],
     ({"xdim": 3, "orient": 90, "fcolor": "#8b0000", "bcolor": (255, 248, 220), "qsize": 2},
      ["-n", "3", "-o", "90", "-r", "8b0000", "-b", "fff8dc", "-e", "2"])),
    ("escapes", lambda rng: "".join(rng.choice(ESCAPED) for _ in range(rng.randint(1, 40))),
     {"escapes": True, "utf8": False}, [], None),
    ("modes", lambda rng: text(rng, string.ascii_uppercase + string.digits + " "), {"mode": "c40"}, ["-m", "2"],
     ({"xsize": 150, "ysize": 90, "alignh": "left", "alignv": "bottom", "qzone": False},
      ["-x", "150", "-y", "90", "-z", "0", "-v", "2", "-q", "0"])),
    ("edifact", lambda rng: text(rng, string.ascii_uppercase + string.digits + "<>=?@"), {"mode": 5},
     ["-m", "5"], None),
    ("format", lambda rng: text(rng, string.printable[:94], 50), {"fmt": 12, "mode": "base256"},
     ["-f", "12", "-m", "4"], None),
    ("rectangles", lambda rng: text(rng, string.digits + string.ascii_letters, 70),
     {"shape": "rectangle", "dmre": True}, ["--shape=rectangle", "--dmre"],
     ({"orient": 270, "palette": True, "xdim": 2}, ["-o", "270", "--palette", "-n", "2"])),
    ("minimal", lambda rng: text(rng, string.ascii_lowercase + string.digits + " ."), {"minimal": True},
     ["--minimal"], None),
    ("sequence", lambda rng: text(rng, string.ascii_letters), {"sapp": (3, 5, 4242)},
     ["-s", "1", "-p", "3", "-t", "5", "-i", "4242"], None),
    ("gs1", gs1_label, {"gs1": True, "gs1_separator": "gs"}, ["--gs1", "--gs1-separator=gs"], None),
    ("hibc", lambda rng: text(rng, string.ascii_uppercase + string.digits + "-. $/+%a", 30), {"hibc": True},
     ["--hibc"], None),
]
LINES_PER_SET = 40


def run_batch(program, lines, options, tmp_path, name):
    folder = tmp_path / name
    folder.mkdir()
    (folder / "lines.txt").write_text("\n".join(lines) + "\n", encoding="utf-8")
    run = subprocess.run([program, "--batch=lines.txt", "--time=0", *options, "#.png"], cwd=folder,
                         capture_output=True, text=True)
    failures = {}
    for line in run.stderr.splitlines():
        if line.startswith("line "):
            number, message = line[len("line "):].split(": ", 1)
            failures[int(number)] = message
    return folder, failures


@pytest.mark.parametrize("name, make_line, options, program_options, render", OPTION_SETS,
                         ids=[s[0] for s in OPTION_SETS])
def test_matrix_and_image_equal_the_programs(korvel_program, tmp_path, name, make_line, options,
                                             program_options, render):
    rng = random.Random(f"korvel-{name}")
    lines = [make_line(rng) for _ in range(LINES_PER_SET)]
    plain, failures = run_batch(korvel_program, lines, ["-n", "1", "-q", "0", *program_options], tmp_path, "plain")
    if render:
        drawn, _ = run_batch(korvel_program, lines, [*render[1], *program_options], tmp_path, "drawn")
    made = 0
    for number, line in enumerate(lines, start=1):
        try:
            symbol = korvel.encode(line, **options)
        except korvel.Error as error:
            assert failures.get(number) == error.message, f"line {number}: {line!r}"
            continue
        assert number not in failures, f"line {number}: {line!r}: {failures.get(number)}"
        image = pixels((plain / f"{number}.png").read_bytes())
        assert numpy.array_equal(numpy.asarray(symbol), (image[:, :, 0] == 0).astype(numpy.uint8)), line
        if render:
            expected = pixels((drawn / f"{number}.png").read_bytes())
            assert numpy.array_equal(pixels(symbol.png(**render[0])), expected), line
        made += 1
    assert made >= LINES_PER_SET // 4, f"only {made} of the {name} lines made a symbol"


def test_many_agree_with_one_at_a_time():
    rng = random.Random("korvel-many")
    items = [text(rng, UNICODE, 80) for _ in range(300)] + [b"\xff" * 4000, 7, "tail"]
    one_by_one = []
    for item in items:
        try:
            one_by_one.append(numpy.asarray(korvel.encode(item)).tobytes())
        except korvel.Error as error:
            one_by_one.append(error.message)
    for jobs in (1, 3):
        results = list(korvel.encode_many(iter(items), jobs=jobs))
        assert [r.message if isinstance(r, korvel.Error) else numpy.asarray(r).tobytes() for r in results] == one_by_one
    assert isinstance(results[-3], korvel.CapacityError) and isinstance(results[-2], korvel.ArgumentTypeError)


def test_encode_many_checks_options_at_once_and_reads_lazily():
    with pytest.raises(korvel.ArgumentError):
        korvel.encode_many(["a"], fmt=99)
    endless = (f"SERIAL{n:08d}" for n in range(10**12))
    first = next(korvel.encode_many(endless, jobs=2, mode="c40"))
    assert isinstance(first, korvel.Symbol) and first.report()["input"] == "SERIAL00000000"


def test_encode_many_releases_the_gil_while_encoding():
    """Another Python thread runs while a chunk is encoded: with the GIL held
    it could not run at all in the middle of the call."""
    rng = random.Random("korvel-gil")
    items = [text(rng, string.ascii_letters + string.digits, 1500) for _ in range(192)]
    encoder = korvel._korvel._BatchEncoder(1)
    stamps, done = [], threading.Event()

    def spin():
        while not done.is_set():
            stamps.append(time.perf_counter())

    spinner = threading.Thread(target=spin)
    spinner.start()
    start = time.perf_counter()
    encoder.encode_chunk(items)
    end = time.perf_counter()
    done.set()
    spinner.join()
    third = (end - start) / 3
    assert any(start + third < stamp < end - third for stamp in stamps)
