#pragma once
// The mouse picture of the main page: the top view of the model's button layout family with one
// MyPushButton per physical button, in a column on either side, each joined by a line to its
// place on the mouse.

#include "catalog/modelcatalog.h"

#include <QMap>
#include <QPixmap>
#include <QWidget>

class MyPushButton;

class MousePicture : public QWidget
{
    Q_OBJECT
public:
    explicit MousePicture(QWidget *parent = nullptr);

    // Rebuilds the buttons for a model (none for an unknown code).
    void setMouseType(int code);
    const QMap<int, MyPushButton *> &buttons() const { return m_buttons; }

    static constexpr int kWidth = 272;
    static constexpr int kHeight = 440;

Q_SIGNALS:
    // A new set of buttons exists (connect to them).
    void buttonsRebuilt();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    struct Place
    {
        int button;
        QPoint target; // on the picture, in its own coordinates
        bool right;    // the button sits in the right column
    };
    static QList<Place> placesOf(const Catalog::Model &model);
    QPoint pictureOrigin() const;

    int m_mouseType = -1;
    QPixmap m_picture;
    QList<Place> m_places;
    QMap<int, MyPushButton *> m_buttons;
};
