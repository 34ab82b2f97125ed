#pragma once
// A titled card: a framed panel (the theme's role "card") with its heading and a column for
// the content.

#include <QString>

class QFrame;
class QVBoxLayout;
class QWidget;

namespace Card {
// The card, owned by parent; *body receives the column below the heading.
QFrame *create(const QString &title, QWidget *parent, QVBoxLayout **body);
} // namespace Card
