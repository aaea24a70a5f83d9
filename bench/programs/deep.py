# Linear recursion hundreds of levels deep, repeated: the call path at depth.
import sys


def depth_sum(n):
    if n == 0:
        return 0
    return n + depth_sum(n - 1)


def main():
    total = 0
    for round_ in range(3000):
        total = (total + depth_sum(800) + round_) % 1000000007
    print(total)


sys.setrecursionlimit(5000)
main()
