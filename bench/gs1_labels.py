"""GS1 pharma label lines for the batch benchmarks: (01) GTIN-14 with its
check digit, (17) expiry date, (10) lot and (21) serial number, written with
~1 escapes (the variable-length lot ended by FNC1).

    python3 bench/gs1_labels.py COUNT FILE
"""
import sys


def gtin(item):
    body = "0950110%05d" % (item % 100000) + "0"
    total = sum(int(d) * (3 if i % 2 == 0 else 1) for i, d in enumerate(reversed(body)))
    return body + str((10 - total % 10) % 10)


def main():
    count, path = int(sys.argv[1]), sys.argv[2]
    with open(path, "w") as out:
        for n in range(count):
            expiry = "%02d%02d%02d" % (27 + n % 4, 1 + n % 12, 1 + n % 28)
            lot = "L%05dX%d" % (n // 250, n % 7)
            serial = "%012d" % (n * 7919 % 10**12)
            out.write("~101%s17%s10%s~121%s\n" % (gtin(n // 50), expiry, lot, serial))


if __name__ == "__main__":
    main()
