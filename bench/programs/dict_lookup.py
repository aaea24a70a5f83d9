# Dictionary-literal lookups in a loop, by string key.
def main():
    d = {"alpha": 1, "beta": 2, "gamma": 3, "delta": 4, "epsilon": 5, "zeta": 6, "eta": 7, "theta": 8}
    n = 2000000
    total = 0
    i = 0
    while i < n:
        total = total + d["alpha"] + d["beta"] + d["gamma"] * d["delta"]
        total = total + d["epsilon"] - d["zeta"] + d["eta"] % d["theta"]
        total = total % 1000000007
        i = i + 1
    print(total)


main()
