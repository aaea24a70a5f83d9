# Integer loop arithmetic: a while loop with +, *, %, / and comparisons.
def main():
    n = 2500000
    i = 0
    x = 1
    hits = 0
    while i < n:
        x = (x * 31 + i) % 1000003
        if x % 7 == 3:
            hits = hits + 1
        if x > 500000:
            hits = hits + x // 100000
        i = i + 1
    print(x * 1000000 + hits)


main()
