#include "about.h"

#include <QLabel>
#include <QPainter>
#include <QPushButton>

#include "demo_art.h"
#include "palette.h"

namespace tessaron {

namespace {

constexpr int kClientWidth = 450;
constexpr int kClientHeight = 300;

QFont FontOfHeight(const QFont& base, int pixels) {
    QFont font = base;
    font.setPixelSize(pixels);
    font.setItalic(false);
    font.setBold(false);
    return font;
}

QLabel* MakeStaticText(QWidget* parent, const char* name, const QString& text, QRect bounds,
                       QColor colour, int fontPixels, bool sunken = false) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    if (sunken) {
        label->setFrameShape(QFrame::Panel);
        label->setFrameShadow(QFrame::Sunken);
    }
    label->setFont(FontOfHeight(parent->font(), fontPixels));
    // The designed box, widened about its centre when the platform's font
    // needs more room for the whole text.
    const int missing = label->fontMetrics().horizontalAdvance(text) + 2 * label->frameWidth() - bounds.width();
    if (missing > 0) bounds.adjust(-(missing + 1) / 2, 0, (missing + 1) / 2, 0);
    label->setGeometry(bounds);
    label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
    return label;
}

}  // namespace

QImage AboutFigure() {
    const writer::Picture figure = demo::StandingFigure();
    QImage indexed(int(figure.Width), int(figure.Height), QImage::Format_Indexed8);
    QList<QRgb> colours(256);
    for (int k = 0; k < 256; ++k) {
        const uint32_t rgb = kSpriteColours[k];
        colours[k] = qRgb(int(rgb >> 16) & 0xFF, int(rgb >> 8) & 0xFF, int(rgb) & 0xFF);
    }
    indexed.setColorTable(colours);
    for (uint32_t y = 0; y < figure.Height; ++y)
        for (uint32_t x = 0; x < figure.Width; ++x) indexed.setPixel(int(x), int(y), figure.At(x, y));
    // The picture is drawn transparent: its bottom-left pixel's colour is
    // left out wherever it appears.
    const QRgb transparent = colours[indexed.pixelIndex(0, indexed.height() - 1)];
    for (QRgb& colour : colours)
        if (colour == transparent) colour = qRgba(0, 0, 0, 0);
    indexed.setColorTable(colours);
    return indexed.convertToFormat(QImage::Format_ARGB32);
}

TForm3::TForm3() : TFormOf<QDialog>(nullptr) {
    setObjectName(QStringLiteral("Form3"));
    setAttribute(Qt::WA_QuitOnClose, false);
    setWindowTitle(QStringLiteral("About Tessaron Explorer"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setModal(true);
    setFixedSize(kClientWidth, kClientHeight);
    QFont formFont = font();
    formFont.setPixelSize(13);
    formFont.setItalic(true);  // the form's own font; every control has its own
    setFont(formFont);

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setPixmap(QPixmap::fromImage(AboutFigure()));
    Image1->setGeometry(16, 16, 35, 80);
    Image1->setAlignment(Qt::AlignCenter);

    Button1 = new QPushButton(QStringLiteral("Enjoy!"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(188, 266, 75, 25);
    Button1->setFont(FontOfHeight(font(), 11));
    QPalette buttonPalette = Button1->palette();
    buttonPalette.setColor(QPalette::ButtonText, Qt::red);
    Button1->setPalette(buttonPalette);
    Button1->setDefault(true);
    connect(Button1, &QPushButton::clicked, this, [this] { done(QDialog::Accepted); });

    const QColor windowText = palette().color(QPalette::WindowText);
    StaticText1 = MakeStaticText(this, "StaticText1", QStringLiteral("Tessaron Explorer v1.1"),
                                 {127, 9, 197, 28}, Qt::red, 19);
    StaticText2 = MakeStaticText(this, "StaticText2", QStringLiteral("Special build"),
                                 {193, 32, 64, 17}, QColor(0, 0, 128), 11);
    StaticText3 = MakeStaticText(this, "StaticText3", QStringLiteral("The Tessaron Explorer authors, 2024-2025"),
                                 {85, 64, 281, 20}, Qt::black, 13);
    StaticText4 = MakeStaticText(this, "StaticText4", QStringLiteral("This program is free and may be passed on freely"),
                                 {66, 104, 320, 17}, windowText, 11);
    StaticText5 = MakeStaticText(this, "StaticText5", QStringLiteral("as long as it stays unchanged and no fee is asked."),
                                 {78, 120, 295, 17}, windowText, 11);
    StaticText6 = MakeStaticText(this, "StaticText6",
                                 QStringLiteral("Comments and bug reports are welcome; please write to"),
                                 {11, 152, 429, 17}, windowText, 11);
    StaticText7 = MakeStaticText(this, "StaticText7", QStringLiteral("te@example.org"),
                                 {178, 171, 94, 17}, windowText, 11);
    StaticText8 = MakeStaticText(this, "StaticText8", QStringLiteral("IM 1100-0110"),
                                 {187, 191, 76, 17}, windowText, 11);
    StaticText10 = MakeStaticText(this, "StaticText10", QStringLiteral("Every sprite in its colours"),
                                  {108, 240, 234, 17}, windowText, 11, /*sunken=*/true);
    StaticText11 = MakeStaticText(this, "StaticText11", QStringLiteral("example.org/tessaron"),
                                  {153, 214, 144, 17}, windowText, 11);

    // The tab order is the order of creation: the button first, then the
    // texts as numbered, StaticText10 before StaticText11.
}

void TForm3::showEvent(QShowEvent* event) {
    TFormOf<QDialog>::showEvent(event);
    Button1->setFocus(Qt::OtherFocusReason);
}

}  // namespace tessaron
