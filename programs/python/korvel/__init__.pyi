import datetime
import os
from typing import Any, BinaryIO, Iterable, Iterator, Literal, Sequence, TypedDict, Union

from typing_extensions import Unpack

from . import gs1 as gs1

__version__: str

Data = Union[str, bytes, bytearray, memoryview]
Color = Union[str, tuple[int, int, int], Sequence[int]]
Kind = Literal["png", "svg", "eps", "pdf", "PNG", "SVG", "EPS", "PDF"]

class Options(TypedDict, total=False):
    """The keywords of encode() and encode_many(); None means the default."""

    gs1: bool | None
    gs1_nocheck: bool | None
    gs1_separator: Literal["fnc1", "gs"] | None
    hibc: bool | None
    escapes: bool | None
    utf8: bool | None
    mode: int | Literal["auto", "automatic", "ascii", "c40", "text", "base256", "edifact", "x12"] | None
    fmt: int | None
    shape: Literal["square", "rectangle"] | None
    dmre: bool | None
    minimal: bool | None
    sapp: tuple[int, int] | tuple[int, int, int] | None

class Render(TypedDict, total=False):
    """The render keywords of the output methods; None means the default."""

    xdim: float | None
    xsize: int | None
    ysize: int | None
    alignh: int | Literal["left", "center", "centre", "right"] | None
    alignv: int | Literal["top", "center", "centre", "bottom"] | None
    module_mm: float | None
    dpi: int | None
    fcolor: Color | None
    bcolor: Color | None
    qzone: bool | None
    qsize: int | None
    orient: Literal[0, 90, 180, 270] | None
    palette: bool | None
    time: int | datetime.datetime | None
    cmyk: bool | None
    no_background: bool | None
    dots: float | None
    ink_spread: float | None
    hri_text: bool | None

class Output(Render, total=False):
    verify: bool | None

class Error(ValueError):
    message: str
    code: int
    def __init__(self, message: str = ..., code: int = ...) -> None: ...

class ArgumentError(Error): ...
class ArgumentTypeError(ArgumentError, TypeError): ...
class DataError(Error): ...
class CapacityError(DataError): ...

class GS1Error(DataError):
    ai: str | None
    position: int | None
    length: int | None
    def __init__(
        self, message: str = ..., code: int = ..., ai: str | None = ..., position: int | None = ..., length: int | None = ...
    ) -> None: ...

class VerificationError(Error):
    verification: dict[str, Any] | None
    def __init__(self, message: str = ..., code: int = ..., verification: dict[str, Any] | None = ...) -> None: ...

class Symbol:
    """A finished Data Matrix symbol; a read-only buffer of uint8, rows x columns."""

    @property
    def rows(self) -> int: ...
    @property
    def columns(self) -> int: ...
    @property
    def format(self) -> int: ...
    @property
    def codewords(self) -> bytes: ...
    @property
    def matrix(self) -> list[list[int]]: ...
    @property
    def hri(self) -> str | None: ...
    @property
    def gs1_elements(self) -> list[tuple[str, str]]: ...
    def __buffer__(self, flags: int) -> memoryview: ...
    def png(self, **render: Unpack[Output]) -> bytes: ...
    def pdf(self, **render: Unpack[Output]) -> bytes: ...
    def svg(self, **render: Unpack[Output]) -> str: ...
    def eps(self, **render: Unpack[Output]) -> str: ...
    def save(
        self,
        target: str | bytes | os.PathLike[str] | os.PathLike[bytes] | BinaryIO,
        kind: Kind | None = ...,
        **render: Unpack[Output],
    ) -> None: ...
    def verify(self, kind: Kind | None = ..., **render: Unpack[Render]) -> dict[str, Any]: ...
    def report(self, kind: Kind | None = ..., **render: Unpack[Output]) -> dict[str, Any]: ...
    def to_pil(self, **render: Unpack[Render]) -> Any: ...
    def _repr_png_(self) -> bytes: ...
    def _repr_svg_(self) -> str: ...

def encode(data: Data, **options: Unpack[Options]) -> Symbol: ...
def encode_many(
    iterable: Iterable[Data], jobs: int | None = ..., **options: Unpack[Options]
) -> Iterator[Symbol | Error]: ...
