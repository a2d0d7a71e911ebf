#!/usr/bin/env python3
"""Writes the seed inputs of the font-file fuzzer (fuzz/corpus/FuzzFontFile/): small TrueType
fonts and collections whose table directory points at a naming table, and a few damaged ones."""
import pathlib
import struct

OUT = pathlib.Path(__file__).resolve().parent.parent / "fuzz" / "corpus" / "FuzzFontFile"


def mac(name_id, text):
    return (1, 0, 0, name_id, text.encode("utf-8"))


def win(name_id, text, language=0x0409):
    return (3, 1, language, name_id, text.encode("utf-16-be"))


def font(names, base=0, tags=(b"cmap", b"name")):
    directory = 12 + 16 * len(tags)
    strings = b""
    naming = struct.pack(">HHH", 0, len(names), 6 + 12 * len(names))
    for platform, encoding, language, name_id, data in names:
        naming += struct.pack(">HHHHHH", platform, encoding, language, name_id, len(data), len(strings))
        strings += data
    naming += strings
    out = struct.pack(">IHHHH", 0x00010000, len(tags), 0, 0, 0)
    for tag in tags:
        out += tag.ljust(4, b"\0") + struct.pack(">III", 0, base + directory, len(naming))
    return out + naming


def collection(fonts, version=0x00010000):
    header_size = 12 + 4 * len(fonts) + (12 if version == 0x00020000 else 0)
    header = b"ttcf" + struct.pack(">II", version, len(fonts))
    body = b""
    for names in fonts:
        header += struct.pack(">I", header_size + len(body))
        body += font(names, header_size + len(body))
    if version == 0x00020000:
        header += b"\0\0\0\0" + struct.pack(">II", 0, 0)
    return header + body


SEEDS = {
    "mac_and_windows_names": font([mac(1, "Seed"), mac(2, "Regular"), win(1, "Seed"), win(2, "Bold Italic")]),
    "windows_other_language": font([win(1, "Saat", 0x0407), win(2, "Fett", 0x0407), win(1, "Seed"), win(2, "Bold")]),
    "upper_case_tag": font([win(1, "Tag"), win(2, "Italic")], tags=(b"glyf", b"NAME")),
    "collection_version_2": collection([[win(1, "One"), win(2, "Regular")], [win(1, "Two"), win(2, "Bold")]],
                                       0x00020000),
    "collection_cut_off": collection([[win(1, "One"), win(2, "Regular")], [win(1, "Two"), win(2, "Bold")]])[:70],
    "empty_macintosh_family": font([mac(1, ""), mac(2, "Regular"), win(1, "After"), win(2, "Bold")]),
    "font_cut_in_strings": font([win(1, "Cut"), win(2, "Regular")])[:-3],
}

OUT.mkdir(parents=True, exist_ok=True)
for name, data in SEEDS.items():
    (OUT / name).write_bytes(data)
