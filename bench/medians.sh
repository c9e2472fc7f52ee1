# The start of an awk program over lines "NAME SECONDS PEAK_KIB": it gathers each name's times in
# t[NAME] and peaks in m[NAME], and offers median(list). The scripts that source it add their END.
medians_awk='
    { t[$1] = t[$1] " " $2; m[$1] = m[$1] " " $3 }
    function median(list,   a, n, i, j, x) {
        n = split(list, a, " ")
        for (i = 2; i <= n; i++) for (j = i; j > 1 && a[j - 1] + 0 > a[j] + 0; j--) {
            x = a[j]; a[j] = a[j - 1]; a[j - 1] = x
        }
        return n % 2 ? a[(n + 1) / 2] : (a[n / 2] + a[n / 2 + 1]) / 2
    }
'
