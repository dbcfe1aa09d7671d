import inspect
import math
from dataclasses import dataclass, field

import pytest

import vorn_library as vl

NAN = float("nan")
INF = float("inf")


def B(o, h, l, c):  # noqa: E741 - the usual o/h/l/c names
    return (o, h, l, c)


def W(o, c):
    """A bar whose shadows do not matter to the rule: one unit beyond the body."""
    return (o, max(o, c) + 1, min(o, c) - 1, c)


@dataclass
class Case:
    name: str
    sig: str          # parameters of the text signature
    span: int         # bars a pattern needs
    lead: str         # "bar": a verdict everywhere; "nan" / "zero": what precedes the first full window
    values: set       # verdicts it may emit
    fires: list       # (bars, expected verdict at the last bar)
    misses: list      # bars that just fail the rule
    kwargs: dict = field(default_factory=dict)

    def __str__(self):
        return self.name

    @property
    def fn(self):
        return getattr(vl, "py_" + self.name)

    @property
    def series(self):
        return [p for p in self.sig.split(", ") if "=" not in p]


OHLC = "open, high, low, close"
BT = OHLC + ", body_threshold=0.1"
TOL = OHLC + ", tolerance=0.01"
UP, DOWN, BOTH = {0.0, 1.0}, {0.0, -1.0}, {0.0, 1.0, -1.0}

# Hammer-shaped bars: lower shadow exactly twice the body, upper shadow exactly the body.
HAMMER_WHITE, HAMMER_BLACK = B(100, 102, 98, 101), B(101, 102, 98, 100)
INV_WHITE, INV_BLACK = B(100, 103, 99, 101), B(101, 103, 99, 100)
# Two bars of body 1 before the verdict bar (long/short line with lookback=2).
BASE = [B(100, 101.5, 99.5, 101), B(101, 102, 99.5, 100)]
# An inside bar after a wide one (hikkake).
OUTER, INNER = B(105, 110, 100, 105), B(105, 108, 102, 105)

CASES = [
    # ---- one candle -------------------------------------------------------------
    Case("doji", BT, 1, "bar", UP, [([B(100, 105, 95, 100.5)], 1.0)], [[B(100, 105, 95, 101)]]),
    Case("dragonfly_doji", BT, 1, "bar", UP, [([B(104, 105, 95, 104.5)], 1.0)], [[B(103.5, 105, 95, 104)]]),
    Case("gravestone_doji", BT, 1, "bar", DOWN, [([B(96, 105, 95, 95.5)], -1.0)], [[B(96.5, 105, 95, 96)]]),
    Case("long_legged_doji", BT, 1, "bar", UP, [([B(100, 105, 95, 100.5)], 1.0)],
         [[B(101.5, 105, 95, 102)]]),
    Case("rickshaw_man", BT, 1, "bar", UP, [([B(100, 105, 95, 100.5)], 1.0)], [[B(101.75, 105, 95, 102.25)]]),
    Case("highwave", OHLC + ", body_threshold=0.15", 1, "bar", UP, [([B(100, 105, 95, 101)], 1.0)],
         [[B(100, 103, 95, 101)]]),
    Case("spinning_top", OHLC, 1, "bar", UP, [([B(100, 105, 95, 102)], 1.0)], [[B(100, 104, 95, 102)]]),
    Case("marubozu", OHLC, 1, "bar", BOTH,
         [([B(100, 110.25, 100, 110)], 1.0), ([B(110, 110, 99.75, 100)], -1.0)],
         [[B(100, 110.5, 100, 110)], [B(100, 100, 100, 100)]]),
    Case("closing_marubozu", OHLC, 1, "bar", BOTH,
         [([B(101, 110, 100, 109.75)], 1.0), ([B(109, 110, 100, 100.25)], -1.0)],
         [[B(101, 110, 100, 109.5)], [B(100, 100, 100, 100)]]),
    Case("belthold", OHLC, 1, "bar", BOTH,
         [([B(100.5, 110, 100, 109)], 1.0), ([B(109.5, 110, 100, 101)], -1.0)],
         [[B(101, 110, 100, 110)]]),
    Case("takuri", OHLC, 1, "bar", UP, [([B(100, 101.5, 95, 101)], 1.0)], [[B(100, 101.25, 95.25, 101)]]),
    Case("hammer", OHLC, 1, "bar", BOTH, [([HAMMER_WHITE], 1.0), ([HAMMER_BLACK], -1.0)],
         [[B(100, 102, 98.25, 101)], [B(100, 100, 95, 100)]]),
    Case("inverted_hammer", OHLC, 1, "bar", BOTH, [([INV_WHITE], 1.0), ([INV_BLACK], -1.0)],
         [[B(100, 102.75, 99, 101)], [B(100, 105, 100, 100)]]),
    Case("hanging_man", OHLC, 1, "bar", DOWN, [([HAMMER_WHITE], -1.0), ([HAMMER_BLACK], -1.0)],
         [[B(100, 102, 98.25, 101)], [B(100, 100, 95, 100)]]),
    Case("shooting_star", OHLC, 1, "bar", DOWN, [([INV_WHITE], -1.0), ([INV_BLACK], -1.0)],
         [[B(100, 102.75, 99, 101)], [B(100, 105, 100, 100)]]),
    Case("long_line", OHLC + ", lookback=10", 3, "zero", BOTH,
         [(BASE + [B(100, 102.75, 99.75, 102.5)], 1.0), (BASE + [B(102.5, 102.75, 99.75, 100)], -1.0)],
         [BASE + [B(100, 102.25, 99.75, 102)]], {"lookback": 2}),
    Case("short_line", OHLC + ", lookback=10", 3, "zero", BOTH,
         [(BASE + [B(100, 101, 99, 100.25)], 1.0), (BASE + [B(100.25, 101, 99, 100)], -1.0)],
         [BASE + [B(100, 101, 99, 100.5)], BASE + [B(100, 101, 99, 100)]], {"lookback": 2}),
    # ---- two candles --------------------------------------------------------------
    Case("bullish_engulfing", "open, close", 2, "nan", UP, [([W(10, 9), W(9, 10)], 1.0)],
         [[W(10, 9), W(9, 9.75)]]),
    Case("bearish_engulfing", "open, close", 2, "nan", DOWN, [([W(9, 10), W(10, 9)], -1.0)],
         [[W(9, 10), W(10, 9.25)]]),
    Case("bullish_harami", "open, close", 2, "nan", UP, [([W(10, 8), W(8.5, 9.5)], 1.0)],
         [[W(10, 8), W(8, 9.5)], [W(10, 9), W(9, 10)]]),
    Case("bearish_harami", "open, close", 2, "nan", DOWN, [([W(8, 10), W(9.5, 8.5)], -1.0)],
         [[W(8, 10), W(10, 8.5)]]),
    Case("harami_cross", BT, 2, "nan", BOTH,
         [([B(110, 111, 99, 100), B(105, 106, 104, 105)], 1.0),
          ([B(100, 111, 99, 110), B(105, 106, 104, 105)], -1.0)],
         [[B(110, 111, 99, 100), B(105, 107, 102, 105.5)], [B(105, 111, 99, 105), B(105, 106, 104, 105)]]),
    Case("piercing_pattern", "open, low, close", 2, "nan", UP,
         [([B(110, 111, 99, 100), B(98, 107, 97, 106)], 1.0)], [[B(110, 111, 99, 100), B(98, 107, 97, 105)]]),
    Case("dark_cloud_cover", "open, high, close", 2, "nan", DOWN,
         [([B(100, 111, 99, 110), B(112, 113, 103, 104)], -1.0)], [[B(100, 111, 99, 110), B(112, 113, 103, 105)]]),
    Case("inneck", TOL, 2, "nan", DOWN, [([B(110, 111, 100, 101), B(99, 101, 98, 100.5)], -1.0)],
         [[B(110, 111, 100, 101), B(99, 102, 98, 101)]]),
    Case("onneck", TOL, 2, "nan", DOWN, [([B(110, 111, 99, 100), B(98, 101, 97, 100.5)], -1.0)],
         [[B(110, 111, 99, 100), B(97.5, 101, 97, 100.5)]]),
    Case("thrusting", OHLC, 2, "nan", DOWN, [([B(110, 111, 99, 100), B(98, 105, 97, 104)], -1.0)],
         [[B(110, 111, 99, 100), B(98, 106, 97, 105)]]),
    Case("kicking", OHLC, 2, "nan", BOTH,
         [([B(110, 110, 100, 100), B(112, 122, 112, 122)], 1.0),
          ([B(100, 110, 100, 110), B(98, 98, 88, 88)], -1.0)],
         # a gap alone is not enough: the first body is exactly 95% of its range
         [[B(110, 110.25, 100.25, 100.5), B(112, 122, 112, 122)]]),
    Case("doji_star", BT, 2, "nan", BOTH,
         [([B(110, 111, 99, 100), B(98, 99, 97, 98)], 1.0), ([B(100, 111, 99, 110), B(112, 113, 111, 112)], -1.0)],
         [[B(110, 111, 99, 100), B(98, 100, 97, 98)], [B(100, 111, 99, 100), B(98, 99, 97, 98)]]),
    Case("matching_low", TOL, 2, "nan", UP, [([W(110, 100), W(105, 100.5)], 1.0)], [[W(110, 100), W(105, 101)]]),
    Case("tweezers_top", "open, high, close, tolerance=0.01", 2, "nan", DOWN,
         [([B(90, 99.5, 89, 99), B(99, 100.25, 94, 95)], -1.0)], [[B(90, 99.5, 89, 99), B(99, 100.5, 94, 95)]]),
    Case("tweezers_bottom", "open, low, close, tolerance=0.01", 2, "nan", UP,
         [([B(110, 111, 100.5, 101), B(101, 106, 100, 105)], 1.0)],
         [[B(110, 111, 100.5, 101), B(101, 106, 99.5, 105)]]),
    Case("counterattack", OHLC + ", tolerance=0.005", 2, "zero", BOTH,
         [([W(110, 100), W(95, 100.25)], 1.0), ([W(100, 110), W(115, 110.25)], -1.0)],
         [[W(110, 100), W(95, 100.5)], [W(100, 100), W(95, 100.25)]]),
    Case("homing_pigeon", OHLC, 2, "nan", UP, [([W(110, 100), W(108, 104)], 1.0)], [[W(110, 100), W(108, 103)]]),
    Case("separating_lines", OHLC + ", tolerance=0.005", 2, "nan", BOTH,
         [([W(100, 95), W(100.25, 106)], 1.0), ([W(100, 105), W(100.25, 95)], -1.0)],
         [[W(100, 95), W(100.5, 106)]]),
    # ---- three to five candles --------------------------------------------------------
    Case("hikkake", OHLC, 3, "zero", BOTH,
         [([OUTER, INNER, B(105, 109, 103, 105)], 1.0), ([OUTER, INNER, B(105, 107, 101, 105)], -1.0)],
         [[OUTER, INNER, B(105, 110, 102, 105)], [OUTER, B(105, 108, 100, 105), B(105, 109, 101, 105)]]),
    Case("hikkake_mod", OHLC, 4, "zero", BOTH,
         [([OUTER, INNER, B(108, 109, 104, 106), B(106, 108, 105, 107)], 1.0),
          ([OUTER, INNER, B(103, 107, 101, 103), B(103, 104, 101, 102)], -1.0)],
         [[OUTER, INNER, B(108, 109, 104, 106), B(106, 108, 105, 106)],
          [OUTER, INNER, B(103, 107, 101, 103), B(103, 104, 101, 104)]]),
    Case("tristar", BT, 3, "nan", BOTH,
         [([B(100, 101, 99, 100), B(97, 98, 96, 97), B(100, 101, 99, 100)], 1.0),
          ([B(100, 101, 99, 100), B(103, 104, 102, 103), B(100, 101, 99, 100)], -1.0)],
         [[B(100, 101, 99, 100), B(103, 104, 101, 103), B(100, 101, 99, 100)],
          [B(100, 101, 99, 100), B(100, 101, 99, 100), B(100, 101, 99, 100)],
          [B(100, 101, 99, 100), B(97, 98, 96, 97), B(100, 100, 100, 100)]]),
    Case("morning_star", OHLC, 3, "nan", UP,
         [([B(110, 111, 99, 100), B(98, 99, 97.5, 98.5), B(99, 107, 98, 106)], 1.0)],
         [[B(110, 111, 99, 100), B(98, 99, 97.5, 98.5), B(99, 107, 98, 105)]]),
    Case("evening_star", OHLC, 3, "nan", DOWN,
         [([B(100, 111, 99, 110), B(111.5, 112.5, 111, 112), B(111, 112, 103, 104)], -1.0)],
         [[B(100, 111, 99, 110), B(111.5, 112.5, 111, 112), B(111, 112, 104, 105)]]),
    Case("morning_doji_star", BT, 3, "nan", UP,
         [([B(110, 111, 99, 100), B(98, 99, 97, 98), B(99, 107, 98, 106)], 1.0)],
         [[B(110, 111, 99, 100), B(98, 100, 97, 98), B(99, 107, 98, 106)]]),
    Case("evening_doji_star", BT, 3, "nan", DOWN,
         [([B(100, 111, 99, 110), B(112, 113, 111, 112), B(111, 112, 103, 104)], -1.0)],
         [[B(100, 111, 99, 110), B(112, 113, 110, 112), B(111, 112, 103, 104)]]),
    Case("abandoned_baby", BT, 3, "nan", BOTH,
         [([B(110, 111, 99, 100), B(97, 98, 96, 97), B(99, 106, 98.5, 105)], 1.0),
          ([B(100, 111, 99, 110), B(113, 114, 112, 113), B(111, 111.5, 104, 105)], -1.0)],
         [[B(110, 111, 99, 100), B(97, 98, 96, 97), B(99, 106, 98, 105)]]),
    Case("three_inside", OHLC, 3, "nan", BOTH,
         [([B(110, 111, 99, 100), W(102, 106), B(106, 113, 105, 112)], 1.0),
          ([B(100, 111, 99, 110), W(108, 104), B(104, 105, 97, 98)], -1.0)],
         [[B(110, 111, 99, 100), W(102, 106), B(106, 112, 105, 111)]]),
    Case("three_outside", OHLC, 3, "nan", BOTH,
         [([W(106, 104), W(103, 107), W(107, 108)], 1.0), ([W(104, 106), W(107, 103), W(103, 102)], -1.0)],
         [[W(106, 104), W(103, 107), W(106, 107)]]),
    Case("advance_block", OHLC, 3, "nan", DOWN,
         [([B(100, 111, 99, 110), B(105, 115, 104, 113), B(110, 119, 109, 116)], -1.0)],
         [[B(100, 111, 99, 110), B(105, 115, 104, 113), B(110, 118, 109, 116)]]),
    Case("stalled_pattern", OHLC, 3, "nan", DOWN,
         [([W(100, 110), W(108, 118), B(118, 124.5, 117, 120)], -1.0)],
         [[W(100, 110), W(108, 118), B(118, 124, 117, 120)]]),
    Case("stick_sandwich", TOL, 3, "nan", UP,
         [([W(110, 100), B(101, 109, 100.5, 108), W(109, 100.5)], 1.0)],
         [[W(110, 100), B(101, 109, 100.5, 108), W(109, 101)]]),
    Case("unique_3_river", OHLC, 3, "zero", UP,
         [([B(110, 111, 99, 100), B(104, 104.5, 98, 103), B(101, 102.5, 100.5, 102)], 1.0)],
         [[B(110, 111, 99, 100), B(104, 104.5, 99, 103), B(101, 102.5, 100.5, 102)]]),
    Case("gap_sidesidewhite", OHLC, 3, "nan", BOTH,
         [([W(100, 105), W(106, 110), W(106, 110)], 1.0), ([W(110, 105), W(100, 104), W(100.5, 104.5)], -1.0)],
         [[W(94, 99), W(100, 104), W(102, 106)]]),
    Case("three_black_crows", "open, low, close", 3, "nan", DOWN,
         [([B(120, 121, 107.5, 110), B(115, 116, 104, 105), B(108, 109, 99, 100)], -1.0)],
         [[B(120, 121, 107, 110), B(115, 116, 104, 105), B(108, 109, 99, 100)]]),
    Case("three_white_soldiers", "open, high, close", 3, "nan", UP,
         [([B(100, 112.5, 99, 110), B(105, 116, 104, 115), B(110, 121, 109, 120)], 1.0)],
         [[B(100, 113, 99, 110), B(105, 116, 104, 115), B(110, 121, 109, 120)]]),
    Case("upside_gap_two_crows", OHLC, 3, "nan", DOWN, [([W(100, 110), W(114, 112), W(115, 111)], -1.0)],
         [[W(100, 110), W(114, 112), W(115, 110)]]),
    Case("identical_three_crows", OHLC, 3, "nan", DOWN, [([W(120, 110), W(115, 105), W(110, 100)], -1.0)],
         [[W(120, 110), W(110, 100), W(105, 95)]]),
    Case("xside_gap_3_methods", OHLC, 3, "zero", BOTH,
         [([B(100, 106, 99, 105), B(108, 113, 107, 112), W(111, 106.5)], 1.0),
          ([B(112, 113, 106, 107), B(104, 105, 99, 100), W(101, 105.5)], -1.0)],
         [[B(100, 106, 99, 105), B(108, 113, 107, 112), W(111, 106)]]),
    Case("concealing_baby_swallow", OHLC, 4, "zero", UP,
         [([W(120, 110), W(112, 102), W(100, 98), W(101, 95)], 1.0)],
         [[W(120, 110), W(112.5, 102), W(100, 98), W(101, 95)]]),
    Case("ladder_bottom", OHLC, 5, "zero", UP,
         [([W(110, 106), W(107, 103), W(104, 100), B(101, 102, 97, 98), W(99, 103)], 1.0)],
         [[W(110, 106), W(107, 103), W(104, 100), B(101, 102, 97, 98), W(98, 103)]]),
    Case("mat_hold", OHLC, 5, "zero", UP,
         [([W(100, 110), W(111, 109), W(109, 108), W(108, 109), W(109, 112)], 1.0)],
         [[W(100, 110), W(111, 109), W(109, 108), W(108, 110), W(109, 112)]]),
    Case("breakaway", OHLC, 5, "zero", BOTH,
         [([W(120, 110), W(108, 106), W(106, 104), W(104, 102), W(102, 112)], 1.0),
          ([W(100, 110), W(112, 114), W(114, 116), W(116, 118), W(118, 108)], -1.0)],
         [[W(120, 110), W(108, 106), W(106, 104), W(104, 102), W(96, 106)]]),
    Case("rising_three_methods", OHLC, 5, "nan", UP,
         [([B(100, 111, 99, 110), B(108, 109, 105, 106), B(107, 108, 104, 105), B(106, 107, 103, 104),
            W(104, 112)], 1.0)],
         [[B(100, 111, 99, 110), B(108, 110, 105, 106), B(107, 108, 104, 105), B(106, 107, 103, 104),
           W(104, 112)]]),
    Case("falling_three_methods", OHLC, 5, "nan", DOWN,
         [([B(110, 111, 99, 100), B(102, 105, 101, 104), B(103, 106, 102, 105), B(104, 107, 103, 106),
            W(106, 98)], -1.0)],
         [[B(110, 111, 99, 100), B(102, 105, 101, 104), B(103, 106, 102, 105), B(104, 107, 100, 106),
           W(106, 98)]]),
]
UNVALIDATED = {"counterattack", "hikkake"}


def columns(bars):
    return {k: [b[j] for b in bars] for j, k in enumerate(("open", "high", "low", "close"))}


def run(case, cols, **kwargs):
    return case.fn(*(cols[s] for s in case.series), **kwargs)


def test_table_covers_every_detector():
    assert len(CASES) == 61
    assert len({c.name for c in CASES}) == 61


@pytest.mark.parametrize("case", CASES, ids=str)
def test_signature(case):
    assert case.fn.__text_signature__ == f"({case.sig})"
    assert str(inspect.signature(case.fn)) == f"({case.sig})"


@pytest.mark.parametrize("case", CASES, ids=str)
def test_fires_at_completing_bar(case):
    for bars, expected in case.fires:
        assert run(case, columns(bars), **case.kwargs) == [0.0] * (len(bars) - 1) + [expected], bars


@pytest.mark.parametrize("case", CASES, ids=str)
def test_near_miss(case):
    for bars in case.misses:
        assert run(case, columns(bars), **case.kwargs) == [0.0] * len(bars), bars


@pytest.mark.parametrize("case", CASES, ids=str)
def test_warm_up_and_short_inputs(case, ohlcv):
    span = 11 if case.name in ("long_line", "short_line") else case.span
    for n in range(1, max(span, 4) + 2):
        out = run(case, {k: v[:n] for k, v in ohlcv.items()})
        assert len(out) == n
        if case.lead == "nan" and n < span:
            assert all(math.isnan(x) for x in out)
        else:
            assert out[:span - 1] == [0.0] * min(n, span - 1)
            assert set(out) <= case.values


@pytest.mark.parametrize("case", CASES, ids=str)
def test_realistic_bars_give_only_its_verdicts(case, ohlcv):
    out = run(case, ohlcv)
    assert len(out) == len(ohlcv["close"])
    assert set(out[case.span - 1:]) <= case.values


@pytest.mark.parametrize("case", [c for c in CASES if "=" in c.sig], ids=str)
def test_parameter_default_applies_when_omitted_or_none(case, ohlcv):
    pname, default = case.sig.rsplit(", ", 1)[1].split("=")
    default = int(default) if pname == "lookback" else float(default)
    args = [ohlcv[s] for s in case.series]
    expected = case.fn(*args, **{pname: default})
    assert case.fn(*args) == expected
    assert case.fn(*args, None) == expected
    assert case.fn(*args, **{pname: None}) == expected
    with pytest.raises(TypeError, match=f"argument '{pname}'"):
        case.fn(*args, "1")


# ---- validation --------------------------------------------------------------------

def four_series_errors():
    ok = [1.0, 2.0, 3.0, 4.0, 5.0]
    bad = lambda i, v: ok[:i] + [v] + ok[i + 1:]  # noqa: E731
    return [
        ({"open": []}, "Empty input: open cannot be empty"),
        ({"open": bad(3, INF), "high": []}, "Invalid value at index 3: open contains non-finite value: inf"),
        ({"high": [], "low": []}, "Empty input: high cannot be empty"),
        ({"high": ok[:4], "low": bad(0, NAN)}, "Length mismatch: open=5, high=4"),
        ({"low": ok[:4]}, "Length mismatch: open=5, low=4"),
        ({"close": ok + [6.0]}, "Length mismatch: open=5, close=6"),
        ({"low": bad(4, NAN), "close": bad(1, NAN)}, "Invalid value at index 4: low contains non-finite value: NaN"),
        ({"close": bad(2, -INF)}, "Invalid value at index 2: close contains non-finite value: -inf"),
    ], ok


def pair_errors():
    ok = [1.0, 2.0, 3.0, 4.0, 5.0]
    return [
        ({"open": [], "close": []}, "Empty input: open cannot be empty"),
        ({"open": [1.0, NAN, 3.0, 4.0, 5.0], "close": []}, "Invalid value at index 1: open contains non-finite value: NaN"),
        ({"close": []}, "Empty input: close cannot be empty"),
        ({"close": ok[:4]}, "Length mismatch: open=5, close=4"),
        ({"close": [1.0, 2.0, 3.0, 4.0, INF]}, "Invalid value at index 4: close contains non-finite value: inf"),
    ], ok


def triple_errors(x):
    ok = [1.0, 2.0, 3.0, 4.0, 5.0]
    return [
        ({x: [], "close": [], "open": []}, f"Empty input: {x} cannot be empty"),
        ({x: [NAN] * 5, "close": []}, f"Invalid value at index 0: {x} contains non-finite value: NaN"),
        ({"close": [], "open": []}, "Empty input: close cannot be empty"),
        ({"close": ok[:4], "open": []}, f"Length mismatch: {x}=5, close=4"),
        ({"close": [1.0, -INF, 3.0, 4.0, 5.0], "open": []}, "Invalid value at index 1: close contains non-finite value: -inf"),
        ({"open": []}, "Empty input: open cannot be empty"),
        # open's length is compared before its values are scanned
        ({"open": [NAN] * 6}, "Length mismatch: open=6, close=5"),
        ({"open": [1.0, 2.0, 3.0, NAN, 5.0]}, "Invalid value at index 3: open contains non-finite value: NaN"),
    ], ok


def error_cases():
    for case in CASES:
        if case.name in UNVALIDATED:
            continue
        series = case.series
        if series == ["open", "close"]:
            table, ok = pair_errors()
        elif len(series) == 3:
            table, ok = triple_errors(series[1])
        else:
            table, ok = four_series_errors()
        for k, (override, message) in enumerate(table):
            yield pytest.param(case, override, ok, message, id=f"{case.name}-{k}")


@pytest.mark.parametrize("case, override, ok, message", list(error_cases()))
def test_validation_errors(case, override, ok, message):
    cols = {s: override.get(s, ok) for s in case.series}
    with pytest.raises(ValueError) as info:
        run(case, cols)
    assert str(info.value) == message


@pytest.mark.parametrize("case", [c for c in CASES if c.name in UNVALIDATED], ids=str)
def test_unvalidated_detectors_work_on_the_common_length(case):
    # counterattack reads open and close, hikkake high and low; the other two are ignored.
    used = {"counterattack": ("open", "close"), "hikkake": ("high", "low")}[case.name]
    bars, expected = case.fires[0]
    cols = columns(bars)
    longer = dict(cols, **{used[0]: cols[used[0]] + [1.0, 2.0]})
    ignored = {s: ([] if s not in used else longer[s]) for s in case.series}
    assert run(case, ignored) == [0.0] * (len(bars) - 1) + [expected]
    assert run(case, {s: [] for s in case.series}) == []
    poisoned = dict(cols, **{used[1]: [NAN] * len(bars)})
    assert run(case, poisoned) == [0.0] * len(bars)
    assert run(case, dict(cols, **{used[0]: [INF] * len(bars)})) == [0.0] * len(bars)


@pytest.mark.parametrize("case", CASES, ids=str)
def test_series_arguments_reject_text_and_non_sequences(case):
    class Text(str):
        pass

    good = [1.0, 2.0, 3.0]
    for name in case.series:
        for bad in (Text("1.0"), 3.5):
            args = {s: (bad if s == name else good) for s in case.series}
            with pytest.raises(TypeError, match=f"argument '{name}'"):
                case.fn(**args)


# ---- edge cases -----------------------------------------------------------------------

FLAT = B(100, 100, 100, 100)
PERFECT_DOJI = B(100, 105, 95, 100)


@pytest.mark.parametrize("name", ["doji", "dragonfly_doji", "gravestone_doji", "long_legged_doji", "rickshaw_man",
                                  "highwave", "spinning_top", "marubozu", "closing_marubozu"])
def test_flat_bar_needs_a_range(name):
    cols = columns([FLAT, FLAT])
    assert getattr(vl, "py_" + name)(cols["open"], cols["high"], cols["low"], cols["close"]) == [0.0, 0.0]


@pytest.mark.parametrize("name, expected", [("doji", 1.0), ("hammer", 0.0), ("inverted_hammer", 0.0),
                                            ("hanging_man", 0.0), ("shooting_star", 0.0), ("marubozu", 0.0)])
def test_perfect_doji(name, expected):
    o, h, l, c = ([x] for x in PERFECT_DOJI)  # noqa: E741
    assert getattr(vl, "py_" + name)(o, h, l, c) == [expected]


def test_zero_threshold_and_lookback_never_match(ohlcv):
    o, h, l, c = (ohlcv[k] for k in ("open", "high", "low", "close"))  # noqa: E741
    assert vl.py_doji(o, h, l, c, 0.0) == [0.0] * len(c)
    assert vl.py_long_line(o, h, l, c, 0) == [0.0] * len(c)
    assert vl.py_short_line(o, h, l, c, 0) == [0.0] * len(c)
    assert vl.py_long_line(o[:10], h[:10], l[:10], c[:10]) == [0.0] * 10
    # lookback + 1 would wrap to 0 here; the window still never fits
    assert vl.py_short_line(o, h, l, c, 2**64 - 1) == [0.0] * len(c)
    with pytest.raises(OverflowError):
        vl.py_long_line(o, h, l, c, -1)


def test_line_average_excludes_the_bar_itself():
    # A body of 2.5 against a window of bodies 1 and 1: long. Had the bar's own
    # body counted, the mean would be at least 1.5 and 2.5 would not exceed twice that.
    cols = columns(BASE + [B(100, 102.75, 99.75, 102.5)])
    assert vl.py_long_line(cols["open"], cols["high"], cols["low"], cols["close"], 2)[-1] == 1.0
    assert vl.py_long_line(cols["open"], cols["high"], cols["low"], cols["close"], 3) == [0.0] * 3


def test_tweezers_top_needs_positive_highs():
    assert vl.py_tweezers_top([1.0, 2.0], [0.0, 0.0], [2.0, 1.0]) == [0.0, 0.0]


def test_hikkake_mod_marks_only_the_confirming_bar():
    bars = [OUTER, INNER, B(108, 109, 104, 106), B(106, 108, 105, 107)]
    cols = columns(bars)
    assert vl.py_hikkake(**cols)[2] == 1.0
    assert vl.py_hikkake_mod(**cols) == [0.0, 0.0, 0.0, 1.0]
