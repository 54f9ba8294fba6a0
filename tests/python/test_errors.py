"""Every exception the package raises, each from a real case: its class, its
message in the program's words, and for GS1 and HIBC faults the AI, position
and length of the faulty part."""

import pickle

import pytest

import korvel

SYMBOL = korvel.encode("errors")

GS1_FAULTS = [
    # data, options, AI, position, length, message after "Error: Invalid GS1 data: "
    ("[01]09501101530000", {"gs1": True}, "01", 5, 14, "AI (01) at character 5: check digit 0, expected 3."),
    ("[01]095011015300", {"gs1": True}, "01", 5, 12,
     "AI (01) at character 5: value too short: 12 characters, expected 14."),
    ("[01]09501101530003[10]AB~", {"gs1": True}, "10", 25, 1, "AI (10) at character 25: invalid character '~'."),
    ("[01]09501101530003[10]", {"gs1": True}, "10", 23, 0, "AI (10) at character 23: empty value."),
    ("https://id.gs1.org/01/09501101530000", {"gs1": True}, "01", 23, 14,
     "AI (01) at character 23: check digit 0, expected 3."),
    ("A12a", {"hibc": True}, None, 4, 1, "character 4: invalid character 'a' for HIBC."),
]


@pytest.mark.parametrize("data, options, ai, position, length, detail", GS1_FAULTS)
def test_gs1_faults_point_at_the_faulty_part(data, options, ai, position, length, detail):
    with pytest.raises(korvel.GS1Error) as raised:
        korvel.encode(data, **options)
    error = raised.value
    assert error.message == "Error: Invalid GS1 data: " + detail
    assert str(error) == "Invalid GS1 data: " + detail
    assert (error.ai, error.position, error.length, error.code) == (ai, position, length, 15)
    assert isinstance(error, korvel.DataError) and isinstance(error, ValueError)
    if options.get("gs1"):
        with pytest.raises(korvel.GS1Error) as parsed:
            korvel.gs1.parse(data)
        assert (parsed.value.message, parsed.value.position) == (error.message, error.position)


def test_gs1_parse_validates_without_encoding():
    assert korvel.gs1.parse("(01)09501101530003(10)AB\\(1\\)") == [("01", "09501101530003"), ("10", "AB(1)")]
    assert korvel.gs1.parse("https://example.com/shop/01/09501101530003?17=261231&x=1") == [
        ("01", "09501101530003"), ("17", "261231")]
    assert korvel.gs1.parse("[01]09501101530000", nocheck=True) == [("01", "09501101530000")]


ARGUMENT_ERRORS = [
    # call, class, message
    (lambda: korvel.encode("x", fmt=31), korvel.ArgumentError,
     "Error: Invalid value for fmt: 31 (0 to 30, with dmre=True 0 to 48)."),
    (lambda: korvel.encode("x", mode="morse"), korvel.ArgumentError,
     "Error: Invalid value for mode: 'morse' (0 to 6, or 'auto', 'ascii', 'c40', 'text', 'base256', 'edifact', 'x12')."),
    (lambda: korvel.encode("x", sapp=(3, 2)), korvel.ArgumentError,
     "Error: Invalid value for sapp: (3, 2) "
     "((position, total) or (position, total, id): total 2 to 16, position 1 to total, id 1 to 64516)."),
    (lambda: korvel.encode("x", shape="round"), korvel.ArgumentError,
     "Error: Invalid value for shape: 'round' ('square' or 'rectangle')."),
    (lambda: korvel.encode("x", gs1=True, hibc=True), korvel.ArgumentError,
     "Error: Invalid argument: hibc cannot be combined with gs1 or gs1_nocheck."),
    (lambda: korvel.encode("x", minimal=True, mode=2), korvel.ArgumentError,
     "Error: Invalid argument: minimal chooses the schemes itself and needs mode 0."),
    (lambda: korvel.encode("[01]1", gs1=True, utf8=True), korvel.ArgumentError,
     "Error: Invalid argument: utf8 cannot be combined with gs1, gs1_nocheck or hibc (their data is plain ASCII)."),
    (lambda: SYMBOL.png(dpi=0), korvel.ArgumentError, "Error: Invalid value for dpi: 0 (an integer from 1 to 100000)."),
    (lambda: SYMBOL.png(orient=45), korvel.ArgumentError, "Error: Invalid value for orient: 45 (0, 90, 180 or 270)."),
    (lambda: SYMBOL.png(fcolor="#12345g"), korvel.ArgumentError,
     "Error: Invalid value for fcolor: '#12345g' ('#RRGGBB' or (red, green, blue) with 0 to 255 each)."),
    (lambda: SYMBOL.png(bcolor=(0, 0, 256)), korvel.ArgumentError,
     "Error: Invalid value for bcolor: (0, 0, 256) ('#RRGGBB' or (red, green, blue) with 0 to 255 each)."),
    (lambda: SYMBOL.png(module_mm=0.5), korvel.ArgumentError,
     "Error: Invalid argument: module_mm needs dpi for a PNG image."),
    (lambda: SYMBOL.pdf(module_mm=0.5, xsize=100), korvel.ArgumentError,
     "Error: Invalid argument: module_mm cannot be combined with xsize or ysize."),
    (lambda: SYMBOL.pdf(module_mm=100.5), korvel.ArgumentError,
     "Error: Invalid value for module_mm: 100.5 (millimetres above 0 and at most 100)."),
    (lambda: SYMBOL.png(xdim=0.4), korvel.ArgumentError,
     "Error: Invalid value for xdim: 0.4 (pixels per module, at least 0.5)."),
    (lambda: SYMBOL.png(xdim=5000), korvel.ArgumentError,
     "Error: Invalid argument: the image would be wider or higher than 65535 pixels."),
    (lambda: SYMBOL.png(xsize=8, ysize=8), korvel.ArgumentError,
     "Error: Invalid barcode size: the symbol and its quiet zone do not fit an image of 8 x 8 pixels (xsize, ysize)."),
    (lambda: SYMBOL.save("x.png", kind="gif"), korvel.ArgumentError,
     "Error: Invalid value for kind: 'gif' ('png', 'svg', 'eps' or 'pdf')."),
    (lambda: list(korvel.encode_many([], jobs=0)), korvel.ArgumentError,
     "Error: Invalid value for jobs: 0 (an integer from 1 to 256)."),
    # Values of the wrong type: also TypeError.
    (lambda: korvel.encode(42), korvel.ArgumentTypeError, "Error: Invalid value for data: 42 (str or bytes)."),
    (lambda: korvel.encode("x", dmre=1), korvel.ArgumentTypeError, "Error: Invalid value for dmre: 1 (True or False)."),
    (lambda: SYMBOL.png(dpi="300"), korvel.ArgumentTypeError,
     "Error: Invalid value for dpi: '300' (an integer from 1 to 100000)."),
    (lambda: SYMBOL.png(xsize=True), korvel.ArgumentTypeError,
     "Error: Invalid value for xsize: True (pixels from 1 to 65535)."),
    (lambda: korvel.encode("x", spos=2), korvel.ArgumentTypeError,
     "Error: encode() takes structured append as one keyword, sapp=(position, total, id), not spos."),
    (lambda: SYMBOL.svg(dpix=300), korvel.ArgumentTypeError, "Error: svg() got an unexpected keyword argument 'dpix'."),
    (lambda: SYMBOL.verify(verify=True), korvel.ArgumentTypeError,
     "Error: verify() got an unexpected keyword argument 'verify'."),
    (lambda: SYMBOL.save(42), korvel.ArgumentTypeError,
     "Error: Invalid value for target: 42 (a path or a binary file object)."),
    # Data that cannot be encoded, or does not fit.
    (lambda: korvel.encode("lower case", mode="x12"), korvel.DataError, "Error: Invalid data to encode."),
    (lambda: korvel.encode(b"\xff\xfe", utf8=True), korvel.DataError, None),
    (lambda: korvel.encode("\udc80"), korvel.DataError,
     "Error: Invalid data to encode: the text is not valid Unicode (it holds a lone surrogate)."),
    (lambda: korvel.encode("9" * 3200), korvel.CapacityError, "Error: Cant find the needed matrix format."),
    (lambda: korvel.encode("too long for ten by ten", fmt=1), korvel.CapacityError,
     "Error: The data to encode cant be placed in the current matrix format."),
    # Dark and light of the very same colour: the image shows nothing.
    (lambda: SYMBOL.png(fcolor="#808080", bcolor="#808080", verify=True), korvel.VerificationError, None),
]


@pytest.mark.parametrize("call, error_class, message", ARGUMENT_ERRORS)
def test_refusals_raise_their_class_with_the_programs_words(call, error_class, message):
    with pytest.raises(error_class) as raised:
        call()
    error = raised.value
    assert type(error) is error_class
    assert isinstance(error, korvel.Error) and isinstance(error, ValueError)
    assert isinstance(error, TypeError) == (error_class is korvel.ArgumentTypeError)
    if message is not None:
        assert error.message == message
        assert str(error) == message[len("Error: "):]


def test_verification_error_tells_what_was_found(tmp_path):
    target = tmp_path / "grey.png"
    target.write_bytes(b"kept")
    with pytest.raises(korvel.VerificationError) as raised:
        SYMBOL.save(target, fcolor="#808080", bcolor="#808080", verify=True)
    assert raised.value.code == 16
    assert raised.value.message == ("Error: Verification failed: dark and light modules have the same colour "
                                    "#808080, so the output shows no symbol.")
    assert raised.value.verification["passed"] is False and raised.value.verification["output_checked"]
    assert target.read_bytes() == b"kept"  # nothing written
    found = SYMBOL.verify(fcolor="#808080", bcolor="#808080")
    assert found["passed"] is False and found["detail"] == raised.value.verification["detail"]


def test_files_that_cannot_be_written_raise_oserror(tmp_path):
    with pytest.raises(FileNotFoundError) as raised:
        SYMBOL.save(tmp_path / "missing" / "x.png")
    assert raised.value.filename == str(tmp_path / "missing" / "x.png")
    with pytest.raises(IsADirectoryError):
        SYMBOL.save(tmp_path, kind="pdf")
    assert list(tmp_path.iterdir()) == []


def test_exceptions_survive_pickling():
    error = korvel.GS1Error("Error: Invalid GS1 data.", 15, "01", 5, 14)
    copy = pickle.loads(pickle.dumps(error))
    assert (type(copy), copy.message, copy.code, copy.position) == (korvel.GS1Error, error.message, 15, 5)
