"""GS1 data: parsing and checking without encoding."""

from ._korvel import parse_gs1 as _parse_gs1

__all__ = ["parse"]


def parse(data, *, nocheck=False):
    """parse(data, *, nocheck=False) -> list[tuple[str, str]]

    Parses and checks GS1 data as korvel.encode(data, gs1=True) does, and
    returns its elements as (AI, value) tuples. data is an element string in
    brackets "[01]09501101530003[17]261231", in parentheses (a parenthesis
    inside a value written "\\(" or "\\)"), or a GS1 Digital Link URI
    (values percent-decoded). nocheck=True checks only AIs, value lengths
    and characters, as the program's --gs1-nocheck.

    Raises korvel.GS1Error with the AI, position and length of the fault.
    """
    return _parse_gs1(data, nocheck)
