#!/usr/bin/python3
"""Prints what zxing-cpp reads in the Data Matrix symbol of an image file
(PNG, or a PDF page rendered before), as hexadecimal bytes; nothing when it
finds no symbol."""
import sys

import zxingcpp
from PIL import Image

result = zxingcpp.read_barcode(Image.open(sys.argv[1]).convert("L"), formats=zxingcpp.BarcodeFormat.DataMatrix)
if result is not None and result.valid:
    sys.stdout.write(result.text.encode("utf-8").hex())
