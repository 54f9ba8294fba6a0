"""Data Matrix (ECC 200) symbols: encode data, write PNG, SVG, EPS or PDF.

    >>> import korvel
    >>> symbol = korvel.encode("Hello, Data Matrix!")
    >>> symbol.rows, symbol.columns
    (18, 18)
    >>> symbol.save("hello.png", xdim=8)
    >>> label = korvel.encode("[01]09501101530003[17]261231[10]ABC123", gs1=True)
    >>> label.hri
    '(01) 09501101530003 (17) 261231 (10) ABC123'
    >>> label.save("label.pdf", module_mm=0.5)

encode() makes a Symbol from a str or bytes with the options of the korvel
program (gs1, hibc, mode, fmt, shape, dmre, minimal, sapp, ...);
encode_many() makes many on several threads. A Symbol gives its matrix
(also as a buffer: numpy.asarray(symbol)), writes itself as PNG, SVG, EPS or
PDF (png(), svg(), eps(), pdf(), save()), proves itself with zxing-cpp
(verify(), or verify=True on any output), describes itself (report()) and
shows itself in Jupyter. korvel.gs1.parse() checks GS1 data without encoding.

Errors are exceptions: korvel.Error (a ValueError) and its subclasses
ArgumentError, ArgumentTypeError (also a TypeError), DataError,
CapacityError, GS1Error (with ai, position, length) and VerificationError.
Files that cannot be written raise OSError.
"""

import itertools as _itertools

from . import gs1
from ._errors import (
    ArgumentError,
    ArgumentTypeError,
    CapacityError,
    DataError,
    Error,
    GS1Error,
    VerificationError,
)
from ._korvel import Symbol, __version__, encode
from ._korvel import _BatchEncoder

__all__ = [
    "encode",
    "encode_many",
    "Symbol",
    "Error",
    "ArgumentError",
    "ArgumentTypeError",
    "DataError",
    "CapacityError",
    "GS1Error",
    "VerificationError",
    "gs1",
]


def encode_many(iterable, jobs=None, **options):
    """encode_many(iterable, jobs=None, **options) -> Iterator[Symbol | korvel.Error]

    Encodes every item of iterable (str or bytes) with the options of
    encode() and yields, in input order, the Symbol or the exception for that
    item (not raised), so that one bad item does not stop the rest. jobs
    threads (default: one per processor, 1 to 256) encode with the GIL
    released. Items are taken from the iterable a chunk at a time, so an
    endless iterator works. The options are checked at once: refused options
    raise here, before anything is encoded.
    """
    encoder = _BatchEncoder(jobs, **options)
    return _encoded_items(encoder, iter(iterable))


def _encoded_items(encoder, items):
    while True:
        chunk = list(_itertools.islice(items, encoder.chunk_size))
        if not chunk:
            return
        yield from encoder.encode_chunk(chunk)


def _to_pil(self, **render):
    """to_pil(**render) -> PIL.Image.Image

    The PNG image (render keywords as for png()) opened with Pillow, which
    must be installed.
    """
    import io

    try:
        from PIL import Image
    except ImportError as error:
        raise ImportError("Symbol.to_pil() needs Pillow (Debian: python3-pil; pip: pillow)") from error
    image = Image.open(io.BytesIO(self.png(**render)))
    image.load()
    return image


Symbol.to_pil = _to_pil
