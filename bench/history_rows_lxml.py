#!/usr/bin/python3
# Saved history pages to rows with lxml, the peer of bench/history_rows.cpp (same arguments,
# same output): each file read, parsed as UTF-8 HTML, the price table's rows taken cell by cell,
# the kanji dates written yyyymmdd and the figures without their ",". The time is the loop's
# own, without the interpreter's start and lxml's import.
import os
import re
import sys
import time

import lxml.html

DATE = re.compile(r"(\d+)年(\d+)月(\d+)日")
PARSER = lxml.html.HTMLParser(encoding="utf-8")


def day(text):
    y, m, d = DATE.search(text).groups()
    return "%s%02d%02d" % (y, int(m), int(d))


def page_rows(path):
    with open(path, "rb") as f:
        root = lxml.html.document_fromstring(f.read(), parser=PARSER)
    prices, splits = [], []
    for table in root.xpath('//table[contains(@class, "boardFin")]'):
        for tr in table.iterfind("tr"):
            cells = [td.text_content().strip() for td in tr.iterfind("td")]
            if not cells:
                continue
            if "分割" in "".join(cells):
                m = re.search(r"分割:\s*(\S+)株\s*->\s*(\S+)株", cells[-1])
                if m:
                    splits.append((day(cells[0]), m.group(1), m.group(2)))
                continue
            prices.append([day(cells[0])] + [c.replace(",", "") for c in cells[1:7]])
    return prices, splits


def main():
    print_rows = sys.argv[1] == "--rows"
    passes = 1 if print_rows else int(sys.argv[1])
    files = sys.argv[4:]
    count = 0
    start = time.perf_counter()
    for _ in range(passes):
        for path in files:
            prices, splits = page_rows(path)
            if not prices:
                sys.exit("history_rows_lxml: no rows from " + path)
            count += len(prices)
            if print_rows:
                code = os.path.basename(path).split(".")[0]
                for r in prices:
                    print(",".join([code] + r))
                for s in splits:
                    print(",".join([code, "split"] + list(s)))
    if not print_rows:
        print("%d %.4f" % (count, time.perf_counter() - start))


main()
