#pragma once
// The picture editor's canvas: the mouse's 64 x 48 screen shown three times enlarged. It holds
// pen strokes (in widget coordinates), one line of text placed with the mouse, a background
// picture and a black or white ground, and renders them into the 64 x 48 picture that the screen
// will show: strokes and text in white on black, or in black on white.

#include <QFont>
#include <QImage>
#include <QList>
#include <QPoint>
#include <QString>
#include <QWidget>

class QLabel;
class QLineEdit;

class DrawBorderWidget : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kScale = 3;
    static constexpr int kPictureWidth = 64;
    static constexpr int kPictureHeight = 48;
    static constexpr int kWidth = kPictureWidth * kScale;   // 192
    static constexpr int kHeight = kPictureHeight * kScale; // 144
    static constexpr int kDefaultFontPixels = 66;            // 22 picture pixels

    explicit DrawBorderWidget(QWidget *parent = nullptr);

    // Drops the background picture, every stroke and the text; the text goes back to the corner.
    void clear();
    // Removes the last stroke; nothing when there is none.
    void undo();
    // A picture file drawn scaled over the whole picture as its background (empty: none).
    void setBackgroundPicture(const QString &path);
    // true: strokes and text are white on black (the default); false: black on white.
    void setBlackBackground(bool black);
    void setTextFont(const QFont &font);
    // Text size in canvas pixels (the picture's are a third of it).
    void setTextPixelSize(int pixels);
    void setPenMode(bool on);
    // On: the line edit is shown at the text's place for typing. Off: the text is drawn into the
    // picture and follows the mouse while it moves over the canvas.
    void setTextMode(bool on);

    bool penMode() const { return m_penMode; }
    bool textMode() const { return m_textMode; }
    int strokeCount() const { return m_strokes.size(); }
    QString text() const;
    // Nothing to show: no background picture, no stroke, no text.
    bool isEmpty() const;
    // The 64 x 48 picture as the screen will show it (text included unless it is being typed).
    QImage picture() const;
    // Leaves text mode (the text becomes part of the picture) and returns the picture to store;
    // a null image for an empty canvas.
    QImage pictureToSave();

    QLineEdit *lineEdit() const { return m_edit; }

public Q_SLOTS:
    // Repaints; only the first 40 calls have an effect.
    void slot_loadImage();


protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void applyTextStyle();
    void changed();

    QList<QList<QPoint>> m_strokes;
    QString m_background;
    QImage m_backgroundImage; // m_background, read
    QLineEdit *m_edit;  // typing the text (text mode)
    QLabel *m_label;    // where the text goes and in which font; the picture draws it
    bool m_penMode = false;
    bool m_textMode = false;
    bool m_black = true;
    bool m_drawing = false;
    int m_fontPixels = kDefaultFontPixels;
    int m_loadCount = 0;
};
