// Controls placed by position on a fixed form do not grow by themselves: a
// translated caption longer than the built-in one would be cut ("uardar/Ejecuta").
// These make them as wide as their texts need.
#pragma once

#include <initializer_list>

class QWidget;

namespace tavrel {

// The width a button's or label's text needs, its frame and indicator
// included; for a push button without the style's minimum width, so a small
// "+" button is not taken for a cut one.
int WidthForText(const QWidget* control);

// Widens every button and label under root that sits at a fixed position
// (not in a layout) to the width its text needs, into the free room on its
// right and then on its left, never over a neighbour.
void FitTexts(QWidget* root);

// A row of buttons aligned on the right edge of the last one, in order from
// left to right: each is widened to its text, the row keeps its right edge
// and its gaps, and grows to the left.
void FitRowRight(std::initializer_list<QWidget*> row, int gap);

}  // namespace tavrel
