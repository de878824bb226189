#!/usr/bin/env python3
"""Builds the PiPL from host/pipl.json: the binary resource (little-endian,
as a Windows .rc stores it), the Windows resource script and a C++ header
with the values that global setup reports at run time.

usage: make_pipl.py PIPL_JSON OUT_BINARY OUT_RC OUT_HEADER
"""
import json
import struct
import sys


def fourcc(text):
    # Four-char codes are big-endian character order packed into a LE DWORD.
    return struct.unpack(">I", text.encode("ascii"))[0]


def number(value):
    return int(value, 0) if isinstance(value, str) else int(value)


def property_data(prop):
    kind, value = prop["type"], prop["value"]
    if kind == "fourcc":
        return struct.pack("<I", fourcc(value)), 4
    if kind == "pstring":
        raw = value.encode("ascii")
        data = bytes([len(raw)]) + raw
        padded = data + b"\0" * (-len(data) % 4)
        return padded, len(padded)
    if kind == "cstring":
        data = value.encode("ascii") + b"\0"
        padded = data + b"\0" * (-len(data) % 4)
        return padded, len(padded)
    if kind == "version":
        return struct.pack("<HH", value[0], value[1]), 4
    if kind == "u32":
        return struct.pack("<I", number(value)), 4
    if kind == "u16":
        return struct.pack("<H", number(value)) + b"\0\0", 2
    raise ValueError("unknown PiPL property type " + kind)


def build(props):
    out = struct.pack("<HII", 1, 0, len(props))
    for prop in props:
        data, length = property_data(prop)
        out += struct.pack("<IIII", fourcc("8BIM"), fourcc(prop["key"]), 0, length) + data
    return out


def rc_text(resource_id, blob):
    words = []
    for i in range(0, len(blob) - 1, 2):
        words.append("0x%04X" % struct.unpack("<H", blob[i:i + 2])[0])
    lines = [", ".join(words[i:i + 8]) for i in range(0, len(words), 8)]
    body = ",\n\t".join(lines)
    return "%d PiPL DISCARDABLE\nBEGIN\n\t%s\nEND\n" % (resource_id, body)


def header_text(props):
    by_key = {p["key"]: p["value"] for p in props}
    return (
        "#pragma once\n"
        "// Generated from host/pipl.json by scripts/make_pipl.py.\n"
        "#define QV_PIPL_NAME \"%s\"\n"
        "#define QV_PIPL_MATCH_NAME \"%s\"\n"
        "#define QV_PIPL_CATEGORY \"%s\"\n"
        "#define QV_PIPL_EFFECT_VERSION 0x%08Xu\n"
        "#define QV_PIPL_OUT_FLAGS 0x%08X\n"
        "#define QV_PIPL_OUT_FLAGS2 0x%08X\n"
        % (by_key["name"], by_key["eMNA"], by_key["catg"], number(by_key["eVER"]),
           number(by_key["eGLO"]), number(by_key["eGL2"])))


def main():
    src, out_bin, out_rc, out_header = sys.argv[1:5]
    pipl = json.load(open(src))
    blob = build(pipl["properties"])
    open(out_bin, "wb").write(blob)
    open(out_rc, "w").write(rc_text(pipl["resource_id"], blob))
    open(out_header, "w").write(header_text(pipl["properties"]))


if __name__ == "__main__":
    main()
