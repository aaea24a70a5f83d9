# Merge sort over lists built with append; pseudo-random input.
def merge(left, right):
    out = []
    i = 0
    j = 0
    nl = len(left)
    nr = len(right)
    while i < nl and j < nr:
        x = left[i]
        y = right[j]
        if x <= y:
            out.append(x)
            i = i + 1
        else:
            out.append(y)
            j = j + 1
    while i < nl:
        out.append(left[i])
        i = i + 1
    while j < nr:
        out.append(right[j])
        j = j + 1
    return out


def merge_sort(items, lo, hi):
    if hi - lo == 1:
        return [items[lo]]
    mid = (lo + hi) // 2
    return merge(merge_sort(items, lo, mid), merge_sort(items, mid, hi))


def main():
    n = 200000
    seed = 12345
    data = []
    for i in range(n):
        seed = (seed * 1103515245 + 12345) % 2147483648
        data.append(seed // 65536)
    result = merge_sort(data, 0, n)
    check = 0
    ok = 1
    for k in range(n):
        check = (check * 31 + result[k]) % 1000000007
        if k > 0:
            if result[k - 1] > result[k]:
                ok = 0
    print(check * 10 + ok)


main()
