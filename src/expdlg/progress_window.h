// What the two progress dialogs share: the window's frame and placement,
// the bars, and the caption texts the runs show in them.
#pragma once

#include <cstdint>

#include <QColor>
#include <QString>

class QLabel;
class QProgressBar;
class QRect;
class QWidget;

namespace tessaron {

// Bar colours of the runs: the frame bar dark red, the block bar red.
inline const QColor kFrameBarColour{128, 0, 0};
inline const QColor kBlockBarColour{255, 0, 0};

// A fixed dialog frame of the given client size with the close box as its
// only title-bar button, the caption "Exporting...", the button-face
// background and the main window's font.  The window has no Qt parent: disabling the main window must
// not disable it.
void SetUpProgressWindow(QWidget& window, const QWidget& mainWindow, int clientWidth, int clientHeight);

// Lets a static text that has grown past its designed width show all of
// it: the text keeps its right edge and widens to the left (never past the
// left margin of the window's group boxes).  It never gets narrower than
// `designedWidth`.
void FitToCaption(QLabel& label, int designedWidth);

// Keeps the progress window above `mainWindow` on desktops that stack
// windows, without making it a child that would be disabled with it.
void StayAbove(QWidget& window, QWidget& mainWindow);

// A smooth bar without text, range 0 to 100, position 0, at `bounds`
// inside `parent`.
QProgressBar* MakeProgressBar(QWidget* parent, const QRect& bounds);

// Range 0 to `maximum`, position 0.  A range of 0 to 0 would turn Qt's bar
// into a busy indicator; it is shown as an empty bar instead.
void SetBarRange(QProgressBar& bar, int64_t maximum);
// Moves the bar on by `amount`, stopping at the end of its range.
void StepBy(QProgressBar& bar, int amount);
// The colour of the filled part.
void SetBarColour(QProgressBar& bar, const QColor& colour);
QColor BarColour(const QProgressBar& bar);

// The captions of a run.  Counts are shown in full however many digits
// they have.
QString SpritesCaption(int64_t current, int64_t total);       // "Sprites 3/12"
QString SpriteBlocksCaption(int64_t current, int64_t total);  // "Sprite Blocks 1/57"
QString TotalSpritesCaption(int64_t total);                   // "Total Sprites: 40"

}  // namespace tessaron
