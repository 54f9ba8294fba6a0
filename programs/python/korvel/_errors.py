"""The exceptions of korvel. The extension module raises these classes."""


class Error(ValueError):
    """Base of every korvel error.

    ``message`` is the line the korvel program prints for the same fault
    ("Error: Invalid value for dpi: 0 (an integer from 1 to 100000)."),
    ``str(error)`` the same without the leading "Error: ", and ``code`` the
    program's exit status for it.
    """

    def __init__(self, message: str = "Error: Fail.", code: int = 2) -> None:
        super().__init__(message[len("Error: "):] if message.startswith("Error: ") else message)
        self.message = message
        self.code = code

    def __reduce__(self):
        return type(self), (self.message, self.code), self.__dict__


class ArgumentError(Error):
    """An option or render keyword with a value that is refused, keywords that
    cannot be combined, or an image that cannot be made at that size."""

    def __init__(self, message: str = "Error: Invalid argument.", code: int = 1) -> None:
        super().__init__(message, code)


class ArgumentTypeError(ArgumentError, TypeError):
    """A keyword (or the data) of the wrong type, or a keyword the call does
    not take. Also a TypeError."""


class DataError(Error):
    """Data that cannot be encoded as asked: a character the chosen scheme
    cannot hold, ill-formed UTF-8, text that is not valid Unicode."""

    def __init__(self, message: str = "Error: Invalid data to encode.", code: int = 5) -> None:
        super().__init__(message, code)


class CapacityError(DataError):
    """Data too long for any format, or for the format asked for with fmt."""

    def __init__(self, message: str = "Error: Cant find the needed matrix format.", code: int = 8) -> None:
        super().__init__(message, code)


class GS1Error(DataError):
    """GS1 or HIBC data that fails a check.

    ``ai`` is the AI of the faulty element ("01"; None when the fault belongs
    to no single element, as for HIBC data), ``position`` the 1-based
    character of the data where the faulty part starts and ``length`` its
    length (0 when something is missing: position is then where it was
    expected). ``message`` is the program's line, e.g.
    "Error: Invalid GS1 data: AI (01) at character 5: check digit 0, expected 3."
    """

    def __init__(
        self,
        message: str = "Error: Invalid GS1 data.",
        code: int = 15,
        ai: "str | None" = None,
        position: "int | None" = None,
        length: "int | None" = None,
    ) -> None:
        super().__init__(message, code)
        self.ai = ai
        self.position = position
        self.length = length


class VerificationError(Error):
    """The output did not prove right (verify=True): ``verification`` holds
    what was checked and found (passed, detail, decoder, read,
    output_checked), as Symbol.verify() returns it."""

    def __init__(self, message: str = "Error: Verification failed.", code: int = 16, verification: "dict | None" = None) -> None:
        super().__init__(message, code)
        self.verification = verification


for _error in (Error, ArgumentError, ArgumentTypeError, DataError, CapacityError, GS1Error, VerificationError):
    _error.__module__ = "korvel"
