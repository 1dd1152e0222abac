// TForm3, the About window: the program's title, version and credits with
// a standing figure, shown modally over the main window.
#pragma once

#include <QDialog>

#include "form.h"

class QLabel;
class QPushButton;

namespace tessaron {

class TForm3 : public TFormOf<QDialog> {
public:
    TForm3();

    QLabel* Image1;
    QPushButton* Button1;
    QLabel* StaticText1;
    QLabel* StaticText2;
    QLabel* StaticText3;
    QLabel* StaticText4;
    QLabel* StaticText5;
    QLabel* StaticText6;
    QLabel* StaticText7;
    QLabel* StaticText8;
    QLabel* StaticText11;
    QLabel* StaticText10;

protected:
    void showEvent(QShowEvent* event) override;
};

// The 35 by 80 standing figure as the About window draws it: the colour of
// its bottom-left pixel is transparent.
QImage AboutFigure();

}  // namespace tessaron
