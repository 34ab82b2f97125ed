#include "ui/widgets/card.h"

#include <QFrame>
#include <QLabel>
#include <QVariant>
#include <QVBoxLayout>

namespace Card {

QFrame *create(const QString &title, QWidget *parent, QVBoxLayout **body)
{
    auto *frame = new QFrame(parent);
    frame->setProperty("role", QStringLiteral("card"));
    auto *box = new QVBoxLayout(frame);
    box->setContentsMargins(16, 16, 16, 16);
    box->setSpacing(8);
    auto *heading = new QLabel(title, frame);
    heading->setProperty("role", QStringLiteral("title"));
    box->addWidget(heading);
    *body = box;
    return frame;
}

} // namespace Card
