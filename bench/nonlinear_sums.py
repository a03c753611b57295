"""Building long sums of nonlinear terms three ways: s = s + f in a loop
(every step copies s, since operators never change their operands), s += f
(adds to s in place) and quorva.Sum over a list, measured in the same run.

    python bench/nonlinear_sums.py [largest count, default 16000]
"""
import sys
import time

import quorva


def timed(build):
    start = time.perf_counter()
    build()
    return time.perf_counter() - start


def main():
    largest = int(sys.argv[1]) if len(sys.argv) > 1 else 16000
    x = quorva.var("x")

    def plus(n):
        s = 0
        for _ in range(n):
            s = s + quorva.exp(x)

    def inplace(n):
        s = 0
        for _ in range(n):
            s += quorva.exp(x)

    def summed(n):
        quorva.Sum([quorva.exp(x) for _ in range(n)])

    print(f"{'terms':>8} {'s = s + f':>12} {'s += f':>12} {'Sum':>12}")
    n = 1000
    while n <= largest:
        print(f"{n:8d} {timed(lambda: plus(n)):11.4f}s {timed(lambda: inplace(n)):11.4f}s "
              f"{timed(lambda: summed(n)):11.4f}s")
        n *= 2


if __name__ == "__main__":
    main()
