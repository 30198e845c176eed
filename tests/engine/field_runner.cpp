// Answers crosscheck.py: one case per input line, one result line per case.
// Texts travel hex-encoded ('-' when empty) because they may hold any byte.
//   R <13 texts>  -> <13 texts after the run> <fields written, in order> ok|<fault>
//   T <text>      -> <bits of textToNumber>|<fault>
//   N <bits>      -> <numberToText> <bits of settle>|<fault> <bits of floor> <bits of roundTo2>
//   S             -> inputsOfStep(0..20), each a sorted list of field numbers
// A fault is '<kind> <step>'; doubles are their 16 hex digits of IEEE bits.
#include "memory_fields.h"
#include "numeric_text.h"
#include "position_analysis.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

using quanvik::AnalysisError;
using quanvik::FieldId;

std::string encode(const std::string& text)
{
    if (text.empty())
        return "-";
    static constexpr char DIGITS[] = "0123456789abcdef";
    std::string out;
    out.reserve(text.size() * 2);
    for (unsigned char c : text) {
        out += DIGITS[c >> 4];
        out += DIGITS[c & 15];
    }
    return out;
}

int nibble(char c)
{
    return c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10;
}

std::string decode(const std::string& token)
{
    std::string out;
    if (token == "-")
        return out;
    for (std::size_t i = 0; i + 1 < token.size(); i += 2)
        out += static_cast<char>(nibble(token[i]) * 16 + nibble(token[i + 1]));
    return out;
}

std::string bits(double value)
{
    char buf[17];
    std::snprintf(
        buf, sizeof buf, "%016llx", static_cast<unsigned long long>(std::bit_cast<std::uint64_t>(value)));
    return buf;
}

std::string fault(const AnalysisError& error)
{
    static constexpr const char* KINDS[] = {"DivisionByZero", "Overflow", "InvalidOperation"};
    return std::string(KINDS[static_cast<int>(error.kind())]) + ' ' + std::to_string(error.step());
}

std::string runCase(std::istringstream& in)
{
    std::array<std::string, quanvik::FIELD_COUNT> texts;
    for (auto& text : texts) {
        std::string token;
        in >> token;
        text = decode(token);
    }
    quanvik::MemoryFields fields(texts);
    std::string outcome = "ok";
    try {
        quanvik::PositionAnalysis().run(fields);
    } catch (const AnalysisError& error) {
        outcome = fault(error);
    }
    std::string out;
    for (const auto& text : fields.texts())
        out += encode(text) + ' ';
    std::string written;
    for (const FieldId field : fields.written()) {
        if (!written.empty())
            written += ',';
        written += std::to_string(static_cast<int>(field) + 1);
    }
    return out + (written.empty() ? "-" : written) + ' ' + outcome;
}

std::string textCase(std::istringstream& in)
{
    std::string token;
    in >> token;
    try {
        return bits(quanvik::textToNumber(decode(token)));
    } catch (const AnalysisError& error) {
        return fault(error);
    }
}

std::string numberCase(std::istringstream& in)
{
    std::uint64_t raw = 0;
    in >> std::hex >> raw;
    const double value = std::bit_cast<double>(raw);
    std::string out = encode(quanvik::numberToText(value)) + ' ';
    try {
        out += bits(quanvik::settle(value));
    } catch (const AnalysisError& error) {
        out += fault(error);
    }
    if (!std::isfinite(value))
        return out + " - -";
    // The sign of a zero from floor or rounding is not part of the contract.
    return out + ' ' + bits(quanvik::floorToInteger(value) + 0.0) + ' '
        + bits(quanvik::roundTo2(value) + 0.0);
}

std::string stepsCase()
{
    std::string out;
    for (int step = 0; step <= 20; ++step) {
        std::vector<int> inputs;
        for (FieldId field : quanvik::inputsOfStep(step))
            inputs.push_back(static_cast<int>(field) + 1);
        std::sort(inputs.begin(), inputs.end());
        std::string list;
        for (int field : inputs) {
            if (!list.empty())
                list += ',';
            list += std::to_string(field);
        }
        if (step != 0)
            out += ' ';
        out += list.empty() ? "-" : list;
    }
    return out;
}

} // namespace

int main()
{
    std::ios::sync_with_stdio(false);
    std::string line;
    while (std::getline(std::cin, line)) {
        std::istringstream in(line);
        std::string mode;
        in >> mode;
        std::string answer;
        try {
            if (mode == "R")
                answer = runCase(in);
            else if (mode == "T")
                answer = textCase(in);
            else if (mode == "N")
                answer = numberCase(in);
            else if (mode == "S")
                answer = stepsCase();
            else
                answer = "unknown mode";
        } catch (const std::exception& error) {
            answer = std::string("unexpected exception: ") + error.what();
        }
        std::cout << answer << '\n';
    }
    return 0;
}
