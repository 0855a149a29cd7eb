# Reads "x,y: ... #RRGGBB ..." lines (ImageMagick's txt: output) and prints every flat box: a
# rectangle at least MIN wide and high whose inside is one colour (not black) within a one-pixel
# border of another single colour.
BEGIN { MIN = MIN ? MIN : 6 }
/^#/ { next }
{
    split($1, xy, /[,:]/)
    x = xy[1] + 0; y = xy[2] + 0
    P[x, y] = substr($3, 2, 6)
    if (x > W) W = x; if (y > H) H = y
}
function rowIs(y, x0, x1, c,   x) {
    if (y < 0 || y > H) return 0
    for (x = x0; x <= x1; x++) if (P[x, y] != c) return 0
    return 1
}
END {
    for (y = 1; y < H; y++) {
        delete seen
        x = 1
        while (x < W) {
            c = P[x, y]; x0 = x
            while (x + 1 < W && P[x + 1, y] == c) x++
            x1 = x; x++
            b = P[x0 - 1, y]
            if (c == "000000" || x1 - x0 + 1 < MIN || P[x1 + 1, y] != b || b == c) continue
            key = x0 SUBSEP x1 SUBSEP c SUBSEP b
            seen[key] = 1
            if (!(key in open)) open[key] = y
        }
        # Runs that ended on this row: a box when bordered above and below and tall enough.
        for (key in open) {
            if (key in seen) continue
            split(key, k, SUBSEP)
            top = open[key]; bottom = y - 1
            if (bottom - top + 1 >= MIN && rowIs(top - 1, k[1] - 1, k[2] + 1, k[4]) && rowIs(y, k[1] - 1, k[2] + 1, k[4]))
                printf "box %d,%d %dx%d inside #%s border #%s\n", k[1] - 1, top - 1, k[2] - k[1] + 3, bottom - top + 3, k[3], k[4]
            delete open[key]
        }
    }
}
