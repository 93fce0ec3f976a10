// The layouts name the classic 8-point "MS Sans Serif"; Linux has no such font, so each
// widget's family list falls back to metric-compatible faces that fit the fixed geometry.
#pragma once

class QWidget;

// Gives `root` and every widget below it the fallback family list, keeping each size.
void ApplyClassicFonts(QWidget* root);
