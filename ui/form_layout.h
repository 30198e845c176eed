#pragma once

#include "position_analysis.h"

#include <cstddef>
#include <cstdint>
#include <span>

// The form's fixed layout, as data. Positions are in twips from the top-left
// corner of the client area; the form turns them into logical pixels and lets
// Qt's high-DPI scaling take it from there.
namespace quanvik {

inline constexpr int TWIPS_PER_PIXEL = 15; // at 96 dpi
inline constexpr int CLIENT_WIDTH_TWIPS = 5610;
inline constexpr int CLIENT_HEIGHT_TWIPS = 6390;

// Always exact: every coordinate in the table is a multiple of 15.
constexpr int toPixels(int twips)
{
    return twips / TWIPS_PER_PIXEL;
}

enum class ControlKind : std::uint8_t { Label, TextBox, PushButton, Line };

// Marks a control that keeps the style's own text colour.
inline constexpr std::uint32_t SYSTEM_COLOUR = 0xFFFFFFFF;

struct ControlRow {
    const char* name;
    ControlKind kind;
    const char* caption; // UTF-8; empty for text boxes and lines
    // A line runs from (left, top) to (left + width, top + height).
    int left;
    int top;
    int width;
    int height;
    int tabIndex;         // labels carry one too, but never take the focus
    std::uint32_t colour; // 0xRRGGBB text colour, or SYSTEM_COLOUR
};

// Every control, in visual rows from top to bottom.
std::span<const ControlRow> formLayout() noexcept;

// Marks a field whose box has no unit label.
inline constexpr std::size_t NO_ROW = SIZE_MAX;

// Ties each field to its text box and to the labels that name it, as rows of
// formLayout(), so the accessible names (caption and unit; no caption is a
// buddy) and the fault messages all come from one place.
struct FieldBinding {
    FieldId field;
    std::size_t textBox;
    std::size_t captionLabel;
    std::size_t unitLabel; // or NO_ROW
};

// Text1..Text13 in FieldId order.
std::span<const FieldBinding> fieldBindings() noexcept;

} // namespace quanvik
