# Array building with append, then summing by index.
def main():
    n = 1800000
    a = []
    i = 0
    while i < n:
        a.append(i * 7 % 1000)
        i = i + 1
    total = 0
    j = 0
    while j < len(a):
        total = total + a[j]
        j = j + 1
    print(total + len(a))


main()
