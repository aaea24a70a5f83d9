# Dictionary literals rebuilt every step, read by member syntax and by key.
def main():
    n = 400000
    total = 0
    i = 0
    while i < n:
        p = {"x": i, "y": i % 7, "name": "point", "tag": 3}
        total = (total + p["x"] + p["y"] * p["tag"] + len(p["name"])) % 1000000007
        i = i + 1
    print(total)


main()
