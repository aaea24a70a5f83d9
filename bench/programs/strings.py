# String building with +: append short pieces one at a time, then measure the length.
def main():
    n = 100000
    s = ""
    i = 0
    while i < n:
        s = s + "ab"
        if i % 10 == 0:
            s = s + "c"
        i = i + 1
    print(len(s))


main()
