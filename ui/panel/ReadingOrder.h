#pragma once

class QWidget;

// Sets the panel's keyboard order to its reading order: menus, camera slots, zoom, pad and focus, presets, then
// the picture controls from top to bottom; inside a control made of parts (a stepper, a slider column), its parts
// from top to bottom and left to right. The form's own order follows the order its widgets were designed in.
void setReadingOrder(QWidget *panel);
