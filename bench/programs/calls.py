# Many small calls with arguments.
def add3(a, b, c):
    return a + b + c


def mix(x, y):
    return add3(x, y, 1) % 1000003


def main():
    n = 1800000
    acc = 0
    i = 0
    while i < n:
        acc = mix(acc, i)
        acc = add3(acc, i, 2) % 1000003
        i = i + 1
    print(acc)


main()
