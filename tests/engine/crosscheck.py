#!/usr/bin/env python3
"""Differential check of the analysis engine against an independent model.

The model below is written from the rules in numeric_text.h and
position_analysis.h alone, in plain Python: float is an IEEE double and
decimal gives the exact 15-digit rounding. Generated cases go to field_runner
(which links the real engine) and every answer must match the model's:
the thirteen field texts, which fields were written in which order, and the
fault kind and step.
"""

import argparse
import decimal
import math
import random
import re
import struct
import subprocess
import sys
import time

# --- model ------------------------------------------------------------------


class Fault(Exception):
    def __init__(self, kind):
        super().__init__(kind)
        self.kind = kind


NUMBER = re.compile(rb'([+-]?)([0-9]*)(?:\.([0-9]*))?')
EXPONENT = re.compile(rb'[eE]([+-]?)([0-9]+)')
HEX_DIGITS = re.compile(rb'[0-9A-Fa-f]*')
OCT_DIGITS = re.compile(rb'[0-7]*')
# More digits than any double's halfway point needs (767); past them only
# whether the rest is zero matters.
KEPT_DIGITS = 800
HUGE_EXPONENT = 10 ** 12
# Exact for every sum and midpoint of doubles the generators build.
decimal.getcontext().prec = 2000
# An exact tie at the sixteenth digit goes away from zero.
FIFTEEN = decimal.Context(prec=15, rounding=decimal.ROUND_HALF_UP,
                          Emax=10 ** 6, Emin=-10 ** 6)


# What a full-width input method types stands for ASCII; the ideographic
# space is a blank. Bytes that are not well-formed UTF-8 stay as they are
# (surrogateescape) and end the number like any other character.
FULL_WIDTH = {c: c - 0xFEE0 for c in range(0xFF01, 0xFF5F)}
FULL_WIDTH[0x3000] = ord(' ')


def textToNumber(text):
    t = text.decode('utf-8', 'surrogateescape').translate(FULL_WIDTH)
    t = t.encode('utf-8', 'surrogateescape').translate(None, b' \t\n')
    if t[:2] in (b'&H', b'&h', b'&O', b'&o'):
        hexa = t[1:2] in (b'H', b'h')
        digits = (HEX_DIGITS if hexa else OCT_DIGITS).match(t, 2).group()
        if not digits:
            return 0.0
        try:
            return float(int(digits, 16 if hexa else 8))
        except OverflowError:
            raise Fault('Overflow') from None
    m = NUMBER.match(t)
    sign, whole, frac = m.group(1), m.group(2), m.group(3) or b''
    if not whole and not frac:
        return 0.0
    exp = 0
    e = EXPONENT.match(t, m.end())
    if e:
        edigits = e.group(2).lstrip(b'0')
        exp = int(edigits or b'0') if len(edigits) < 13 else HUGE_EXPONENT
        if e.group(1) == b'-':
            exp = -exp
    exp -= len(frac)
    digits = (whole + frac).lstrip(b'0')
    if not digits:
        return 0.0
    if len(digits) > KEPT_DIGITS:
        kept = digits[:KEPT_DIGITS]
        if digits[KEPT_DIGITS:].strip(b'0'):
            kept += b'1'
        exp += len(digits) - len(kept)
        digits = kept
    v = float('%se%d' % (digits.decode(), exp))
    if math.isinf(v):
        raise Fault('Overflow')
    if v == 0:
        return 0.0
    return -v if sign == b'-' else v


def numberToText(x):
    if math.isnan(x):
        return b'NaN'
    if math.isinf(x):
        return b'Infinity' if x > 0 else b'-Infinity'
    if x == 0:
        return b'0'
    sign, digs, e = FIFTEEN.create_decimal_from_float(x).as_tuple()
    adj = e + len(digs) - 1
    d = ''.join(map(str, digs)).rstrip('0')
    if adj >= 15 or (adj < -4 and len(d) - adj - 1 > 15):
        mant = d[0] + ('.' + d[1:] if len(d) > 1 else '')
        body = '%sE%s%02d' % (mant, '-' if adj < 0 else '+', abs(adj))
    elif adj < 0:
        body = '0.' + '0' * (-adj - 1) + d
    else:
        frac = d[adj + 1:]
        body = d[:adj + 1].ljust(adj + 1, '0') + ('.' + frac if frac else '')
    return (('-' if sign else '') + body).encode()


def settle(x):
    if math.isnan(x):
        raise Fault('InvalidOperation')
    if math.isinf(x):
        raise Fault('Overflow')
    return textToNumber(numberToText(x))


def floorToInteger(x):
    return float(math.floor(x)) if math.isfinite(x) else x


def roundTo2(x):
    if not math.isfinite(x) or x == math.floor(x):
        return x
    return float(round(x * 100.0)) / 100.0


def checked(r):
    if math.isinf(r):
        raise Fault('Overflow')
    return r


def add(a, b):
    return checked(a + b)


def sub(a, b):
    return checked(a - b)


def mul(a, b):
    return checked(a * b)


def div(a, b):
    if b == 0:
        raise Fault('InvalidOperation' if a == 0 else 'DivisionByZero')
    return checked(a / b)


MSG_TOO_MANY_LOTS = '开仓手数过大'.encode()
P, R, E, X, N, D = range(6)
T7, T8, T9, T10, T11, T12, T13 = range(6, 13)
# Which inputs each step's value depends on, directly or through earlier steps.
STEP_INPUTS = {1: {R}, 2: {R, E}, 3: {P, R, E}, 4: {P, R, E, N}, 5: {E, X, N},
               6: {E, N, D}, 7: {E, X, N}, 8: {E, X, N, D}, 9: {E},
               10: {E, D}, 11: {E, D}, 12: {E, D}, 13: {E, D}, 14: {E, N},
               15: {E, N}, 16: {P, E, N}, 17: {E, N}, 18: {P, E, N},
               19: {E, D}}


def analyse(fields):
    """Runs the nineteen steps over a list of 13 texts, in place.

    Returns (order of fields written, None or (fault kind, step)).
    """
    written = []
    step = 0

    def read(i):
        return textToNumber(fields[i])

    def write(i, x):
        fields[i] = x if isinstance(x, bytes) else numberToText(x)
        written.append(i)

    try:
        step = 1
        ratio = settle(div(read(R), 100.0))
        step = 2
        marginPerLot = mul(mul(read(E), 15.0), ratio)
        step = 3
        maxLots = settle(div(read(P), settle(marginPerLot)))
        step = 4
        lots = read(N)
        write(T7, MSG_TOO_MANY_LOTS if maxLots <= lots else floorToInteger(maxLots))
        step = 5
        commission = settle(mul(mul(settle(add(read(E), read(X))), 0.012), read(N)))
        write(T9, commission)
        step = 6
        write(T10, settle(mul(mul(mul(read(E), 0.003), read(N)), read(D))))
        step = 7
        grossPL = settle(mul(mul(abs(settle(sub(read(E), read(X)))), 15.0), read(N)))
        step = 8
        netPL = settle(sub(sub(grossPL, textToNumber(fields[T9])), textToNumber(fields[T10])))
        write(T8, netPL)
        step = 9
        lotCost = settle(mul(mul(mul(read(E), 15.0), 0.0008), 2.0))
        step = 10
        lotHolding = settle(mul(mul(mul(read(E), 15.0), 0.0002), read(D)))
        step = 11
        lotTotal = settle(add(lotCost, lotHolding))
        step = 12
        unitCost = settle(div(lotTotal, 15.0))
        step = 13
        write(T11, floorToInteger(settle(add(add(read(E), unitCost), 1.0))))
        step = 14
        openCommission = settle(mul(mul(mul(read(E), 15.0), 0.0008), read(N)))
        step = 15
        deductions = settle(add(settle(mul(read(N), 150.0)), openCommission))
        step = 16
        equity = settle(sub(read(P), deductions))
        step = 17
        riskBase = settle(mul(mul(mul(read(E), 0.0008), 15.0), read(N)))
        step = 18
        write(T12, roundTo2(settle(div(equity, riskBase))))
        step = 19
        write(T13, floorToInteger(settle(sub(read(E), unitCost))))
    except Fault as f:
        return written, (f.kind, step)
    return written, None


# The header examples and what they read as (None: Overflow), so that the
# model itself is known to read them right; they open the edge texts below.
TEXT_EXAMPLES = dict([(b' 1 2 5', 125), (b'2 50', 250), (b'\t7\n', 7), (b'-3.5', -3.5), (b'+7', 7),
                 (b'.5', 0.5), (b'5.', 5), (b'1e2', 100), (b'1.2.3', 1.2), (b'1,000', 1),
                 (b'12%', 12), ('50元'.encode(), 50), (b'3.14e', 3.14), (b'12E+', 12),
                 (b'1e2.5', 100), (b'', 0), (b'abc', 0), (b'-', 0), (b'.', 0),
                 ('元12'.encode(), 0), (b'.e5', 0), ('９５０'.encode(), 950), ('９５０．５'.encode(), 950.5),
                 ('　９ ５０'.encode(), 950), ('－３．５'.encode(), -3.5), ('１，０００'.encode(), 1),
                 ('９5０'.encode(), 950), ('９５０。'.encode(), 950), ('＆Ｈ１０'.encode(), 16),
                 (b'9\xef\xbc', 9), (b'1\r5', 1), (b'1\xc2\xa05', 1),
                 (b'1E999', None), (b'-1E999', None), (b'1.7976931348623158E308', 1.7976931348623157e308),
                 (b'1E-999', 0), (b'5E-324', 5e-324), (b'-0', 0), (b'-1E-999', 0), (b'&H10', 16),
                 (b'&hff', 255), (b'&O17', 15), (b'&H1G', 1), (b'&O78', 7),
                 (b'&HFFFFFFFF', 4294967295), (b'-&H10', 0), (b'1&H10', 1), (b'&H', 0), (b'&', 0)])
NUMBER_EXAMPLES = [(311069845525908.5, '311069845525909'), (-311069845525908.5, '-311069845525909'),
                   (1000000000000005, '1.00000000000001E+15'), (2.0 ** -22, '2.38418579101563E-07'),
                   (0.3000000000000005, '0.3'), (1000000000000015, '1.00000000000002E+15'),
                   (90, '90'), (242.4, '242.4'), (40 / 3, '13.3333333333333'), (-0.5, '-0.5'),
                   (26.676, '26.676'), (0.000929126239957016, '0.000929126239957016'),
                   (999999999999999, '999999999999999'), (999999999999999.9, '1E+15'),
                   (0.00001, '0.00001'), (5.6789E-11, '0.000000000056789'),
                   (5.6789E-12, '5.6789E-12'), (1.23456789012345E-05, '1.23456789012345E-05'),
                   (1E15, '1E+15'), (1.2E15, '1.2E+15'), (1E-16, '1E-16'), (1E308, '1E+308'),
                   (0.0123456789012345, '0.0123456789012345'), (-0.0, '0'), (math.inf, 'Infinity'),
                   (-math.inf, '-Infinity'), (math.nan, 'NaN')]
SETTLE_EXAMPLES = [(0.1 + 0.2, 0.3), (0.8999999999999999, 0.9), (950 / 75, 12.6666666666667),
                   (-0.0, 0.0), (1.7976931348623157e308, None)]
ROUND_EXAMPLES = [(829.833333333333, 829.83), (0.125, 0.12), (0.375, 0.38), (2.675, 2.68),
                  (0.285, 0.28), (8.345, 8.35), (2.0 ** 60, 2.0 ** 60)]
FLOOR_EXAMPLES = [(13.3333333333333, 13), (-2.5, -3), (-0.5, -1), (5, 5)]


def selfTest():
    def value(f, x):
        try:
            return bitsOf(f(x))
        except Fault:
            return None

    def want(y):
        return None if y is None else bitsOf(float(y))

    bad = [(t, v) for t, v in TEXT_EXAMPLES.items() if value(textToNumber, t) != want(v)]
    bad += [(x, t) for x, t in NUMBER_EXAMPLES if numberToText(x) != t.encode()]
    bad += [(x, y) for x, y in SETTLE_EXAMPLES if value(settle, x) != want(y)]
    bad += [(x, y) for x, y in ROUND_EXAMPLES if value(roundTo2, x) != want(y)]
    bad += [(x, y) for x, y in FLOOR_EXAMPLES if value(floorToInteger, x) != want(y)]
    worked = modelRun(WORKED + [b''] * 7).split()
    texts = [dec(t).decode() for t in worked[6:13]]
    if texts != ['12', '26.676', '2.424', '0.9', '51', '540.67', '49']:
        bad.append(('worked example', texts))
    return bad


# --- line format shared with field_runner --------------------------------------


def enc(text):
    return text.hex() if text else '-'


def dec(token):
    return b'' if token == '-' else bytes.fromhex(token)


def bitsOf(x):
    return '%016x' % struct.unpack('<Q', struct.pack('<d', x))[0]


def fromBits(b):
    return struct.unpack('<d', struct.pack('<Q', b))[0]


def faultText(kind, step):
    return '%s %d' % (kind, step)


def modelRun(texts):
    fields = list(texts)
    written, fault = analyse(fields)
    out = [enc(t) for t in fields]
    out.append(','.join(str(i + 1) for i in written) or '-')
    out.append(faultText(*fault) if fault else 'ok')
    return ' '.join(out)


def modelText(text):
    try:
        return bitsOf(textToNumber(text))
    except Fault as f:
        return faultText(f.kind, 0)


def modelNumber(bits):
    x = fromBits(bits)
    try:
        s = bitsOf(settle(x))
    except Fault as f:
        s = faultText(f.kind, 0)
    if not math.isfinite(x):
        return '%s %s - -' % (enc(numberToText(x)), s)
    # The sign of a zero from floor or rounding is not part of the contract.
    return '%s %s %s %s' % (enc(numberToText(x)), s, bitsOf(floorToInteger(x) + 0.0),
                            bitsOf(roundTo2(x) + 0.0))


def modelSteps():
    return ' '.join(','.join(str(i + 1) for i in sorted(STEP_INPUTS.get(s, ()))) or '-'
                    for s in range(0, 21))


# --- generators -------------------------------------------------------------

FULLWIDTH = '１２３４５６７８９０．'.encode()
ODD_PIECES = [b' ', b'\t', b'\n', b'\r', b',', b'%', b'.', b'e', b'E', b'+', b'-',
              b'&', b'H', b'O', b'h', b'o', b'x', b'\xc2\xa0', '\u3000'.encode(),
              '元'.encode(), '１'.encode(), '．'.encode(), b'\xff', b'\x80', b'\x00',
              b'\xe5\x85', b'D', b'd', b'0', b'00', b'5', b'9', b'12', b'F', b'7', b'8',
              b'\xef\xbc', b'\xef\xbc\x80', b'\xef\xbd\x9f', b'\xe3\x80', '。'.encode(),
              '，'.encode(), '－'.encode(), '＋'.encode(), 'Ｅ'.encode(), 'ｅ'.encode(),
              '＆'.encode(), 'Ｈ'.encode(), 'ｏ'.encode(), 'Ｆ'.encode(), '０'.encode()]
# With the header's examples, the texts both the cross-check and the text
# fuzzer's seed corpus (--write-corpus) start from.
EDGE_TEXTS = list(TEXT_EXAMPLES) + [
    b' ', b'  \t\n ', b'+0', b'12e-', b'+', b'-.5', b'+-1', b'+-5', b'--1', b'1-', b'1e+-5',
    b'1E+-5', b'\r12', b'12\r', b'1\r2', b'12\r34', b'12\x0034', b'1\x01\x02\x7f2',
    b'1\xc2\xa02', '１２'.encode(), '12．5'.encode(), b'\xff12', b'12\xff', b'7\xff\xfe\xc0\xaf8',
    b'9\xe5\x85', '９'.encode() + b'\xef\xbc', '９'.encode() + b'\xef\xbc\x80\xef\xbd\x9f',
    '＆ｈ１Ｆ'.encode(), '９5０ｅ1'.encode(), '－９５０．５Ｅ＋２'.encode(), '1\u30002'.encode(),
    '\u3000９\u3000５０\u3000'.encode(), b'950', b'&o17', b'&O', b'&X10', b'+&H10', b' &H10',
    b'& H10', b'&H 1 0', b' &H 1 0', b'&H1234567890ABCDEF1234567890ABCDEF12345678',
    b'&H' + b'F' * 256, b'&H' + b'F' * 255, b'&H' + b'0' * 300 + b'1', b'&H1' + b'0' * 260,
    b'&O' + b'7' * 342, b'&O' + b'7' * 341, b'&O1' + b'0' * 341,
    b'&H1' + b'0' * 255, b'&HFFFFFFFFFFFFF8' + b'0' * 242,
    b'&HFFFFFFFFFFFFF7' + b'F' * 242, b'&H20000000000001', b'&H20000000000003',
    b'1E99999999999999999999', b'-1E99999999999999999999', b'.e99999', b'0e99999',
    b'1E-99999999999999999999', b'0E99999999999999999999', b'0.0E999',
    b'1E308', b'1.7976931348623157E308', b'1.7976931348623159E308',
    b'1.797693134862315807937289714053E308', b'1.797693134862315807937289714054E308',
    b'179769313486232' + b'0' * 294, b'2E-324', b'2.4703282292062327E-324',
    b'2.4703282292062328E-324', b'3E-324', b'2.2250738585072011E-308',
    b'2.2250738585072014E-308', b'4.9E-324', b'9007199254740993',
    b'0.1000000000000000055511151231257827021181583404541015625000001',
    b'1' * 5000, b'0.' + b'0' * 5000 + b'1', b'1' + b'0' * 400 + b'E-400',
    b'0' * 10000 + b'7', b'1.' + b'0' * 799 + b'1', b'1' + b'0' * 799 + b'1E-800',
    b'1' + b'0' * 799 + b'5' + b'0' * 30 + b'E-830', b'9' * 309, b'9' * 308,
    b'1e0000000000000000000000002', b'1E0000000000000000000000000000002',
    b'0.0001', b'0.00009999999999999995', b'0.000099999999999999949',
    b'999999999999999.5', b'999999999999999.4', b'1E15', b'1000000000000005',
    b'1000000000000015', b'1E-16', b'0.000000000000001', b'1.23456789012345E-05',
    b'0.000000000056789', b'NaN', b'Infinity', b'inf', b'0x10', b'1d2', b'1_000']

# Exact binary midpoint of the two smallest subnormals and of DBL_MAX and 2^1024:
# ties that must go to the even neighbour.
HALF_SUBNORMAL = decimal.Decimal(fromBits(1)) / 2
HALF_ABOVE_MAX = decimal.Decimal(fromBits(0x7fefffffffffffff)) + decimal.Decimal(2) ** 970
EDGE_TEXTS += [str(HALF_SUBNORMAL).encode(), (str(HALF_SUBNORMAL) + '1').encode(),
               format(HALF_ABOVE_MAX, 'f').encode(),
               format(HALF_ABOVE_MAX - 1, 'f').encode(),
               (format(HALF_ABOVE_MAX - 1, 'f') + '.99999999999999999999').encode()]


def randomDouble(rng):
    """A finite double from a mix of shapes that hit the formatting edges."""
    k = rng.randrange(12)
    if k == 0:
        x = fromBits(rng.getrandbits(64))
        return x if math.isfinite(x) else 1.0
    if k == 1:  # subnormal or near the smallest normal
        return fromBits(rng.getrandbits(52) | (rng.randrange(2) << 63)
                        | (rng.randrange(3) << 52))
    if k == 2:  # near the largest double, where settle overflows
        return fromBits(0x7fefffffffffffff - rng.randrange(20000))
    if k == 3:  # within a few ulps of a formatting threshold
        base = rng.choice([1e-4, 1e15, 1e-5, 1e-15, 1e-16, 1e14, 1.0, 0.1,
                           999999999999999.0, 9.99999999999999e-05, 2.0 ** 52, 2.0 ** 53,
                           2.0 ** 51, 1e16, 1e21, 1e22, 1e-20])
        bits = struct.unpack('<Q', struct.pack('<d', base))[0] + rng.randrange(-50, 51)
        return fromBits(bits) * rng.choice([1, -1])
    if k == 4:  # exact tie at the sixteenth digit
        return tieDouble(rng)
    if k == 5:  # whole numbers, including where x * 100 is inexact
        return float(rng.randrange(-2 ** 53, 2 ** 53) >> rng.randrange(54))
    if k == 6:  # cent fractions near a half, where roundTo2 decides
        return (rng.randrange(-10 ** 7, 10 ** 7) + rng.choice([0.005, 0.015, 0.125, 0.375,
                                                              0.285, 0.345, 0.675])) \
            * rng.choice([1, 0.01, 1e-3, 1e5, 1e9])
    if k == 7:  # short decimals, the common case
        return float('%de%d' % (rng.randrange(1, 10 ** rng.randrange(1, 16)),
                                rng.randrange(-30, 20)))
    if k == 8:  # sixteen and seventeen digits
        return float('%de%d' % (rng.randrange(10 ** 15, 10 ** 17), rng.randrange(-340, 300)))
    if k == 9:  # results of the arithmetic the analysis does
        a, b = rng.uniform(-1e6, 1e6), rng.uniform(-1e3, 1e3) or 1.0
        return rng.choice([a / b, a * b, a + b, a * 0.0008 * 15, a / 15, a * 0.012])
    if k == 10:
        return rng.choice([0.0, -0.0, 0.1 + 0.2, 0.8999999999999999, 950 / 75, 40 / 3,
                           26.676, 2.675, 0.285, 8.345, -0.001, -0.5, -2.5, 5e-324,
                           2.2250738585072014e-308, 1.7976931348623157e308, 1e308, 1e-300])
    return fromBits(rng.getrandbits(63) & 0x7fefffffffffffff) * rng.choice([1, -1])


def tieDouble(rng):
    while True:
        if rng.randrange(2):
            # 16-digit integers ending in 5, times an even power of ten
            s = '%d5%s' % (rng.randrange(10 ** 14, 10 ** 15), '0' * rng.randrange(0, 6))
        else:
            # an integer part and a dyadic fraction, 16 digits in all
            k = rng.randrange(1, 12)
            frac = decimal.Decimal(rng.randrange(1, 2 ** k, 2)) / (2 ** k)
            s = '%d%s' % (rng.randrange(10 ** (15 - k), 10 ** (16 - k)),
                          str(frac)[1:]) if k < 15 else str(frac)
        x = float(s)
        if decimal.Decimal(x) == decimal.Decimal(s):
            return x * rng.choice([1, -1])


def numberLikeText(rng):
    """Texts in the shape a number takes, well or badly formed."""
    k = rng.randrange(8)
    if k == 0:
        return repr(randomDouble(rng)).encode()
    if k == 1:
        return numberToText(randomDouble(rng))
    if k == 2:  # a value just off the midpoint of two neighbouring doubles
        x = abs(randomDouble(rng))
        y = math.nextafter(x, math.inf)
        if not math.isfinite(y):
            return b'1E309'
        mid = (decimal.Decimal(x) + decimal.Decimal(y)) / 2
        mid += mid * rng.choice([0, 0, 1, -1]) * decimal.Decimal('1E-30')
        s = format(mid, 'E' if rng.randrange(2) else 'f')
        return s.encode()
    if k == 3:  # digits, point and exponent in random amounts
        s = ''.join(rng.choice('0123456789') for _ in range(rng.randrange(0, 40)))
        if rng.randrange(2):
            cut = rng.randrange(len(s) + 1)
            s = s[:cut] + '.' + s[cut:]
        if rng.randrange(2):
            s += rng.choice('eE') + rng.choice(['', '+', '-']) + str(
                rng.choice([0, 1, 5, 15, 16, 300, 308, 309, 323, 324, 400, 10 ** 20]))
        return (rng.choice(['', '', '-', '+']) + s).encode()
    if k == 4:  # hexadecimal and octal
        hexa = rng.randrange(2)
        n = rng.getrandbits(rng.choice([8, 32, 53, 54, 64, 100, 1023, 1024, 1025]))
        s = ('%x' if hexa else '%o') % n
        if rng.randrange(2):
            s = s.upper()
        return ('&' + rng.choice('Hh' if hexa else 'Oo') + s).encode()
    if k == 5 and rng.randrange(2):
        return longDigits(rng)
    if k == 5:  # an edge text with noise around it
        return rng.choice(EDGE_TEXTS) + b''.join(
            rng.choice(ODD_PIECES) for _ in range(rng.randrange(3)))
    if k == 6:
        return b''.join(rng.choice(ODD_PIECES) for _ in range(rng.randrange(1, 10)))
    return rng.choice(EDGE_TEXTS)


def longDigits(rng):
    """Hundreds of digits around a rounding decision: a midpoint of two doubles or a
    short number, padded with zeros past what a reader keeps, then a late digit."""
    x = abs(randomDouble(rng))
    y = math.nextafter(x, math.inf)
    if rng.randrange(2) and math.isfinite(y):
        sign, digits, exp = ((decimal.Decimal(x) + decimal.Decimal(y)) / 2).as_tuple()
        body = ''.join(map(str, digits))
    else:
        body, exp = str(rng.randrange(1, 10 ** rng.randrange(1, 20))), rng.randrange(-30, 30)
    lead = '0' * rng.randrange(0, 20)
    pad = '0' * max(rng.choice([0, rng.randrange(700, 900), rng.randrange(0, 1600)]) - len(body), 0)
    late = rng.choice(['', '', '1', '5', '9', '0' * rng.randrange(1, 40) + '3'])
    full = lead + body + pad + late + '0' * rng.choice([0, 0, rng.randrange(1, 20)])
    exp -= len(full) - len(lead + body)
    point = rng.randrange(len(full) + 1)
    text = full[:point] + '.' + full[point:] + 'E%d' % (exp + len(full) - point)
    return text.encode()


def widen(rng, text):
    """Some characters as a full-width input method types them."""
    out = []
    for c in text:
        if rng.randrange(2) and 0x21 <= c <= 0x7e:
            out.append(chr(c + 0xFEE0).encode())
        elif c == 0x20 and rng.randrange(2):
            out.append('\u3000'.encode())
        else:
            out.append(bytes([c]))
    return b''.join(out)


def sprinkle(rng, text):
    """Blanks inside a number, junk after it, or full-width characters."""
    r = rng.randrange(10)
    if r == 2 and len(text) < 5000:
        return widen(rng, text)
    if r == 3 and text:
        i = rng.randrange(len(text) + 1)
        return text[:i] + '\u3000'.encode() + text[i:]
    if r == 0 and text:
        i = rng.randrange(len(text) + 1)
        return text[:i] + rng.choice([b' ', b'\t', b'\n', b'  ']) + text[i:]
    if r == 1:
        return text + rng.choice(ODD_PIECES)
    return text


def decimalText(rng, lo, hi, places):
    v = math.exp(rng.uniform(math.log(lo), math.log(hi)))
    return ('%.*f' % (rng.randrange(places + 1), v)).encode()


def realisticTrade(rng):
    entry = decimalText(rng, 0.01, 1e6, 4)
    e = float(entry)
    exitp = ('%.*f' % (rng.randrange(5), e * rng.uniform(0.9, 1.1))).encode()
    lots = rng.choice([str(rng.randrange(0, 100)), str(rng.randrange(1, 5000)),
                       '%.1f' % rng.uniform(0, 50), '', '0', '1', '2.5']).encode()
    return [decimalText(rng, 100, 1e9, 2),
            rng.choice([b'5', b'8', b'10', b'12', b'15', b'20', b'7.5', b'100']),
            entry, exitp, lots,
            rng.choice([str(rng.randrange(0, 366)), '%.2f' % rng.uniform(0, 30), '', '1']).encode()]


EXTREMES = [b'1E300', b'1E308', b'-1E308', b'1E-300', b'5E-324', b'0', b'', b'1', b'-1',
            b'1.7976931348623157E308', b'-1.7976931348623157E308', b'8E307', b'-8E307',
            b'1E155', b'-1E154', b'1E-160', b'1E-5', b'1E200', b'1E108', b'-1E200']
WORKED = [b'950', b'10', b'50', b'51', b'2', b'3']


def scaled(rng, lo, hi):
    return rng.uniform(1, 10) * 10.0 ** rng.randrange(lo, hi + 1) * rng.choice([1, -1])


def lateFault(rng):
    """Magnitudes that let a run get past the early steps and overflow a later one."""
    big = 1.7976931348623157e308
    e = scaled(rng, 296, 306)
    k = rng.randrange(3)
    if k == 0:
        x = rng.choice([e, -e, scaled(rng, 296, 306), 0.0])
        values = [scaled(rng, 300, 307), rng.choice([10.0, scaled(rng, -5, 5)]), e, x,
                  scaled(rng, -3, 10), scaled(rng, -3, 10)]
    elif k == 1:  # lotCost + lotHolding at the top of the range
        e = rng.uniform(1e306, 1.19e307) * rng.choice([1, -1])
        values = [1e10, 10.0, e, e, rng.choice([0.5, 0.0, 1.0]),
                  big / (abs(e) * 0.003) * (1 - rng.uniform(0, 0.002))]
    else:  # commission and holding fee read back and subtracted together
        share = rng.uniform(0.3, 0.9)
        lots = big * share / (0.024 * abs(e))
        days = big * (1 - share + rng.uniform(-0.01, 0.01)) / (0.003 * abs(e) * lots)
        values = [1e10, 10.0, e, e, lots, days]
    return [(repr(v) if rng.randrange(2) else numberToText(v).decode()).encode()
            for v in values]


def runCase(rng):
    k = rng.randrange(11)
    if k == 10:
        return lateFault(rng) + [b'old'] * 7
    if k < 2:
        inputs = list(WORKED)
        inputs[rng.randrange(6)] = numberLikeText(rng)
    elif k < 6:
        inputs = realisticTrade(rng)
        for i in range(6):
            if rng.randrange(8) == 0:
                inputs[i] = numberLikeText(rng)
    elif k < 8:
        inputs = [numberLikeText(rng) if rng.randrange(3) else decimalText(rng, 1e-3, 1e8, 3)
                  for _ in range(6)]
    else:  # extreme magnitudes that push the steps to overflow and underflow
        inputs = [rng.choice(EXTREMES + [numberToText(randomDouble(rng))]) for _ in range(6)]
    inputs = [sprinkle(rng, t) for t in inputs]
    prior = [rng.choice([b'', b'old', ('旧%d' % i).encode(), b'\xff\n\r', b'12']) for i in range(7)]
    return inputs + prior


# --- comparison -------------------------------------------------------------


# The words that start a cross-built runner, e.g. ['wine']; empty for a native one.
EMULATOR = []
RUNNER_DIED = 'runner died'


def engine(runner, lines):
    data = ''.join(line + '\n' for line in lines).encode()
    proc = subprocess.run(EMULATOR + [runner], input=data, stdout=subprocess.PIPE, check=False)
    # A Windows runner ends its lines with \r\n; no answer holds a \r itself.
    out = proc.stdout.decode().replace('\r\n', '\n').split('\n')[:-1]
    if proc.returncode != 0 or len(out) != len(lines):
        out += ['%s (exit %d)' % (RUNNER_DIED, proc.returncode)] * (len(lines) - len(out))
    return out


def shrinkRun(runner, texts):
    """Simplifies a mismatching run field by field while it still mismatches."""
    texts = list(texts)
    for i in range(13):
        for candidate in (b'', b'0', b'1'):
            if texts[i] == candidate:
                break
            trial = texts[:i] + [candidate] + texts[i + 1:]
            line = 'R ' + ' '.join(enc(t) for t in trial)
            if engine(runner, [line])[0] != modelRun(trial):
                texts = trial
                break
    return texts


def clip(text, limit=120):
    r = repr(text)[2:-1] if isinstance(text, bytes) else text
    return r if len(r) <= limit else '%s...(%d bytes)...%s' % (r[:limit // 2], len(text),
                                                              r[-limit // 2:])


def show(texts):
    return ' | '.join(clip(t) for t in texts)


def readable(answer):
    """An answer line with its texts decoded, results only for a run."""
    if answer.startswith(RUNNER_DIED):
        return answer
    tokens = answer.split(' ')
    if len(tokens) >= 15:  # a run: 13 texts, written fields, outcome
        return '%s  written %s  %s' % (' | '.join(clip(dec(t).decode('utf-8', 'replace'))
                                                  for t in tokens[6:13]), tokens[13],
                                       ' '.join(tokens[14:]))
    if len(tokens) == 4:  # a number: its text, settle, floor, roundTo2
        return ' '.join([repr(dec(tokens[0]).decode())] + [
            repr(fromBits(int(t, 16))) if len(t) == 16 else t for t in tokens[1:]])
    if len(tokens) == 1 and len(tokens[0]) == 16:
        return '%s (%r)' % (tokens[0], fromBits(int(tokens[0], 16)))
    return answer


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument('--runner', help='path of field_runner')
    ap.add_argument('--write-corpus', metavar='DIR',
                    help='write the edge texts to DIR as seed files of the text fuzzer, and stop')
    ap.add_argument('--emulator', action='append', default=[],
                    help='command word that starts the runner (repeat for each word), e.g. wine')
    ap.add_argument('--runs', type=int, default=20000)
    ap.add_argument('--conversions', type=int, default=50000)
    ap.add_argument('--seed', type=int, default=20240601)
    ap.add_argument('--show', type=int, default=5, help='mismatches to print per kind')
    ap.add_argument('--batch', type=int, default=20000)
    args = ap.parse_args()
    if args.write_corpus:
        for i, text in enumerate(EDGE_TEXTS):
            with open('%s/edge-%03d' % (args.write_corpus, i), 'wb') as f:
                f.write(text)
        return 0
    if not args.runner:
        ap.error('--runner is required')
    EMULATOR[:] = args.emulator
    wrong = selfTest()
    if wrong:
        print('crosscheck: the model disagrees with the header examples: %r' % wrong)
        return 2
    rng = random.Random(args.seed)
    start = time.time()
    counts = {}
    mismatches = {}

    def check(kind, cases, toLine, model, describe):
        for at in range(0, len(cases), args.batch):
            chunk = cases[at:at + args.batch]
            got = engine(args.runner, [toLine(c) for c in chunk])
            for case, answer in zip(chunk, got):
                counts[kind] = counts.get(kind, 0) + 1
                want = model(case)
                if answer != want:
                    mismatches.setdefault(kind, []).append((case, want, answer))
                    if len(mismatches[kind]) <= args.show:
                        print('MISMATCH %s: %s\n  model:  %s\n  engine: %s'
                              % (kind, describe(case), readable(want), readable(answer)))

    texts = list(EDGE_TEXTS) + [numberLikeText(rng) for _ in range(args.conversions)]
    # A megabyte pasted into a field must read in linear time, and exactly.
    texts += [b'1' * 1000000, b'0.' + b'0' * 1000000 + b'1E1000300', b'&H' + b'0' * 1000000 + b'1',
              b'1' * 1000000 + b'E-1000000', b' 9' * 500000]
    texts += [widen(rng, t) for t in texts[:len(EDGE_TEXTS)] if len(t) < 5000]
    check('text', texts, lambda t: 'T ' + enc(t), modelText, clip)
    doubles = [randomDouble(rng) for _ in range(args.conversions)]
    numbers = [struct.unpack('<Q', struct.pack('<d', x))[0] for x in doubles]
    numbers += [0x7ff0000000000000, 0xfff0000000000000, 0x7ff8000000000000, 0xfff8000000000001,
                0x8000000000000000]
    check('number', numbers, lambda b: 'N %016x' % b, modelNumber,
          lambda b: '%016x (%r)' % (b, fromBits(b)))
    check('steps', [None], lambda _: 'S', lambda _: modelSteps(), lambda _: 'inputsOfStep 0..20')
    runs = [WORKED + [b''] * 7] + [runCase(rng) for _ in range(args.runs)]
    check('run', runs, lambda c: 'R ' + ' '.join(enc(t) for t in c), modelRun, show)

    for c, _, _ in mismatches.get('run', [])[:args.show]:
        small = shrinkRun(args.runner, c)
        print('SHRUNK run: %s\n  model:  %s\n  engine: %s'
              % (show(small), readable(modelRun(small)), readable(engine(args.runner, [
                  'R ' + ' '.join(enc(t) for t in small)])[0])))
    total = sum(counts.values())
    bad = sum(len(m) for m in mismatches.values())
    print('crosscheck: %d cases (%s), %d mismatches (%s), seed %d, %.1f s'
          % (total, ', '.join('%s %d' % kv for kv in counts.items()), bad,
             ', '.join('%s %d' % (k, len(m)) for k, m in mismatches.items()) or 'none',
             args.seed, time.time() - start))
    return 1 if bad else 0


if __name__ == '__main__':
    sys.exit(main())
