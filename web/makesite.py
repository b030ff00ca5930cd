#!/usr/bin/env python3
"""Lays out the browser version's site: the folder a static host serves as
it is (relative paths only), run by the browser build after the link.

    python3 web/makesite.py SOURCE BUILD SITE VERSION

SOURCE is the source tree, BUILD the browser build (zunk.js, zunk.wasm,
zunk.data, the compiled catalogues, the translated metainfo), SITE the
folder written anew, VERSION the game's. The site holds:

    index.html          the page (web/index.html with web/page.js in it, and
                        what it must know of this build: zunkSite)
    zunk.js zunk.wasm zunk.data   the program and the data every language uses
    sheets/zunk-LL.HASH.png       each language's sprite sheet, fetched by the
                        page for its player's language alone; the hash in
                        the name keeps a page from ever getting another
                        build's sheet
    zunk.webmanifest icons/zunk-192.png icons/zunk-512.png   the installed app
    sw.js               the service worker (web/sw.js with the build's files
                        and their SHA-256 in it: any change of a file is a
                        new worker, which is how a browser learns of a new
                        version)
    NAME.gz             a gzip twin of each file that compresses, for a
                        server that sends Content-Encoding (web/serve.py)

The build is named by a hash of everything in it: the same sources give
the same site, byte for byte."""

import gettext
import gzip
import hashlib
import json
import os
import re
import shutil
import sys
import xml.etree.ElementTree as ElementTree

# What a site holds: the server serves these names and no others.
SERVED = re.compile(r"(index\.html|zunk\.js|zunk\.wasm|zunk\.data|zunk\.webmanifest|sw\.js"
                    r"|icons/zunk-[0-9]+\.png|sheets/zunk-[a-z_]+\.[0-9a-f]+\.png)\Z")
APP_ID = "io.github.zunk.Zunk"
ICON_SIZES = (192, 512)
# The icon's blue (tools/sheet.cpp, makeIcons): the installed app's bar.
THEME_COLOUR = "#336bcc"
# A twin is kept only where gzip saves this share of the bytes at least.
WORTH_COMPRESSING = 0.05
# The page's words: tr("...") in web/page.js, as xgettext reads them.
PAGE_WORD = re.compile(r'\btr\("((?:[^"\\]|\\.)*)"[,)]')


def sha256(data):
    return hashlib.sha256(data).hexdigest()


def read(path):
    with open(path, "rb") as f:
        return f.read()


def sheets(source):
    """The per-language sheets in data/: language (lower case, as the file
    names it) -> bytes. English's sheet, zunk.png, is in zunk.data."""
    found = {}
    for name in sorted(os.listdir(os.path.join(source, "data"))):
        match = re.fullmatch(r"zunk-([a-z_]+)\.png", name)
        if match:
            found[match.group(1)] = read(os.path.join(source, "data", name))
    return found


def page_words(source, build):
    """Each language's translations of the page's own words (lower-case
    language -> English -> translation), from the compiled catalogues."""
    with open(os.path.join(source, "web", "page.js"), encoding="utf-8") as f:
        english = [json.loads('"%s"' % m) for m in PAGE_WORD.findall(f.read())]
    with open(os.path.join(source, "po", "LINGUAS"), encoding="utf-8") as f:
        languages = [line.strip() for line in f if line.strip() and not line.startswith("#")]
    words = {}
    for language in languages:
        with open(os.path.join(build, "locale", language, "LC_MESSAGES", "zunk.mo"), "rb") as f:
            catalogue = gettext.GNUTranslations(f)
        words[language.lower()] = {text: catalogue.gettext(text) for text in english
                                   if catalogue.gettext(text) != text}
    return words


def manifest(build):
    """The web app's manifest: its names and description in every language
    the translated metainfo gives them."""
    component = ElementTree.parse(os.path.join(build, APP_ID + ".metainfo.xml")).getroot()
    lang = "{http://www.w3.org/XML/1998/namespace}lang"

    def texts(tag):
        return {e.get(lang): e.text.strip() for e in component.findall(tag)}

    names, summaries = texts("name"), texts("summary")
    translations = {}
    for language in sorted((set(names) | set(summaries)) - {None}):
        entry = {}
        if language in names:
            entry["name"] = entry["short_name"] = names[language]
        if language in summaries:
            entry["description"] = summaries[language]
        translations[language.replace("_", "-")] = entry
    return {
        "start_url": "./", "scope": "./",
        "name": names[None], "short_name": names[None], "description": summaries[None],
        "lang": "en", "dir": "ltr",
        "display": "standalone", "orientation": "portrait",
        "background_color": "#000000", "theme_color": THEME_COLOUR,
        "categories": ["games"],
        "icons": [{"src": "icons/zunk-%d.png" % size, "sizes": "%dx%d" % (size, size), "type": "image/png"}
                  for size in ICON_SIZES],
        "translations": translations,
    }


def fill(template, marker, value):
    """`template` with its one `marker` replaced by `value`."""
    assert template.count(marker) == 1, "the template must hold %s once" % marker
    return template.replace(marker, value)


def make_site(source, build, site, version):
    files = {}  # name in the site -> bytes
    for name in ("zunk.js", "zunk.wasm", "zunk.data"):
        files[name] = read(os.path.join(build, name))
    for size in ICON_SIZES:
        files["icons/zunk-%d.png" % size] = read(os.path.join(source, "dist", "icons", "zunk-%d.png" % size))
    sheet_names = {}
    for language, data in sheets(source).items():
        sheet_names[language] = "sheets/zunk-%s.%s.png" % (language, sha256(data)[:16])
        files[sheet_names[language]] = data
    files["zunk.webmanifest"] = (json.dumps(manifest(build), ensure_ascii=False, indent=1) + "\n").encode()

    with open(os.path.join(source, "web", "index.html"), encoding="utf-8") as f:
        page = f.read()
    with open(os.path.join(source, "web", "page.js"), encoding="utf-8") as f:
        script = f.read()
    with open(os.path.join(source, "web", "sw.js"), encoding="utf-8") as f:
        worker = f.read()
    # The build's name: everything in it, and the templates of the two
    # files that name it.
    whole = hashlib.sha256()
    for name in sorted(files):
        whole.update(("%s %s\n" % (name, sha256(files[name]))).encode())
    whole.update((version + page + script + worker).encode())
    build_id = whole.hexdigest()[:16]

    about = {"version": version, "build": build_id, "sheets": sheet_names, "words": page_words(source, build)}
    page = fill(page, "<!-- @SITE@ -->", "<script>\nvar zunkSite = %s;\n</script>" % json.dumps(
        about, ensure_ascii=False, sort_keys=True))
    page = fill(page, "<!-- @PAGE@ -->", "<script>\n%s</script>" % script)
    files["index.html"] = page.encode()
    table = {"build": build_id, "files": {name: sha256(data) for name, data in sorted(files.items())}}
    files["sw.js"] = fill(worker, "/* @FILES@ */", json.dumps(table, indent=1)).encode()

    if os.path.isdir(site):
        shutil.rmtree(site)
    for name, data in sorted(files.items()):
        assert SERVED.match(name), "a file the server would not serve: " + name
        path = os.path.join(site, name)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(data)
        if not name.endswith(".png"):
            packed = gzip.compress(data, 9, mtime=0)
            if len(packed) <= len(data) * (1 - WORTH_COMPRESSING):
                with open(path + ".gz", "wb") as f:
                    f.write(packed)
    return build_id


def main(argv):
    if len(argv) != 5:
        print(__doc__, file=sys.stderr)
        return 2
    source, build, site, version = argv[1:]
    build_id = make_site(source, build, site, version)
    print("The site: %s (version %s, build %s)" % (site, version, build_id))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
