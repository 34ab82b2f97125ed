#pragma once
// The fixed functions a button can be given in the button dialog (the basic function list) and
// the words for a button's current assignment, shared by the dialog and the button widgets.

#include <QList>
#include <QString>

namespace FunctionNames {

// One entry of the basic function list: the request it makes and the text that names it.
struct BasicFunction
{
    int entry;       // 0..21
    unsigned value;  // key, usage or function value
    int modifier;    // modifier code
    int changeType;
    QString name() const;
};

// Entries 0..21 in list order.
const QList<BasicFunction> &basicFunctions();

// The name of a fixed function by its change type (35..56); empty for a type without one.
QString functionName(int changeType);

// What a button does now, as the dialog's status line shows it: a key with modifiers for change
// type 29 ("CTRL + ALT + A"), the function for 31 (value: its change type 34..56, or a special
// combination 0..6 named like basic entries 0..6), the macro text for 33, the disabled text for
// 41; empty for anything else (and -1, the factory function).
QString assignmentText(int changeType, int value, int modifier);

} // namespace FunctionNames
