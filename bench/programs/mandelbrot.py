# Float arithmetic: escape-time test over a grid, `and` in the loop condition; prints the number
# of points inside the set.
def main():
    size = 400
    max_iter = 50
    step = 3.0 / 400.0
    inside = 0
    fy = 0.0
    for y in range(size):
        ci = fy * step - 1.5
        fx = 0.0
        for x in range(size):
            cr = fx * step - 2.0
            zr = 0.0
            zi = 0.0
            k = 0
            while k < max_iter and zr * zr + zi * zi <= 4.0:
                tr = zr * zr - zi * zi + cr
                zi = 2.0 * zr * zi + ci
                zr = tr
                k = k + 1
            if zr * zr + zi * zi <= 4.0:
                inside = inside + 1
            fx = fx + 1.0
        fy = fy + 1.0
    print(inside)


main()
