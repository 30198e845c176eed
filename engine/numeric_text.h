#pragma once

#include "analysis_error.h"

#include <string>
#include <string_view>

// Conversions between the texts a trader types or reads and the doubles the
// analysis computes with. The result of every step of the analysis passes
// through its 15-significant-digit text, so these rules are part of the
// arithmetic. None of them depends on the C or C++ locale: '.' is the only
// decimal point, even where the process locale says ','.
namespace quanvik {

// textToNumber: the number a text begins with. Never rejects text.
//
//   The text is UTF-8. What a Chinese input method types in full-width mode
//   reads as what it stands for: the full-width forms U+FF01..U+FF5E as the
//   ASCII characters 0x21..0x7E, so '９' is '9', '．' is '.', '－' is '-',
//   'Ｅ' is 'E' and '＆Ｈ' is '&H'; the ideographic space U+3000 is a blank.
//     '９５０' -> 950   '９５０．５' -> 950.5   '－３．５' -> -3.5   '９5０' -> 950
//   Blanks, tabs, line feeds and ideographic spaces are removed first,
//   wherever they stand. No other character is a blank: carriage return,
//   no-break space and every other character end the number, as do the
//   ideographic full stop, the full-width comma and a cut or malformed UTF-8
//   sequence.
//     ' 1 2 5' -> 125          '2 50' -> 250          '\t7\n' -> 7
//     '　９ ５０' -> 950   '１，０００' -> 1   '９５０。' -> 950   '1\r5' -> 1
//   An optional sign, digits with at most one '.', then an optional exponent:
//   E or e, an optional sign, digits. Reading stops at the first character
//   that cannot continue the number; what was read so far is the value.
//     '-3.5' -> -3.5   '+7' -> 7   '.5' -> 0.5   '5.' -> 5   '1e2' -> 100
//     '1.2.3' -> 1.2   '1,000' -> 1   '12%' -> 12   '50元' -> 50
//     '3.14e' -> 3.14  '12E+' -> 12   '1e2.5' -> 100
//   Text without a digit before that point reads as 0.
//     '' -> 0   'abc' -> 0   '-' -> 0   '.' -> 0   '元12' -> 0   '.e5' -> 0
//   The decimal value is rounded to the nearest double, ties to even, however
//   many digits it has ('0.1' -> 0.1, a megabyte of digits is read in linear
//   time). A value that rounds beyond the largest double throws
//   AnalysisError(Overflow); zero is never beyond it:
//     '1E999' -> Overflow   '-1E999' -> Overflow   '0E999' -> 0
//     '1.7976931348623158E308' -> 1.7976931348623157E308 (the largest double)
//   A value too small for the range reads as 0 ('1E-999' -> 0); one that is
//   merely tiny reads as the nearest subnormal ('5E-324' -> 4.94E-324).
//   Zero is always +0: '-0' -> 0, '-1E-999' -> 0.
//
//   '&H' (hexadecimal) and '&O' (octal), either case, at the very start of
//   the text (blanks aside: '& H 1 0' -> 16) introduce an unsigned integer of
//   any length, rounded to the nearest double; beyond the double range it
//   throws Overflow.
//     '&H10' -> 16   '&hff' -> 255   '&O17' -> 15   '&H1G' -> 1   '&O78' -> 7
//     '&HFFFFFFFF' -> 4294967295 (no two's complement wrap)
//   The prefix has no sign of its own and no other position: '-&H10' -> 0,
//   '1&H10' -> 1. A prefix without digits reads as 0 ('&H' -> 0, '&' -> 0).
double textToNumber(std::string_view text);

// readsWhole: whether the number textToNumber reads takes up the whole text,
// blanks aside, so that a report can say an input held something besides its
// number. Never throws: a number beyond the range is still all number.
//     '950' -> true   ' 2 50 ' -> true   '5.' -> true   '.5' -> true
//     '-3.5' -> true  '1e2' -> true   '&H10' -> true   '&O17' -> true
//     '0' -> true     '1E999' -> true
//     '' -> false     '   ' -> false   'abc' -> false   '12%' -> false
//     '50元' -> false  '1,000' -> false  '1.2.3' -> false  '12E+' -> false
//     '3.14e' -> false  '-' -> false   '.' -> false   '&H' -> false
//     '&' -> false    '元12' -> false  '-&H10' -> false
//     '９５０' -> true   '９５０。' -> false
bool readsWhole(std::string_view text) noexcept;

// numberToText: a double as the analysis writes it, in at most 15 significant
// digits with trailing zeros dropped.
//
//   The value, exactly as the double holds it, is rounded to 15 significant
//   digits; an exact tie at the sixteenth digit goes away from zero (unlike
//   roundTo2), as the conversion of the platform the system was built for does:
//     311069845525908.5 -> '311069845525909'   -311069845525908.5 -> '-311069845525909'
//     1000000000000005 -> '1.00000000000001E+15'   2^-22 -> '2.38418579101563E-07'
//   A value a hair off a tie rounds to the nearer side:
//     0.3000000000000005 (0.300000000000000488...) -> '0.3'
//   Plain digits for magnitudes from 1E-4 up to below 1E15 (after rounding):
//     90 -> '90'   242.4 -> '242.4'   40/3 -> '13.3333333333333'   -0.5 -> '-0.5'
//     26.676 -> '26.676'   0.000929126239957016 -> '0.000929126239957016'
//     999999999999999 -> '999999999999999'   999999999999999.9 -> '1E+15'
//   Below 1E-4, plain while at most 15 digits follow the point:
//     0.00001 -> '0.00001'   5.6789E-11 -> '0.000000000056789'
//   beyond that, and from 1E15 up, exponent form: the mantissa without
//   trailing zeros, 'E', a sign always, at least two exponent digits:
//     5.6789E-12 -> '5.6789E-12'   1.23456789012345E-05 -> '1.23456789012345E-05'
//     1E15 -> '1E+15'   1.2E15 -> '1.2E+15'   1E-16 -> '1E-16'   1E308 -> '1E+308'
//   Zero, positive or negative, is '0'. No thousands separators, no '+' on
//   plain numbers, no leading blank. textToNumber reads every such text back.
//   Infinities and NaN never reach here from the analysis; they are written
//   'Infinity', '-Infinity' and 'NaN' rather than left undefined.
std::string numberToText(double value);

// settle: textToNumber(numberToText(value)), the pass through text that the
// analysis applies after almost every computation. The result is the double
// nearest to value rounded to 15 significant digits; settle is idempotent, and
// a value that already has a round-trip form of at most 15 digits is returned
// unchanged (but -0 becomes +0).
//     0.1 + 0.2 -> 0.3   0.8999999999999999 -> 0.9   950/75 -> 12.6666666666667
//     311069845525908.5 -> 311069845525909 (a tie goes away from zero)
// Throws AnalysisError(Overflow) where the 15-digit text reads back beyond the
// range (DBL_MAX -> '1.79769313486232E+308' -> Overflow), and for an infinity;
// NaN throws InvalidOperation.
double settle(double value);

// floorToInteger: the largest integer not greater than value.
//     13.3333333333333 -> 13   -2.5 -> -3   -0.5 -> -1   5 -> 5
double floorToInteger(double value);

// roundTo2: value to 2 decimal places. The double value * 100 is rounded to
// the nearest integer, an exact half to even, then divided by 100; so the
// rounding sees the product as the double arithmetic gives it:
//     829.833333333333 -> 829.83   0.125 -> 0.12   0.375 -> 0.38
//     2.675 -> 2.68  (2.675 * 100 is exactly 267.5)
//     0.285 -> 0.28  (28.499999999999996)   8.345 -> 8.35 (834.5000000000001)
// Every whole value comes back unchanged (999999999999998, whose product by
// 100 is inexact; 1E300, whose product would overflow); from 2^52 up every
// double is whole.
double roundTo2(double value);

} // namespace quanvik
