"""Shared helpers of the Python package's tests: reading symbols back with
zxing-cpp's Python module, drawing vector output with the real renderers,
and finding the korvel program."""

import io
import os
import shutil
import subprocess
from pathlib import Path

import numpy
import pytest
import zxingcpp
from PIL import Image


def pixels(png: bytes) -> numpy.ndarray:
    """The PNG's pixels as an RGB array."""
    return numpy.asarray(Image.open(io.BytesIO(png)).convert("RGB"))


def read_image(image: numpy.ndarray):
    """The one Data Matrix symbol zxing-cpp finds in the image (RGB or grey)."""
    if image.ndim == 3:
        image = numpy.ascontiguousarray(image[:, :, ::-1])  # zxing-cpp takes BGR
    result = zxingcpp.read_barcode(image, formats=zxingcpp.BarcodeFormat.DataMatrix)
    assert result is not None and result.valid, "zxing-cpp found no Data Matrix symbol"
    return result


def read_png(png: bytes):
    return read_image(pixels(png))


def run_renderer(command: list, document: bytes, suffix: str, tmp_path: Path) -> bytes:
    """Runs a renderer on the document (in.<suffix>) that writes out.png."""
    if shutil.which(command[0]) is None:
        pytest.fail(f"{command[0]} is not installed (test.sh installs it)")
    source = tmp_path / f"in.{suffix}"
    source.write_bytes(document)
    subprocess.run(command + [source.name], cwd=tmp_path, check=True, capture_output=True)
    return (tmp_path / "out.png").read_bytes()


def render_svg(svg: str, tmp_path: Path, dpi: int = 96) -> bytes:
    return run_renderer(
        ["rsvg-convert", f"--dpi-x={dpi}", f"--dpi-y={dpi}", "-o", "out.png"], svg.encode(), "svg", tmp_path
    )


def render_postscript(document: bytes, suffix: str, tmp_path: Path, dpi: int = 96) -> bytes:
    """EPS or PDF drawn by Ghostscript."""
    return run_renderer(
        ["gs", "-q", "-dSAFER", "-dBATCH", "-dNOPAUSE", "-dEPSCrop", "-sDEVICE=png16m", f"-r{dpi}",
         "-sOutputFile=out.png"],
        document, suffix, tmp_path,
    )


@pytest.fixture(scope="session")
def korvel_program() -> str:
    """The korvel program built from the same sources (KORVEL_PROGRAM, as the
    test suite sets it)."""
    program = os.environ.get("KORVEL_PROGRAM")
    if not program or not os.access(program, os.X_OK):
        pytest.skip("KORVEL_PROGRAM does not name the built korvel program")
    return program
