// A whole analysis run over thirteen arbitrary field texts, separated by '|'
// in the input. Checks the order of the writes, where a fault leaves the
// fields, and that the old result texts have no influence.
#include "fuzz_check.h"
#include "memory_fields.h"
#include "numeric_text.h"
#include "position_analysis.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

using quanvik::FieldId;
using quanvik::fuzz::require;

using quanvik::FIELD_COUNT;
constexpr char SEPARATOR = '|';
constexpr std::array WRITE_ORDER {FieldId::Text7, FieldId::Text9, FieldId::Text10, FieldId::Text8,
    FieldId::Text11, FieldId::Text12, FieldId::Text13};
// The step that writes each field of WRITE_ORDER.
constexpr std::array WRITING_STEPS {4, 5, 6, 8, 13, 18, 19};
constexpr std::string_view MSG_TOO_MANY_LOTS = "开仓手数过大";

std::size_t indexOf(FieldId field)
{
    return static_cast<std::size_t>(field);
}

bool isInput(FieldId field)
{
    return indexOf(field) <= indexOf(FieldId::Text6);
}

// The store, checking each access as the run makes it.
class CheckedFields final : public quanvik::MemoryFields {
public:
    using MemoryFields::MemoryFields;

    std::string readText(FieldId field) const override
    {
        // Text9 and Text10 are read back only once this run has written them.
        const bool readBack = (field == FieldId::Text9 || field == FieldId::Text10)
            && std::find(written().begin(), written().end(), field) != written().end();
        require(isInput(field) || readBack, "the run read a result field it had not written");
        return MemoryFields::readText(field);
    }

    void writeText(FieldId field, const std::string& text) override
    {
        require(written().size() < WRITE_ORDER.size() && WRITE_ORDER.at(written().size()) == field,
            "the run wrote out of order");
        MemoryFields::writeText(field, text);
    }
};

struct Fault {
    quanvik::FaultKind kind;
    int step;

    bool operator==(const Fault&) const = default;
};

std::optional<Fault> runOver(CheckedFields& fields)
{
    try {
        quanvik::PositionAnalysis().run(fields);
    } catch (const quanvik::AnalysisError& error) {
        return Fault {error.kind(), error.step()};
    }
    return std::nullopt;
}

void checkFault(const Fault& fault, std::size_t writtenCount)
{
    require(fault.kind == quanvik::FaultKind::DivisionByZero || fault.kind == quanvik::FaultKind::Overflow
            || fault.kind == quanvik::FaultKind::InvalidOperation,
        "a fault of an unknown kind");
    require(fault.step >= 1 && fault.step <= 19, "a fault step outside 1..19");
    const auto before = static_cast<std::size_t>(std::count_if(
        WRITING_STEPS.begin(), WRITING_STEPS.end(), [&](int step) { return step < fault.step; }));
    require(writtenCount == before, "a faulting run wrote a different number of fields than its step allows");
    const auto inputs = quanvik::inputsOfStep(fault.step);
    require(!inputs.empty() && std::all_of(inputs.begin(), inputs.end(), isInput),
        "inputsOfStep names no input, or a result field");
}

// Every result is a text the analysis could read back unchanged.
void checkWrittenText(FieldId field, const std::string& text)
{
    if (field == FieldId::Text7 && text == MSG_TOO_MANY_LOTS) {
        return;
    }
    const double value = quanvik::textToNumber(text);
    require(quanvik::numberToText(value) == text, "a result text is not a canonical number");
    if (field == FieldId::Text7 || field == FieldId::Text11 || field == FieldId::Text13) {
        require(quanvik::floorToInteger(value) == value, "a whole-number result has a fraction");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string_view input(reinterpret_cast<const char*>(data), size);
    std::array<std::string, FIELD_COUNT> initial;
    for (std::size_t i = 0; i < FIELD_COUNT && !input.empty(); ++i) {
        const std::size_t end = std::min(input.find(SEPARATOR), input.size());
        initial.at(i) = input.substr(0, end);
        input.remove_prefix(std::min(end + 1, input.size()));
    }

    CheckedFields fields(initial);
    const std::optional<Fault> fault = runOver(fields);
    const std::vector<FieldId>& written = fields.written();
    if (fault) {
        checkFault(*fault, written.size());
    } else {
        require(written.size() == WRITE_ORDER.size(), "a run without a fault left a result unwritten");
    }
    for (std::size_t i = 0; i < FIELD_COUNT; ++i) {
        const auto field = static_cast<FieldId>(i);
        if (std::find(written.begin(), written.end(), field) != written.end()) {
            checkWrittenText(field, fields.texts().at(i));
        } else {
            require(fields.texts().at(i) == initial.at(i), "the run changed a field it did not write");
        }
    }

    // The same inputs over empty result fields give the same run.
    std::array<std::string, FIELD_COUNT> cleared = initial;
    std::fill(
        cleared.begin() + static_cast<std::ptrdiff_t>(indexOf(FieldId::Text7)), cleared.end(), std::string());
    CheckedFields fresh(cleared);
    require(runOver(fresh) == fault, "old result texts changed the fault");
    require(fresh.written() == written, "old result texts changed which fields were written");
    for (const FieldId field : written) {
        require(fresh.texts().at(indexOf(field)) == fields.texts().at(indexOf(field)),
            "old result texts changed a result");
    }
    return 0;
}
