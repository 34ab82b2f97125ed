#pragma once
// Whether a macro file can be written to a mouse, checked before the mouse is touched, so that a
// bad file is reported as what it is and not as a refusal of the mouse.

#include <QString>
#include <optional>

namespace MacroFileCheck {

// Why the macro file at path cannot be written, in words that follow "macro file "NAME"", or
// nothing when it can. modelCode 0 checks only the file itself; a model's code also checks that
// every step has a code on that model.
std::optional<QString> problem(const QString &path, int modelCode);

} // namespace MacroFileCheck
