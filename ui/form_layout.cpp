#include "form_layout.h"

#include <array>
#include <string_view>

namespace quanvik {
namespace {

constexpr ControlKind LABEL = ControlKind::Label;
constexpr ControlKind TEXT_BOX = ControlKind::TextBox;
constexpr ControlKind BUTTON = ControlKind::PushButton;
constexpr ControlKind LINE = ControlKind::Line;
constexpr std::uint32_t SYSTEM = SYSTEM_COLOUR;
constexpr std::uint32_t BLUE = 0x0000FF;
constexpr std::uint32_t RED = 0xFF0000;

// clang-format off
constexpr std::array<ControlRow, 43> LAYOUT{{
    // name       kind      caption                left  top   width height tab colour
    {"Label1",   LABEL,    "交易本金",             240,  240,  735, 255,  0, SYSTEM},
    {"Text1",    TEXT_BOX, "",                    1320,  240,  975, 270,  1, SYSTEM},
    {"Label2",   LABEL,    "元",                  2400,  240,  375, 255,  2, SYSTEM},
    {"Label3",   LABEL,    "保证金比例",          3000,  240,  975, 255,  3, SYSTEM},
    {"Text2",    TEXT_BOX, "",                    4080,  240,  975, 270,  4, SYSTEM},
    {"Label4",   LABEL,    "%",                   5160,  240,  255, 255,  5, SYSTEM},
    {"Label5",   LABEL,    "进场价位",             240,  720,  855, 255,  6, SYSTEM},
    {"Text3",    TEXT_BOX, "",                    1320,  720,  975, 270,  7, SYSTEM},
    {"Label7",   LABEL,    "开仓手数",            3000,  720,  735, 255, 10, SYSTEM},
    {"Text5",    TEXT_BOX, "",                    4080,  720,  975, 270, 11, SYSTEM},
    {"Label8",   LABEL,    "手",                  5160,  720,  255, 255, 12, SYSTEM},
    {"Label6",   LABEL,    "出场价位",             240, 1200,  735, 255,  8, SYSTEM},
    {"Text4",    TEXT_BOX, "",                    1320, 1200,  975, 270,  9, SYSTEM},
    {"Label9",   LABEL,    "拟持仓时间",          3000, 1200,  975, 255, 13, SYSTEM},
    {"Text6",    TEXT_BOX, "",                    4080, 1200,  975, 270, 14, SYSTEM},
    {"Label10",  LABEL,    "天",                  5160, 1200,  255, 255, 15, SYSTEM},
    {"Command1", BUTTON,   "分析",                1800, 1680, 2175, 495, 16, SYSTEM},
    {"Line1",    LINE,     "",                       0, 2400, 5640,   0, -1, SYSTEM},
    {"Label11",  LABEL,    "分析结果",             240, 2520,  735, 255, 17, BLUE},
    {"Label12",  LABEL,    "最大可开仓",           240, 2880,  975, 255, 18, SYSTEM},
    {"Text7",    TEXT_BOX, "",                    1680, 2880,  975, 270, 19, SYSTEM},
    {"Label13",  LABEL,    "手",                  2760, 2880,  255, 255, 20, SYSTEM},
    {"Label14",  LABEL,    "盈亏额",              3240, 2880,  615, 255, 21, SYSTEM},
    {"Text8",    TEXT_BOX, "",                    4080, 2880,  975, 270, 22, SYSTEM},
    {"Label15",  LABEL,    "元",                  5160, 2880,  255, 255, 23, SYSTEM},
    {"Label20",  LABEL,    "做多盈亏平衡点",       240, 3240, 1455, 255, 30, SYSTEM},
    {"Text11",   TEXT_BOX, "",                    1680, 3240,  975, 270, 31, SYSTEM},
    {"Label16",  LABEL,    "手续费",              3240, 3240,  615, 255, 24, SYSTEM},
    {"Text9",    TEXT_BOX, "",                    4080, 3240,  975, 270, 25, SYSTEM},
    {"Label17",  LABEL,    "元",                  5160, 3240,  255, 255, 26, SYSTEM},
    {"Label26",  LABEL,    "做空盈亏平衡点",       240, 3600, 1335, 255, 38, SYSTEM},
    {"Text13",   TEXT_BOX, "",                    1680, 3600,  975, 270, 39, SYSTEM},
    {"Label18",  LABEL,    "持仓费",              3240, 3600,  615, 255, 27, SYSTEM},
    {"Text10",   TEXT_BOX, "",                    4080, 3600,  975, 270, 28, SYSTEM},
    {"Label19",  LABEL,    "元",                  5160, 3600,  255, 255, 29, SYSTEM},
    {"Label21",  LABEL,    "进场时点风险率",      1200, 4080, 1335, 255, 32, SYSTEM},
    {"Text12",   TEXT_BOX, "",                    2760, 4080,  975, 270, 33, SYSTEM},
    {"Label22",  LABEL,    "%",                   3840, 4080,  135, 255, 34, SYSTEM},
    {"Line2",    LINE,     "",                       0, 4560, 5640,   0, -1, SYSTEM},
    {"Label23",  LABEL,    "友情提示",             240, 4680,  735, 255, 35, RED},
    {"Label24",  LABEL,    "1、请填写上述所有需提供的数据，以方便计算器更准确的分析。",
                                                   240, 5040, 5295, 255, 36, SYSTEM},
    {"Label25",  LABEL,    "2、当当前风险率小于50%，系统将会强行平仓。",
                                                   240, 5400, 4215, 255, 37, SYSTEM},
    {"Label27",  LABEL,    "3、风险率会随市场价格的变动而变动，实际风险率变动以交易软件变动为主。",
                                                   240, 5760, 5175, 375, 40, SYSTEM},
}};
// clang-format on

// The row of a control; a name the table lacks does not compile.
consteval std::size_t rowOf(std::string_view name)
{
    for (std::size_t row = 0; row < LAYOUT.size(); ++row)
        if (LAYOUT[row].name == name)
            return row;
    throw "no such control";
}

// clang-format off
constexpr std::array<FieldBinding, 13> BINDINGS{{
    {FieldId::Text1,  rowOf("Text1"),  rowOf("Label1"),  rowOf("Label2")},
    {FieldId::Text2,  rowOf("Text2"),  rowOf("Label3"),  rowOf("Label4")},
    {FieldId::Text3,  rowOf("Text3"),  rowOf("Label5"),  NO_ROW},
    {FieldId::Text4,  rowOf("Text4"),  rowOf("Label6"),  NO_ROW},
    {FieldId::Text5,  rowOf("Text5"),  rowOf("Label7"),  rowOf("Label8")},
    {FieldId::Text6,  rowOf("Text6"),  rowOf("Label9"),  rowOf("Label10")},
    {FieldId::Text7,  rowOf("Text7"),  rowOf("Label12"), rowOf("Label13")},
    {FieldId::Text8,  rowOf("Text8"),  rowOf("Label14"), rowOf("Label15")},
    {FieldId::Text9,  rowOf("Text9"),  rowOf("Label16"), rowOf("Label17")},
    {FieldId::Text10, rowOf("Text10"), rowOf("Label18"), rowOf("Label19")},
    {FieldId::Text11, rowOf("Text11"), rowOf("Label20"), NO_ROW},
    {FieldId::Text12, rowOf("Text12"), rowOf("Label21"), rowOf("Label22")},
    {FieldId::Text13, rowOf("Text13"), rowOf("Label26"), NO_ROW},
}};
// clang-format on

} // namespace

std::span<const ControlRow> formLayout() noexcept
{
    return LAYOUT;
}

std::span<const FieldBinding> fieldBindings() noexcept
{
    return BINDINGS;
}

} // namespace quanvik
