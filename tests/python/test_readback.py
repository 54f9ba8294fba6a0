"""Symbols made by the package, read back by zxing-cpp: every kind of data,
every output kind drawn by a real renderer, and the ways to get at them."""

import hashlib
import io
import subprocess

import numpy
import pytest

import korvel
from conftest import pixels, read_image, read_png, render_postscript, render_svg

GS1_LABEL = "[01]09501101530003[17]261231[10]ABC123"

DATA_CASES = [
    # data, options, text read, bytes read, symbology identifier
    ("Grüße, Data Matrix", {}, "Grüße, Data Matrix", "Grüße, Data Matrix".encode("latin-1"), "]d1"),
    ("Ωmega → 東京", {}, "Ωmega → 東京", "Ωmega → 東京".encode(), "]d1"),
    ("Ωmega", {"utf8": False}, None, "Ωmega".encode(), "]d1"),
    (b"\x00\xff\x80 raw ~1 bytes", {}, None, b"\x00\xff\x80 raw ~1 bytes", "]d1"),
    (bytearray(b"caf\xc3\xa9"), {"utf8": True}, "café", b"caf\xe9", "]d1"),
    ("AB~1C~~D", {"escapes": True}, None, b"AB\x1dC~D", "]d1"),
    (GS1_LABEL, {"gs1": True}, None, b"01095011015300031726123110ABC123", "]d2"),
    ("(01)09501101530003(21)S\\(1\\)(17)261231", {"gs1": True}, None, b"0109501101530003" b"21S(1)\x1d17261231", "]d2"),
    ("[01]09501101530003[21]AB[17]261231", {"gs1": True, "gs1_separator": "gs"}, None,
     b"0109501101530003" b"21AB\x1d17261231", "]d2"),
    ("https://id.gs1.org/01/09501101530003/10/ABC?17=261231", {"gs1": True},
     "https://id.gs1.org/01/09501101530003/10/ABC?17=261231", None, "]d1"),
    ("A123BJC5D6E71", {"hibc": True}, "+A123BJC5D6E71G", None, "]d1"),
    ("DMRE 8 x 48", {"dmre": True, "fmt": 31}, "DMRE 8 x 48", None, "]d7"),
    ("0123456789" * 4 + "012345", {"dmre": True, "shape": "rectangle"}, "0123456789" * 4 + "012345", None, "]d7"),
    ("PART TWO", {"sapp": (2, 3, 77), "mode": "c40"}, "PART TWO", None, "]d1"),
    ("the quick brown fox", {"minimal": True}, "the quick brown fox", None, "]d1"),
]


@pytest.mark.parametrize("data, options, text, raw, identifier", DATA_CASES)
def test_data_reads_back(data, options, text, raw, identifier):
    symbol = korvel.encode(data, **options)
    result = read_png(symbol.png())
    if text is not None:
        assert result.text == text
    if raw is not None:
        assert result.bytes == raw
    assert result.symbology_identifier == identifier
    assert symbol.verify()["passed"], symbol.verify()


def test_formats_shapes_and_attributes():
    dmre = korvel.encode("DMRE", dmre=True, fmt=31)
    assert (dmre.rows, dmre.columns, dmre.format) == (8, 48, 31)
    assert korvel.encode("0123456789" * 4 + "012345", dmre=True, shape="rectangle").format == 32  # 8 x 64
    rectangle = korvel.encode("RECT", shape="rectangle")
    assert (rectangle.rows, rectangle.columns, rectangle.format) == (8, 18, 25)
    label = korvel.encode(GS1_LABEL, gs1=True)
    assert label.hri == "(01) 09501101530003 (17) 261231 (10) ABC123"
    assert label.gs1_elements == [("01", "09501101530003"), ("17", "261231"), ("10", "ABC123")]
    assert korvel.encode("A123BJC5D6E71", hibc=True).hri == "+A123BJC5D6E71G"
    plain = korvel.encode("123456", mode=1)
    assert plain.hri is None and plain.gs1_elements == []
    # The worked example of ISO/IEC 16022: "123456" in ASCII, 10 x 10.
    assert plain.codewords == bytes([142, 164, 186, 114, 25, 5, 88, 102])


def test_matrix_as_lists_and_buffer():
    symbol = korvel.encode("numpy without a copy")
    array = numpy.asarray(symbol)
    assert array.shape == (symbol.rows, symbol.columns) and array.dtype == numpy.uint8
    assert array.tolist() == symbol.matrix
    assert not array.flags.writeable and not array.flags.owndata
    assert numpy.shares_memory(array, numpy.asarray(symbol))
    # The L-shaped finder: left column and bottom row dark.
    assert array[:, 0].all() and array[-1, :].all()
    view = memoryview(symbol)
    assert view.readonly and view.shape == (symbol.rows, symbol.columns) and view.format == "B"
    del symbol  # the array keeps the symbol's matrix alive
    drawn = 255 - 255 * numpy.kron(numpy.pad(array, 2), numpy.ones((4, 4), numpy.uint8))
    assert read_image(drawn).text == "numpy without a copy"


RENDER_CASES = [
    {},
    {"xdim": 3, "orient": 90, "fcolor": "#8B0000", "bcolor": (255, 248, 220), "qsize": 3},
    {"xsize": 200, "ysize": 120, "alignh": "right", "alignv": 2, "orient": 270},
    {"module_mm": 0.5, "dpi": 300},
]


@pytest.mark.parametrize("render", RENDER_CASES)
def test_every_output_kind_reads_back_through_real_renderers(render, tmp_path):
    symbol = korvel.encode(GS1_LABEL, gs1=True)
    expected = b"01095011015300031726123110ABC123"
    dpi = render.get("dpi", 96)
    drawings = {
        "png": symbol.png(verify=True, **render),
        "svg": render_svg(symbol.svg(verify=True, **render), _mkdir(tmp_path / "svg"), dpi),
        "eps": render_postscript(symbol.eps(verify=True, **render).encode(), "eps", _mkdir(tmp_path / "eps"), dpi),
        "pdf": render_postscript(symbol.pdf(verify=True, **render), "pdf", _mkdir(tmp_path / "pdf"), dpi),
    }
    for kind, png in drawings.items():
        result = read_png(png)
        assert (result.bytes, result.symbology_identifier) == (expected, "]d2"), kind
    pdf = tmp_path / "label.pdf"
    pdf.write_bytes(symbol.pdf(**render))
    subprocess.run(["qpdf", "--check", str(pdf)], check=True, capture_output=True)


def _mkdir(path):
    path.mkdir()
    return path


def test_physical_size_of_vector_output():
    symbol = korvel.encode(GS1_LABEL, gs1=True)  # 20 x 20 modules, 22 with the quiet zone
    svg = symbol.svg(module_mm=0.5)
    assert 'width="11mm"' in svg and 'height="11mm"' in svg
    assert b"/MediaBox [0 0 31.18" in symbol.pdf(module_mm=0.5)  # 11 mm in points


def test_png_options(tmp_path):
    symbol = korvel.encode("options")
    rgb = pixels(symbol.png(xdim=4, fcolor=(0, 0, 128), bcolor="ffffff"))
    assert rgb.shape == (4 * (symbol.rows + 2), 4 * (symbol.columns + 2), 3)
    assert {tuple(c) for c in rgb.reshape(-1, 3)} == {(0, 0, 128), (255, 255, 255)}
    palette = symbol.png(xdim=4, palette=True, time=0, dpi=600)
    assert numpy.array_equal(pixels(palette), pixels(symbol.png(xdim=4)))
    assert b"pHYs" in palette and palette[25] == 3  # colour type 3: indexed
    assert symbol.png(time=1_000_000) == symbol.png(time=1_000_000)
    side = 3 * (symbol.columns + 2)  # 0.254 mm at 300 dpi: 3 pixels per module
    assert symbol.png(module_mm=0.254, dpi=300)[16:24] == side.to_bytes(4, "big") * 2


def test_save_to_paths_and_file_objects(tmp_path):
    symbol = korvel.encode("saved")
    symbol.save(tmp_path / "a.PNG")
    symbol.save(str(tmp_path / "b.svg"))
    symbol.save(tmp_path / "c.data", kind="eps")
    with open(tmp_path / "d.pdf", "wb") as stream:
        symbol.save(stream)
    buffer = io.BytesIO()
    symbol.save(buffer, "svg", verify=True)
    assert (tmp_path / "a.PNG").read_bytes().startswith(b"\x89PNG\r\n\x1a\n")
    assert (tmp_path / "b.svg").read_text().startswith("<?xml")
    assert (tmp_path / "c.data").read_text().startswith("%!PS-Adobe-3.0 EPSF-3.0")
    assert (tmp_path / "d.pdf").read_bytes().startswith(b"%PDF-")
    assert buffer.getvalue().decode() == symbol.svg()
    assert read_png(render_svg(symbol.svg(), _mkdir(tmp_path / "r"))).text == "saved"


def test_jupyter_and_pillow():
    symbol = korvel.encode("notebook")
    assert read_png(symbol._repr_png_()).text == "notebook"
    assert symbol._repr_svg_() == symbol.svg()
    image = symbol.to_pil(xdim=3)
    assert image.size == (3 * (symbol.columns + 2),) * 2
    assert read_image(numpy.asarray(image.convert("RGB"))).text == "notebook"


def test_report_is_the_programs_description():
    symbol = korvel.encode(GS1_LABEL, gs1=True)
    report = symbol.report(kind="png", verify=True, xdim=2)
    assert report["status"] == 0 and report["message"] == "Ok."
    assert "output_file" not in report
    assert report["gs1"]["hri"] == symbol.hri
    assert report["format"]["number"] == symbol.format
    assert bytes.fromhex(report["codewords"]) == symbol.codewords
    assert report["image"] == {"width": 44, "height": 44, "module_size": 2, "unit": "pixel"}
    assert report["verification"]["passed"] and report["verification"]["read"]["symbology_identifier"] == "]d2"
    fixed = symbol.report(time=0)
    assert fixed["sha256"] == hashlib.sha256(symbol.png(time=0)).hexdigest()


def test_print_keywords_read_back_as_the_programs(tmp_path):
    symbol = korvel.encode(GS1_LABEL, gs1=True)
    dotted = symbol.png(xdim=5, dots=0.8, ink_spread=0.2, no_background=True, time=0, verify=True)
    assert read_png(dotted).bytes == b"01095011015300031726123110ABC123"
    assert b"tRNS" in dotted
    pdf = symbol.pdf(cmyk=True, dots=0.9, verify=True)
    (tmp_path / "cmyk.pdf").write_bytes(pdf)
    page = subprocess.run(["qpdf", "--qdf", "--object-streams=disable", str(tmp_path / "cmyk.pdf"), "-"],
                          check=True, capture_output=True).stdout
    assert b"\n0 0 0 1 k\n" in page and b" rg\n" not in page
    assert read_png(render_postscript(pdf, "pdf", _mkdir(tmp_path / "pdf"), 96)).bytes.startswith(b"0109501101530003")
    labelled = symbol.png(xdim=4, hri_text=True, time=0)
    assert read_png(labelled).bytes == b"01095011015300031726123110ABC123"
    assert pixels(labelled).shape[0] == pixels(symbol.png(xdim=4, time=0)).shape[0] + 4 * 4  # the text band
    with pytest.raises(korvel.ArgumentError, match="ink_spread leaves dots smaller"):
        symbol.png(dots=0.2, ink_spread=0.15)
