# galleryCheck.py -- what a tarvikImages folder must hold after anything: whole files only
"""Checks a tarvikImages folder against the page texts, written out here from the gallery's
own literals rather than taken from the program.

gallery_problems(folder) lists everything wrong with the folder: a PNG that does not parse to
its end, an image page whose bytes are not those of its PNG's page, an index that is not one
complete regeneration, and any file that is none of these (a temporary left behind, say).
"""

import re

from e2eSupport import pictures

INDEX = "tarvik01.html"

_HEAD = (
    '\t<BODY bgcolor="#000000" text="#4C4C4C" link="#4C4C4C" alink="#4C4C4C" vlink="#4C4C4C">\n'
    '\t<FONT face="helvetica, arial, verdana, sans-serif">\n'
)
_TAIL = "\t</FONT>\n\t</BODY>\n</HTML>\n"
_INDEX_HEAD = (
    "<HTML>\n\t<HEAD>\n\t\t<TITLE>t a r v i k 01</TITLE>\n\t</HEAD>\n"
    + _HEAD
    + ("\t<H2>t a r v i k 01</H2>\n")
)
# The names these tests make ("<sum>-<seconds>.png", "test.png") need no escaping in HTML.
_ENTRY = re.compile(
    r'\t\t<A href="([^"]+)\.html" name="\1"><IMG src="\1" alt="\1" height="100" width="100">'
    r"</A>\n"
)


def image_page(png):
    """The bytes of the image page of the PNG named png."""
    return (
        "<HTML>\n\t<HEAD>\n\t\t<TITLE>%s</TITLE>\n\t</HEAD>\n" % png
        + _HEAD
        + "\t<H2>%s</H2>\n" % png
        + '\t\t<IMG src="%s" alt="%s" height="900" width="900">\n' % (png, png)
        + _TAIL
    ).encode("latin-1")


def index_entries(text):
    """The PNG names an index page lists, in order, or None when the page is not exactly a
    head, whole entries and a tail."""
    if not (text.startswith(_INDEX_HEAD) and text.endswith(_TAIL)):
        return None
    body = text[len(_INDEX_HEAD) : len(text) - len(_TAIL)]
    names, at = [], 0
    while at < len(body):
        entry = _ENTRY.match(body, at)
        if entry is None:
            return None
        names.append(entry.group(1))
        at = entry.end()
    return names


def gallery_problems(folder, extra=()):
    """Everything wrong with the folder, as sentences; empty when all is whole. extra: names
    of other files the caller put there itself."""
    problems = []
    files = {p.name: p for p in folder.iterdir() if p.is_file()}
    pngs = sorted(name for name in files if name.lower().endswith(".png"))
    for png in pngs:
        if not pictures.png_complete(files[png]):
            problems.append("%s is not a whole PNG" % png)
        page = files.get(png + ".html")
        if page is not None and page.read_bytes() != image_page(png):
            problems.append("%s.html is not the page of %s" % (png, png))
    if INDEX in files:
        listed = index_entries(files[INDEX].read_bytes().decode("latin-1"))
        if listed is None:
            problems.append("%s is not a whole index" % INDEX)
        else:
            for name in listed:
                if name not in files:
                    problems.append("%s lists %s, which is not there" % (INDEX, name))
                elif name + ".html" not in files:
                    problems.append("%s lists %s, whose page is missing" % (INDEX, name))
    known = set(pngs) | {png + ".html" for png in pngs} | {INDEX} | set(extra)
    for name in sorted(set(files) - known):
        problems.append("%s should not be there" % name)
    return problems


def listed(folder):
    """The PNG names the folder's index lists, in order (None when it is not whole)."""
    return index_entries((folder / INDEX).read_bytes().decode("latin-1"))
