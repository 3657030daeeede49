#pragma once
// How the ticker window sits on the desktop: its stacking level and its colour-keyed
// transparency. One interface; each operating system has its own implementation file.

#include <QColor>

#include <functional>

class QWidget;

namespace marlune::platform {

enum class WindowLevel {
    TopMost, // above every ordinary window
    Normal,  // an ordinary top-level window, not top-most
    Desktop, // kept below every other window, as if part of the desktop
};

// Puts a top-level window on the given level. Changing the level may hide the
// window (the window system recreates it); callers show it again afterwards.
void SetWindowLevel(QWidget* window, WindowLevel level);

// The level the window was last given.
WindowLevel CurrentWindowLevel(const QWidget* window);

// Colour key: every pixel the window paints exactly in `key` becomes see-through.
// Returns false when this system cannot do it; the window then stays opaque.
bool SetColorKey(QWidget* window, QColor key);

// Switches the colour key off again; the whole window is opaque.
void ClearColorKey(QWidget* window);

// Whether a colour key is on for the window.
bool HasColorKey(const QWidget* window);

// Call after the window's content changed while a colour key is on, so the
// see-through area follows what is painted now. Does nothing without a colour key.
void RefreshColorKey(QWidget* window);

// Call once on a top-level window before it is first shown: where a compositing
// manager blends windows, the window gets an alpha channel, and its colour key is then
// made with alpha (soft text edges over the desktop; the shape mask then cuts only fully
// transparent pixels, for the clicks).
void PrepareColorKeyAlpha(QWidget* window);

// Looks again whether a compositing manager blends the window. True when that changed
// how its colour key is made (alpha or shape mask): the window then repaints what it
// fills with ColorKeyFill and calls RefreshColorKey. A window prepared without an alpha
// channel always keeps the mask.
bool UpdateColorKeyMode(QWidget* window);

// Whether the window's colour key is made with alpha rather than with a shape mask.
bool ColorKeyUsesAlpha(const QWidget* window);

// The colour a window fills what its colour key is to make see-through: fully
// transparent while the key is made with alpha, else the key itself.
QColor ColorKeyFill(const QWidget* window, QColor key);

// The pointer is over the window's rectangle, or no longer. A window whose colour key is
// made with the shape mask takes the mouse only on the pixels the mask keeps; while the
// pointer is over it the mask is lifted, so that the whole window takes the mouse (its key
// colour shows meanwhile). Nothing changes with alpha, without a colour key, or on Windows,
// whose colour key keeps the see-through pixels see-through for the mouse too. True when
// the mask was lifted or put back.
bool SetPointerOverColorKey(QWidget* window, bool over);

// Whether the window's shape mask is lifted for the pointer now.
bool ColorKeyLifted(const QWidget* window);

// How the program learns whether a compositing manager blends windows with an alpha
// channel; tests stand in for the window system with their own answer. Empty: ask the
// window system.
void SetCompositorProbe(std::function<bool()> probe);

// The Windows generation the menu offsets and the desktop level go by: 1 below
// Windows Vista, 2 for Vista, 3 for Windows 7, 0 for every later Windows and for every
// other system.
int OsGeneration();

} // namespace marlune::platform
