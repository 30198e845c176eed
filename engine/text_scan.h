#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

// How the reading of a number looks at the bytes of a text: a character at a
// time, with the full-width forms decoded, and eight bytes at a time through
// the runs of blanks and digits that a pasted megabyte is made of.
// The reading calls these for every character: inline, so that the compiler
// lays them out as it sees fit inside its loops.
namespace quanvik::detail {

constexpr bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n';
}
constexpr bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// A character of the text as the reading sees it, and its length in bytes.
struct Char {
    char c;
    int size;
};

// What an input method types in full-width mode: U+FF01..U+FF5E stand for
// ASCII 0x21..0x7E, the ideographic space U+3000 for a blank. Any other
// byte, the start of a cut or malformed sequence among them, stands for
// itself: a byte of 0x80 and up, which ends the number.
[[gnu::cold, gnu::noinline]] inline Char wideCharAt(const char* p, const char* end)
{
    const auto byte = [p](int i) { return static_cast<unsigned char>(p[i]); };
    if (end - p >= 3) {
        if (byte(0) == 0xEF && byte(1) == 0xBC && byte(2) >= 0x81 && byte(2) <= 0xBF)
            return {static_cast<char>(byte(2) - 0x81 + 0x21), 3};
        if (byte(0) == 0xEF && byte(1) == 0xBD && byte(2) >= 0x80 && byte(2) <= 0x9E)
            return {static_cast<char>(byte(2) - 0x80 + 0x60), 3};
        if (byte(0) == 0xE3 && byte(1) == 0x80 && byte(2) == 0x80)
            return {' ', 3};
    }
    return {*p, 1};
}

inline Char charAt(const char* p, const char* end)
{
    if (static_cast<unsigned char>(*p) < 0x80) [[likely]]
        return {*p, 1};
    return wideCharAt(p, end);
}

// Eight bytes at a time: each helper below marks, or tests, the bytes that
// isBlank or isDigit would accept one by one, and no others.
inline std::uint64_t loadEight(const char* p)
{
    std::uint64_t bytes = 0;
    std::memcpy(&bytes, p, sizeof bytes);
    return bytes;
}

inline constexpr std::uint64_t ONES = 0x0101010101010101;
inline constexpr std::uint64_t HIGH_BITS = ONES * 0x80;
inline constexpr std::uint64_t EIGHT_ZEROS = ONES * '0';

inline bool isEightDigits(std::uint64_t bytes)
{
    return ((bytes & 0xF0F0F0F0F0F0F0F0) | (((bytes + 0x0606060606060606) & 0xF0F0F0F0F0F0F0F0) >> 4))
        == 0x3333333333333333;
}

// 0x80 in each byte of x that is zero, and nothing else (no borrow between
// bytes).
constexpr std::uint64_t zeroBytes(std::uint64_t x)
{
    constexpr std::uint64_t LOW_BITS = ONES * 0x7F;
    return ~(((x & LOW_BITS) + LOW_BITS) | x | LOW_BITS);
}

constexpr std::uint64_t blankBytes(std::uint64_t bytes)
{
    return zeroBytes(bytes ^ (ONES * ' ')) | zeroBytes(bytes ^ (ONES * '\t'))
        | zeroBytes(bytes ^ (ONES * '\n'));
}

constexpr std::uint64_t digitBytes(std::uint64_t bytes)
{
    return zeroBytes((bytes & (ONES * 0xF0)) ^ EIGHT_ZEROS)
        & zeroBytes(((bytes & (ONES * 0x0F)) + ONES * 6) & (ONES * 0x10));
}

// Blanks, tabs and line feeds count as removed wherever they stand, so every
// step of the reading looks past them. Eight ASCII blanks at a time, else one
// character, the ideographic space among the blanks.
inline const char* skipBlanks(const char* p, const char* end)
{
    while (p != end) {
        if (end - p >= 8 && blankBytes(loadEight(p)) == HIGH_BITS) {
            p += 8;
        } else if (isBlank(*p)) {
            ++p;
        } else {
            const Char ch = charAt(p, end);
            if (ch.size == 1 || !isBlank(ch.c))
                break;
            p += ch.size;
        }
    }
    return p;
}

// Past the character at p and the blanks after it if that character is a
// or b; else p. (A pointer passed by reference would live in memory, where
// every digit stored through char could alias it.)
inline const char* past(const char* p, const char* end, char a, char b)
{
    if (p == end)
        return p;
    const Char ch = charAt(p, end);
    return ch.c == a || ch.c == b ? skipBlanks(p + ch.size, end) : p;
}

inline bool startsWith(const char* p, const char* end, char c)
{
    return p != end && charAt(p, end).c == c;
}

// The quick paths of the reading's digit loop, in whole runs of eight ASCII
// bytes; each leaves the rest, and anything else, to that loop, and must
// count the digits and see a nonzero one exactly as it would.
inline const char* skipZeros(const char* p, const char* end)
{
    while (end - p >= 8 && loadEight(p) == EIGHT_ZEROS)
        p += 8;
    return p;
}

// Past the digits and blanks at p.
struct Skipped {
    const char* p;
    std::int64_t digits;
    bool nonzero;
};

inline Skipped skipDigitsAndBlanks(const char* p, const char* end)
{
    Skipped s {p, 0, false};
    while (end - s.p >= 8) {
        const std::uint64_t bytes = loadEight(s.p);
        if (isEightDigits(bytes)) {
            s.digits += 8;
            s.nonzero = s.nonzero || bytes != EIGHT_ZEROS;
        } else {
            const std::uint64_t digits = digitBytes(bytes);
            if ((digits | blankBytes(bytes)) != HIGH_BITS)
                break;
            s.digits += std::popcount(digits);
            s.nonzero = s.nonzero || (digits & ~zeroBytes(bytes ^ EIGHT_ZEROS)) != 0;
        }
        s.p += 8;
    }
    return s;
}

} // namespace quanvik::detail
