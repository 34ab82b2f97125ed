#include "ui/widgets/card.h"

#include <QFrame>
#include <QLabel>
#include <QVariant>
#include <QVBoxLayout>

namespace Card {

QLabel *title(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setProperty("role", QStringLiteral("title"));
    return label;
}

QFrame *create(const QString &text, QWidget *parent, QVBoxLayout **body, QLabel **heading)
{
    auto *frame = new QFrame(parent);
    frame->setProperty("role", QStringLiteral("card"));
    auto *box = new QVBoxLayout(frame);
    box->setContentsMargins(16, 16, 16, 16);
    box->setSpacing(8);
    QLabel *label = title(text, frame);
    box->addWidget(label);
    *body = box;
    if (heading)
        *heading = label;
    return frame;
}

} // namespace Card
