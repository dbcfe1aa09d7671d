"""The example a new user starts from runs, on generated data and on a CSV."""
import os
import subprocess
import sys

from conftest import make_ohlcv

QUICKSTART = os.path.join(os.path.dirname(__file__), os.pardir, "examples", "quickstart.py")


def run(*args):
    done = subprocess.run([sys.executable, QUICKSTART, *args], capture_output=True, text=True, timeout=120)
    assert done.returncode == 0, done.stderr
    return done.stdout


def test_quickstart_on_generated_data():
    out = run()
    assert out.startswith("300 bars; last 10:")
    assert "SMA(20)" in out and "day 300" in out


def test_quickstart_on_a_csv(tmp_path):
    bars = make_ohlcv(60)
    path = tmp_path / "prices.csv"
    lines = ["date,open,high,low,close,volume"]
    for i in range(60):
        lines.append(f"2024-01-{i + 1:02d}," + ",".join(str(bars[k][i]) for k in ("open", "high", "low", "close", "volume")))
    path.write_text("\n".join(lines) + "\n")
    out = run(str(path))
    assert out.startswith("60 bars; last 10:")
    assert "2024-01-60" in out
