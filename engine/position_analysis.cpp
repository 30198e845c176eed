#include "position_analysis.h"

#include "numeric_text.h"

#include <array>
#include <cmath>
#include <string>
#include <utility>

namespace quanvik {
namespace {

// Each rate is the double nearest to the decimal shown, used as written.
constexpr double CONTRACT_UNITS = 15;
constexpr double PERCENT_DIVISOR = 100;
constexpr double COMMISSION_FACTOR = 0.012;
constexpr double HOLDING_FACTOR = 0.003;
constexpr double COMMISSION_RATE = 0.0008;
constexpr double HOLDING_RATE = 0.0002;
constexpr double PER_LOT_CHARGE = 150;
constexpr double ROUND_TRIP = 2;      // a lot is charged commission on opening and on closing
constexpr double BREAK_EVEN_TICK = 1; // the long break-even sits one price unit above cost

constexpr const char* MSG_TOO_MANY_LOTS = "开仓手数过大";

constexpr FieldId PRINCIPAL = FieldId::Text1;
constexpr FieldId MARGIN_RATIO = FieldId::Text2;
constexpr FieldId ENTRY_PRICE = FieldId::Text3;
constexpr FieldId EXIT_PRICE = FieldId::Text4;
constexpr FieldId LOTS = FieldId::Text5;
constexpr FieldId HOLDING_DAYS = FieldId::Text6;
constexpr FieldId MAX_LOTS = FieldId::Text7;
constexpr FieldId NET_PROFIT = FieldId::Text8;
constexpr FieldId COMMISSION = FieldId::Text9;
constexpr FieldId HOLDING_FEE = FieldId::Text10;
constexpr FieldId LONG_BREAK_EVEN = FieldId::Text11;
constexpr FieldId RISK_RATE = FieldId::Text12;
constexpr FieldId SHORT_BREAK_EVEN = FieldId::Text13;

// The operands are always finite (every read and every result is checked),
// so a non-finite sum, difference or product can only be an overflow.
double checked(double result)
{
    if (!std::isfinite(result))
        throw AnalysisError(FaultKind::Overflow);
    return result;
}

double plus(double a, double b)
{
    return checked(a + b);
}
double minus(double a, double b)
{
    return checked(a - b);
}
double times(double a, double b)
{
    return checked(a * b);
}

double dividedBy(double a, double b)
{
    if (b == 0.0)
        throw AnalysisError(a == 0.0 ? FaultKind::InvalidOperation : FaultKind::DivisionByZero);
    return checked(a / b);
}

class Fields {
public:
    explicit Fields(FieldAccess& access)
        : access_(access)
    {
    }

    // Every use of an input reads the field's current text afresh. The same
    // text always reads as the same number, so a text already read in this
    // run is not read again: a pasted megabyte costs one pass, not one per use.
    double read(FieldId field)
    {
        std::string text = access_.readText(field);
        Reading& last = lastReading_[static_cast<std::size_t>(field)];
        if (!last.valid || last.text != text) {
            last.valid = false;
            last.value = textToNumber(text);
            last.text = std::move(text);
            last.valid = true;
        }
        return last.value;
    }

    void write(FieldId field, double value) { access_.writeText(field, numberToText(value)); }
    void write(FieldId field, const char* text) { access_.writeText(field, text); }

private:
    struct Reading {
        std::string text;
        double value = 0.0;
        bool valid = false;
    };

    FieldAccess& access_;
    std::array<Reading, 13> lastReading_ {};
};

using F = FieldId;
constexpr std::array<F, 1> DEPENDS_RATIO = {F::Text2};
constexpr std::array<F, 2> DEPENDS_MARGIN = {F::Text2, F::Text3};
constexpr std::array<F, 3> DEPENDS_MAX_LOTS = {F::Text1, F::Text2, F::Text3};
constexpr std::array<F, 4> DEPENDS_LOTS_CHECK = {F::Text1, F::Text2, F::Text3, F::Text5};
constexpr std::array<F, 3> DEPENDS_BOTH_PRICES_LOTS = {F::Text3, F::Text4, F::Text5};
constexpr std::array<F, 3> DEPENDS_PRICE_LOTS_DAYS = {F::Text3, F::Text5, F::Text6};
constexpr std::array<F, 4> DEPENDS_NET = {F::Text3, F::Text4, F::Text5, F::Text6};
constexpr std::array<F, 1> DEPENDS_PRICE = {F::Text3};
constexpr std::array<F, 2> DEPENDS_PRICE_DAYS = {F::Text3, F::Text6};
constexpr std::array<F, 2> DEPENDS_PRICE_LOTS = {F::Text3, F::Text5};
constexpr std::array<F, 3> DEPENDS_EQUITY = {F::Text1, F::Text3, F::Text5};

} // namespace

// Within a step only a division can fault with anything but Overflow, and its
// operands are complete before it is tested, so the order in which a call's
// arguments are evaluated never changes the fault a step reports.
void PositionAnalysis::run(FieldAccess& access) const
{
    Fields fields(access);
    int step = 0;
    try {
        step = 1;
        const double ratio = settle(dividedBy(fields.read(MARGIN_RATIO), PERCENT_DIVISOR));

        step = 2;
        const double marginPerLot = times(times(fields.read(ENTRY_PRICE), CONTRACT_UNITS), ratio);

        step = 3;
        const double maxLots = settle(dividedBy(fields.read(PRINCIPAL), settle(marginPerLot)));

        step = 4;
        if (maxLots <= fields.read(LOTS))
            fields.write(MAX_LOTS, MSG_TOO_MANY_LOTS);
        else
            fields.write(MAX_LOTS, floorToInteger(maxLots));

        step = 5;
        const double commission = settle(
            times(times(settle(plus(fields.read(ENTRY_PRICE), fields.read(EXIT_PRICE))), COMMISSION_FACTOR),
                fields.read(LOTS)));
        fields.write(COMMISSION, commission);

        step = 6;
        const double holdingFee =
            settle(times(times(times(fields.read(ENTRY_PRICE), HOLDING_FACTOR), fields.read(LOTS)),
                fields.read(HOLDING_DAYS)));
        fields.write(HOLDING_FEE, holdingFee);

        step = 7;
        const double grossPL =
            settle(times(times(std::fabs(settle(minus(fields.read(ENTRY_PRICE), fields.read(EXIT_PRICE)))),
                             CONTRACT_UNITS),
                fields.read(LOTS)));

        step = 8;
        const double netPL = settle(minus(minus(grossPL, fields.read(COMMISSION)), fields.read(HOLDING_FEE)));
        fields.write(NET_PROFIT, netPL);

        step = 9;
        const double lotCost = settle(
            times(times(times(fields.read(ENTRY_PRICE), CONTRACT_UNITS), COMMISSION_RATE), ROUND_TRIP));

        step = 10;
        const double lotHolding = settle(times(
            times(times(fields.read(ENTRY_PRICE), CONTRACT_UNITS), HOLDING_RATE), fields.read(HOLDING_DAYS)));

        step = 11;
        const double lotTotal = settle(plus(lotCost, lotHolding));

        step = 12;
        const double unitCost = settle(dividedBy(lotTotal, CONTRACT_UNITS));

        step = 13;
        const double longBreakEven = settle(plus(plus(fields.read(ENTRY_PRICE), unitCost), BREAK_EVEN_TICK));
        fields.write(LONG_BREAK_EVEN, floorToInteger(longBreakEven));

        step = 14;
        const double openCommission = settle(times(
            times(times(fields.read(ENTRY_PRICE), CONTRACT_UNITS), COMMISSION_RATE), fields.read(LOTS)));

        step = 15;
        const double deductions =
            settle(plus(settle(times(fields.read(LOTS), PER_LOT_CHARGE)), openCommission));

        step = 16;
        const double equity = settle(minus(fields.read(PRINCIPAL), deductions));

        step = 17;
        const double riskBase = settle(times(
            times(times(fields.read(ENTRY_PRICE), COMMISSION_RATE), CONTRACT_UNITS), fields.read(LOTS)));

        step = 18;
        const double riskRate = settle(dividedBy(equity, riskBase));
        fields.write(RISK_RATE, roundTo2(riskRate));

        step = 19;
        const double shortBreakEven = settle(minus(fields.read(ENTRY_PRICE), unitCost));
        fields.write(SHORT_BREAK_EVEN, floorToInteger(shortBreakEven));
    } catch (const AnalysisError& error) {
        throw AnalysisError(error.kind(), step);
    }
}

std::span<const FieldId> inputsOfStep(int step) noexcept
{
    switch (step) {
    case 1:
        return DEPENDS_RATIO;
    case 2:
        return DEPENDS_MARGIN;
    case 3:
        return DEPENDS_MAX_LOTS;
    case 4:
        return DEPENDS_LOTS_CHECK;
    case 5:
    case 7:
        return DEPENDS_BOTH_PRICES_LOTS;
    case 6:
        return DEPENDS_PRICE_LOTS_DAYS;
    case 8:
        return DEPENDS_NET;
    case 9:
        return DEPENDS_PRICE;
    case 10:
    case 11:
    case 12:
    case 13:
    case 19:
        return DEPENDS_PRICE_DAYS;
    case 14:
    case 15:
    case 17:
        return DEPENDS_PRICE_LOTS;
    case 16:
    case 18:
        return DEPENDS_EQUITY;
    default:
        return {};
    }
}

} // namespace quanvik
