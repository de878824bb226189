#!/usr/bin/env python3
"""Writes SYMBOL.cpp/.h holding FILE's bytes as a zero-terminated char array."""
import os
import sys

symbol, path, out_dir = sys.argv[1:4]
data = open(path, "rb").read()
os.makedirs(out_dir, exist_ok=True)
body = ",".join(str(b) for b in data)
with open(os.path.join(out_dir, symbol + ".cpp"), "w") as f:
    f.write('#include "embedded/%s.h"\n' % symbol)
    f.write("extern const char %s[] = {%s%s0};\n" % (symbol, body, "," if data else ""))
    f.write("extern const unsigned long %s_size = %d;\n" % (symbol, len(data)))
with open(os.path.join(out_dir, symbol + ".h"), "w") as f:
    f.write("#pragma once\n")
    f.write("extern const char %s[];\n" % symbol)
    f.write("extern const unsigned long %s_size;\n" % symbol)
