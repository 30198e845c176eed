// Every figure the user guide quotes is what the program shows: its tables of
// analyses, of readings, of written figures and of built-in parameters, every
// `a × b = c` in it, what a sentence says a named example shows, when it says
// the risk rate is negative or shows 0 for want of principal, and the order it
// lists the results in. A failure names the guide's line.
#include "memory_fields.h"
#include "numeric_text.h"
#include "position_analysis.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace quanvik {
namespace {

struct Row {
    std::vector<std::string> cells;
    int line = 0;
};
struct Stated {
    std::string text;
    int line = 0;
};
using Record = std::map<std::string, std::string>;

// Text1..Text13 by the captions beside them.
const std::array<std::string, 13> CAPTIONS = {"交易本金", "保证金比例", "进场价位", "出场价位", "开仓手数",
    "拟持仓时间", "最大可开仓", "盈亏额", "手续费", "持仓费", "做多盈亏平衡点", "进场时点风险率",
    "做空盈亏平衡点"};
const std::string UNCHANGED = "（不变）";
const std::string FAULT = "提示";
const std::string RISK = "进场时点风险率";
// The captions of the results in the order a complete run writes them.
const std::string ORDER = "写出顺序";
// The risk rate shows 0, not a negative figure, while the principal falls short
// of what it must cover by less than this share of the opening commission: half
// the last of the two decimals shown. The guide says 千分之五.
const std::string EDGE_WORDS = "千分之五";
constexpr double EDGE = 0.005;
const std::array<std::string, 3> FAULT_NAMES = {"除数为零", "溢出", "无效运算"};
// The rows of the table of built-in parameters by the constants they show.
const std::map<std::string, std::string> PARAMETERS = {{"合约乘数", "CONTRACT_UNITS"},
    {"手续费率", "COMMISSION_RATE"}, {"持仓费率", "HOLDING_RATE"}, {"风险率每手扣除", "PER_LOT_CHARGE"},
    {"做多盈亏平衡点加价", "BREAK_EVEN_TICK"}};

void expectStated(int line, const std::string& what, const std::string& shown, const std::string& stated)
{
    if (shown != stated)
        ADD_FAILURE_AT(QUANVIK_GUIDE, line)
            << what << ": the guide says " << stated << ", the program has " << shown;
}

// The value a constant of the analysis is defined with, read from its source.
std::string constantValue(const std::string& source, const std::string& name)
{
    const std::string definition = "constexpr double " + name + " = ";
    const std::size_t at = source.find(definition);
    return at == std::string::npos ? "undefined"
                                   : numberToText(textToNumber(source.substr(at + definition.size(), 32)));
}

std::string trim(const std::string& text)
{
    const auto first = text.find_first_not_of(' ');
    return first == std::string::npos ? "" : text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// A cell as the reader takes it: a code span keeps its blanks, （空） is empty.
std::string cellText(const std::string& cell)
{
    const std::string text = trim(cell);
    if (text == "（空）")
        return "";
    return text.size() >= 2 && text.front() == '`' && text.back() == '`' ? text.substr(1, text.size() - 2)
                                                                         : text;
}

// What the window shows after a press: the seven results and the fault's name.
Record analyse(const std::map<std::string, Stated>& press)
{
    std::vector<std::string> texts(CAPTIONS.size(), UNCHANGED);
    for (std::size_t i = 0; i < 6; ++i)
        texts[i] = press.contains(CAPTIONS[i]) ? press.at(CAPTIONS[i]).text : "";
    MemoryFields fields(texts);
    Record shown {{FAULT, ""}};
    try {
        PositionAnalysis().run(fields);
    } catch (const AnalysisError& error) {
        shown[FAULT] = FAULT_NAMES[static_cast<std::size_t>(error.kind())];
    }
    for (std::size_t i = 6; i < CAPTIONS.size(); ++i)
        shown[CAPTIONS[i]] = fields.texts()[i];
    for (const FieldId field : fields.written())
        shown[ORDER] += CAPTIONS[static_cast<std::size_t>(field)] + " ";
    return shown;
}

// The analyses a sentence speaks of by name: 例 and a numeral, as 例十二.
std::vector<std::string> pressesNamed(const std::string& sentence)
{
    const std::string numerals = "一二三四五六七八九十";
    std::vector<std::string> names;
    for (std::size_t at = sentence.find("例"); at != std::string::npos; at = sentence.find("例", at + 1)) {
        std::size_t end = at + std::string("例").size();
        while (end < sentence.size() && numerals.find(sentence.substr(end, 3)) != std::string::npos)
            end += 3;
        if (end > at + 3)
            names.push_back(sentence.substr(at, end - at));
    }
    return names;
}

std::string readAs(const std::string& text)
{
    try {
        return numberToText(textToNumber(text));
    } catch (const AnalysisError& error) {
        return FAULT_NAMES[static_cast<std::size_t>(error.kind())];
    }
}

// Arithmetic as the guide writes it: + − × ÷, brackets and a trailing %, each
// result passed through its 15-digit text as the program does.
class Expression {
public:
    explicit Expression(std::string_view text)
        : rest_(text)
    {
    }

    std::string value()
    {
        const double result = sum();
        return rest_.find_first_not_of(' ') == std::string_view::npos ? numberToText(result)
                                                                      : "unread: " + std::string(rest_);
    }

private:
    bool take(std::string_view symbol)
    {
        rest_.remove_prefix(std::min(rest_.find_first_not_of(' '), rest_.size()));
        if (!rest_.starts_with(symbol))
            return false;
        rest_.remove_prefix(symbol.size());
        return true;
    }
    double primary()
    {
        double result = 0;
        if (take("(")) {
            result = sum();
            take(")");
        } else {
            const std::size_t end = std::min(rest_.find_first_not_of("0123456789."), rest_.size());
            result = textToNumber(rest_.substr(0, end));
            rest_.remove_prefix(end);
        }
        return take("%") ? settle(result / 100) : result;
    }
    double product()
    {
        for (double result = primary();;)
            if (take("×"))
                result = settle(result * primary());
            else if (take("÷"))
                result = settle(result / primary());
            else
                return result;
    }
    double sum()
    {
        for (double result = product();;)
            if (take("+"))
                result = settle(result + product());
            else if (take("−"))
                result = settle(result - product());
            else
                return result;
    }

    std::string_view rest_;
};

TEST(GuideExamples, AreWhatTheProgramShows)
{
    std::ifstream file(QUANVIK_GUIDE);
    ASSERT_TRUE(file) << QUANVIK_GUIDE;
    std::vector<std::vector<Row>> tables(1);
    std::vector<Stated> intros(1); // the line of text before each table
    std::vector<Stated> sentences; // split at 。 and ；
    int equations = 0;
    int number = 0;
    for (std::string line; std::getline(file, line);) {
        ++number;
        if (!line.starts_with('|')) {
            if (!tables.back().empty()) {
                tables.emplace_back();
                intros.emplace_back();
            }
            for (std::size_t at = 0, end = 0; !line.empty() && at < line.size(); at = end + 3) {
                end = std::min({line.find("。", at), line.find("；", at), line.size()});
                sentences.push_back({line.substr(at, end - at), number});
            }
            if (!line.empty())
                intros.back() = {line, number};
        } else if (!line.starts_with("|---")) {
            Row& row = tables.back().emplace_back(Row {{}, number});
            std::istringstream cells(line.substr(1));
            for (std::string cell; std::getline(cells, cell, '|');)
                row.cells.push_back(cellText(cell));
        }
        // `left = right` in running text or a table, never in a fenced block.
        for (std::size_t open = line.find('`'); !line.starts_with("```") && open != std::string::npos;) {
            const std::size_t close = line.find('`', open + 1);
            const std::string span = line.substr(open + 1, close - open - 1);
            if (const std::size_t equals = span.find(" = "); equals != std::string::npos) {
                expectStated(
                    number, span, Expression(span.substr(0, equals)).value(), span.substr(equals + 3));
                ++equations;
            }
            open = close == std::string::npos ? close : line.find('`', close + 1);
        }
    }

    // The table of built-in parameters shows the constants as the analysis defines them.
    std::ifstream engineFile(QUANVIK_ENGINE_CONSTANTS);
    const std::string engine((std::istreambuf_iterator<char>(engineFile)), std::istreambuf_iterator<char>());
    // A table whose first column names the fields is a table of analyses: each
    // column headed 例… is one press, and columns of the same name in several
    // tables are the same press (the six inputs and the seven results of 例子).
    std::map<std::string, std::map<std::string, Stated>> presses;
    int readings = 0;
    int writings = 0;
    std::size_t parameters = 0;
    std::vector<std::pair<Stated, std::string>> listings; // tables said to follow the order of writing
    for (std::size_t t = 0; t < tables.size(); ++t) {
        const std::vector<Row>& table = tables[t];
        if (table.empty())
            continue;
        const Row& header = table.front();
        if (intros[t].text.find("先后") != std::string::npos) {
            std::string& listed = listings.emplace_back(intros[t], "").second;
            for (const Row& row : table)
                if (std::ranges::find(CAPTIONS.begin() + 6, CAPTIONS.end(), row.cells.at(0))
                    != CAPTIONS.end())
                    listed += row.cells[0] + " ";
        }
        const auto column = [&](const std::string& name) {
            return static_cast<std::size_t>(
                std::find(header.cells.begin(), header.cells.end(), name) - header.cells.begin());
        };
        for (auto row = table.begin() + 1; row != table.end(); ++row) {
            const std::string& first = row->cells.at(0);
            if (header.cells[0] == "你输入") {
                expectStated(row->line, first, readAs(first), row->cells.at(column("读作")));
                ++readings;
            } else if (header.cells[0] == "算式") {
                expectStated(row->line, first, Expression(first).value(), row->cells.at(column("显示为")));
                ++writings;
            } else if (header.cells[0] == "参数") {
                // Its value is the number the cell begins with, read as an input is.
                const std::string constant = PARAMETERS.contains(first) ? PARAMETERS.at(first) : "?";
                expectStated(row->line, std::string(first).append(" ").append(constant),
                    constantValue(engine, constant),
                    numberToText(textToNumber(row->cells.at(column("数值")))));
                parameters += PARAMETERS.contains(first) ? 1 : 0;
            } else if (std::ranges::count(CAPTIONS, first) == 1 || first == FAULT) {
                for (std::size_t i = 1; i < header.cells.size() && i < row->cells.size(); ++i)
                    if (header.cells[i].starts_with("例"))
                        presses[header.cells[i]][first] = {row->cells[i], row->line};
            }
        }
    }

    std::map<std::string, Record> results;
    for (const auto& [name, press] : presses) {
        const Record& shown = results[name] = analyse(press);
        for (const auto& [caption, stated] : press)
            if (shown.contains(caption))
                expectStated(stated.line, std::string(name).append(" ").append(caption), shown.at(caption),
                    stated.text);
    }
    for (const auto& [intro, listed] : listings)
        expectStated(intro.line, "the order of the results", results["例子"][ORDER], listed);
    // What a sentence says of one named analysis it shows is one of its results;
    // where it says the risk rate is negative, it is so for every analysis named;
    // where it says 千分之五, every analysis named falls short by less than that
    // and shows 0. For every analysis the rate is negative exactly when the
    // principal falls short of 150 a lot plus the opening commission by at
    // least 千分之五 of that commission.
    const auto constant = [&](const std::string& name) { return textToNumber(constantValue(engine, name)); };
    const double perLot = constant("PER_LOT_CHARGE");
    const double openingRate = constant("CONTRACT_UNITS") * constant("COMMISSION_RATE");
    // How far the principal falls short, as a share of the opening commission.
    const auto shortShare = [&](const std::string& name) {
        std::map<std::string, Stated>& typed = presses[name];
        const double lots = textToNumber(typed["开仓手数"].text);
        const double opening = textToNumber(typed["进场价位"].text) * openingRate * lots;
        return (perLot * lots + opening - textToNumber(typed["交易本金"].text)) / opening;
    };
    int figures = 0;
    int signs = 0;
    int edges = 0;
    for (const auto& [sentence, line] : sentences) {
        const std::vector<std::string> named = pressesNamed(sentence);
        const std::string shows = "显示 ";
        for (std::size_t at = sentence.find(shows); named.size() == 1 && at != std::string::npos;
            at = sentence.find(shows, at + 1)) {
            const std::size_t begin = at + shows.size();
            const std::string figure =
                sentence.substr(begin, sentence.find_first_not_of("-+.0123456789E", begin) - begin);
            ++figures;
            if (figure.empty() || std::ranges::none_of(results[named[0]], [&](const auto& result) {
                    return result.second == figure;
                }))
                ADD_FAILURE_AT(QUANVIK_GUIDE, line) << named[0] << " shows no " << figure;
        }
        if (sentence.find(EDGE_WORDS) != std::string::npos) {
            ++edges;
            for (const std::string& name : named)
                if (const double share = shortShare(name);
                    share <= 0 || share >= EDGE || results[name][RISK] != "0")
                    ADD_FAILURE_AT(QUANVIK_GUIDE, line)
                        << name << ": short by " << share << " of the opening commission, risk rate "
                        << results[name][RISK];
        }
        if (sentence.find("风险率") == std::string::npos || sentence.find("负数") == std::string::npos)
            continue;
        ++signs;
        std::set<bool> tooMany; // whether 最大可开仓 of those named says too many lots
        for (const std::string& name : named) {
            if (!results[name][RISK].starts_with('-'))
                ADD_FAILURE_AT(QUANVIK_GUIDE, line) << name << ": risk rate " << results[name][RISK];
            tooMany.insert(results[name]["最大可开仓"] == "开仓手数过大");
        }
        if (tooMany.size() != 2)
            ADD_FAILURE_AT(QUANVIK_GUIDE, line)
                << "the analyses named should include one that shows 开仓手数过大 and one that does not";
        for (auto& [name, shown] : results)
            if (shown[RISK] != UNCHANGED && shown[RISK].starts_with('-') != (shortShare(name) >= EDGE))
                ADD_FAILURE_AT(QUANVIK_GUIDE, line)
                    << name << ": short by " << shortShare(name) << " of the opening commission, risk rate "
                    << shown[RISK];
    }
    // A table renamed out of reach would otherwise pass unchecked.
    EXPECT_GE(presses.size(), 5U);
    EXPECT_EQ(presses["例子"].size(), 13U);
    EXPECT_GE(readings, 10);
    EXPECT_GE(writings, 5);
    EXPECT_GE(equations, 10);
    EXPECT_EQ(listings.size(), 1U) << "tables in the order the results are written";
    EXPECT_GE(figures, 4) << "figures shown by a named analysis";
    EXPECT_GE(signs, 1) << "sentences on the risk rate's sign";
    EXPECT_GE(edges, 1) << "sentences on a rate shown 0 for want of principal";
    EXPECT_EQ(parameters, PARAMETERS.size()) << "rows of the table of built-in parameters";
}

} // namespace
} // namespace quanvik
