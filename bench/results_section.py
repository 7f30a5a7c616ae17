"""One marked section of bench/RESULTS.md, written by the comparison scripts: the text
between its two markers is replaced, or the section is added at the end; everything else
in the file stays as it is."""

import os


def write_section(path, begin, end, section):
    text = open(path).read() if os.path.exists(path) else ""
    if begin in text and end in text:
        head, rest = text.split(begin, 1)
        tail = rest.split(end, 1)[1].lstrip("\n")
        text = head + section + ("\n" + tail if tail else "")
    else:
        text = text.rstrip("\n") + "\n\n" + section
    with open(path, "w") as f:
        f.write(text)
