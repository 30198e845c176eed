#include "numeric_text.h"
// placeholder, replaced by the real conversions
namespace quanvik {
double textToNumber(std::string_view)
{
    return 0;
}
std::string numberToText(double)
{
    return "0";
}
double settle(double v)
{
    return v;
}
double floorToInteger(double v)
{
    return v;
}
double roundTo2(double v)
{
    return v;
}
} // namespace quanvik
