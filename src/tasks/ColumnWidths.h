#pragma once

#include <array>

// The task list's columns share every change of the list's width: 49, 17, 15 and 19 per cent,
// so that together they follow the list.
class ColumnWidths
{
public:
    static constexpr std::array<int, 4> kStartWidths{350, 90, 80, 150};
    // The list's width before the window's first layout.
    static constexpr int kStartReference = 562;

    // The width change of each column for the list's new width; the new width becomes the
    // reference. Each share is rounded to the nearest pixel, halves to even.
    std::array<int, 4> resized(int newWidth);

    int reference() const { return m_reference; }

private:
    int m_reference = kStartReference;
};
