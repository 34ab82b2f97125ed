#include "ui/widgets/mousepicture.h"

#include "ui/theme/palette.h"
#include "ui/widgets/mypushbutton.h"

#include <QPainter>

#include <algorithm>

namespace {

constexpr int kPictureWidth = 160;
constexpr int kPictureHeight = 300;
constexpr int kButtonWidth = 84;
constexpr int kButtonHeight = 26;
constexpr int kButtonPitch = 32; // button height and the gap below it

// One layout family's picture and where its parts are on it (the drawing's own numbers).
struct Family
{
    const char *picture;
    int top;            // the tip of the mouse
    int split;          // the end of the main buttons
    QList<QPoint> sides; // side buttons, in the order of the model's side button ids
};

Family familyOf(Catalog::ButtonLayout layout)
{
    using L = Catalog::ButtonLayout;
    const auto column = [](int x, QList<int> ys) {
        QList<QPoint> out;
        for (int y : ys)
            out << QPoint(x, y);
        return out;
    };
    const auto grid = [](int x1, int x2, QList<int> ys) {
        QList<QPoint> out;
        for (int y : ys)
            out << QPoint(x1, y) << QPoint(x2, y);
        return out;
    };
    switch (layout) {
    case L::Swift: return {"swift", 8, 126, column(16, {132, 160, 188, 216, 244, 272})};
    case L::Osprey: return {"osprey", 6, 124, grid(14, 32, {136, 172, 208})};
    case L::Wren: return {"wren", 20, 138, column(16, {134, 160, 186, 212, 238, 264})};
    case L::Kite: return {"kite", 10, 128, grid(16, 34, {140, 176, 212})};
    case L::Lark: return {"lark", 6, 124, grid(14, 32, {128, 160, 192, 224})};
    case L::Falcon: break;
    }
    return {"falcon", 4, 122, grid(14, 32, {140, 176, 212})};
}

} // namespace

MousePicture::MousePicture(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("MousePicture"));
    setFixedSize(kWidth, kHeight);
}

QList<MousePicture::Place> MousePicture::placesOf(const Catalog::Model &model)
{
    const Family f = familyOf(model.layout);
    const int cx = kPictureWidth / 2;
    QList<Place> places;
    int side = 0;
    for (int id : model.buttons) {
        switch (id) {
        case 4: places << Place{id, {cx - 34, f.top + 40}, false}; break;
        case 6: places << Place{id, {cx + 34, f.top + 40}, true}; break;
        case 5: places << Place{id, {cx, f.top + 51}, true}; break;
        case 13: places << Place{id, {cx, f.top + 84}, true}; break;
        case 14: places << Place{id, {cx, f.top + 100}, true}; break;
        case 17: places << Place{id, {cx, f.split + 14}, true}; break;
        default:
            places << Place{id, f.sides.value(side, QPoint(14, 250)), false};
            ++side;
        }
    }
    // Each column top to bottom by where its buttons are on the mouse.
    std::stable_sort(places.begin(), places.end(), [](const Place &a, const Place &b) {
        if (a.right != b.right)
            return !a.right;
        return a.target.y() < b.target.y();
    });
    return places;
}

QPoint MousePicture::pictureOrigin() const
{
    return QPoint((kWidth - kPictureWidth) / 2, (kHeight - kPictureHeight) / 2);
}

void MousePicture::setMouseType(int code)
{
    if (code == m_mouseType)
        return;
    m_mouseType = code;
    qDeleteAll(m_buttons);
    m_buttons.clear();
    m_places.clear();
    m_picture = QPixmap();
    const Catalog::Model *model = Catalog::find(code);
    if (model) {
        m_picture = QPixmap(QStringLiteral(":/picture/picture/mouse/mouse_%1.png")
                                .arg(QLatin1String(familyOf(model->layout).picture)));
        m_places = placesOf(*model);
        // Each button level with its place on the mouse where there is room, else just below
        // the one above it; a column that runs past the bottom moves up as a whole.
        const int originY = pictureOrigin().y();
        for (bool right : {false, true}) {
            QList<int> tops;
            for (const Place &p : qAsConst(m_places)) {
                if (p.right != right)
                    continue;
                int top = originY + p.target.y() - kButtonHeight / 2;
                if (!tops.isEmpty())
                    top = qMax(top, tops.last() + kButtonPitch);
                tops << top;
            }
            if (tops.isEmpty())
                continue;
            const int shift = qMin(qMax(0, tops.last() + kButtonHeight - kHeight), tops.first());
            for (int &top : tops)
                top -= shift;
            if (tops.last() + kButtonHeight > kHeight) { // more buttons than room: evenly spread
                const int pitch = (kHeight - kButtonHeight) / qMax(1, tops.size() - 1);
                for (int i = 0; i < tops.size(); ++i)
                    tops[i] = i * pitch;
            }
            int row = 0;
            for (const Place &p : qAsConst(m_places)) {
                if (p.right != right)
                    continue;
                auto *b = new MyPushButton(p.button, code, this);
                b->setGeometry(right ? kWidth - kButtonWidth : 0, tops.at(row), kButtonWidth, kButtonHeight);
                b->show();
                m_buttons.insert(p.button, b);
                ++row;
            }
        }
        // Tab order: the left column top to bottom, then the right one.
        QWidget *previous = nullptr;
        for (const Place &p : m_places) {
            if (previous)
                setTabOrder(previous, m_buttons.value(p.button));
            previous = m_buttons.value(p.button);
        }
    }
    update();
    Q_EMIT buttonsRebuilt();
}

void MousePicture::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPoint origin = pictureOrigin();
    if (!m_picture.isNull())
        painter.drawPixmap(QRect(origin, QSize(kPictureWidth, kPictureHeight)), m_picture);
    for (const Place &p : m_places) {
        const MyPushButton *b = m_buttons.value(p.button);
        if (!b)
            continue;
        const QPointF target = origin + p.target;
        const QRect r = b->geometry();
        const QPointF start(p.right ? r.left() : r.right() + 1, r.center().y() + 0.5);
        const QPointF elbow(p.right ? start.x() - 10 : start.x() + 10, start.y());
        const QColor line = b->isOriginal() ? Palette::border().lighter(150) : Palette::accent();
        painter.setPen(QPen(line, 1.5));
        painter.drawPolyline(QVector<QPointF>{start, elbow, target});
        painter.setBrush(line);
        painter.drawEllipse(target, 2.5, 2.5);
    }
}
