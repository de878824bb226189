#!/usr/bin/env python3
"""Writes the bytes of one resource of a PE image (DLL or EXE) to a file.

usage: pe_resource.py IMAGE TYPE ID OUT
TYPE is a resource type name (matched without regard to case, as Windows does)
and ID its numeric id. Exits with status 1 when the image holds no such resource.
"""
import struct
import sys


def sections(data):
    pe = struct.unpack_from('<I', data, 0x3C)[0]
    if data[pe:pe + 4] != b'PE\0\0':
        raise ValueError('not a PE image')
    count, opt_size = struct.unpack_from('<H', data, pe + 6)[0], struct.unpack_from('<H', data, pe + 20)[0]
    opt = pe + 24
    magic = struct.unpack_from('<H', data, opt)[0]
    dirs = opt + (112 if magic == 0x20B else 96)
    rsrc_rva, rsrc_size = struct.unpack_from('<II', data, dirs + 2 * 8)
    table = opt + opt_size
    found = []
    for i in range(count):
        vsize, vaddr, raw_size, raw_ptr = struct.unpack_from('<IIII', data, table + i * 40 + 8)
        found.append((vaddr, max(vsize, raw_size), raw_ptr))
    return rsrc_rva, found


def rva_to_offset(rva, secs):
    for vaddr, size, raw in secs:
        if vaddr <= rva < vaddr + size:
            return raw + rva - vaddr
    raise ValueError('address outside every section')


def entries(data, base, offset):
    named, ids = struct.unpack_from('<HH', data, base + offset + 12)
    for i in range(named + ids):
        name, target = struct.unpack_from('<II', data, base + offset + 16 + i * 8)
        if name & 0x80000000:
            at = base + (name & 0x7FFFFFFF)
            length = struct.unpack_from('<H', data, at)[0]
            key = data[at + 2:at + 2 + 2 * length].decode('utf-16-le')
        else:
            key = name
        yield key, target


def find(data, rtype, rid):
    rsrc_rva, secs = sections(data)
    base = rva_to_offset(rsrc_rva, secs)
    for key, target in entries(data, base, 0):
        if isinstance(key, str) and key.upper() == rtype.upper():
            for key2, target2 in entries(data, base, target & 0x7FFFFFFF):
                if key2 == rid:
                    for _, leaf in entries(data, base, target2 & 0x7FFFFFFF):
                        rva, size = struct.unpack_from('<II', data, base + leaf)
                        start = rva_to_offset(rva, secs)
                        return data[start:start + size]
    return None


def main():
    image, rtype, rid, out = sys.argv[1], sys.argv[2], int(sys.argv[3]), sys.argv[4]
    with open(image, 'rb') as f:
        blob = find(f.read(), rtype, rid)
    if blob is None:
        print(f'{image}: no {rtype} resource {rid}', file=sys.stderr)
        return 1
    with open(out, 'wb') as f:
        f.write(blob)
    return 0


if __name__ == '__main__':
    sys.exit(main())
