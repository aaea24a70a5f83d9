# Text: a line built with + chains, then split, sliced, upper-cased and searched.
def main():
    words = ["alpha", "beta", "gamma", "delta", "epsilon"]
    hits = 0
    total = 0
    for _ in range(40):
        line = ""
        for i in range(2000):
            line = line + words[i % 5] + "," + "x" + ";"
        parts = line.split(";")
        for part in parts:
            piece = part[0:4].upper()
            if "ALP" in piece:
                hits += 1
            total += len(piece)
    print(hits * 1000000 + total)


main()
