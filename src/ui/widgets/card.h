#pragma once
// A titled card: a framed panel (the theme's role "card") with its heading and a column for
// the content.

#include <QString>

class QFrame;
class QLabel;
class QVBoxLayout;
class QWidget;

namespace Card {
// The card, owned by parent; *body receives the column below the heading, *heading (when
// given) the heading itself.
QFrame *create(const QString &title, QWidget *parent, QVBoxLayout **body, QLabel **heading = nullptr);
// A heading in the theme's title style (a card's, or a section's inside one).
QLabel *title(const QString &text, QWidget *parent);
} // namespace Card
