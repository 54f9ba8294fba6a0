"""The README's Python example runs as written and prints what it says."""

import re
from pathlib import Path

README = Path(__file__).resolve().parents[2] / "README.md"


def test_readme_example(tmp_path, monkeypatch, capsys):
    blocks = re.findall(r"```python\n(.*?)```", README.read_text(encoding="utf-8"), re.S)
    assert len(blocks) == 1 and len(blocks[0].splitlines()) <= 12
    monkeypatch.chdir(tmp_path)
    exec(compile(blocks[0], "README.md", "exec"), {})
    assert capsys.readouterr().out == "(01) 09501101530003 (17) 261231 (10) ABC123\n01 5 14\n"
    assert (tmp_path / "label.pdf").read_bytes().startswith(b"%PDF-")
